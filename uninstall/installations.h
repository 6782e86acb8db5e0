// The vendor's installations as the registry records them: one installed-packages value each,
// package name + "," + target directory.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/registry.h"

namespace stow {

struct Installation {
    std::string valueName;        // the installed-packages value
    std::string packageName;
    std::string targetDirectory;  // ends in "\"
    bool usable = false;          // false: the value cannot be read as package + target
    std::string data;             // the value's data as stored
};

// Every value of "Software\<vendor>\Installed Packages", in the order the registry lists them.
// A data text may hold more than one ","; the split chosen is the first one followed by a
// plain absolute path whose FileLog.ini has the package's section, else the first followed by
// such a path at all. nullopt when the key cannot be read.
std::optional<std::vector<Installation>> readInstallations(Registry& registry, FileSystem& files,
                                                           const std::string& vendor);

}  // namespace stow
