// Directory enumeration with an attribute mask in the classic find-first style: entries carrying
// hidden, system, directory or volume-label bits come back only when the mask admits those bits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace stow {

// Bits that an entry may carry only when the mask names them too.
constexpr uint32_t kFindSpecialBits = kAttrHidden | kAttrSystem | kAttrVolumeId | kAttrDirectory;
// Admits every entry.
constexpr uint32_t kFindAnyFile = 0x3F;
// Files and subdirectories, but no hidden, system or volume-label entries.
constexpr uint32_t kFindDirectory = kAttrDirectory;

// True when an entry with these attributes passes the mask.
constexpr bool attributesAdmitted(uint32_t entry_attributes, uint32_t mask) {
    return (entry_attributes & kFindSpecialBits & ~mask) == 0;
}

// Every entry of pattern that the mask admits, in the order the platform returns them; empty when
// nothing matches or the directory does not exist.
std::vector<FindEntry> findFiles(FileSystem& files, const std::string& pattern, uint32_t mask);

// The driver phase's listing: all entries of pattern except those whose name begins with ".",
// each as the pattern's directory part + name, with a trailing "\" for a directory.
std::vector<std::string> listDirectory(FileSystem& files, const std::string& pattern);

}  // namespace stow
