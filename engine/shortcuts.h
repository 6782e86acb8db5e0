// Start-menu shortcuts: one shell link file per call, saved into the package's group folder
// (or a fixed fallback folder when the group folder cannot be made), and the link phase.
#pragma once

#include <string>

#include "base/error.h"
#include "engine/install_job.h"
#include "platform/shell_link.h"
#include "platform/system.h"

namespace stow {

// Links are saved through a 260-unit UTF-16 path buffer, NUL included.
constexpr size_t kMaxLinkPathUnits = 260;
// HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE): a link path the buffer cannot hold.
constexpr HResult kLinkPathTooLong = static_cast<HResult>(0x800700CEu);

// Every occurrence of from replaced by to.
std::string replaceChar(std::string text, char from, char to);

// The EOleSysError for a failed COM result: the system's text, or "OLE error xxxxxxxx".
EOleSysError oleError(ShellLinks& shell, HResult code);

// Creates and saves one link file: target, working directory = the target's directory part,
// empty description. Raises EOleSysError when a COM step fails or the path is too long.
void createShellLink(ShellLinks& shell, System& system, const std::string& target,
                     const std::string& link_file);

// Saves link_name (with "/" made "-") + ".lnk" into ProgramsPath + start-menu group + "\",
// creating the folder, or into ProgramsPath + "RozeDi\" when that fails.
void createLinkInGroup(InstallJob& job, const std::string& target, const std::string& link_name);

// Links every visible entry of directory (ending in "\") under its full name into the
// sub-folder start-menu group + "\" + sub_group; the group is restored afterwards.
void createSubGroupLinks(InstallJob& job, const std::string& directory,
                         const std::string& sub_group);

}  // namespace stow
