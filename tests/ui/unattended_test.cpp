// Unattended runs on the simulated Windows: the silent install leaves the machine as a clicked
// one does, shows nothing, and every outcome gives its exit code and its log lines, with and
// without the window.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engine/drivers.h"
#include "support/installer_machine.h"
#include "support/machine_state.h"
#include "support/sample_locations.h"
#include "ui/silent_view.h"

namespace stow {
namespace {

using sim::Profile;

using namespace test::sample;

std::vector<test::PackageRecord> sampleRecords() {
    return {
        test::record(0x10, "ReadMe.txt", "read me", "C:\\src\\ReadMe.txt"),
        test::record(0x25, "zydaq.inf", "[Version]\r\n", "C:\\zydaq.inf"),
        test::record(0x02, "zydaq.dll", std::string(300, 'd'), "C:\\src\\zydaq.dll"),
        test::record(0x10, "Tools\\calib.exe", "calib", "C:\\src\\Tools\\calib.exe"),
    };
}

struct Machine : test::InstallerMachine {
    Machine(Profile profile, const std::string& arguments)
        : InstallerMachine(profile, sampleRecords()) {
        windows.setCommandLine("\"C:\\stowaway.exe\" " + arguments);
        windows.setLocalTime(LocalTime{2026, 12, 10, 9, 30, 0});
    }

    // As the program runs /S: the controller on a view that shows nothing.
    int runSilent(uint32_t inf_wait_limit_ms = kSilentInfWaitLimitMs) {
        SilentView silent;
        TMainForm form(windows.platform(), silent, boxes, phases, look, locator());
        form.setSilentInfWaitLimit(inf_wait_limit_ms);
        return form.runSilent();
    }

    // Creates the window; click: press Install, then Finish. Returns the exit code after the
    // window has closed.
    int runWindow(bool click) {
        TMainForm& form = create(phases);
        if (click && !view.terminated) form.InstallButtonClick();
        form.FormCloseQuery();
        return form.exitCode();
    }

    std::string log(const std::string& path = "C:\\setup.log") const {
        return windows.exists(path) ? windows.readFile(path) : "";
    }

