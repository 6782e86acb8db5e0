// The phases' fixture: a fresh simulated NT machine and, set by hand, the package header,
// locations and facts an install job is made from: vendor "Acme", package "DAQ", Windows in
// C:\WINDOWS\, the Start menu's programs in C:\Menu\Programs\, the machine's setup service.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "engine/install_job.h"
#include "platform/sim/sim_windows.h"
#include "support/temp_dir.h"

namespace stow::test {

class InstallJobTest : public ::testing::Test {
protected:
    InstallJobTest() {
        package.vendorName = "Acme";
        package.packageName = "DAQ";
        package.startMenuGroup = "Acme DAQ";
        locations.windowsPath = "C:\\WINDOWS\\";
        locations.programsPath = kPrograms;
        facts.nt = true;
        facts.setupService = win.platform().system.findSetupService();
        facts.driverPreinstallPossible = facts.setupService != nullptr;
    }

    InstallJob makeJob(const std::string& target = "C:\\Acme",
                       const std::string& drivers = "C:\\Acme\\Drivers") {
        return makeInstallJob(win.platform(), package, locations, facts, target, drivers);
    }
    // The values under a key of the installer's registry view.
    std::map<std::string, std::string> values(const std::string& key) const {
        return win.registryValues(win.processView(), key);
    }

    static constexpr const char* kPrograms = "C:\\Menu\\Programs\\";
    TempDir dir;
    sim::SimWindows win{sim::Profile::Nt32, dir.path() / "machine"};
    LoadedPackage package;
    InstallLocations locations;
    PlatformFacts facts;
};

}  // namespace stow::test
