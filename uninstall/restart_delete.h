// Deleting a file that is in use at the next restart: MoveFileExA with
// MOVEFILE_DELAY_UNTIL_REBOOT on NT, a "NUL=<short path>" line in the [rename] section of
// WININIT.INI in the Windows directory on the 9x family.
#pragma once

#include <string>

#include "platform/file_system.h"

namespace stow {

// ini with "NUL=" + short_path added as the last line of its [rename] section (made when
// missing); every other line is kept as it was, duplicate keys included.
std::string addWininitDelete(const std::string& ini, const std::string& short_path);

// True when the deletion is scheduled.
bool scheduleDeleteAtRestart(FileSystem& files, bool nt, const std::string& windows_path,
                             const std::string& path);

}  // namespace stow
