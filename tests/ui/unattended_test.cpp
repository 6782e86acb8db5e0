// Unattended runs on the simulated Windows: the silent install leaves the machine as a clicked
// one does, shows nothing, and every outcome gives its exit code and its log lines, with and
// without the window.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

#include "engine/drivers.h"
#include "platform/sim/sim_windows.h"
#include "support/package_builder.h"
#include "support/fake_main_view.h"
#include "support/recording_message_boxes.h"
#include "support/temp_dir.h"
#include "ui/install_phases.h"
#include "ui/main_unit.h"
#include "ui/silent_view.h"

namespace stow {
namespace {

using sim::Profile;
using sim::SimWindows;

const std::string kTarget = "C:\\Program Files\\ZYLOR\\DAQ Suite\\";
const std::string kDrivers = "C:\\Program Files\\ZYLOR\\Common Drivers\\";

std::vector<test::PackageRecord> sampleRecords() {
    return {
        test::record(0x10, "ReadMe.txt", "read me", "C:\\src\\ReadMe.txt"),
        test::record(0x25, "zydaq.inf", "[Version]\r\n", "C:\\zydaq.inf"),
        test::record(0x02, "zydaq.dll", std::string(300, 'd'), "C:\\src\\zydaq.dll"),
        test::record(0x10, "Tools\\calib.exe", "calib", "C:\\src\\Tools\\calib.exe"),
    };
}

// A machine with the installer at C:\stowaway.exe, started with the given arguments.
struct Machine {
    Machine(Profile profile, const std::string& arguments,
            const std::vector<test::PackageRecord>& records = sampleRecords())
        : windows(profile, temp.path() / "machine") {
        windows.writeFile("C:\\stowaway.exe", std::string(4096, 'M') +
                                                  test::appendedPackage("ZYLOR", "DAQ Suite", records));
        windows.setCommandLine("\"C:\\stowaway.exe\" " + arguments);
        windows.setLocalTime(LocalTime{2026, 12, 10, 9, 30, 0});
    }

    // As the program runs /S: the controller on a view that shows nothing.
    int runSilent(uint32_t inf_wait_limit_ms = kSilentInfWaitLimitMs) {
        SilentView view;
        TableSystemLook look;
        TMainForm form(windows.platform(), view, boxes, phases, look, locator());
        form.setSilentInfWaitLimit(inf_wait_limit_ms);
        return form.runSilent();
    }

    // Creates the window; click: press Install, then Finish. Returns the exit code after the
    // window has closed.
    int runWindow(bool click) {
        test::FakeMainView view;
        TableSystemLook look;
        TMainForm form(windows.platform(), view, boxes, phases, look, locator());
        form.FormCreate();
        target_shown = view.texts[MainControl::PathPanel];
        if (click && !view.terminated) form.InstallButtonClick();
        form.FormCloseQuery();
        return form.exitCode();
    }

    // Every file on C: but the installer and the log, every value the installer writes.
    std::map<std::string, std::string> state() const {
        std::map<std::string, std::string> seen;
        for (const std::string& f : windows.listFiles("C:\\")) {
            if (f == "stowaway.exe" || f.find("setup.log") != std::string::npos) continue;
            if (!windows.isDirectory("C:\\" + f)) seen["C:\\" + f] = windows.readFile("C:\\" + f);
        }
        for (const std::string& key :
             {infKeyPath("ZYLOR"), std::string("Software\\ZYLOR\\Installed Packages"),
              std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZYLOR Data "
                          "Acquisition")}) {
            for (const auto& [name, data] : windows.registryValues(windows.processView(), key)) {
                seen["HKLM\\" + key + "\\" + name] = data;
            }
        }
        return seen;
    }

    std::string log(const std::string& path = "C:\\setup.log") const {
        return windows.exists(path) ? windows.readFile(path) : "";
    }

    const unsigned char* locator() const {
        return reinterpret_cast<const unsigned char*>(locator_bytes.data());
    }

