// The simulated Windows' services: WOW64 redirection per thread, the setup service's oemN.inf
// copies, COM shell links with their failure steps, and suspended threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "engine/shortcuts.h"
#include "platform/sim/sim_windows.h"
#include "support/temp_dir.h"
#include "support/thrown.h"

namespace stow::sim {
namespace {

template <typename F>
void onOtherThread(F body) {
    std::thread worker(body);
    worker.join();
}

TEST(SimRedirectionTest, System32IsSysWow64UntilTheThreadSwitchesItOff) {
    test::TempDir temp;
    SimWindows sim(Profile::Nt64, temp.path());
    FileSystem& files = sim.platform().files;

    ASSERT_TRUE(files.create("C:\\Windows\\System32\\first.dll"));
    EXPECT_TRUE(sim.exists("C:\\WINDOWS\\SysWOW64\\first.dll"));
    EXPECT_FALSE(sim.exists("C:\\WINDOWS\\system32\\first.dll"));
    EXPECT_FALSE(sim.redirectionDisabledForThisThread());

    sim.platform().system.disableFsRedirection();
    EXPECT_TRUE(sim.redirectionDisabledForThisThread());
    ASSERT_TRUE(files.create("C:\\WINDOWS\\system32\\Drivers\\second.sys"));
    EXPECT_TRUE(sim.exists("C:\\WINDOWS\\system32\\Drivers\\second.sys"));
    EXPECT_EQ(files.attributes("C:\\WINDOWS\\system32\\first.dll"), FileSystem::kInvalidAttributes);

    // Another thread keeps the default, and so does another machine on this thread.
    onOtherThread([&] {
        EXPECT_FALSE(sim.redirectionDisabledForThisThread());
        EXPECT_EQ(files.attributes("C:\\WINDOWS\\system32\\first.dll"), kAttrArchive);
        EXPECT_EQ(files.attributes("C:\\WINDOWS\\system32\\Drivers\\second.sys"),
                  FileSystem::kInvalidAttributes);
    });
    test::TempDir other_temp;
    SimWindows other(Profile::Nt64, other_temp.path());
    EXPECT_FALSE(other.redirectionDisabledForThisThread());
}

TEST(SimRedirectionTest, ThirtyTwoBitWindowsHasNone) {
    test::TempDir temp;
    SimWindows sim(Profile::Nt32, temp.path());
    ASSERT_TRUE(sim.platform().files.create("C:\\WINDOWS\\system32\\x.dll"));
    EXPECT_TRUE(sim.exists("C:\\WINDOWS\\system32\\x.dll"));
    EXPECT_FALSE(sim.exists("C:\\WINDOWS\\SysWOW64"));
}

class SimSetupServiceTest : public ::testing::Test {
protected:
    SimSetupServiceTest() : sim_(Profile::Nt32, temp_.path()) {
        sim_.writeFile("C:\\Drivers\\a.inf", "[Version]\r\nA\r\n");
        sim_.writeFile("C:\\Drivers\\b.inf", "[Version]\r\nB\r\n");
        sim_.makeDirectories("C:\\Drivers\\dir.inf");
    }
    SetupService& service() { return *sim_.platform().system.findSetupService(); }
    // Where the copy went; "" when the service refused.
    std::string copy(const std::string& inf) {
        const InfCopy result = service().copyOEMInf(inf);
        return result.accepted ? result.destination : std::string();
    }

