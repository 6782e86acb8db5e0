// Enumeration over the file system seam; the seam returns everything, the mask filters here.
#include "engine/find_files.h"

#include "base/paths.h"

namespace stow {

std::vector<FindEntry> findFiles(FileSystem& files, const std::string& pattern, uint32_t mask) {
    std::vector<FindEntry> found;
    std::unique_ptr<Finder> finder = files.findFirst(pattern);
    if (!finder) return found;
    FindEntry entry;
    while (finder->next(entry)) {
        if (attributesAdmitted(entry.attributes, mask)) found.push_back(entry);
    }
    return found;
}

std::vector<std::string> listDirectory(FileSystem& files, const std::string& pattern) {
    std::vector<std::string> list;
    const std::string directory = directoryPart(pattern);
    for (const FindEntry& entry : findFiles(files, pattern, kFindAnyFile)) {
        if (entry.name.empty() || entry.name[0] == '.') continue;
        if (entry.attributes & kAttrDirectory) {
            list.push_back(directory + entry.name + "\\");
        } else {
            list.push_back(directory + entry.name);
        }
    }
    return list;
}

}  // namespace stow
