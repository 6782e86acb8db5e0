// The link rule table, decided for names alone: every row, its order, and the name edge cases.
#include "engine/link_rules.h"

#include <gtest/gtest.h>

namespace stow {
namespace {

struct RuleCase {
    const char* name;
    bool directory;
    LinkAction action;
    const char* linkName;
    int rule;
};

void PrintTo(const RuleCase& c, std::ostream* os) {
    *os << (c.directory ? "dir " : "file ") << '"' << c.name << '"';
}

class LinkRuleTable : public ::testing::TestWithParam<RuleCase> {};

TEST_P(LinkRuleTable, DecidesByFirstMatchingRule) {
    const RuleCase& c = GetParam();
    LinkDecision d = decideLink(c.name, c.directory, "Acme/Labs");
    EXPECT_EQ(d.action, c.action);
    EXPECT_EQ(d.linkName, c.linkName);
    EXPECT_EQ(d.rule, c.rule);
}

constexpr LinkAction kNone = LinkAction::None;
constexpr LinkAction kLink = LinkAction::Link;
constexpr LinkAction kSub = LinkAction::SubGroup;

INSTANTIATE_TEST_SUITE_P(
    Rows, LinkRuleTable,
    ::testing::Values(
        // 1: dot names, files and directories alike, before any other test
        RuleCase{".", true, kNone, "", 1}, RuleCase{"..", true, kNone, "", 1},
        RuleCase{".inf", false, kNone, "", 1}, RuleCase{".pdf", false, kNone, "", 1},
        RuleCase{".dos", true, kNone, "", 1},
        // 2-4: sample directories, any letter case; only directories
        RuleCase{"dos", true, kSub, "DOS Samples", 2},
        RuleCase{"DOS", true, kSub, "DOS Samples", 2},
        RuleCase{"Win32", true, kSub, "Windows Samples", 3},
        RuleCase{"win16", true, kSub, "Windows 16bit Samples", 4},
        RuleCase{"DOS", false, kNone, "", 14},
        RuleCase{"WIN32.exe", true, kLink, "WIN32.exe", 5},
        // 5: any other directory, also with a leading "_" or an extension
        RuleCase{"_tools", true, kLink, "_tools", 5},
        RuleCase{"Docs.pdf", true, kLink, "Docs.pdf", 5},
        RuleCase{"weblink.html", true, kLink, "weblink.html", 5},
        // 6: files beginning with "_", whatever they are
        RuleCase{"_setup.exe", false, kNone, "", 6}, RuleCase{"_Manual.pdf", false, kNone, "", 6},
        // 7: manuals
        RuleCase{"Manual.pdf", false, kLink, "Manual Manual (.PDF)", 7},
        RuleCase{"Guide.v2.PDF", false, kLink, "Guide.v2 Manual (.PDF)", 7},
        // 8-9: programs; Setup.exe in any case is the settings tool
        RuleCase{"Setup.exe", false, kLink, "Settings", 8},
        RuleCase{"setup.EXE", false, kLink, "Settings", 8},
        RuleCase{"Setup2.exe", false, kLink, "Setup2", 9},
        RuleCase{"Demo.exe", false, kLink, "Demo", 9},
        RuleCase{"my.tool.Exe", false, kLink, "my.tool", 9},
        // 10: text files keep their whole name
        RuleCase{"ReadMe.txt", false, kLink, "ReadMe.txt", 10},
        // 11: the web link only in exactly this case; the vendor's "/" stays for the folder step
        RuleCase{"weblink.html", false, kLink, "Acme/Labs Web Site", 11},
        RuleCase{"WebLink.html", false, kLink, "WebLink.html", 12},
        RuleCase{"weblink.HTML", false, kLink, "weblink.HTML", 12},
        RuleCase{"weblink.htm", false, kLink, "weblink.htm", 13},
        RuleCase{"Index.HTM", false, kLink, "Index.HTM", 13},
        // 14: everything else
        RuleCase{"README", false, kNone, "", 14}, RuleCase{"FileLog.ini", false, kNone, "", 14},
        RuleCase{"driver.sys", false, kNone, "", 14}, RuleCase{"trailing.", false, kNone, "", 14},
        RuleCase{"doc.pdf.bak", false, kNone, "", 14}, RuleCase{"page.xhtml", false, kNone, "", 14},
        // Non-ASCII letters are not upper-cased: the e-acute below is no "E"
        RuleCase{"Demo.\xe9xe", false, kNone, "", 14}));

TEST(LinkRuleNames, ExtensionIsTakenFromTheLastDot) {
    EXPECT_EQ(extensionOf("a.b.c"), ".c");
    EXPECT_EQ(withoutExtension("a.b.c"), "a.b");
    EXPECT_EQ(extensionOf("README"), "");
    EXPECT_EQ(withoutExtension("README"), "README");
    EXPECT_EQ(extensionOf("x."), ".");
    EXPECT_EQ(withoutExtension("x."), "x");
}

}  // namespace
}  // namespace stow
