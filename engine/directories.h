// Directory helpers over the file system seam: existence tests and creation of every missing
// directory of a path, parents first.
#pragma once

#include <string>
#include <unordered_set>

#include "platform/file_system.h"

namespace stow {

bool directoryExists(FileSystem& files, const std::string& path);
bool fileExists(FileSystem& files, const std::string& path);

// Creates every missing directory of path (a trailing "\" is allowed). True when the whole path
// exists afterwards; false for an empty path or when a directory could not be created.
bool forceDirectories(FileSystem& files, const std::string& path);

// forceDirectories for one installation: a directory made or found once is not asked about
// again, so a folder that receives many files costs its existence checks only once.
class DirectoryMaker {
public:
    explicit DirectoryMaker(FileSystem& files) : files_(files) {}
    bool force(const std::string& path);

private:
    FileSystem& files_;
    std::unordered_set<std::string> known_;  // as spelled when made or found, no trailing "\"
};

}  // namespace stow
