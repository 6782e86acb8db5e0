// The removal itself: for each chosen installation, the files its file-log section lists,
// the Start-menu links made for them, its file log and installed-packages value; once no
// installation of the vendor remains, the driver copies and the system's INF copies recorded
// under the INF key, the uninstall entry and the uninstaller. Nothing is deleted that no log,
// INF key or START entry names, nor anything outside the directory it was derived from.
#pragma once

#include <string>
#include <vector>

#include "engine/install_state.h"
#include "platform/platform.h"
#include "uninstall/installations.h"
#include "uninstall/uninstall_report.h"

namespace stow {

// What the uninstaller knows of the machine it runs on.
struct UninstallMachine {
    Platform& platform;
    std::string vendor;
    InstallLocations locations;       // computed as the installer computes them
    bool nt = true;
    std::string programPath;          // the running uninstaller, removed last
    std::string defaultDriversDirectory;  // ends in "\": only listed, never emptied
};

// The locations of this machine, with file-system redirection off for the calling thread.
UninstallMachine describeMachine(Platform& platform, const std::string& vendor);

// Removes the installations whose selected flag is set (selected.size() == all.size()).
// progress (may be null) runs from 0 to the number of logged files of the chosen ones.
UninstallReport removeInstallations(UninstallMachine& machine, const std::vector<Installation>& all,
                                    const std::vector<bool>& selected, Progress* progress);

}  // namespace stow
