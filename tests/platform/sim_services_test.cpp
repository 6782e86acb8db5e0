// The simulated Windows' WOW64 redirection per thread. Its other services are checked through
// the driver and link phases that use them.
#include <gtest/gtest.h>

#include <thread>

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

}  // namespace
}  // namespace stow::sim
