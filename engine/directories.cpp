// Creating a directory chain one level at a time, as the file system only creates leaves.
#include "engine/directories.h"

namespace stow {

bool directoryExists(FileSystem& files, const std::string& path) {
    uint32_t a = files.attributes(path);
    return a != FileSystem::kInvalidAttributes && (a & kAttrDirectory) != 0;
}

bool fileExists(FileSystem& files, const std::string& path) {
    uint32_t a = files.attributes(path);
    return a != FileSystem::kInvalidAttributes && (a & kAttrDirectory) == 0;
}

namespace {

std::string withoutTrailingSeparators(std::string dir) {
    while (dir.size() > 1 && dir.back() == '\\') dir.pop_back();
    return dir;
}

}  // namespace

bool forceDirectories(FileSystem& files, const std::string& path) {
    const std::string dir = withoutTrailingSeparators(path);
    if (dir.empty()) return false;
    // A bare drive ("C:") or the root ("\") is there or not; it cannot be created. The root is
    // asked about as "\" itself: "\\" would name a network path.
    if (dir == "\\") return directoryExists(files, dir);
    if (dir.size() == 2 && dir[1] == ':') return directoryExists(files, dir + "\\");
    if (directoryExists(files, dir)) return true;
    size_t cut = dir.find_last_of('\\');
    if (cut != std::string::npos && cut > 0) {
        std::string parent = dir.substr(0, cut);
        if (!(parent.size() == 2 && parent[1] == ':') && !forceDirectories(files, parent)) {
            return false;
        }
    }
    return files.createDirectory(dir) || directoryExists(files, dir);
}

bool DirectoryMaker::force(const std::string& path) {
    std::string dir = withoutTrailingSeparators(path);
    // Spelled differently, the same directory is only asked about once more: never wrong.
    if (known_.count(dir)) return true;
    if (!forceDirectories(files_, dir)) return false;
    known_.insert(std::move(dir));
    return true;
}

}  // namespace stow
