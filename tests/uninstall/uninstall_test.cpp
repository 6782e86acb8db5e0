// The uninstaller on the simulated machines: the sample installed and removed again leaves the
// files, both registry views and the links as they were, apart from what the report lists;
// then odd and damaged records, each removing nothing it should not and crashing nowhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "base/paths.h"
#include "platform/sim/sim_windows.h"
#include "support/machine_state.h"
#include "support/sample_install.h"
#include "support/sample_locations.h"
#include "support/temp_dir.h"
#include "uninstall/uninstall_session.h"

namespace stow {
namespace {

using sim::Profile;
using Sim = sim::SimWindows;

const std::string kExe = "C:\\WINDOWS\\ZYLORUninstall.exe";
using namespace test::sample;
const std::string kGroup =
    "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\ZYLOR DAQ Suite\\";

using State = test::MachineState;

// A machine with the sample installed, and what it held before.
class Uninstall : public ::testing::Test {
public:
    // A fresh machine each time: the rows of a table must not see each other's files.
    void SetUpMachine(Profile profile) {
        win_.reset();
        report_ = UninstallReport();
        problem_.clear();
        std::filesystem::remove_all(dir_.path() / "machine");
        win_ = std::make_unique<sim::SimWindows>(profile, dir_.path() / "machine");
        test::prepareSampleMachine(*win_);
        before_ = state();
        win_->setExecutablePath(kExe);
    }
    void install(const std::string& target = {}) {
        ASSERT_EQ(test::installSample(*win_, target).rfind("Installation complete!", 0), 0u);
    }
    State state() const { return test::machineState(*win_); }
    // Runs the uninstaller as /S does: every installation; returns the exit code.
    int uninstall() {
        UninstallSession session(win_->platform());
        problem_ = session.problem();
        if (!problem_.empty()) return kExitNothingDone;
        report_ = session.remove(std::vector<bool>(session.installations().size(), true), nullptr);
        return report_.exitCode();
    }
    bool reported(Outcome outcome, const std::string& what) const {
        const std::vector<std::string> items = report_.listed(outcome);
        return std::any_of(items.begin(), items.end(),
                           [&](const std::string& i) { return upperAscii(i) == upperAscii(what); });
    }
    // Every file added since the install began is in the report, none removed that was there.
    void expectLeftoversReported() const {
        const State after = state();
        const auto& items = report_.items();
        for (const auto& [file, bytes] : after.files) {
            const bool kept = std::any_of(items.begin(), items.end(), [&](const ReportItem& i) {
                return i.outcome != Outcome::Removed && upperAscii(i.what) == upperAscii(file);
            });
            EXPECT_TRUE(kept || before_.files.count(file)) << "left over, not in the report: "
                                                           << file << "\n" << report_.text();
        }
        for (const auto& [file, bytes] : before_.files) {
            EXPECT_TRUE(after.files.count(file)) << "removed, though it was there before: " << file;
        }
    }

