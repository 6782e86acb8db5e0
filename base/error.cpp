// Maps whatever a top-level handler caught onto the "ClassName: message" form.
#include "base/error.h"

#include <new>

namespace stow {

std::string describeCurrentException() {
    try {
        throw;
    } catch (const Error& e) {
        return e.describe();
    } catch (const std::bad_alloc&) {
        return EOutOfMemory().describe();
    } catch (const std::exception& e) {
        return std::string("Exception: ") + e.what();
    } catch (...) {
        return "Exception: unknown error";
    }
}

}  // namespace stow
