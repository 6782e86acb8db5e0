// The path text rules: the trailing separator with and without double-byte characters, the
// directory and file-name parts, ASCII-only upper-casing.
#include "base/paths.h"

#include <gtest/gtest.h>

namespace stow {
namespace {

// Code page 932's lead bytes, enough for these cases.
bool shiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool noLead(unsigned char) { return false; }

TEST(PathsTest, AddTrailingSeparator) {
    const struct {
        const char* text;
        bool dbcs;
        const char* expected;
    } cases[] = {
        {"", false, "\\"},
        {"C:", false, "C:\\"},
        {"C:\\", false, "C:\\"},
        {"C:\\Dir", false, "C:\\Dir\\"},
        {"C:\\\x95\\", true, "C:\\\x95\\\\"},   // the "\" is the trail byte of a character
        {"C:\\\x95\\", false, "C:\\\x95\\"},    // in a single-byte code page it is a separator
        {"C:\\\x95\\\\", true, "C:\\\x95\\\\"},  // a real separator after the character
    };
    for (const auto& c : cases) {
        EXPECT_EQ(addTrailingSeparator(c.text, c.dbcs ? shiftJisLead : noLead), c.expected)
            << c.text;
    }
}

TEST(PathsTest, PartsAndUpperCase) {
    const struct {
        const char* path;
        const char* directory;
        const char* name;
    } cases[] = {
        {"C:\\Dir\\File.txt", "C:\\Dir\\", "File.txt"},
        {"C:File.txt", "C:", "File.txt"},
        {"File.txt", "", "File.txt"},
        {"C:\\Dir\\", "C:\\Dir\\", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(directoryPart(c.path), c.directory) << c.path;
        EXPECT_EQ(fileNamePart(c.path), c.name) << c.path;
    }
    EXPECT_EQ(upperAscii("abc-XYZ \xE9\xE4"), "ABC-XYZ \xE9\xE4");
}

}  // namespace
}  // namespace stow
