// The file log: parsing a foreign or earlier log, keys without case, writing it whole or not at
// all.
#include "engine/file_log.h"

#include <gtest/gtest.h>

#include <random>
#include <unordered_map>

#include "base/error.h"
#include "base/paths.h"
#include "platform/sim/sim_windows.h"
#include "support/temp_dir.h"
#include "support/thrown.h"

namespace stow {
namespace {

// Many lines set over and over in mixed case, held against a plain list: keys share folders and
// names with their values or not, some names and values are long, and the log grows past its
// index and blocks several times. Returns the log with its lines and the text it must write.
struct ManyLines {
    FileLog log;
    std::vector<std::pair<std::string, std::string>> lines;
    std::string text;
};
ManyLines manyLines() {
    FileLog log;
    std::vector<std::pair<std::string, std::string>> lines;
    std::unordered_map<std::string, size_t> at;
    std::mt19937 random(7);
    for (int i = 0; i < 6000; ++i) {
        const unsigned n = random() % 2000;
        const std::string name = "f" + std::to_string(n) + (n % 97 ? "" : std::string(200, 'n'));
        std::string key = "C:\\d" + std::to_string(n % 7) + "\\" + name;
        if (random() % 3 == 0) key = upperAscii(key);
        const std::string value = (i % 1999 ? "C:\\P\\d" + std::to_string(n % 5) + "\\" + name
                                            : std::string(70000, 'v')) + ",";
        auto [it, added] = at.emplace(upperAscii(key), lines.size());
        if (added) lines.emplace_back(key, value);
        lines[it->second].second = value + std::to_string(i);
        log.set(i % 2 ? "FILES" : "Files", key, lines[it->second].second);
    }
    std::string text = "[Files]\r\n";
    for (const auto& [key, value] : lines) text += key + "=" + value + "\r\n";
    return {std::move(log), std::move(lines), text + "\r\n"};
}

TEST(FileLogTest, KeysAndSectionsMatchWithoutCaseAndAreReplacedInPlace) {
    auto [log, lines, text] = manyLines();
    EXPECT_TRUE(log.serialize() == text);  // too long to print
    const auto& [key, value] = lines[lines.size() / 2];
    EXPECT_EQ(log.find("files", upperAscii(key)), value);
    log.removeEntry("fILES", key);
    EXPECT_EQ(log.find("files", key), std::nullopt);
    EXPECT_EQ(log.find("none", lines[0].first), std::nullopt);
    log.set("other", "k", "d");
    EXPECT_EQ(log.sectionCount(), 2u);
}

TEST(FileLogTest, ParseDropsStrayLinesAndKeepsForeignContent) {
    struct Case {
        const char* name;
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"nothing", "", ""},
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

class FileLogDiskTest : public ::testing::Test {
protected:
    test::TempDir dir_;
    sim::SimWindows win_{sim::Profile::Nt32, dir_.path() / "machine"};
    FileSystem& files_ = win_.platform().files;
};

TEST_F(FileLogDiskTest, SavesWholeOrNotAtAllWithACreateErrorNamingThePath) {
    const auto [log, lines, text] = manyLines();  // one value of 70,000 bytes: more than a buffer
    ASSERT_GT(text.size(), 2 * 64 * 1024u);
    EXPECT_EQ(test::thrown([&] { log.save(files_, "C:\\missing\\FileLog.ini"); }),
              "EFCreateError: Cannot create file C:\\missing\\FileLog.ini");
    win_.makeDirectories("C:\\T");
    win_.faults().accessDenied.push_back("C:\\T");
    EXPECT_THROW(log.save(files_, "C:\\T\\FileLog.ini"), EFCreateError);
    win_.faults().accessDenied.clear();
    // A disk that fills up part way leaves no log cut off inside a line.
    for (size_t free_bytes : {size_t{10}, size_t{70 * 1024}, text.size() / 2, text.size()}) {
        win_.faults().diskFreeBytes = free_bytes;
        if (free_bytes == text.size()) {
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
