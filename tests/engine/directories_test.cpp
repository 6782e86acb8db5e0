// Creating directory chains on the simulated machine: roots that exist and cannot be made,
// missing parents, and what stands in the way.
#include "engine/directories.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_windows.h"
#include "support/temp_dir.h"

namespace stow {
namespace {

TEST(DirectoriesTest, ForceDirectories) {
    const struct {
        const char* path;
        bool made;
        const char* exists_after;  // nullptr: nothing to check
    } cases[] = {
        {"\\", true, "C:\\"},        // the current drive's root exists
        {"C:\\", true, "C:\\"},
        {"C:", true, "C:\\"},
        {"C:\\A\\B\\C\\", true, "C:\\A\\B\\C"},
        {"\\Rooted\\Sub", true, "C:\\Rooted\\Sub"},
        {"Q:\\X", false, nullptr},   // no such drive
        {"", false, nullptr},
        {"C:\\File.txt\\Sub", false, nullptr},  // a file stands where a folder must go
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        sim::SimWindows win(sim::Profile::Nt32, dir.path() / "machine");
        win.writeFile("C:\\File.txt", "x");
        EXPECT_EQ(forceDirectories(win.platform().files, c.path), c.made) << c.path;
        if (c.exists_after) { EXPECT_TRUE(win.isDirectory(c.exists_after)) << c.path; }
    }
}

}  // namespace
}  // namespace stow
