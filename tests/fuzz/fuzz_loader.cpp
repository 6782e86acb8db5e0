// Loader on arbitrary installer bytes: the first four bytes play the locator's data bytes, the
// rest is the installer file. Every input must end in a numbered load error or a loaded package
// whose records then read to their end or to a read error.
#include <cstdint>
#include <string>

#include "base/error.h"
#include "engine/loader.h"
#include "support/memory_file.h"

namespace {

// Serves one file, the installer, from memory.
class OneFileSystem : public stow::FileSystem {
public:
    explicit OneFileSystem(std::string bytes) : bytes_(std::move(bytes)) {}
    std::unique_ptr<stow::File> openRead(const std::string&) override {
        return std::make_unique<stow::test::MemoryFile>(bytes_);
    }
    std::unique_ptr<stow::File> create(const std::string&) override { return nullptr; }
    bool createDirectory(const std::string&) override { return false; }
    uint32_t attributes(const std::string&) override { return kInvalidAttributes; }
    std::unique_ptr<stow::Finder> findFirst(const std::string&) override { return nullptr; }
    std::string currentDirectory() override { return "C:\\"; }
    bool setCurrentDirectory(const std::string&) override { return false; }

private:
    std::string bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    OneFileSystem files(std::string(reinterpret_cast<const char*>(data) + 4, size - 4));
    try {
        stow::LoadedPackage package = stow::loadPackage(files, "C:\\stowaway.exe", data);
        // Walk the records the way placement does, without placing them.
        for (int32_t k = 0; k < package.recordCount && k < 4096; ++k) {
            package.stream->readString();
            package.stream->skipString();
            package.stream->readString();
            package.stream->readInt32();
        }
    } catch (const stow::LoadError&) {
    } catch (const stow::EReadError&) {
    }
    return 0;
}
