// File placement, the install command's first phase (runPlacement, declared with the other phases
// in install_job.h), and the small pieces of it that other phases and tools share.
#pragma once

#include <string>

#include "platform/file_system.h"

namespace stow {

// The file-log section that lists a package's placed files: vendor + " File Log - " + package.
std::string fileLogSection(const std::string& vendor_name, const std::string& package_name);

// inf_directory + the first "oem<n>.inf", n = 0, 1, 2, ..., that names nothing yet.
std::string nextFreeGeneratedInf(FileSystem& files, const std::string& inf_directory);

}  // namespace stow
