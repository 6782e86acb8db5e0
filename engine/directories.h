// Directory helpers over the file system seam: existence tests and creation of every missing
// directory of a path, parents first.
#pragma once

#include <string>

#include "platform/file_system.h"

namespace stow {

bool directoryExists(FileSystem& files, const std::string& path);
bool fileExists(FileSystem& files, const std::string& path);

// Creates every missing directory of path (a trailing "\" is allowed). True when the whole path
// exists afterwards; false for an empty path or when a directory could not be created.
bool forceDirectories(FileSystem& files, const std::string& path);

}  // namespace stow
