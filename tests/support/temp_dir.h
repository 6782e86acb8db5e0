// A fresh host folder per test, removed afterwards. It lives in memory (/dev/shm) where the host
// has it: the simulated machines create thousands of small files, which a disk makes slow.
#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace stow::test {

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = base() / ("stow-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    static std::filesystem::path base() {
        std::error_code ec;
        if (std::filesystem::is_directory("/dev/shm", ec)) return "/dev/shm";
        return std::filesystem::temp_directory_path();
    }

    std::filesystem::path path_;
};

}  // namespace stow::test
