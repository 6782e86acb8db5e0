// Files and directories through the ANSI file API (CreateFileA, FindFirstFileA, ...). Only calls
// that Windows 95 already has are used, so the installer also runs on the 9x family.
#pragma once

#include "platform/file_system.h"
#include "platform/win32/handles.h"

namespace stow {

class Win32FileSystem final : public FileSystem {
public:
    std::unique_ptr<File> openRead(const std::string& path) override;
    std::unique_ptr<File> create(const std::string& path) override;
    std::unique_ptr<File> openAppend(const std::string& path) override;
    bool createDirectory(const std::string& path) override;
    uint32_t attributes(const std::string& path) override;
    std::unique_ptr<Finder> findFirst(const std::string& pattern) override;
    std::string currentDirectory() override;
    bool setCurrentDirectory(const std::string& path) override;
    DeleteResult deleteFile(const std::string& path) override;
    bool removeDirectory(const std::string& path) override;
    bool setAttributes(const std::string& path, uint32_t attributes) override;
    bool deleteAtRestart(const std::string& path) override;
    std::string shortPath(const std::string& path) override;

private:
    // The open file, or nullptr with the reason noted.
    std::unique_ptr<File> opened(win32::UniqueHandle handle);
};

}  // namespace stow
