// The simulated Windows' services: WOW64 redirection per thread, the setup service's oemN.inf
// copies and buffer rules, COM shell links with their failure steps, and suspended threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/sim/sim_windows.h"
#include "support/temp_dir.h"

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

TEST_F(SimSetupServiceTest, SlowServiceRunsOnAWorkerWhileTheCallerPolls) {
    sim_.faults().setup = SetupMode::Slow;
    sim_.faults().setupDelay = std::chrono::milliseconds(30);
    Threads& threads = sim_.platform().threads;
    std::string result;
    auto worker = threads.createSuspended([&] { result = copy("C:\\Drivers\\b.inf"); });
    threads.sleep(5);
    EXPECT_FALSE(worker->finished());  // not started yet
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
}

TEST(SimSetupServiceProfileTest, Win9xCopiesIntoItsInfFolderToo) {
    test::TempDir temp;
    SimWindows sim(Profile::Win9x, temp.path());
    sim.writeFile("C:\\x.inf", "x");
    EXPECT_EQ(sim.platform().system.findSetupService()->copyOEMInf("C:\\x.inf").destination,
              "C:\\WINDOWS\\INF\\oem0.inf");
    EXPECT_TRUE(sim.isDirectory("C:\\WINDOWS\\INF\\Other"));
}

// --- shell links ---

struct LinkAttempt {
    ComStep failed_at = ComStep::None;
    HResult result = kSOk;
};

// Creates one link the way the link phase does, stopping at the first failing step.
LinkAttempt makeLink(ShellLinks& shell, const std::string& target, const std::string& lnk) {
    LinkAttempt attempt;
    auto check = [&](ComStep step, HResult hr) {
        if (hr < 0 && attempt.failed_at == ComStep::None) {
            attempt.failed_at = step;
            attempt.result = hr;
        }
        return hr >= 0;
    };
    if (!check(ComStep::CoInitialize, shell.coInitialize())) return attempt;
    std::unique_ptr<ShellLinkObject> link;
    if (check(ComStep::CoCreateInstance, shell.createShellLink(link)) &&
        check(ComStep::QueryInterface, link->queryPersistFile()) &&
        check(ComStep::SetDescription, link->setDescription("")) &&
        check(ComStep::SetPath, link->setPath(target)) &&
        check(ComStep::SetWorkingDirectory,
              link->setWorkingDirectory(target.substr(0, target.find_last_of('\\') + 1)))) {
        std::u16string wide(lnk.begin(), lnk.end());
        wide.push_back(u'\0');
        check(ComStep::Save, link->save(wide));
    }
    link.reset();
    shell.coUninitialize();
    return attempt;
}

class SimShellLinksTest : public ::testing::Test {
protected:
    SimShellLinksTest() : sim_(Profile::Nt32, temp_.path()) { sim_.makeDirectories(kGroup); }
    ShellLinks& shell() { return sim_.platform().shell; }

    static constexpr const char* kGroup = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Acme";
    test::TempDir temp_;
    SimWindows sim_;
};

TEST_F(SimShellLinksTest, SavedLinkReadsBack) {
    std::string lnk = std::string(kGroup) + "\\Manual Manual (.PDF).lnk";
    LinkAttempt attempt = makeLink(shell(), "C:\\Program Files\\Acme\\Manual.pdf", lnk);
    EXPECT_EQ(attempt.failed_at, ComStep::None);
    auto link = sim_.link(lnk);
    ASSERT_TRUE(link);
    EXPECT_EQ(link->target, "C:\\Program Files\\Acme\\Manual.pdf");
    EXPECT_EQ(link->workingDirectory, "C:\\Program Files\\Acme\\");
    EXPECT_EQ(link->description, "");
    EXPECT_FALSE(sim_.link(std::string(kGroup) + "\\none.lnk"));
    sim_.writeFile("C:\\plain.txt", "Target=C:\\x");
    EXPECT_FALSE(sim_.link("C:\\plain.txt"));
}

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

