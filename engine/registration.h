// Registration: the file log's START entry and its file, the vendor's installed-packages list,
// the system's uninstall entry (or a Start-menu uninstall link instead), and the report texts.
#pragma once

#include <string>

#include "engine/install_job.h"
#include "platform/system.h"

namespace stow {

std::string installedPackagesKeyPath(const std::string& vendor);
std::string uninstallKeyPath(const std::string& vendor);
// The uninstaller the uninstall entry and the fallback link point to.
std::string uninstallerPath(const InstallLocations& locations, const std::string& vendor);
// "YYYYMMDD".
std::string installDate(const LocalTime& t);

// The completion text, followed by the failed copies and where they went when there are any.
std::string completionReport(const FailedCopies& failed, const std::string& current_directory);

}  // namespace stow
