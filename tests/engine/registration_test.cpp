// Registration: the report texts, the date value, and whole registrations on a simulated
// machine whose registry may be writable, partly denied, failing mid-write or read-only.
#include "engine/registration.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "platform/sim/sim_windows.h"
#include "support/install_fixture.h"
#include "support/thrown.h"

namespace stow {
namespace {

TEST(InstallDate, IsEightZeroPaddedDigits) {
    EXPECT_EQ(installDate(LocalTime{2026, 3, 7, 23, 59, 59}), "20260307");
    EXPECT_EQ(installDate(LocalTime{999, 12, 31}), "09991231");
}

// --- registrations on a simulated machine ---

class Registration : public test::InstallJobTest {
protected:
    Registration() {
        win.makeDirectories("C:\\Acme");
        win.setLocalTime(LocalTime{2026, 3, 7, 14, 5, 9});
    }
    std::string run(const std::string& target = "C:\\Acme") {
        InstallJob job = makeJob(target);
        job.failedCopies = failed;
        return runRegistration(job);
    }
    std::optional<std::string> uninstallValue(const std::string& name) const {
        return win.registryValue(win.processView(), kUninstallKey, name);
    }
    std::map<std::string, std::string> installedPackages() const { return values(kPackagesKey); }
    std::string stampText(const LocalTime& t) { return win.platform().system.formatDateTime(t); }

    static constexpr const char* kUninstallKey =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme Data Acquisition";
    static constexpr const char* kPackagesKey = "Software\\Acme\\Installed Packages";
    static constexpr const char* kUninstallLink =
        "C:\\Menu\\Programs\\Acme DAQ\\Uninstall Acme Software.lnk";
    FailedCopies failed;
};

TEST_F(Registration, WritesTheFileLogTheInstalledPackageAndTheUninstallEntry) {
    EXPECT_EQ(run(), "Installation complete!\r\nSamples and docs are linked from the Start menu.");

    const std::string log = win.readFile("C:\\Acme\\FileLog.ini");
    EXPECT_NE(log.find("[START]\r\nAcme File Log - DAQ=C:\\Menu\\Programs\\Acme DAQ\\\r\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(installedPackages(),
              (std::map<std::string, std::string>{
                  {stampText(LocalTime{2026, 3, 7, 14, 5, 9}), "DAQ,C:\\Acme\\"}}));
    EXPECT_EQ(uninstallValue("DisplayName"), "Acme Software");
    EXPECT_EQ(uninstallValue("UninstallString"), "C:\\WINDOWS\\AcmeUninstall.exe");
    EXPECT_EQ(uninstallValue("InstallDate"), "20260307");
    EXPECT_FALSE(win.exists(kUninstallLink));
}

TEST_F(Registration, ReportsFailedCopiesAfterTheCurrentDirectory) {
    failed = {"C:\\Acme\\a.dll", "C:\\WINDOWS\\b.sys"};
    const std::string current = win.platform().files.currentDirectory();
    EXPECT_EQ(run(), "Installation complete!\r\nSamples and docs are linked from the Start menu."
                     "\r\nThese files failed to copy, and were placed in " +
                         current + ":\r\nC:\\Acme\\a.dll\r\nC:\\WINDOWS\\b.sys");
}

// The link goes into the group folder; here one that cannot be made, so the fixed folder, while
// the log's start entry still names the group folder.
TEST_F(Registration, ADeniedUninstallKeyGetsAStartMenuLinkInstead) {
    package.packageName = "DAQ|2";
    package.startMenuGroup = "Acme DAQ|2";
    win.faults().registryDenied.push_back(kUninstallKey);
    run();
    EXPECT_FALSE(uninstallValue("DisplayName"));
    EXPECT_EQ(installedPackages().size(), 1u);
    auto link = win.link("C:\\Menu\\Programs\\RozeDi\\Uninstall Acme Software.lnk");
    ASSERT_TRUE(link);
    EXPECT_EQ(link->target, "C:\\WINDOWS\\AcmeUninstall.exe");
    EXPECT_EQ(link->workingDirectory, "C:\\WINDOWS\\");
    const std::string log = win.readFile("C:\\Acme\\FileLog.ini");
    EXPECT_NE(log.find("Acme File Log - DAQ|2=C:\\Menu\\Programs\\Acme DAQ|2\\\r\n"),
              std::string::npos)
        << log;
}

TEST_F(Registration, UninstallWritesStopSilentlyAtTheFirstFailure) {
    // The installed-packages value and DisplayName succeed, UninstallString fails.
    win.faults().registryWritesBeforeFailure = 2;
    EXPECT_EQ(run().rfind("Installation complete!", 0), 0u);
    EXPECT_EQ(uninstallValue("DisplayName"), "Acme Software");
    EXPECT_FALSE(uninstallValue("UninstallString"));
    EXPECT_FALSE(uninstallValue("InstallDate"));
    EXPECT_FALSE(win.exists(kUninstallLink));
}

TEST_F(Registration, AFailedInstalledPackagesWriteIsARegistryError) {
    win.faults().registryWritesBeforeFailure = 0;
    EXPECT_EQ(test::thrown([&] { run(); }),
              "ERegistryException: Failed to set data for '" +
                  stampText(LocalTime{2026, 3, 7, 14, 5, 9}) + "'");
    EXPECT_FALSE(uninstallValue("DisplayName"));
}

TEST_F(Registration, LaterInstallationsAddAPackageValueAndReplaceTheUninstallKey) {
    const LocalTime first{2026, 3, 7, 14, 5, 9}, later{2026, 4, 1, 9, 0, 0};
    run();
    win.makeDirectories("C:\\Other");
    run("C:\\Other");  // in the same second: the value name is shared
    EXPECT_EQ(installedPackages(),
              (std::map<std::string, std::string>{{stampText(first), "DAQ,C:\\Other\\"}}));
    win.platform().registry.openOrCreate(kUninstallKey, kKeyAllAccess)
        ->setString("Stale", "left by hand");
    win.setLocalTime(later);
    run("C:\\Acme\\");

    EXPECT_EQ(installedPackages(),
              (std::map<std::string, std::string>{{stampText(first), "DAQ,C:\\Other\\"},
                                                  {stampText(later), "DAQ,C:\\Acme\\"}}));
    EXPECT_EQ(uninstallValue("InstallDate"), "20260401");
    EXPECT_FALSE(uninstallValue("Stale"));
}

}  // namespace
}  // namespace stow
