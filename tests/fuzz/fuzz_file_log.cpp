// File log reader and writer: any text parses, and what the writer produces reads back to the
// same log (serialising twice gives the same bytes).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/file_log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    stow::FileLog log = stow::FileLog::parse(text);
    std::string once = log.serialize();
    std::string twice = stow::FileLog::parse(once).serialize();
    if (once != twice) std::abort();
    return 0;
}