TEST_F(SimShellLinksTest, EachComStepCanFail) {
    const ComStep steps[] = {ComStep::CoInitialize,   ComStep::CoCreateInstance,
                             ComStep::QueryInterface, ComStep::SetDescription,
                             ComStep::SetPath,        ComStep::SetWorkingDirectory,
                             ComStep::Save};
    const std::string lnk = std::string(kGroup) + "\\x.lnk";
    for (ComStep step : steps) {
        sim_.faults().comFailsAt = step;
        sim_.faults().comFailure = static_cast<HResult>(0x80070005);
        LinkAttempt attempt = makeLink(shell(), "C:\\x.exe", lnk);
        EXPECT_EQ(attempt.failed_at, step) << static_cast<int>(step);
        EXPECT_EQ(attempt.result, static_cast<HResult>(0x80070005));
        EXPECT_FALSE(sim_.exists(lnk));
    }
}

TEST_F(SimShellLinksTest, FailureCanWaitForSomeLinks) {
    sim_.faults().comFailsAt = ComStep::Save;
    sim_.faults().comLinksBeforeFailure = 2;
    std::vector<ComStep> outcome;
    for (int i = 0; i < 4; ++i) {
        std::string lnk = std::string(kGroup) + "\\link" + std::to_string(i) + ".lnk";
        outcome.push_back(makeLink(shell(), "C:\\x.exe", lnk).failed_at);
    }
    EXPECT_EQ(outcome, (std::vector<ComStep>{ComStep::None, ComStep::None, ComStep::Save, ComStep::Save}));
    EXPECT_EQ(sim_.listFiles(kGroup), (std::vector<std::string>{"link0.lnk", "link1.lnk"}));
}

TEST_F(SimShellLinksTest, SaveFailsWhereCreatingAFileFails) {
    sim_.faults().accessDenied = {"C:\\Locked"};
    sim_.makeDirectories("C:\\Locked");
    struct Case {
        std::string lnk;
        uint32_t hresult;
    };
    const Case cases[] = {
        {"C:\\Missing\\x.lnk", 0x80070003},
        {"C:\\Locked\\x.lnk", 0x80070005},
        {std::string(kGroup) + "\\a|b.lnk", 0x8007007B},
    };
    for (const Case& c : cases) {
        LinkAttempt attempt = makeLink(shell(), "C:\\x.exe", c.lnk);
        EXPECT_EQ(attempt.failed_at, ComStep::Save) << c.lnk;
        EXPECT_EQ(static_cast<uint32_t>(attempt.result), c.hresult) << c.lnk;
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

TEST_F(SimShellLinksTest, ErrorTexts) {
    EXPECT_EQ(shell().errorText(static_cast<HResult>(0x80004005)), "Unspecified error");
    EXPECT_EQ(shell().errorText(static_cast<HResult>(0x80070005)), "Access is denied.");
    EXPECT_EQ(shell().errorText(static_cast<HResult>(0x8FFF1234)), "");
}

TEST(SimThreadsTest, BodyRunsOnlyAfterResume) {
    test::TempDir temp;
    SimWindows sim(Profile::Nt32, temp.path());
    Threads& threads = sim.platform().threads;
    std::atomic<bool> ran{false};
    std::thread::id body_thread;
    {
        auto thread = threads.createSuspended([&] {
            body_thread = std::this_thread::get_id();
            ran = true;
        });
        threads.sleep(10);
        EXPECT_FALSE(ran);
        thread->resume();
        while (!thread->finished()) threads.sleep(1);
        EXPECT_TRUE(ran);
        EXPECT_NE(body_thread, std::this_thread::get_id());
    }
    // Never resumed: dropping it must not hang or run the body.
    std::atomic<bool> never{false};
    threads.createSuspended([&] { never = true; }).reset();
    EXPECT_FALSE(never);
}

}  // namespace
}  // namespace stow::sim
