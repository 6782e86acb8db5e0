// A read-only File of the platform seam over a host file, so the packer reads a built installer
// with the installer's own loader and package reader.
#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"

namespace stow::pack {

// The file at path (a host path, used as given) open for reading; nullptr when it cannot be.
std::unique_ptr<File> openHostFile(const std::string& path);

}  // namespace stow::pack
