// Install locations, defaults and platform facts on every simulated machine, with failing
// folder queries, drive-root and double-byte directory names, and the command-line argument.
#include "engine/locations.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>

#include "platform/sim/sim_windows.h"
#include "support/temp_dir.h"

namespace stow {
namespace {

using sim::Profile;

// The installer's start-up computation on a fresh machine of the profile, started with
// command_line; prepare changes the machine first. The setup service it found went with the
// machine: compare it with nullptr only.
ComputedLocations computeOn(Profile profile, const std::string& command_line,
                            const std::function<void(sim::SimWindows&)>& prepare = nullptr,
                            const char* vendor = "V", const char* package = "P") {
    test::TempDir dir;
    sim::SimWindows win(profile, dir.path() / "machine");
    win.setCommandLine(command_line);
    if (prepare) prepare(win);
    ComputedLocations c = computeInstallLocations(win.platform().system, vendor, package);
    EXPECT_TRUE(win.redirectionDisabledForThisThread());
    return c;
}

struct Expected {
    Profile profile;
    bool nt;
    int bitness;
    bool preinstall;
    const char* windows;
    const char* system;
    const char* programs;
    const char* dll;
    const char* driver;
    const char* target;
    const char* drivers;
};

TEST(LocationsTest, EveryProfile) {
    const Expected cases[] = {
        {Profile::Win9x, false, 32, false, "C:\\WINDOWS\\", "C:\\WINDOWS\\SYSTEM\\",
         "C:\\WINDOWS\\Start Menu\\Programs\\", "C:\\WINDOWS\\SYSTEM\\", "C:\\WINDOWS\\SYSTEM\\",
         "C:\\Program Files\\ZYLOR\\DAQ Suite", "C:\\Program Files\\ZYLOR\\Common Drivers"},
        {Profile::Nt32, true, 32, true, "C:\\WINDOWS\\", "C:\\WINDOWS\\system32\\",
         "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\", "C:\\WINDOWS\\system32\\",
         "C:\\WINDOWS\\system32\\Drivers\\", "C:\\Program Files\\ZYLOR\\DAQ Suite",
         "C:\\Program Files\\ZYLOR\\Common Drivers"},
        {Profile::Nt64, true, 64, true, "C:\\WINDOWS\\", "C:\\WINDOWS\\system32\\",
         "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\", "C:\\WINDOWS\\SysWOW64\\",
         "C:\\WINDOWS\\system32\\Drivers\\", "C:\\Program Files (x86)\\ZYLOR\\DAQ Suite",
         "C:\\Program Files (x86)\\ZYLOR\\Common Drivers"},
        {Profile::NtNoSetupApi, true, 32, false, "C:\\WINDOWS\\", "C:\\WINDOWS\\system32\\",
         "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\", "C:\\WINDOWS\\system32\\",
         "C:\\WINDOWS\\system32\\Drivers\\", "C:\\Program Files\\ZYLOR\\DAQ Suite",
         "C:\\Program Files\\ZYLOR\\Common Drivers"},
    };
    for (const Expected& e : cases) {
        const ComputedLocations c =
            computeOn(e.profile, "\"C:\\Download\\Setup.exe\"", nullptr, "ZYLOR", "DAQ Suite");
        const std::string name = "profile " + std::to_string(static_cast<int>(e.profile));
        EXPECT_EQ(c.facts.nt, e.nt) << name;
        EXPECT_EQ(c.facts.bitness, e.bitness) << name;
        EXPECT_EQ(c.facts.driverPreinstallPossible, e.preinstall) << name;
        // The service is looked up on every platform, also where it is never used.
        EXPECT_EQ(c.facts.setupService != nullptr, e.profile != Profile::NtNoSetupApi) << name;
        EXPECT_EQ(c.locations.windowsPath, e.windows) << name;
        EXPECT_EQ(c.locations.systemPath, e.system) << name;
        EXPECT_EQ(c.locations.programsPath, e.programs) << name;
        EXPECT_EQ(c.locations.dllPath, e.dll) << name;
        EXPECT_EQ(c.locations.driverPath, e.driver) << name;
        EXPECT_EQ(c.directories.target, e.target) << name;
        EXPECT_EQ(c.directories.drivers, e.drivers) << name;
        EXPECT_EQ(c.directories.fallback, "C:\\") << name;
    }
}

// How the line splits into arguments is the command line's test.
TEST(LocationsTest, TheFirstArgumentIsTheTargetUnchanged) {
    struct Case {
        const char* command_line;
        const char* target;
    };
    const Case cases[] = {
        {"Setup.exe D:\\Data\\Pkg\\ ignored more", "D:\\Data\\Pkg\\"},
        {"Setup.exe relative", "relative"},
        // An empty argument would install into the root of the current drive: not taken.
        {"Setup.exe \"\"", "C:\\Program Files\\ZYLOR\\DAQ Suite"},
        {"", "C:\\Program Files\\ZYLOR\\DAQ Suite"},
    };
    for (const Case& c : cases) {
        const ComputedLocations loc =
            computeOn(Profile::Nt32, c.command_line, nullptr, "ZYLOR", "DAQ Suite");
        EXPECT_EQ(loc.directories.target, c.target) << c.command_line;
        EXPECT_EQ(loc.directories.drivers, "C:\\Program Files\\ZYLOR\\Common Drivers");
    }
}

TEST(LocationsTest, FailedQueriesGiveTheRootOfTheCurrentDrive) {
    for (Profile profile : {Profile::Win9x, Profile::Nt32, Profile::Nt64}) {
        const ComputedLocations c = computeOn(
            profile, "Setup.exe", [](sim::SimWindows& w) { w.faults().failFolderQueries = true; });
        const bool nt = profile != Profile::Win9x;
        EXPECT_EQ(c.locations.windowsPath, "\\");
        EXPECT_EQ(c.locations.systemPath, "\\");
        EXPECT_EQ(c.locations.programsPath, "\\");
        EXPECT_EQ(c.locations.dllPath, "\\");
        EXPECT_EQ(c.locations.driverPath, nt ? "\\Drivers\\" : "\\");
        EXPECT_EQ(c.directories.target, "\\V\\P");
        EXPECT_EQ(c.directories.drivers, "\\V\\Common Drivers");
        EXPECT_EQ(c.directories.fallback, "\\");
    }
}

TEST(LocationsTest, OneFailedFolderAffectsOnlyWhatIsBuiltOnIt) {
    const ComputedLocations c = computeOn(Profile::Nt64, "Setup.exe", [](sim::SimWindows& w) {
        w.faults().failSpecialFolders = {kCsidlProgramFiles, kCsidlSystemX86};
    });
    EXPECT_EQ(c.directories.target, "\\V\\P");
    EXPECT_EQ(c.directories.drivers, "\\V\\Common Drivers");
    EXPECT_EQ(c.locations.dllPath, "\\");
    EXPECT_EQ(c.locations.systemPath, "C:\\WINDOWS\\system32\\");
    EXPECT_EQ(c.locations.driverPath, "C:\\WINDOWS\\system32\\Drivers\\");
}

// The rule itself is the path helpers' test: here, that the machine's code page reaches it.
TEST(LocationsTest, TrailingSeparatorRule) {
    // 0x95 0x5C is one double-byte character in code page 932 whose trail byte equals "\".
    const std::string dbcs_tail = "C:\\\x95\x5C";
    struct Case {
        const char* name;
        std::string windows_dir;
        bool double_byte;
        std::string windows_path;
        std::string fallback;
    };
    const Case cases[] = {
        {"ordinary", "C:\\WINDOWS", false, "C:\\WINDOWS\\", "C:\\"},
        {"already ends in a separator", "D:\\WINNT\\", false, "D:\\WINNT\\", "D:\\"},
        {"shorter than a drive prefix", "C:", false, "C:\\", "C:\\"},
        {"trail byte is not a separator", dbcs_tail, true, dbcs_tail + "\\", "C:\\"},
        {"same bytes, single-byte code page", dbcs_tail, false, dbcs_tail, "C:\\"},
    };
    for (const Case& c : cases) {
        const auto prepare = [&](sim::SimWindows& w) {
            w.useDoubleByteCodePage(c.double_byte);
            w.faults().windowsDirectory = c.windows_dir;
            w.faults().specialFolders[kCsidlProgramFiles] = c.windows_dir;
        };
        const ComputedLocations loc = computeOn(Profile::Nt32, "Setup.exe", prepare);
        EXPECT_EQ(loc.locations.windowsPath, c.windows_path) << c.name;
        EXPECT_EQ(loc.directories.fallback, c.fallback) << c.name;
        EXPECT_EQ(loc.directories.target, c.windows_path + "V\\P") << c.name;
    }
}

TEST(LocationsTest, ASetupLookupThatFailsOnlyRulesOutPreinstallation) {
    const ComputedLocations c = computeOn(Profile::Nt32, "Setup.exe", [](sim::SimWindows& w) {
        w.faults().setupLookupThrows = true;
    });
    EXPECT_EQ(c.facts.setupService, nullptr);
    EXPECT_FALSE(c.facts.driverPreinstallPossible);
    EXPECT_TRUE(c.facts.nt);
    EXPECT_EQ(c.locations.driverPath, "C:\\WINDOWS\\system32\\Drivers\\");
}

}  // namespace
}  // namespace stow