    EnginePhases phases;
};

TEST(SilentInstall, LeavesTheMachineAsAClickedInstallationOnEveryProfile) {
    for (Profile profile : {Profile::Win9x, Profile::Nt32, Profile::Nt64, Profile::NtNoSetupApi}) {
        SCOPED_TRACE(static_cast<int>(profile));
        Machine clicked(profile, "");
        ASSERT_EQ(clicked.runWindow(true), kExitComplete);
        Machine silent(profile, "/S");
        EXPECT_EQ(silent.runSilent(), kExitComplete);

        const test::MachineState a = test::machineState(silent.windows);
        const test::MachineState b = test::machineState(clicked.windows);
        EXPECT_EQ(a.files, b.files);
        EXPECT_EQ(a.native, b.native);
        EXPECT_EQ(a.wow32, b.wow32);
        EXPECT_GE(a.files.size(), 8u);
        EXPECT_TRUE(silent.boxes.calls.empty());
    }
}

struct OutcomeRow {
    std::string name;
    std::string arguments;  // behind the program's name; /LOG=C:\setup.log is added
    std::function<void(Machine&)> prepare;
    int code;
    std::vector<std::string> logged;  // lines the log holds
    bool installed;                   // ReadMe.txt reached its destination
    uint32_t inf_wait_limit_ms = 10000;
    bool every_profile = false;  // each kind of Windows gives the same outcome and lines
};

std::vector<OutcomeRow> outcomeRows() {
    const std::string flagged_inf = kDrivers + "zydaq.inf";
    return {
        // The log is appended to. Its lines for files, INFs and links are the Wine silent
        // scenario's.
        {"success", "",
         [](Machine& m) { m.windows.writeFile("C:\\setup.log", "earlier run\r\n"); },
         kExitComplete,
         {"earlier run\r\nStarted: ", "] = DAQ Suite," + kTarget,
          "[DisplayName] = ZYLOR Software", "Exit code: 0"},
         true},
        // A lost log leaves every code but a complete run's 0 as it is.
        {"failed copy, log not writable", "",
         [](Machine& m) {
             m.windows.faults().accessDenied = {"C:\\WINDOWS\\system32\\zydaq.dll",
                                                "C:\\setup.log"};
         },
         kExitFailedCopies, {}, true},
        {"no package attached, log not writable", "",
         [](Machine& m) {
             m.locator_bytes = kLocatorUnpatched;
             m.windows.faults().accessDenied = {"C:\\setup.log"};
         },
         kExitLoadError, {}, false},
        // Why a file or directory failed, as each kind of Windows answers.
        {"full disk", "/D=C:\\Apps", [](Machine& m) { m.windows.faults().fullDisk = {"C:\\Apps"}; },
         kExitErrorReport, {"File failed: C:\\Apps\\ReadMe.txt (disk full)"}, false, 10000, true},
        {"failed copy: an unwritable file", "/D=C:\\Apps",
         [](Machine& m) { m.windows.faults().accessDenied = {"C:\\Apps\\ReadMe.txt"}; },
         kExitFailedCopies,
         {"File failed: C:\\Apps\\ReadMe.txt (access denied), fallback copy: C:\\ReadMe.txt",
          "File written: C:\\Apps\\Tools\\calib.exe", "These files failed to copy", "Exit code: 1"},
         false, 10000, true},
        {"missing parent", "/D=Q:\\Apps", nullptr, kExitErrorReport,
         {"Directory failed: Q:\\Apps\\ (path not found)"}, false, 10000, true},
        {"switch given twice", "/LOG=C:\\other.log", nullptr, kExitErrorReport,
         {"Command Line: /LOG= is given twice."}, false},
        {"setup service never answers", "",
         [](Machine& m) {
             m.windows.faults().setup = sim::SetupMode::Slow;
             m.windows.faults().setupDelay = std::chrono::milliseconds(1000);
         },
         kExitComplete,
         {"INF rejected: " + flagged_inf + " (the setup service did not answer in time)",
          "Exit code: 0"},
         true, 100},
    };
}

TEST(SilentInstall, EachOutcomeGivesItsExitCodeAndLog) {
    for (const OutcomeRow& row : outcomeRows())
    for (Profile profile : {Profile::Nt32, Profile::Win9x, Profile::Nt64, Profile::NtNoSetupApi}) {
        if (profile != Profile::Nt32 && !row.every_profile) continue;
        SCOPED_TRACE(row.name + " on profile " + std::to_string(static_cast<int>(profile)));
        Machine m(profile, "/S " + row.arguments + " /LOG=C:\\setup.log");
        if (row.prepare) row.prepare(m);
        EXPECT_EQ(m.runSilent(row.inf_wait_limit_ms), row.code);
        const std::string log = m.log();
        for (const std::string& line : row.logged) {
            EXPECT_NE(log.find(line), std::string::npos) << line << "\nin:\n" << log;
        }
        EXPECT_EQ(m.windows.exists(kTarget + "ReadMe.txt"), row.installed);
        EXPECT_TRUE(m.boxes.calls.empty());
        // A worker left behind after its time ran out still uses the machine; let it end.
        if (row.name == "setup service never answers") {
            EXPECT_FALSE(m.windows.registryValue(m.windows.processView(), infKeyPath("ZYLOR"),
                                                 kDrivers + "zydaq.inf"));
            std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        }
    }
}

TEST(WindowRun, ExitCodesAndSwitchesWithTheWindow) {
    struct Case {
        std::string name;
        std::string arguments;
        bool click;
        bool no_package;
        int code;
        std::string target_shown;
        size_t message_boxes;
    };
    const Case cases[] = {
        {"installed", "", true, false, kExitComplete, kTarget.substr(0, kTarget.size() - 1), 0},
        {"closed without installing", "", false, false, kExitNotInstalled, "", 0},
        {"load error", "", false, true, kExitLoadError, "", 1},
        {"/D= names the target", "/D=C:\\My Apps\\DAQ", false, false, kExitNotInstalled,
         "C:\\My Apps\\DAQ", 0},
        {"command line refused", "/D=", false, false, kExitErrorReport, "", 1},
        {"unknown switch is the target", "/X", false, false, kExitNotInstalled, "/X", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Machine m(Profile::Nt32, c.arguments + " /LOG=C:\\setup.log");
        if (c.no_package) m.locator_bytes = kLocatorUnpatched;
        EXPECT_EQ(m.runWindow(c.click), c.code);
        if (!c.target_shown.empty()) {
            EXPECT_EQ(m.view.texts[MainControl::PathPanel], c.target_shown);
        }
        EXPECT_EQ(m.boxes.calls.size(), c.message_boxes);
        EXPECT_NE(m.log().find("Exit code: " + std::to_string(c.code)), std::string::npos)
            << m.log();
    }
}

}  // namespace
}  // namespace stow