    test::TempDir temp;
    SimWindows windows;
    test::RecordingMessageBoxes boxes;
    EnginePhases phases;
    std::string locator_bytes = test::le32(4096);
    std::string target_shown;
};

TEST(ExitCode, EachEndHasItsCode) {
    struct Case {
        RunEnd end;
        bool log_written;
        int code;
    };
    const Case cases[] = {
        {RunEnd::Complete, true, 0},
        {RunEnd::Complete, false, 5},
        {RunEnd::CompleteWithFailedCopies, true, 1},
        {RunEnd::CompleteWithFailedCopies, false, 1},
        {RunEnd::CommandLineRefused, true, 2},
        {RunEnd::NotInstalled, true, 4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(exitCodeFor(c.end, c.log_written), c.code) << static_cast<int>(c.end);
    }
}

TEST(SilentInstall, LeavesTheMachineAsAClickedInstallationOnEveryProfile) {
    for (Profile profile : {Profile::Win9x, Profile::Nt32, Profile::Nt64, Profile::NtNoSetupApi}) {
        SCOPED_TRACE(static_cast<int>(profile));
        Machine clicked(profile, "");
        ASSERT_EQ(clicked.runWindow(true), kExitComplete);
        Machine silent(profile, "/S");
        EXPECT_EQ(silent.runSilent(), kExitComplete);

        EXPECT_EQ(silent.state(), clicked.state());
        EXPECT_GE(silent.state().size(), 8u);  // files, links and values
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
        {"success", "", nullptr, kExitComplete,
         {"Loaded: ZYLOR DAQ Suite, 4 records", "File written: " + kTarget + "ReadMe.txt",
          "File written: " + flagged_inf, "INF preinstalled: " + flagged_inf + " -> oem0.inf",
          "Registry: HKLM\\Software\\ZYLOR\\INF [" + flagged_inf + "] = oem0.inf",
          "ZYLOR DAQ Suite\\ReadMe.txt.lnk -> " + kTarget + "ReadMe.txt",
          "] = DAQ Suite," + kTarget, "[DisplayName] = ZYLOR Software",
          "Installation complete!", "Exit code: 0"},
         true},
        {"target given by /D= with blanks, unquoted", "/D=C:\\My Apps\\DAQ", nullptr,
         kExitComplete, {"File written: C:\\My Apps\\DAQ\\ReadMe.txt"},
         false},
        {"target given by /D=, quoted", "\"/D=C:\\My Apps\\DAQ\"", nullptr, kExitComplete,
         {"File written: C:\\My Apps\\DAQ\\ReadMe.txt"}, false},
        {"target directory not creatable", "/D=C:\\Locked\\DAQ",
         [](Machine& m) { m.windows.faults().accessDenied = {"C:\\Locked"}; }, kExitErrorReport,
         {"Directory failed: C:\\Locked\\DAQ\\ (access denied)",
          "EFCreateError: Failed to create target directory.", "Exit code: 2"}, false},
        {"invalid placement code", "", [](Machine&) {}, kExitErrorReport,
         {"PackageError", "Exit code: 2"}, true},
        {"no package attached", "", [](Machine& m) { m.locator_bytes = kLocatorUnpatched; }, kExitLoadError,
         {"Load Error 00h: No package is attached. Please contact the factory for assistance.",
          "Exit code: 3"},
         false},
        {"empty /D=", "/D=", nullptr, kExitErrorReport,
         {"Command Line: /D= names no directory.", "Exit code: 2"}, false},
        // Why a file or directory failed, as each kind of Windows answers.
        {"full disk", "/D=C:\\Apps", [](Machine& m) { m.windows.faults().fullDisk = {"C:\\Apps"}; },
         kExitErrorReport, {"File failed: C:\\Apps\\ReadMe.txt (disk full)"}, false, 10000, true},
        {"failed copy: an unwritable file", "/D=C:\\Apps",
         [](Machine& m) { m.windows.faults().accessDenied = {"C:\\Apps\\ReadMe.txt"}; }, kExitFailedCopies,
         {"File failed: C:\\Apps\\ReadMe.txt (access denied), fallback copy: C:\\ReadMe.txt",
          "File written: C:\\Apps\\Tools\\calib.exe", "These files failed to copy", "Exit code: 1"},
         false, 10000, true},
        {"missing parent", "/D=Q:\\Apps", nullptr, kExitErrorReport,
         {"Directory failed: Q:\\Apps\\ (path not found)"}, false, 10000, true},
        {"a log that cannot be written leaves the installation", "",
         [](Machine& m) { m.windows.faults().accessDenied = {"C:\\setup.log"}; },
         kExitLogNotWritten, {}, true},
        {"the log is appended to", "",
         [](Machine& m) { m.windows.writeFile("C:\\setup.log", "earlier run\r\n"); },
         kExitComplete, {"earlier run\r\nStarted: "}, true},
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
        std::vector<test::PackageRecord> records = sampleRecords();
        if (row.name == "invalid placement code") {
            records.push_back(test::record(0x07, "bad.bin", "x", "C:\\bad.bin"));
        }
        Machine m(profile, "/S " + row.arguments + " /LOG=C:\\setup.log", records);
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
            EXPECT_EQ(m.target_shown, c.target_shown);
        }
        EXPECT_EQ(m.boxes.calls.size(), c.message_boxes);
        EXPECT_NE(m.log().find("Exit code: " + std::to_string(c.code)), std::string::npos)
            << m.log();
    }
}

}  // namespace
}  // namespace stow
