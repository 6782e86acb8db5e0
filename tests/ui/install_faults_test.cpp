// The whole install command, started from the main window's controller with the real phases,
// on a simulated machine with one fault at a time, one row each. Each row checks what
// the user is told (the completion report with its failed-copy list, or the error report), that
// nothing that failed is shown as done, that files placed before the fault are intact, and what
// the registry holds. The phases' own tests cover each fault in its phase: a fault that stays
// inside one phase (a drivers directory, a rejected INF, no setup service, a link that cannot be
// saved) is theirs.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "support/installer_machine.h"
#include "support/sample_locations.h"

namespace stow {
namespace {

using sim::ComStep;
using sim::Profile;
using sim::SetupMode;
using sim::SimWindows;
using test::FakeMainView;

constexpr char kComplete[] = "Installation complete!";
constexpr char kErrorReport[] = "An unexpected error occurred. Details are as follows:\r\n";

// Default directories on the 32-bit NT machine and the package's files, in package order.
using namespace test::sample;
const std::string kSystem = "C:\\WINDOWS\\system32\\";
const std::string kSystem9x = "C:\\WINDOWS\\SYSTEM\\";
const std::string kInfKey = "Software\\ZYLOR\\INF";

struct PackageFile {
    unsigned char placement;
    std::string path;
    std::string content;
    std::string source;
    std::string destination;  // where it lands
};

// DLLPath is the only location that differs between the machines used here.
std::vector<PackageFile> packageFiles(Profile profile = Profile::Nt32) {
    const std::string& system_dir = profile == Profile::Win9x ? kSystem9x : kSystem;
    return {
        {0x10, "ReadMe.txt", std::string(300, 'r'), "C:\\src\\ReadMe.txt", kTarget + "ReadMe.txt"},
        // Flagged INF: on NT with the setup service only its copy under the drivers directory.
        {0x25, "zydaq.inf", "[Version]\r\nCatalogFile=zydaq.cat\r\n", "C:\\zydaq.inf",
         kDrivers + "zydaq.inf"},
        {0x02, "zydaq.dll", std::string(2000, 'd'), "C:\\src\\zydaq.dll", system_dir + "zydaq.dll"},
        {0x10, "Tools\\Big.bin", std::string(6000, 'b'), "C:\\src\\Tools\\Big.bin",
         kTarget + "Tools\\Big.bin"},
        // Code 18: DLLPath, its folders created; one that cannot be made fails only this file.
        {0x12, "ZYLOR\\helper.dll", std::string(500, 'h'), "C:\\src\\helper.dll",
         system_dir + "ZYLOR\\helper.dll"},
        {0x10, "Last.txt", std::string(100, 'l'), "C:\\src\\Last.txt", kTarget + "Last.txt"},
    };
}

struct Row {
    std::string fault;
    Profile profile;
    std::function<void(SimWindows&)> inject;
    std::string error;                  // a part of the error report; "" for the completion one
    std::vector<std::string> failed;    // the failed-copy list, in order (completion report only)
    std::vector<std::string> intact;    // destinations that must hold their whole content
    bool fileLogWritten;
    bool registered;                    // installed-packages and uninstall values written
    bool infRecorded;                   // the INF key holds the preinstalled INF
    std::function<void(SimWindows&, FakeMainView&)> extra = nullptr;
};

void runFault(const Row& row) {
    std::vector<test::PackageRecord> records;
    for (const PackageFile& f : packageFiles(row.profile)) {
        records.push_back(test::record(f.placement, f.path, f.content, f.source));
    }
    test::InstallerMachine m(row.profile, records);
    SimWindows& machine = m.windows;
    FakeMainView& view = m.view;
    EnginePhases phases;
    m.create(phases);
    ASSERT_FALSE(view.terminated);
    if (row.inject) row.inject(machine);
    m.form->InstallButtonClick();

    const std::string heading = view.texts[MainControl::HeadLabel];
    SCOPED_TRACE(heading);
    EXPECT_TRUE(view.visible(MainControl::OKButton));
    if (row.error.empty()) {
        ASSERT_EQ(heading.rfind(kComplete, 0), 0u);
        std::string listed;
        for (const std::string& f : row.failed) listed += "\r\n" + f;
        const size_t list_at = heading.find(":\r\n");
        EXPECT_EQ(list_at == std::string::npos ? "" : heading.substr(list_at + 1), listed);
    } else {
        ASSERT_EQ(heading.rfind(kErrorReport, 0), 0u);
        EXPECT_NE(heading.find(row.error), std::string::npos);
    }

    // Nothing that failed is shown as done: a file of the package that is not whole where
    // it belongs is in the failed-copy list, or the install ended in the error report. No
    // file is left cut short.
    const std::set<std::string> failed(row.failed.begin(), row.failed.end());
    const std::set<std::string> intact(row.intact.begin(), row.intact.end());
    for (const PackageFile& f : packageFiles(row.profile)) {
        if (!machine.exists(f.destination)) {
            EXPECT_FALSE(intact.count(f.destination)) << f.destination << " is missing";
            if (row.error.empty()) {
                EXPECT_TRUE(failed.count(f.destination)) << f.path;
            }
            continue;
        }
        const std::string content = machine.readFile(f.destination);
        const bool whole =
            content == f.content || (f.placement == 0x25 && !content.empty());
        EXPECT_TRUE(whole || content.empty()) << f.destination << " is cut short";
        if (!whole && row.error.empty()) {
            EXPECT_TRUE(failed.count(f.destination)) << f.destination;
        }
        if (intact.count(f.destination)) {
            EXPECT_EQ(content, f.content) << f.destination;
        }
    }

    // A log that could not be written is absent or empty, never cut short.
    const bool log_written =
        machine.exists(kTarget + "FileLog.ini") && !machine.readFile(kTarget + "FileLog.ini").empty();
    EXPECT_EQ(log_written, row.fileLogWritten);
    const sim::RegistryView view32 = machine.processView();
    EXPECT_EQ(machine.registryValue(view32, kUninstallKey, "UninstallString").has_value(),
              row.registered);
    EXPECT_EQ(!machine.registryValues(view32, kPackagesKey).empty(), row.registered);
    EXPECT_EQ(!machine.registryValues(view32, kInfKey).empty(), row.infRecorded);
    if (row.extra) row.extra(machine, view);
}

// A shell link anywhere on drive C: whose path contains part.
bool hasLink(SimWindows& machine, const std::string& part) {
    for (const std::string& f : machine.listFiles("C:\\")) {
        if (f.find(part) != std::string::npos && machine.link("C:\\" + f)) return true;
    }
    return false;
}

std::vector<Row> faults() {
    std::vector<std::string> all_placed;
    for (const PackageFile& f : packageFiles()) all_placed.push_back(f.destination);

    return {
        {"no fault", Profile::Nt32, nullptr, "", {}, all_placed, true, true, true,
         [](SimWindows& m, FakeMainView&) {
             for (const char* name : {"ReadMe.txt", "Tools", "Last.txt"}) {
                 EXPECT_TRUE(hasLink(m, std::string("ZYLOR DAQ Suite\\") + name + ".lnk")) << name;
             }
         }},
        // Room for every file, the INF's copy in the INF folder and the three links (about 370
        // bytes), but for only part of the file log (about 450 bytes).
        {"disk full in the middle of the file log", Profile::Nt32,
         [](SimWindows& m) {
             int64_t all = 0;
             for (const PackageFile& f : packageFiles())
                 all += static_cast<int64_t>(f.content.size());
             const int64_t inf_copy = static_cast<int64_t>(packageFiles()[1].content.size());
             m.faults().diskFreeBytes = all + inf_copy + 370 + 200;
         },
         "EFCreateError: Cannot create file " + kTarget + "FileLog.ini", {},
         all_placed, false, false, true,
         [](SimWindows& m, FakeMainView&) {
             EXPECT_TRUE(hasLink(m, "ZYLOR DAQ Suite\\Last.txt.lnk"));
         }},
        {"a target subfolder not creatable", Profile::Nt32,
         [](SimWindows& m) { m.faults().accessDenied.push_back(kTarget + "Tools"); },
         "EFCreateError: Failed to create directory \"" + kTarget + "Tools\\\".", {},
         {kTarget + "ReadMe.txt", kSystem + "zydaq.dll"}, false, false, false},
        // Outside the target a folder that cannot be made only fails its file.
        {"a system subfolder not creatable", Profile::Nt32,
         [](SimWindows& m) { m.faults().accessDenied.push_back(kSystem + "ZYLOR"); },
         "", {kSystem + "ZYLOR\\helper.dll"},
         {kTarget + "ReadMe.txt", kSystem + "zydaq.dll", kTarget + "Tools\\Big.bin",
          kTarget + "Last.txt"},
         true, true, true,
         [](SimWindows& m, FakeMainView&) {
             EXPECT_EQ(m.readFile("C:\\helper.dll"), std::string(500, 'h'));
         }},
        // The INF is preinstalled, then its record under the INF key cannot be written.
        {"HKLM not writable", Profile::Nt32,
         [](SimWindows& m) { m.faults().registryReadOnly = true; },
         "ERegistryException: Failed to set data for '" + kDrivers + "zydaq.inf'", {},
         all_placed, false, false, false},
        // Without driver preinstallation nothing stops: the vendor keys are skipped and the
        // uninstall entry becomes a Start-menu link.
        {"HKLM not writable, Windows 9x", Profile::Win9x,
         [](SimWindows& m) { m.faults().registryReadOnly = true; }, "", {},
         {}, true, false, false,
         [](SimWindows& m, FakeMainView&) { EXPECT_TRUE(hasLink(m, "Uninstall ZYLOR Software")); }},
        // A slow service: the window keeps pumping messages while the worker waits.
        {"setup service slow", Profile::Nt32,
         [](SimWindows& m) {
             m.faults().setup = SetupMode::Slow;
             m.faults().setupDelay = std::chrono::milliseconds(150);
         },
         "", {}, all_placed, true, true, true,
         [](SimWindows&, FakeMainView& v) { EXPECT_GT(v.pumps, 20); }},
        // COM failing ends the link phase quietly (at whichever step: the link phase's own
        // tests take each); registration still runs.
        {"COM failing", Profile::Nt32,
         [](SimWindows& m) { m.faults().comFailsAt = ComStep::CoCreateInstance; },
         "", {}, all_placed, true, true, true,
         [](SimWindows& m, FakeMainView&) { EXPECT_FALSE(hasLink(m, ".lnk")); }},
    };
}

TEST(InstallFaults, EachIsReportedAndLeavesEarlierFilesIntact) {
    for (const Row& row : faults()) {
        SCOPED_TRACE(row.fault);
        runFault(row);
    }
}

}  // namespace
}  // namespace stow
