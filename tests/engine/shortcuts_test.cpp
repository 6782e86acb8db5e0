// Start-menu links: the COM sequence and its error texts, the group and fallback folders, the
// sub-groups, and whole link phases on a simulated machine.
#include "engine/shortcuts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/paths.h"
#include "platform/sim/sim_windows.h"
#include "support/install_fixture.h"
#include "support/temp_dir.h"
#include "support/thrown.h"

namespace stow {
namespace {

// A shell whose steps answer from a script and which records the calls in order.
class RecordingShell : public ShellLinks {
public:
    std::vector<std::string> calls;
    std::string failAt;  // the call that answers failure
    HResult failure = static_cast<HResult>(0x80004005u);
    HResult initResult = kSOk;
    std::string text;  // errorText's answer

    HResult answer(const std::string& call) {
        calls.push_back(call);
        return call == failAt ? failure : kSOk;
    }
    HResult coInitialize() override {
        calls.push_back("CoInitialize");
        return failAt == "CoInitialize" ? failure : initResult;
    }
    void coUninitialize() override { calls.push_back("CoUninitialize"); }
    HResult createShellLink(std::unique_ptr<ShellLinkObject>& link) override {
        struct Link : ShellLinkObject {
            RecordingShell& shell;
            explicit Link(RecordingShell& s) : shell(s) {}
            ~Link() override { shell.calls.push_back("Release"); }
            HResult queryPersistFile() override { return shell.answer("QueryInterface"); }
            HResult setDescription(const std::string& t) override {
                return shell.answer("SetDescription " + t);
            }
            HResult setPath(const std::string& t) override { return shell.answer("SetPath " + t); }
            HResult setWorkingDirectory(const std::string& d) override {
                return shell.answer("SetWorkingDirectory " + d);
            }
            HResult save(const std::u16string& p) override {
                return shell.answer("Save " + std::string(p.begin(), p.end()));
            }
        };
        HResult hr = answer("CoCreateInstance");
        if (hr >= 0) link = std::make_unique<Link>(*this);
        return hr;
    }
    std::string errorText(HResult) override { return text; }
};

// Only the system's text conversion matters to link creation.
class CreateShellLink : public ::testing::Test {
protected:
    test::TempDir dir;
    sim::SimWindows win{sim::Profile::Nt32, dir.path() / "machine"};
    System& system = win.platform().system;
};

// An already initialised thread (S_FALSE) counts as success and is balanced all the same.
TEST_F(CreateShellLink, CallsEachStepInOrderInsideOneCoInitialize) {
    for (HResult init : {kSOk, kSFalse}) {
        RecordingShell shell;
        shell.initResult = init;
        createShellLink(shell, system, "C:\\Acme\\Demo.exe", "C:\\Menu\\Demo.lnk");
        EXPECT_EQ(shell.calls, (std::vector<std::string>{
                                   "CoInitialize", "CoCreateInstance", "QueryInterface",
                                   "SetDescription ", "SetPath C:\\Acme\\Demo.exe",
                                   "SetWorkingDirectory C:\\Acme\\", "Save C:\\Menu\\Demo.lnk",
                                   "Release", "CoUninitialize"}));
    }
}

TEST_F(CreateShellLink, EveryFailingStepRaisesAndLeavesComBalanced) {
    const std::vector<std::string> steps = {"CoCreateInstance", "QueryInterface",
                                            "SetDescription ", "SetPath C:\\a.txt",
                                            "SetWorkingDirectory C:\\", "Save C:\\a.lnk"};
    for (const std::string& step : steps) {
        RecordingShell shell;
        shell.failAt = step;
        EXPECT_EQ(test::thrown([&] { createShellLink(shell, system, "C:\\a.txt", "C:\\a.lnk"); }),
                  "EOleSysError: OLE error 80004005")
            << step;
        EXPECT_EQ(shell.calls.back(), "CoUninitialize") << step;
        EXPECT_EQ(std::count(shell.calls.begin(), shell.calls.end(), step), 1) << step;
        // Nothing after the failing step runs.
        auto failed = std::find(shell.calls.begin(), shell.calls.end(), step);
        for (auto it = failed + 1; it != shell.calls.end(); ++it) {
            EXPECT_TRUE(*it == "Release" || *it == "CoUninitialize") << step << " then " << *it;
        }
    }
}

TEST_F(CreateShellLink, FailedCoInitializeIsNotUninitialised) {
    RecordingShell shell;
    shell.failAt = "CoInitialize";
    shell.failure = static_cast<HResult>(0x8001010Eu);
    EXPECT_THROW(createShellLink(shell, system, "C:\\a.txt", "C:\\a.lnk"), EOleSysError);
    EXPECT_EQ(shell.calls, std::vector<std::string>{"CoInitialize"});
}

// 260 characters: one more than the save buffer holds (259 fit: see the link phase below).
TEST_F(CreateShellLink, PathBeyondTheSaveBufferFailsBeforeSaving) {
    RecordingShell shell;
    const std::string lnk = "C:\\Menu\\" + std::string(260 - 8 - 4, 'n') + ".lnk";
    EXPECT_EQ(test::thrown([&] { createShellLink(shell, system, "C:\\a.txt", lnk); }),
              "EOleSysError: OLE error 800700ce");
    for (const std::string& call : shell.calls) EXPECT_NE(call.rfind("Save", 0), 0u) << call;
    EXPECT_EQ(shell.calls.back(), "CoUninitialize");
}

TEST(OleError, UsesTheSystemTextOrTheCodeInHex) {
    RecordingShell shell;
    shell.text = "Unspecified error\r\n";
    EXPECT_EQ(oleError(shell, static_cast<HResult>(0x80004005u)).describe(),
              "EOleSysError: Unspecified error");
    shell.text = "";
    EXPECT_EQ(oleError(shell, static_cast<HResult>(0x8004D00Au)).message(),
              "OLE error 8004d00a");
    EXPECT_EQ(oleError(shell, 5).message(), "OLE error 00000005");
}

// --- link phases on a simulated machine ---

class LinkPhase : public test::InstallJobTest {
protected:
    void run() {
        InstallJob job = makeJob();
        runLinkPhase(job);
    }
    void put(const std::string& relative) { win.writeFile("C:\\Acme\\" + relative, "x"); }
    std::string group() const { return std::string(kPrograms) + "Acme DAQ\\"; }
    // Every link under the programs folder, relative to it, sorted.
    std::vector<std::string> links() const {
        std::vector<std::string> all;
        if (!win.exists(kPrograms)) return all;
        for (const std::string& f : win.listFiles(kPrograms)) {
            if (f.size() > 4 && upperAscii(f.substr(f.size() - 4)) == ".LNK") all.push_back(f);
        }
        std::sort(all.begin(), all.end());
        return all;
    }
};

TEST_F(LinkPhase, LinksWhatTheRulesSelectWithTargetAndWorkingDirectory) {
    for (const char* f : {"Manual.pdf", "Setup.exe", "Demo.exe", "ReadMe.txt", "weblink.html",
                          "Index.htm", "README", "FileLog.ini", "_setup.exe", ".profile",
                          "_tools\\t.exe", "Docs\\a.txt", "dos\\demo.exe", "dos\\_raw.c",
                          "dos\\sub\\x.c", "dos\\secret.txt", "Win32\\app.exe",
                          "win16\\old.exe"}) {
        put(f);
    }
    win.setAttributes("C:\\Acme\\dos\\secret.txt", kAttrHidden);
    run();

    EXPECT_EQ(links(), (std::vector<std::string>{
                           "Acme DAQ\\Acme Web Site.lnk",
                           "Acme DAQ\\DOS Samples\\_raw.c.lnk",
                           "Acme DAQ\\DOS Samples\\demo.exe.lnk",
                           "Acme DAQ\\DOS Samples\\sub.lnk",
                           "Acme DAQ\\Demo.lnk",
                           "Acme DAQ\\Docs.lnk",
                           "Acme DAQ\\Index.htm.lnk",
                           "Acme DAQ\\Manual Manual (.PDF).lnk",
                           "Acme DAQ\\ReadMe.txt.lnk",
                           "Acme DAQ\\Settings.lnk",
                           "Acme DAQ\\Windows 16bit Samples\\old.exe.lnk",
                           "Acme DAQ\\Windows Samples\\app.exe.lnk",
                           "Acme DAQ\\_tools.lnk",
                       }));

    struct Expect {
        const char* link;
        const char* target;
        const char* workdir;
    };
    for (const Expect& e : std::vector<Expect>{
             {"Manual Manual (.PDF).lnk", "C:\\Acme\\Manual.pdf", "C:\\Acme\\"},
             {"Acme Web Site.lnk", "C:\\Acme\\weblink.html", "C:\\Acme\\"},
             {"_tools.lnk", "C:\\Acme\\_tools", "C:\\Acme\\"},
             {"DOS Samples\\sub.lnk", "C:\\Acme\\dos\\sub", "C:\\Acme\\dos\\"},
             {"DOS Samples\\demo.exe.lnk", "C:\\Acme\\dos\\demo.exe", "C:\\Acme\\dos\\"},
         }) {
        auto link = win.link(group() + e.link);
        ASSERT_TRUE(link) << e.link;
        EXPECT_EQ(link->target, e.target);
        EXPECT_EQ(link->workingDirectory, e.workdir);
        EXPECT_EQ(link->description, "");
    }
}

// A missing or empty target directory, and a programs folder that cannot be written.
TEST_F(LinkPhase, NothingToLinkOrNowhereToPutItEndsThePhaseSilently) {
    run();
    EXPECT_TRUE(links().empty());
    win.makeDirectories("C:\\Acme");
    run();
    EXPECT_TRUE(links().empty());
    put("ReadMe.txt");
    win.faults().accessDenied.push_back(kPrograms);
    EXPECT_NO_THROW(run());
    EXPECT_TRUE(links().empty());
}

// A vendor's "/" becomes "-" in the web link's name.
TEST_F(LinkPhase, AGroupFolderThatCannotBeMadeFallsBackToTheFixedFolder) {
    package.vendorName = "A/B";
    package.packageName = "DAQ|2";
    package.startMenuGroup = "Acme DAQ|2";
    put("ReadMe.txt");
    put("dos\\demo.exe");
    put("weblink.html");
    run();
    EXPECT_EQ(links(), (std::vector<std::string>{"RozeDi\\A-B Web Site.lnk",
                                                 "RozeDi\\ReadMe.txt.lnk",
                                                 "RozeDi\\demo.exe.lnk"}));
    EXPECT_EQ(win.link(std::string(kPrograms) + "RozeDi\\ReadMe.txt.lnk")->target,
              "C:\\Acme\\ReadMe.txt");
}

TEST_F(LinkPhase, AFailureInsideASubGroupRestoresTheGroupAndStopsTheScan) {
    put("dos\\a.exe");
    put("dos\\b.exe");
    put("dos\\c.exe");
    win.faults().comFailsAt = sim::ComStep::Save;
    win.faults().comLinksBeforeFailure = 1;
    EXPECT_NO_THROW(run());
    EXPECT_EQ(package.startMenuGroup, "Acme DAQ");
    ASSERT_EQ(links().size(), 1u);
    EXPECT_EQ(links().front().rfind("Acme DAQ\\DOS Samples\\", 0), 0u);
}

TEST_F(LinkPhase, EveryComStepFailureEndsThePhaseWithoutLinks) {
    for (sim::ComStep step : {sim::ComStep::CoInitialize, sim::ComStep::CoCreateInstance,
                              sim::ComStep::QueryInterface, sim::ComStep::SetDescription,
                              sim::ComStep::SetPath, sim::ComStep::SetWorkingDirectory,
                              sim::ComStep::Save}) {
        put("ReadMe.txt");
        put("Demo.exe");
        win.faults().comFailsAt = step;
        EXPECT_NO_THROW(run()) << static_cast<int>(step);
        EXPECT_TRUE(links().empty()) << static_cast<int>(step);
    }
}

TEST_F(LinkPhase, ALinkPathTooLongForTheSaveBufferEndsThePhaseSilently) {
    // Programs folder + "Acme DAQ\" + name + ".lnk" comes to 260 characters.
    const std::string prefix = std::string(kPrograms) + "Acme DAQ\\";
    const std::string name = std::string(260 - prefix.size() - 4 - 4, 'n') + ".txt";
    ASSERT_EQ((prefix + name + ".lnk").size(), 260u);
    put(name);
    run();
    EXPECT_TRUE(links().empty());

    InstallJob job = makeJob();
    EXPECT_EQ(test::thrown([&] { createLinkInGroup(job, "C:\\Acme\\" + name, name); }),
              "EOleSysError: OLE error 800700ce");
    // One character less fits.
    createLinkInGroup(job, "C:\\Acme\\" + name, name.substr(1));
    EXPECT_EQ(links().size(), 1u);
}

}  // namespace
}  // namespace stow
