// Decorators that count what the code under test asks of files and the file system, for tests
// that pin how often something is asked rather than how long it takes.
#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"
#include "support/memory_file.h"

namespace stow::test {

// A MemoryFile that counts its reads, the bytes they brought, and its seeks.
class CountingFile : public MemoryFile {
public:
    using MemoryFile::MemoryFile;
    size_t read(void* buffer, size_t n) override {
        ++reads;
        const size_t got = MemoryFile::read(buffer, n);
        bytesRead += static_cast<int64_t>(got);
        return got;
    }
    bool seek(int64_t offset) override {
        ++seeks;
        return MemoryFile::seek(offset);
    }
    int reads = 0;
    int seeks = 0;
    int64_t bytesRead = 0;
};

// Forwards to another file system and counts the existence checks and directory creations.
class CountingFileSystem : public FileSystem {
public:
    explicit CountingFileSystem(FileSystem& inner) : inner_(inner) {}
    std::unique_ptr<File> openRead(const std::string& path) override { return inner_.openRead(path); }
    std::unique_ptr<File> create(const std::string& path) override { return inner_.create(path); }
    bool createDirectory(const std::string& path) override {
        ++directories_made;
        return inner_.createDirectory(path);
    }
    uint32_t attributes(const std::string& path) override {
        ++attribute_checks;
        return inner_.attributes(path);
    }
    std::unique_ptr<Finder> findFirst(const std::string& pattern) override {
        return inner_.findFirst(pattern);
    }
    std::string currentDirectory() override { return inner_.currentDirectory(); }
    bool setCurrentDirectory(const std::string& path) override {
        return inner_.setCurrentDirectory(path);
    }

    int attribute_checks = 0;
    int directories_made = 0;

private:
    FileSystem& inner_;
};

}  // namespace stow::test
