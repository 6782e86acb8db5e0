// The vendor's guide carries the placement table generated from the installer's own rule; a
// change to the rule fails here until the guide is regenerated with
// `build/host/tools/stowpack_placement_table --update docs/vendor-guide.md`.
#include <gtest/gtest.h>

#include <filesystem>

#include "stowpack/placement_table.h"
#include "tools/pack_support.h"

namespace stow::pack {
namespace {

TEST(VendorGuideTest, ThePlacementTableIsTheGeneratedOne) {
    const std::filesystem::path guide = std::filesystem::path(STOW_SOURCE_DIR) / "docs/vendor-guide.md";
    const std::string text = test::readBytes(guide);
    ASSERT_FALSE(text.empty()) << guide;
    EXPECT_EQ(text, withPlacementTable(text, placementTableMarkdown()));
    // The rule's facts the guide's prose relies on.
    const std::string table = placementTableMarkdown();
    for (const char* fact : {"| 9 | — | — | `DriverPath\\<path>` | — |",
                             "| 5 | also `WindowsPath\\INF\\Other\\<path>`, filtered | only the driver copy"}) {
        EXPECT_NE(table.find(fact), std::string::npos) << fact;
    }
}

}  // namespace
}  // namespace stow::pack
