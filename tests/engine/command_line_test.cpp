// The command-line splitter that yields the optional target directory argument.
#include <gtest/gtest.h>

#include "engine/locations.h"

namespace stow {
namespace {

TEST(CommandLineTest, SplitsLikeTheProgramArgumentList) {
    using Args = std::vector<std::string>;
    struct Case {
        const char* line;
        Args expected;
    };
    const Case cases[] = {
        {"", {}},
        {"   \t ", {}},
        {"Setup.exe", {"Setup.exe"}},
        {"\"C:\\Program Files\\Setup.exe\"", {"C:\\Program Files\\Setup.exe"}},
        {"Setup.exe D:\\Data\\Pkg", {"Setup.exe", "D:\\Data\\Pkg"}},
        {"Setup.exe D:\\Data\\Pkg\\", {"Setup.exe", "D:\\Data\\Pkg\\"}},
        {"Setup.exe   one\ttwo\r\nthree", {"Setup.exe", "one", "two", "three"}},
        {"Setup.exe \"D:\\My Data\\Pkg\" extra", {"Setup.exe", "D:\\My Data\\Pkg", "extra"}},
        {"Setup.exe a\"b c\"d", {"Setup.exe", "ab cd"}},
        {"Setup.exe \"\"", {"Setup.exe", ""}},
        {"Setup.exe \"\" next", {"Setup.exe", "", "next"}},
        {"Setup.exe \"open quote runs to the end", {"Setup.exe", "open quote runs to the end"}},
        {"Setup.exe x\x01y", {"Setup.exe", "x", "y"}},
        // Bytes above 0x7F belong to the ANSI code page and never separate.
        {"Setup.exe C:\\\xC4nderung\xA0x", {"Setup.exe", "C:\\\xC4nderung\xA0x"}},
        {" leading blanks  ", {"leading", "blanks"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(splitCommandLine(c.line), c.expected) << "line: [" << c.line << "]";
    }
}

}  // namespace
}  // namespace stow