    test::TempDir temp_;
    SimWindows sim_;
};

TEST_F(SimSetupServiceTest, CopiesToTheSmallestFreeOemName) {
    sim_.writeFile("C:\\WINDOWS\\INF\\oem0.inf", "someone else's");
    EXPECT_EQ(copy("C:\\Drivers\\a.inf"), "C:\\WINDOWS\\INF\\oem1.inf");
    EXPECT_EQ(sim_.readFile("C:\\WINDOWS\\INF\\oem1.inf"), "[Version]\r\nA\r\n");
    EXPECT_EQ(copy("c:\\drivers\\B.INF"), "C:\\WINDOWS\\INF\\oem2.inf");
    // The same INF again keeps the name it was given.
    EXPECT_EQ(copy("C:\\Drivers\\a.inf"), "C:\\WINDOWS\\INF\\oem1.inf");
    EXPECT_EQ(sim_.setupCalls(), (std::vector<std::string>{"C:\\Drivers\\a.inf", "c:\\drivers\\B.INF",
                                                           "C:\\Drivers\\a.inf"}));
}

TEST_F(SimSetupServiceTest, Rejections) {
    struct Case {
        const char* name;
        const char* inf;
        SetupMode mode;
        std::set<std::string> rejects;
    };
    const Case cases[] = {
        {"missing source", "C:\\Drivers\\none.inf", SetupMode::Accept, {}},
        {"a directory", "C:\\Drivers\\dir.inf", SetupMode::Accept, {}},
        {"rejecting service", "C:\\Drivers\\a.inf", SetupMode::Reject, {}},
        {"listed INF", "C:\\Drivers\\a.inf", SetupMode::Accept, {"c:\\DRIVERS\\A.inf"}},
    };
    for (const Case& c : cases) {
        sim_.faults().setup = c.mode;
        sim_.faults().setupRejects = c.rejects;
        EXPECT_EQ(copy(c.inf), "") << c.name;
    }
    EXPECT_TRUE(sim_.listFiles("C:\\WINDOWS\\INF").empty());
    EXPECT_EQ(sim_.setupCalls().size(), 4u);
}

// The body runs on its own thread, only after resume; a thread never resumed is dropped without
// running it.
TEST_F(SimSetupServiceTest, SlowServiceRunsOnAWorkerWhileTheCallerPolls) {
    sim_.faults().setup = SetupMode::Slow;
    sim_.faults().setupDelay = std::chrono::milliseconds(30);
    Threads& threads = sim_.platform().threads;
    std::string result;
    std::thread::id body_thread;
    auto worker = threads.createSuspended([&] {
        body_thread = std::this_thread::get_id();
        result = copy("C:\\Drivers\\b.inf");
    });
    threads.sleep(5);
    EXPECT_FALSE(worker->finished());
    EXPECT_TRUE(sim_.setupCalls().empty()) << "not started yet";
    auto start = std::chrono::steady_clock::now();
    worker->resume();
    int polls = 0;
    while (!worker->finished()) {
        threads.sleep(1);
        ++polls;
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
    EXPECT_GT(polls, 1);
    EXPECT_EQ(result, "C:\\WINDOWS\\INF\\oem0.inf");
    EXPECT_NE(body_thread, std::this_thread::get_id());

    std::atomic<bool> never{false};
    threads.createSuspended([&] { never = true; }).reset();
    EXPECT_FALSE(never);
}

TEST(SimSetupServiceProfileTest, Win9xCopiesIntoItsInfFolderToo) {
    test::TempDir temp;
    SimWindows sim(Profile::Win9x, temp.path());
    sim.writeFile("C:\\x.inf", "x");
    EXPECT_EQ(sim.platform().system.findSetupService()->copyOEMInf("C:\\x.inf").destination,
              "C:\\WINDOWS\\INF\\oem0.inf");
    EXPECT_TRUE(sim.isDirectory("C:\\WINDOWS\\INF\\Other"));
}

// --- shell links, made by the installer's own link code ---

class SimShellLinksTest : public ::testing::Test {
protected:
    SimShellLinksTest() : sim_(Profile::Nt32, temp_.path()) { sim_.makeDirectories(kGroup); }
    ShellLinks& shell() { return sim_.platform().shell; }
    // What making the link raised, as the report shows it.
    std::string make(const std::string& target, const std::string& lnk) {
        return test::thrown([&] { createShellLink(shell(), sim_.platform().system, target, lnk); });
    }

    static constexpr const char* kGroup = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Acme";
    test::TempDir temp_;
    SimWindows sim_;
};

TEST_F(SimShellLinksTest, CoInitializeCountsPerThread) {
    EXPECT_EQ(shell().coInitialize(), kSOk);
    EXPECT_EQ(shell().coInitialize(), kSFalse);
    onOtherThread([&] {
        std::unique_ptr<ShellLinkObject> link;
        EXPECT_LT(shell().createShellLink(link), 0);  // not initialised on this thread
        EXPECT_EQ(shell().coInitialize(), kSOk);
        EXPECT_EQ(shell().createShellLink(link), kSOk);
        shell().coUninitialize();
    });
    shell().coUninitialize();
    shell().coUninitialize();
    std::unique_ptr<ShellLinkObject> link;
    EXPECT_LT(shell().createShellLink(link), 0);
}

TEST_F(SimShellLinksTest, FailureCanWaitForSomeLinks) {
    sim_.faults().comFailsAt = ComStep::Save;
    sim_.faults().comLinksBeforeFailure = 2;
    std::vector<std::string> outcome;
    for (int i = 0; i < 4; ++i) {
        const std::string lnk = std::string(kGroup) + "\\link" + std::to_string(i) + ".lnk";
        outcome.push_back(make("C:\\x.exe", lnk));
    }
    const std::string failed = "EOleSysError: Unspecified error";
    EXPECT_EQ(outcome, (std::vector<std::string>{"no error", "no error", failed, failed}));
    EXPECT_EQ(sim_.listFiles(kGroup), (std::vector<std::string>{"link0.lnk", "link1.lnk"}));
    // What the link phase's tests read back: a saved link, and nothing for anything else.
    EXPECT_EQ(sim_.link(std::string(kGroup) + "\\link0.lnk")->target, "C:\\x.exe");
    EXPECT_FALSE(sim_.link(std::string(kGroup) + "\\link2.lnk"));
    sim_.writeFile("C:\\plain.txt", "Target=C:\\x");
    EXPECT_FALSE(sim_.link("C:\\plain.txt"));
}

TEST_F(SimShellLinksTest, SaveFailsWhereCreatingAFileFails) {
    sim_.faults().accessDenied = {"C:\\Locked"};
    sim_.makeDirectories("C:\\Locked");
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Missing\\x.lnk", "The system cannot find the path specified."},
        {"C:\\Locked\\x.lnk", "Access is denied."},
        {std::string(kGroup) + "\\a|b.lnk",
         "The filename, directory name, or volume label syntax is incorrect."},
    };
    for (const auto& [lnk, text] : cases) {
        EXPECT_EQ(make("C:\\x.exe", lnk), "EOleSysError: " + text);
    }
    // A name beyond the 8-bit code page cannot be a file name here.
    EXPECT_TRUE(shell().coInitialize() >= 0);
    std::unique_ptr<ShellLinkObject> link;
    ASSERT_EQ(shell().createShellLink(link), kSOk);
    ASSERT_EQ(link->queryPersistFile(), kSOk);
    EXPECT_LT(link->save(u"C:\\\u4E2D.lnk"), 0);
    link.reset();
    shell().coUninitialize();
}

}  // namespace
}  // namespace stow::sim
