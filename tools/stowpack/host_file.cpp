// A read-only File over a host file, through a std::FILE with 64-bit seeks.
#include "stowpack/host_file.h"

#include <cstdio>

namespace stow::pack {

namespace {

class HostFile : public File {
public:
    explicit HostFile(std::FILE* file) : file_(file) {}
    ~HostFile() override { std::fclose(file_); }
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;

    size_t read(void* buffer, size_t n) override { return std::fread(buffer, 1, n, file_); }
    bool write(const void*, size_t) override { return false; }
    bool seek(int64_t offset) override {
        return offset >= 0 && fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0;
    }
    int64_t size() override {
        const off_t here = ftello(file_);
        if (here < 0 || fseeko(file_, 0, SEEK_END) != 0) return -1;
        const off_t end = ftello(file_);
        if (fseeko(file_, here, SEEK_SET) != 0) return -1;
        return static_cast<int64_t>(end);
    }

private:
    std::FILE* file_;
};

}  // namespace

std::unique_ptr<File> openHostFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return nullptr;
    return std::make_unique<HostFile>(file);
}

}  // namespace stow::pack
