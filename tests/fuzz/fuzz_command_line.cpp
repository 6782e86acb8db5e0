// Command-line splitter on arbitrary text: never fails and never keeps a quote or a separator
// outside quotes in an argument.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/locations.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string line(reinterpret_cast<const char*>(data), size);
    for (const std::string& arg : stow::splitCommandLine(line)) {
        if (arg.find('"') != std::string::npos) std::abort();
    }
    return 0;
}
