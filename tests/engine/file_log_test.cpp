// The file log: loading a foreign or earlier log, merging into it, writing it back.
#include "engine/file_log.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "platform/sim/sim_windows.h"
#include "support/temp_dir.h"


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
    EXPECT_EQ(log.find("sec", "KEY1"), "c");
    EXPECT_EQ(log.find("sec", "missing"), std::nullopt);
    EXPECT_EQ(log.find("none", "Key1"), std::nullopt);
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

class FileLogDiskTest : public ::testing::Test {
protected:
    test::TempDir dir_;
    sim::SimWindows win_{sim::Profile::Nt32, dir_.path() / "machine"};
    FileSystem& files_ = win_.platform().files;
};

TEST_F(FileLogDiskTest, OpenLoadsAnExistingFileAndSaveWritesItBack) {
    win_.writeFile("C:\\T\\FileLog.ini", "[A]\r\nk=v\r\n");
    FileLog log = FileLog::open(files_, "C:\\T\\FileLog.ini");
    EXPECT_EQ(log.path(), "C:\\T\\FileLog.ini");
    log.set("B", "x", "y");
    log.save(files_, log.path());
    EXPECT_EQ(win_.readFile("C:\\t\\filelog.INI"), "[A]\r\nk=v\r\n\r\n[B]\r\nx=y\r\n\r\n");

    FileLog missing = FileLog::open(files_, "C:\\nowhere\\FileLog.ini");
    EXPECT_EQ(missing.entryCount(), 0u);
    EXPECT_EQ(missing.path(), "C:\\nowhere\\FileLog.ini");
}

TEST_F(FileLogDiskTest, SaveFailuresAreCreateErrorsNamingThePath) {
    FileLog log;
    log.set("A", "k", std::string(1000, 'v'));
    try {
        log.save(files_, "C:\\missing\\FileLog.ini");
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.message(), "Cannot create file C:\\missing\\FileLog.ini");
    }
    win_.makeDirectories("C:\\T");
    win_.faults().accessDenied.push_back("C:\\T");
    EXPECT_THROW(log.save(files_, "C:\\T\\FileLog.ini"), EFCreateError);
    win_.faults().accessDenied.clear();
    win_.faults().diskFreeBytes = 10;  // created, then the write runs out of space
    EXPECT_THROW(log.save(files_, "C:\\T\\FileLog.ini"), EFCreateError);
    // No log cut off inside a line is left behind.
    EXPECT_EQ(win_.readFile("C:\\T\\FileLog.ini"), "");
}

TEST_F(FileLogDiskTest, ALogLargerThanTheWriteBufferIsSavedWholeOrNotAtAll) {
    FileLog log;
    for (int i = 0; i < 3000; ++i) {
        log.set(i % 7 ? "Files" : "Other", "src\\f" + std::to_string(i),
                "C:\\Program Files\\V\\P\\f" + std::to_string(i) + ",12345");
    }
    log.set("Files", "long", std::string(100 * 1024, 'x'));  // more than one buffer at once
    const std::string text = log.serialize();
    ASSERT_GT(text.size(), 2 * 64 * 1024u);
    win_.makeDirectories("C:\\T");
    for (size_t free_bytes : {text.size(), text.size() / 2, size_t{70 * 1024}}) {
        win_.faults().diskFreeBytes = free_bytes;
        if (free_bytes >= text.size()) {
            log.save(files_, "C:\\T\\FileLog.ini");
            EXPECT_EQ(win_.readFile("C:\\T\\FileLog.ini"), text);
        } else {
            EXPECT_THROW(log.save(files_, "C:\\T\\FileLog.ini"), EFCreateError) << free_bytes;
            EXPECT_EQ(win_.readFile("C:\\T\\FileLog.ini"), "") << free_bytes;
        }
    }
}

}  // namespace
}  // namespace stow
