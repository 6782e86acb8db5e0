// The stub's terminate handler. libstdc++'s default one prints the uncaught exception's demangled
// type to stderr, which a GUI program does not have, and links the whole C++ demangler (about
// 46 KB) to do so. Defining the handler here keeps that out of the image; it only aborts.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
