// The files an INF names beside itself: its catalog files and the files of its
// [SourceDisksFiles] sections, as paths relative to the INF's folder. The uninstaller removes
// a driver copy only when the INF that was preinstalled from there names it.
#pragma once

#include <string>
#include <vector>

namespace stow {

struct InfReferences {
    std::vector<std::string> files;   // plain relative paths ("amd64\zydaq.sys")
    std::vector<std::string> refused; // names that would lead out of the folder, as written
    std::vector<std::string> catalogs;  // the catalog files' bare names (also in files)
};

InfReferences infReferences(const std::string& inf_text);

}  // namespace stow
