// The install command's shared pieces: its inputs with separators applied, and the error report.
#include "engine/install_job.h"

#include "base/paths.h"

namespace stow {

InstallJob makeInstallJob(Platform& platform, LoadedPackage& package,
                          const InstallLocations& locations, const PlatformFacts& facts,
                          const std::string& target_panel, const std::string& drivers_panel) {
    auto lead = [&platform](unsigned char b) { return platform.system.isLeadByte(b); };
    return InstallJob{platform,
                      package,
                      locations,
                      facts,
                      addTrailingSeparator(target_panel, lead),
                      addTrailingSeparator(drivers_panel, lead),
                      FileLog(),
                      FailedCopies(),
                      nullptr,
                      0};
}

std::string errorReport(const std::string& described_error) {
    return "An unexpected error occurred. Details are as follows:\r\n" + described_error;
}

}  // namespace stow
