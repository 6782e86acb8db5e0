// Loader on arbitrary installer bytes: the first four bytes play the locator's data bytes, the
// rest is the installer file. Every input must end in a numbered load error or a loaded package
// whose records then read to their end or to a read error.
#include <cstdint>
#include <string>

#include "base/error.h"
#include "engine/loader.h"
#include "package/package_records.h"
#include "support/memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    auto file = std::make_unique<stow::test::MemoryFile>(
        std::string(reinterpret_cast<const char*>(data) + 4, size - 4));
    try {
        stow::LoadedPackage package = stow::loadPackage(std::move(file), data);
        // Walk the records the way placement does, without placing them.
        for (int32_t k = 0; k < package.recordCount && k < 4096; ++k) {
            stow::readPackageRecord(*package.stream);
        }
    } catch (const stow::LoadError&) {
    } catch (const stow::EReadError&) {
    }
    return 0;
}