    test::TempDir dir_;
    std::unique_ptr<sim::SimWindows> win_;
    State before_;
    UninstallReport report_;
    std::string problem_;
};

TEST_F(Uninstall, RoundTripRestoresTheMachineOnEveryProfile) {
    const struct {
        Profile profile;
        bool driversRecorded;  // the INF key names the driver copies
    } kCases[] = {
        {Profile::Nt32, true}, {Profile::Nt64, true},
        // Without preinstallation nothing records the driver copies: they stay, reported.
        {Profile::Win9x, false}, {Profile::NtNoSetupApi, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(static_cast<int>(c.profile));
        SetUpMachine(c.profile);
        install();
        ASSERT_TRUE(win_->exists(kExe));

        EXPECT_EQ(uninstall(), c.driversRecorded ? kExitDone : kExitIncomplete) << report_.text();
        expectLeftoversReported();
        EXPECT_EQ(state().native, before_.native);
        EXPECT_EQ(state().wow32, before_.wow32);
        EXPECT_TRUE(reported(Outcome::Removed, kExe));
        EXPECT_EQ(win_->exists(kDrivers + "zydaq.inf"), !c.driversRecorded);
        if (!c.driversRecorded) {
            EXPECT_TRUE(reported(Outcome::KeptUnknown, kDrivers + "zydaq.cat"));
        }
        EXPECT_FALSE(win_->exists(kTarget));
    }
}

TEST_F(Uninstall, OddAndDamagedRecords) {
    const struct {
        const char* name;
        Profile profile;
        std::function<void(Sim&)> damage;
        int exit;
        std::function<void(Uninstall&, Sim&)> check;
    } kCases[] = {
        {"file log missing", Profile::Nt32,
         [](Sim& w) { std::filesystem::remove(w.hostPath(kTarget + "FileLog.ini")); },
         kExitIncomplete,
         [](Uninstall& t, Sim& w) {
             EXPECT_TRUE(t.reported(Outcome::KeptUnknown, kTarget));
             EXPECT_TRUE(w.exists(kTarget + "Demo.exe"));
             EXPECT_TRUE(w.exists("C:\\WINDOWS\\system32\\zydaq.dll"));
             EXPECT_EQ(w.registryValues(w.processView(), kPackagesKey).size(), 1u);
             EXPECT_TRUE(w.registryKeyExists(w.processView(), kUninstallKey));
         }},
        {"file log cut inside a line", Profile::Nt32,
         [](Sim& w) {
             const std::string log = w.readFile(kTarget + "FileLog.ini");
             const size_t cut = log.find("DAQ Suite\\Demo") + 14;
             w.writeFile(kTarget + "FileLog.ini", log.substr(0, cut));
         },
         kExitIncomplete,
         [](Uninstall& t, Sim& w) {
             // Entries before the cut go; the cut one and everything after stays.
             EXPECT_FALSE(w.exists("C:\\WINDOWS\\zylor.ini"));
             EXPECT_TRUE(w.exists(kTarget + "Demo.exe"));
             EXPECT_GT(t.report_.count(Outcome::KeptUnknown), 0u);
         }},
        {"target directory gone", Profile::Nt32,
         [](Sim& w) { std::filesystem::remove_all(w.hostPath(kTarget)); }, kExitDone,
         [](Uninstall& t, Sim& w) {
             EXPECT_TRUE(w.registryValues(w.processView(), kPackagesKey).empty());
             EXPECT_TRUE(t.reported(Outcome::Removed, "HKLM\\" + kUninstallKey));
         }},
        {"value without a comma", Profile::Nt32,
         [](Sim& w) {
             w.platform().registry.openOrCreate(kPackagesKey, kKeyAllAccess)->setString("x", "junk");
         },
         kExitIncomplete,
         [](Uninstall& t, Sim& w) {
             EXPECT_TRUE(t.reported(Outcome::KeptUnknown, "HKLM\\" + kPackagesKey + "\\x"));
             EXPECT_FALSE(w.exists(kTarget + "Demo.exe"));
             EXPECT_EQ(w.registryValues(w.processView(), kPackagesKey).size(), 1u);
         }},
        {"entries longer than MAX_PATH, outside, or climbing out", Profile::Nt32,
         [](Sim& w) {
             w.writeFile("C:\\Keep\\me.txt", "x");
             std::string log = w.readFile(kTarget + "FileLog.ini");
             const std::string extra = "C:\\a=C:\\" + std::string(300, 'a') + ",1\r\n"
                                       "C:\\b=C:\\Keep\\me.txt,1\r\n"
                                       "C:\\c=" + kTarget + "..\\..\\..\\Keep\\me.txt,1\r\n";
             log.insert(log.find("\r\n") + 2, extra);
             w.writeFile(kTarget + "FileLog.ini", log);
         },
         kExitIncomplete,
         [](Uninstall& t, Sim& w) {
             EXPECT_TRUE(w.exists("C:\\Keep\\me.txt"));
             EXPECT_TRUE(t.reported(Outcome::KeptUnknown, "C:\\Keep\\me.txt"));
             EXPECT_FALSE(w.exists(kTarget + "Demo.exe"));
         }},
        {"read-only file", Profile::Nt32,
         [](Sim& w) { w.setAttributes(kTarget + "ReadMe.txt", kAttrReadOnly); }, kExitDone,
         [](Uninstall&, Sim& w) { EXPECT_FALSE(w.exists(kTarget + "ReadMe.txt")); }},
        {"a key it may not delete", Profile::Nt32,
         [](Sim& w) { w.faults().registryUndeletable.push_back(kPackagesKey); }, kExitIncomplete,
         [](Uninstall& t, Sim& w) {
             EXPECT_EQ(t.report_.count(Outcome::Failed), 1u) << t.report_.text();
             // Still registered, so the uninstall entry and the uninstaller stay for a retry.
             EXPECT_TRUE(w.registryKeyExists(w.processView(), kUninstallKey));
             EXPECT_TRUE(w.exists(kExe));
         }},
        {"INF records that lead elsewhere", Profile::Nt32,
         [](Sim& w) {
             w.writeFile("C:\\WINDOWS\\system32\\evil.inf", "CatalogFile=..\\..\\boot.ini\r\n");
             w.writeFile("C:\\WINDOWS\\INF\\oem9.inf", "x");
             w.writeFile("C:\\WINDOWS\\system32\\kernel.dll", "x");
             auto key = w.platform().registry.openOrCreate("Software\\ZYLOR\\INF", kKeyAllAccess);
             key->setString("C:\\WINDOWS\\system32\\evil.inf", "oem9.inf");
             key->setString(kDrivers + "other.inf", "..\\system32\\kernel.dll");
         },
         kExitIncomplete,
         [](Uninstall& t, Sim& w) {
             for (const char* kept : {"C:\\WINDOWS\\system32\\evil.inf", "C:\\WINDOWS\\INF\\oem9.inf",
                                      "C:\\WINDOWS\\system32\\kernel.dll"}) {
                 EXPECT_TRUE(w.exists(kept)) << kept;
             }
             EXPECT_TRUE(t.reported(Outcome::KeptUnknown,
                                    "HKLM\\Software\\ZYLOR\\INF\\C:\\WINDOWS\\system32\\evil.inf"));
             EXPECT_FALSE(w.exists(kDrivers + "zydaq.inf"));
         }},
        {"an uninstall link instead of the uninstall key", Profile::Nt32,
         [](Sim& w) {
             w.platform().registry.deleteTree(kUninstallKey);
             w.writeFile(kGroup + "Uninstall ZYLOR Software.lnk", "link");
         },
         kExitDone,
         [](Uninstall&, Sim& w) {
             EXPECT_FALSE(w.exists(kGroup));
             EXPECT_FALSE(w.exists(kExe));  // its log lists it
         }},
        {"registry read-only", Profile::Nt32,
         [](Sim& w) { w.faults().registryReadOnly = true; }, kExitNothingDone,
         [](Uninstall& t, Sim& w) {
             EXPECT_NE(t.problem_.find("may not be changed"), std::string::npos);
             EXPECT_TRUE(w.exists(kTarget + "Demo.exe"));
         }},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        SetUpMachine(c.profile);
        install();
        c.damage(*win_);
        EXPECT_EQ(uninstall(), c.exit) << report_.text();
        c.check(*this, *win_);
    }
}

TEST_F(Uninstall, NothingToDoTouchesNothing) {
    const struct {
        std::string program;
        bool installed;
        const char* problem;
    } kCases[] = {
        {kExe, false, "No ZYLOR software is installed."},
        {"C:\\WINDOWS\\setup.exe", true, "must be named <vendor>Uninstall.exe"},
        {"C:\\WINDOWS\\AcmeUninstall.exe", true, "No Acme software is installed."},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.program);
        SetUpMachine(Profile::Nt32);
        if (c.installed) install();
        const State installed = state();
        win_->setExecutablePath(c.program);
        EXPECT_EQ(uninstall(), kExitNothingDone);
        EXPECT_NE(problem_.find(c.problem), std::string::npos) << problem_;
        EXPECT_EQ(state().files, installed.files);
    }
}

}  // namespace
}  // namespace stow
