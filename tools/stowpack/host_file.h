// The engine's file seam over host files, so the packer can run the installer's own loader on
// a built installer. Only reading is offered: the packer never writes through the engine.
#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"

namespace stow::pack {

// Paths are host paths, used as given. Everything but openRead reports failure.
class HostFileSystem : public FileSystem {
public:
    std::unique_ptr<File> openRead(const std::string& path) override;
    std::unique_ptr<File> create(const std::string&) override { return nullptr; }
    bool createDirectory(const std::string&) override { return false; }
    uint32_t attributes(const std::string&) override { return kInvalidAttributes; }
    std::unique_ptr<Finder> findFirst(const std::string&) override { return nullptr; }
    std::string currentDirectory() override { return {}; }
    bool setCurrentDirectory(const std::string&) override { return false; }
};

}  // namespace stow::pack
