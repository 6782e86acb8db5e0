// The file log: loading a foreign or earlier log, merging into it, writing it back.
#include "engine/file_log.h"

#include <gtest/gtest.h>


namespace stow {
namespace {

TEST(FileLogTest, SerializesSectionsWithCrLfAndAnEmptyLineAfterEach) {
    FileLog log;
    log.set("V File Log - P", "C:\\src\\a.dll", "C:\\WINDOWS\\a.dll,123");
    log.set("V File Log - P", "C:\\src\\b.sys", "C:\\D\\b.sys,-5");
    log.set("START", "V File Log - P", "C:\\Menu\\V P\\");
    EXPECT_EQ(log.serialize(),
              "[V File Log - P]\r\nC:\\src\\a.dll=C:\\WINDOWS\\a.dll,123\r\n"
              "C:\\src\\b.sys=C:\\D\\b.sys,-5\r\n\r\n"
              "[START]\r\nV File Log - P=C:\\Menu\\V P\\\r\n\r\n");
    EXPECT_EQ(FileLog().serialize(), "");
}

TEST(FileLogTest, KeysAndSectionsMatchWithoutCaseAndAreReplacedInPlace) {
    FileLog log;
    log.set("Sec", "Key1", "a");
    log.set("Sec", "Key2", "b");
    log.set("SEC", "key1", "c");  // later value wins, first spelling and position stay
    log.set("other", "k", "d");
    EXPECT_EQ(log.serialize(), "[Sec]\r\nKey1=c\r\nKey2=b\r\n\r\n[other]\r\nk=d\r\n\r\n");
    EXPECT_EQ(log.sectionCount(), 2u);
    EXPECT_EQ(log.entryCount(), 3u);
    ASSERT_NE(log.find("sec", "KEY1"), nullptr);
    EXPECT_EQ(*log.find("sec", "KEY1"), "c");
    EXPECT_EQ(log.find("sec", "missing"), nullptr);
    EXPECT_EQ(log.find("none", "Key1"), nullptr);
}

TEST(FileLogTest, ParseDropsStrayLinesAndKeepsForeignContent) {
    struct Case {
        const char* name;
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"lines before the first section", "x=1\nstray\n[A]\nk=v\n", "[A]\r\nk=v\r\n\r\n"},
        {"empty lines and comments", "[A]\r\n\r\n;note\r\n  ; indented\r\nk=v\r\n",
         "[A]\r\nk=v\r\n\r\n"},
        {"line without equals kept as written", "[A]\nplain words\nk=v\n",
         "[A]\r\nplain words\r\nk=v\r\n\r\n"},
        {"blanks around key trimmed, value kept", "[A]\n  k \t= v x\n", "[A]\r\nk= v x\r\n\r\n"},
        {"value holding equals", "[A]\nk=a=b\n", "[A]\r\nk=a=b\r\n\r\n"},
        {"duplicate key: later value in first place", "[A]\nk=1\nj=2\nK=3\n",
         "[A]\r\nk=3\r\nj=2\r\n\r\n"},
        {"repeated section merges", "[A]\nk=1\n[B]\nx=1\n[a]\nm=2\n",
         "[A]\r\nk=1\r\nm=2\r\n\r\n[B]\r\nx=1\r\n\r\n"},
        {"empty section kept", "[A]\n[B]\nk=v", "[A]\r\n\r\n[B]\r\nk=v\r\n\r\n"},
        {"CR only and LF CR", "[A]\rk=v\n\rj=w", "[A]\r\nk=v\r\nj=w\r\n\r\n"},
        {"unclosed bracket is an entry", "[A]\n[B\n", "[A]\r\n[B\r\n\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(FileLog::parse(c.in).serialize(), c.out) << c.name;
}

TEST(FileLogTest, SecondRunMergesIntoTheEarlierLog) {
    FileLog first;
    first.set("Foreign", "x", "1");
    first.set("V File Log - P", "C:\\a", "C:\\T\\a,1");
    first.set("V File Log - P", "C:\\b", "C:\\T\\b,2");
    first.set("START", "V File Log - P", "menu");
    FileLog second = FileLog::parse(first.serialize());
    second.set("v file log - p", "c:\\B", "C:\\T\\b,3");
    second.set("V File Log - P", "C:\\c", "C:\\T\\c,4");
    second.set("START", "V File Log - P", "menu");
    EXPECT_EQ(second.serialize(),
              "[Foreign]\r\nx=1\r\n\r\n"
              "[V File Log - P]\r\nC:\\a=C:\\T\\a,1\r\nC:\\b=C:\\T\\b,3\r\nC:\\c=C:\\T\\c,4\r\n\r\n"
              "[START]\r\nV File Log - P=menu\r\n\r\n");
}

}  // namespace
}  // namespace stow
