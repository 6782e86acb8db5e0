// Registration: the report texts, the date value, and whole registrations on a simulated
// machine whose registry may be writable, partly denied, failing mid-write or read-only.
#include "engine/registration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <regex>

#include "base/error.h"
#include "platform/sim/sim_windows.h"
#include "support/install_fixture.h"

namespace stow {
namespace {

TEST(InstallDate, IsEightZeroPaddedDigits) {
    EXPECT_EQ(installDate(LocalTime{2026, 3, 7, 23, 59, 59}), "20260307");
    EXPECT_EQ(installDate(LocalTime{999, 12, 31}), "09991231");
}

// --- registrations on a simulated machine ---

class Registration : public test::InstallJobTest {
public:
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

// A fault of the registry or the disk: the report or error, what the registry holds, and
// whether the uninstall entry became a Start-menu link.
struct FaultCase {
    const char* name;
    std::function<void(sim::Faults&)> inject;
    std::string outcome;  // the start of the report, or of the error described
    size_t packages;      // installed-packages values
    std::vector<std::string> uninstall_values;
    bool link;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class RegistrationFaults : public Registration, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(RegistrationFaults, EndInTheirReportOrError) {
    const FaultCase& c = GetParam();
    c.inject(win.faults());
    std::string outcome;
    try {
        outcome = run();
    } catch (const Error& e) {
        outcome = e.describe();
    }
    const std::string expected =
        std::regex_replace(c.outcome, std::regex("STAMP"), stampText(LocalTime{2026, 3, 7, 14, 5, 9}));
    EXPECT_EQ(outcome.rfind(expected, 0), 0u) << outcome;
    EXPECT_EQ(installedPackages().size(), c.packages);
    for (const char* name : {"DisplayName", "UninstallString", "InstallDate"}) {
        const bool written =
            std::find(c.uninstall_values.begin(), c.uninstall_values.end(), name) != c.uninstall_values.end();
        EXPECT_EQ(uninstallValue(name).has_value(), written) << name;
    }
    const auto link = win.link(kUninstallLink);
    EXPECT_EQ(static_cast<bool>(link), c.link);
    if (c.uninstall_values.empty()) {
        EXPECT_FALSE(win.registryKeyExists(win.processView(), kUninstallKey));
    }
    if (link) {
        EXPECT_EQ(link->target, "C:\\WINDOWS\\AcmeUninstall.exe");
        EXPECT_EQ(link->workingDirectory, "C:\\WINDOWS\\");
        EXPECT_TRUE(win.exists("C:\\Acme\\FileLog.ini"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    EachFault, RegistrationFaults,
    ::testing::Values(
        FaultCase{"UninstallKeyDenied",
                  [](sim::Faults& f) { f.registryDenied.push_back(Registration::kUninstallKey); },
                  "Installation complete!", 1, {}, true},
        FaultCase{"ReadOnly", [](sim::Faults& f) { f.registryReadOnly = true; },
                  "Installation complete!", 0, {}, true},
        FaultCase{"ReadOnlyAndTheFallbackLinkFailing",
                  [](sim::Faults& f) {
                      f.registryReadOnly = true;
                      f.comFailsAt = sim::ComStep::Save;
                  },
                  "EOleSysError: ", 0, {}, false},
        // The installed-packages value and DisplayName succeed, then the writes stop silently.
        FaultCase{"ThirdWriteFailing", [](sim::Faults& f) { f.registryWritesBeforeFailure = 2; },
                  "Installation complete!", 1, {"DisplayName"}, false},
        FaultCase{"InstalledPackagesWriteFailing",
                  [](sim::Faults& f) { f.registryWritesBeforeFailure = 0; },
                  "ERegistryException: Failed to set data for 'STAMP'", 0, {}, false},
        FaultCase{"FileLogNotWritable", [](sim::Faults& f) { f.accessDenied.push_back("C:\\Acme"); },
                  "EFCreateError: Cannot create file C:\\Acme\\FileLog.ini", 0, {}, false}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST_F(Registration, ASecondInstallationAddsAPackageValueAndReplacesTheUninstallKey) {
    run();
    win.platform().registry.openOrCreate(kUninstallKey, kKeyAllAccess)
        ->setString("Stale", "left by hand");
    win.setLocalTime(LocalTime{2026, 4, 1, 9, 0, 0});
    win.makeDirectories("C:\\Other");
    run("C:\\Other\\");

    EXPECT_EQ(installedPackages(),
              (std::map<std::string, std::string>{
                  {stampText(LocalTime{2026, 3, 7, 14, 5, 9}), "DAQ,C:\\Acme\\"},
                  {stampText(LocalTime{2026, 4, 1, 9, 0, 0}), "DAQ,C:\\Other\\"}}));
    EXPECT_EQ(uninstallValue("InstallDate"), "20260401");
    EXPECT_FALSE(uninstallValue("Stale"));
}

TEST_F(Registration, TwoInstallationsInOneSecondShareTheValueName) {
    run();
    win.makeDirectories("C:\\Other");
    run("C:\\Other");
    EXPECT_EQ(installedPackages(),
              (std::map<std::string, std::string>{
                  {stampText(LocalTime{2026, 3, 7, 14, 5, 9}), "DAQ,C:\\Other\\"}}));
}

TEST_F(Registration, TheStartEntryNamesTheGroupFolderEvenWhenLinksFellBack) {
    package.packageName = "DAQ|2";
    package.startMenuGroup = "Acme DAQ|2";
    win.faults().registryDenied.push_back(kUninstallKey);
    run();
    const std::string log = win.readFile("C:\\Acme\\FileLog.ini");
    EXPECT_NE(log.find("Acme File Log - DAQ|2=C:\\Menu\\Programs\\Acme DAQ|2\\\r\n"),
              std::string::npos)
        << log;
    EXPECT_TRUE(win.link("C:\\Menu\\Programs\\RozeDi\\Uninstall Acme Software.lnk"));
}

}  // namespace
}  // namespace stow
