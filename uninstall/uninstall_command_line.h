// The uninstaller's command line and its own name. It is "<vendor>Uninstall.exe", written by
// the installer into the Windows directory, so the vendor comes from the file name and the
// program needs no patching.
#pragma once

#include <optional>
#include <string>

namespace stow {

struct UninstallOptions {
    bool silent = false;   // /S: remove every package of the vendor, no window at all
    std::string logPath;   // /LOG=path: append the report to this file
    std::string unknown;   // the first argument that is neither, for the error message
};

UninstallOptions parseUninstallCommandLine(const std::string& command_line);

// The vendor from the program's path: the file name before "Uninstall.exe" (letter case
// ignored); nullopt when the name has another form or no vendor in front.
std::optional<std::string> vendorFromProgramPath(const std::string& program_path);

}  // namespace stow
