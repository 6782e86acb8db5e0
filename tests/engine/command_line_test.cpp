// The command-line splitter that yields the optional target directory argument.
#include <gtest/gtest.h>

#include "engine/command_switches.h"
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

TEST(CommandLineTest, SwitchesAndTheFirstArgumentRule) {
    struct Case {
        const char* arguments;  // behind "Setup.exe "
        bool silent;
        const char* target;  // nullptr: none
        const char* log;     // nullptr: none
        bool refused;
    };
    const Case cases[] = {
        {"", false, nullptr, nullptr, false},
        {"/S", true, nullptr, nullptr, false},
        {"/s", true, nullptr, nullptr, false},
        {"D:\\Data\\Pkg", false, "D:\\Data\\Pkg", nullptr, false},
        {"D:\\Data\\Pkg /S", true, "D:\\Data\\Pkg", nullptr, false},
        // Unquoted paths with blanks run to the next switch or the end of the line.
        {"/S /D=C:\\Program Files\\ZYLOR", true, "C:\\Program Files\\ZYLOR", nullptr, false},
        {"/d=C:\\My  Apps\\DAQ /log=C:\\Temp\\my log.txt /S", true, "C:\\My  Apps\\DAQ",
         "C:\\Temp\\my log.txt", false},
        {"\"/D=C:\\Program Files\\X\" /S", true, "C:\\Program Files\\X", nullptr, false},
        {"/D=\"C:\\Program Files\\X\"", false, "C:\\Program Files\\X", nullptr, false},
        // Anything else first is the target directory, as it always was; later it is ignored.
        {"/X", false, "/X", nullptr, false},
        {"/SILENT", false, "/SILENT", nullptr, false},
        {"/S /X", true, nullptr, nullptr, false},
        {"\"\" /S", true, nullptr, nullptr, false},
        // Refused: nothing is installed.
        {"/D=", false, nullptr, nullptr, true},
        {"/D= /S", true, nullptr, nullptr, true},
        {"/LOG=", false, nullptr, nullptr, true},
        {"/S /s", true, nullptr, nullptr, true},
        {"/D=C:\\A /D=C:\\B", false, nullptr, nullptr, true},
        {"D:\\Pkg /D=C:\\B", false, nullptr, nullptr, true},
        {"/LOG=a.log /LOG=b.log", false, nullptr, "b.log", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CommandSwitches s = parseCommandSwitches(std::string("Setup.exe ") + c.arguments);
        EXPECT_EQ(s.silent, c.silent);
        EXPECT_EQ(!s.error.empty(), c.refused) << s.error;
        if (c.refused) continue;
        EXPECT_EQ(s.target, c.target ? c.target : "");
        EXPECT_EQ(s.logPath, c.log ? c.log : "");
    }
}

}  // namespace
}  // namespace stow
