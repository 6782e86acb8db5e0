// The manifest and the format rules it is checked against: paths that must not escape their
// location, placement codes, source keys and DOS time stamps. Code page refusals are checked
// through the build and the manifest's encoding key.
#include "stowpack/manifest.h"

#include <gtest/gtest.h>

#include "stowpack/format.h"
#include "stowpack/text_encoding.h"
#include "support/temp_dir.h"
#include "tools/pack_support.h"

namespace stow::pack {
namespace {

using test::packRefusal;

TEST(FormatTest, RelativePathsAreNormalizedOrRefused) {
    EXPECT_EQ(normalizeRelativePath("a/b\\c.txt", "p"), "a\\b\\c.txt");
    EXPECT_EQ(normalizeRelativePath("DAQ Suite.pdf", "p"), "DAQ Suite.pdf");
    EXPECT_EQ(normalizeRelativePath("..hidden\\x..y", "p"), "..hidden\\x..y");
    EXPECT_EQ(normalizeRelativePath("\xC3\x84nderung.txt", "p"), "\xC3\x84nderung.txt");
    struct Case {
        const char* path;
        const char* why;
    };
    const Case refused[] = {
        {"", "empty"},
        {"..\\x.dll", "climbs out"},
        {"a/../../x.dll", "climbs out"},
        {"a/..", "climbs out"},
        {"\\Windows\\x.dll", "root"},
        {"/etc/x", "root"},
        {"C:\\x.dll", "drive prefix"},
        {"C:x.dll", "drive prefix"},
        {"a\\.\\b", "\".\" component"},
        {"a\\\\b", "empty component"},
        {"a\\", "empty component"},
        {"x.txt:stream", "character ':'"},
        {"a?b", "character '?'"},
        {"a\tb", "character 0x09"},
        {"name.", "dot or blank"},
        {"name ", "dot or blank"},
        {"dir\\NUL.txt", "device"},
        {"com1", "device"},
        {"LPT9.log", "device"},
    };
    for (const Case& c : refused) {
        const std::string message =
            packRefusal([&] { normalizeRelativePath(c.path, "file #1: path"); });
        EXPECT_NE(message.find(c.why), std::string::npos) << c.path << " -> " << message;
        EXPECT_EQ(message.rfind("file #1: path", 0), 0u) << message;
    }
    EXPECT_EQ(normalizeRelativePath("COM10.txt", "p"), "COM10.txt");
    EXPECT_EQ(normalizeRelativePath("console.txt", "p"), "console.txt");
}

TEST(FormatTest, SourceKeysNeedADrivePrefix) {
    EXPECT_EQ(normalizeSourceKey("D:\\Build\\x.inf", "key"), "D:\\Build\\x.inf");
    EXPECT_EQ(normalizeSourceKey("c:/x.inf", "key"), "c:\\x.inf");
    for (const char* bad : {"x.inf", "\\x.inf", "C:x.inf", "1:\\x.inf", "C:\\", "C:\\..\\x"}) {
        EXPECT_THROW(normalizeSourceKey(bad, "key"), PackError) << bad;
    }
}

TEST(FormatTest, DosTimeStamps) {
    const int32_t packed = packDosDateTime(DateTime{2024, 3, 1, 10, 0, 59});
    EXPECT_EQ(static_cast<uint32_t>(packed), (44u << 25 | 3u << 21 | 1u << 16 | 10u << 11 | 29u));
    EXPECT_EQ(formatDosDateTime(packed), "2024-03-01 10:00:58");
    EXPECT_EQ(formatDosDateTime(packDosDateTime(DateTime{})), "1980-01-01 00:00:00");
    // Years from 2044 on set the sign bit; the value still round-trips.
    EXPECT_LT(packDosDateTime(DateTime{2107, 12, 31, 23, 59, 58}), 0);
    EXPECT_EQ(formatDosDateTime(packDosDateTime(DateTime{2107, 12, 31, 23, 59, 58})),
              "2107-12-31 23:59:58");
    EXPECT_THROW(packDosDateTime(DateTime{1979, 12, 31, 0, 0, 0}), PackError);
    EXPECT_THROW(packDosDateTime(DateTime{2024, 13, 1, 0, 0, 0}), PackError);
    EXPECT_EQ(packDosDateTimeClamped(DateTime{1970, 1, 1, 0, 0, 0}), packDosDateTime(DateTime{}));
    EXPECT_EQ(formatDosDateTime(0), "0x00000000 (not a valid date)");
}

TEST(EncodingTest, ConvertsToTheCodePageOrRefuses) {
    EXPECT_EQ(toCodePage("M\xC3\xBCller", "CP1252", "vendor"), "M\xFCller");
    EXPECT_EQ(toCodePage("\xE6\x97\xA5", "CP932", "vendor"), "\x93\xFA");
    EXPECT_EQ(fromCodePage("M\xFCller\r\n", "CP1252"), "M\xC3\xBCller\\x0D\\x0A");
}

const char kMinimal[] = R"(
vendor = "ZYLOR"
package = "DAQ Suite"
[[file]]
placement = 16
path = "docs/Manual.pdf"
source = "files/Manual.pdf"
)";

TEST(ManifestTest, ReadsFilesWithDefaults) {
    Manifest m = parseManifest(kMinimal, "/pkg", "m.toml");
    EXPECT_EQ(std::tie(m.vendor, m.package, m.encoding, m.version, m.copyright),
              std::make_tuple("ZYLOR", "DAQ Suite", "CP1252", "1.0", "Copyright (C) ZYLOR"));
    ASSERT_EQ(m.files.size(), 1u);
    const ManifestFile& f = m.files[0];
    EXPECT_EQ(std::tie(f.placement, f.driverCopy, f.path, f.key, f.line, f.timeStamp),
              std::make_tuple(16, false, "docs\\Manual.pdf", "C:\\docs\\Manual.pdf", 4, std::nullopt));
    EXPECT_EQ(f.source, std::filesystem::path("/pkg/files/Manual.pdf"));
}

// A file's own time in every form TOML gives, else the manifest's.
TEST(ManifestTest, TimeStampsInEveryForm) {
    const struct {
        const char* time;
        const char* expected;
    } cases[] = {
        {"", "2020-01-02 03:04:06"},
        {"time = 2024-03-02", "2024-03-02 00:00:00"},
        {"time = 0x58610000", "2024-03-01 00:00:00"},
        {"time = 2024-03-01T10:00:00+02:00", "2024-03-01 10:00:00"},
    };
    for (const auto& c : cases) {
        const Manifest m = parseManifest(
            "vendor = \"V\"\npackage = \"P\"\ntime = 2020-01-02T03:04:06\n"
            "[[file]]\nplacement = 1\npath = \"a\"\nsource = \"a\"\n" + std::string(c.time),
            "/", "m.toml");
        EXPECT_EQ(formatDosDateTime(*m.files.at(0).timeStamp), c.expected) << c.time;
    }
}

TEST(ManifestTest, RefusesWhatTheInstallerCouldNotUse) {
    test::TempDir dir;
    test::writeBytes(dir.path() / "data/a.bin", "a");
    const std::string head = "vendor = \"V\"\npackage = \"P\"\n";
    const std::string folder = head + "[[folder]]\nplacement = 16\n";
    struct Case {
        std::string text;
        const char* expected;
    };
    const Case cases[] = {
        {"package = \"P\"", "\"vendor\" is missing"},
        {"vendor = \"\"\npackage = \"P\"", "\"vendor\" is empty"},
        {"vendor = \"A\\\\B\"\npackage = \"P\"", "nest folders"},
        {"vendor = \"A?B\"\npackage = \"P\"", "m.toml:1:10: \"vendor\" \"A?B\" holds the character '?'"},
        {"vendor = \"V\"\npackage = \"Suite.\"", "m.toml:2:11: \"package\" \"Suite.\" ends in a dot"},
        {"vendor = \"V\"\npackage = \"a|b\"", "character '|'"},
        {"vendor = \"V\"\npackage = \"a<b>\"", "character '<'"},
        {"vendor = \"CONIN$\"\npackage = \"P\"", "names a device"},
        {"vendor = \"COM\u00B9\"\npackage = \"P\"", "names a device"},
        {"vendor = \"lpt\u00B3.txt\"\npackage = \"P\"", "names a device"},
        {head + "vendr = 1", "unknown key \"vendr\""},
        {head + "encoding = \"EBCDIC-NOPE\"", "unknown encoding"},
        {head + "[[file]]\nplacement = 7\npath = \"a\"\nsource = \"a\"", "unknown placement code 7"},
        {head + "[[file]]\nplacement = 21\npath = \"a\"\nsource = \"a\"", "code 21 (valid: 0-5"},
        {head + "[[file]]\nplacement = 37\npath = \"a\"\nsource = \"a\"", "code 37"},
        {head + "[[file]]\nplacement = -1\npath = \"a\"\nsource = \"a\"", "code -1"},
        // A code that would wrap into the table's byte.
        {head + "[[file]]\nplacement = 261\npath = \"a\"\nsource = \"a\"", "code 261"},
        {head + "[[file]]\nplacement = \"16\"\npath = \"a\"\nsource = \"a\"", "must be an integer"},
        {head + "[[file]]\nplacement = 16\nsource = \"a\"", "\"path\" is missing"},
        {head + "[[file]]\nplacement = 16\npath = \"a\"", "\"source\" is missing"},
        {head + "[[file]]\nplacement = 16\npath = \"../a\"\nsource = \"a\"", "climbs out"},
        {head + "[[file]]\nplacement = 16\npath = \"a\"\nsource = \"a\"\nkey = \"a\"",
         "drive prefix"},
        {head + "[[file]]\nplacement = 16\npath = \"a\"\nsource = \"a\"\ndriver = true",
         "unknown key \"driver\""},
        {head + "[[file]]\nplacement = 16\npath = \"a\"\nsource = \"a\"\ntime = 1979-05-01",
         "1980-2107"},
        {head + "[[file]]\nplacement = 16\npath = \"a\"\nsource = \"a\"\ntime = 0x1FFFFFFFF",
         "does not fit"},
        {head + "file = 3", "list of [[file]] tables"},
        {head + "[[file]\n", "m.toml:3"},
        {head + "version = \"3.x\"", "m.toml:3:11: version \"3.x\""},
        {folder + "source = \"none\"", "m.toml:3:1: folder #1: source folder"},
        {folder + "source = \"data\"\ninclude = [\"*.none\"]", "no file of"},
        {folder + "source = \"data\"\ninclude = \"*.bin\"", "must be a list of patterns"},
        {folder + "source = \"data\"\nexclude = [\"\"]", "not a non-empty string"},
        {folder + "source = \"data\"\npath = \"../x\"", "climbs out"},
        {folder + "source = \"data\"\nfilter = 1", "unknown key \"filter\""},
        {head + "[[file]]\nplacement = 16\npath = \"a\"\nsource = \"a\"\n\n"
                "[[file]]\nplacement = 6\npath = \"b\"\nsource = \"b\"",
         "m.toml:9:13: file #2: unknown placement code 6"},
    };
    for (const Case& c : cases) {
        const std::string message =
            packRefusal([&] { parseManifest(c.text, dir.path(), "m.toml"); });
        EXPECT_NE(message.find(c.expected), std::string::npos)
            << c.text << "\n-> " << (message.empty() ? "(accepted)" : message);
    }
}

TEST(ManifestTest, PatternsMatchLikeWindowsNames) {
    struct Case {
        const char* pattern;
        const char* path;
        bool matches;
    };
    const Case cases[] = {
        {"*.dll", "bin/x.DLL", true},     {"*.dll", "x.dll.bak", false},
        {"?.txt", "sub/a.txt", true},     {"bin/*.exe", "bin/a.exe", true},
        {"bin/*.exe", "bin/sub/a.exe", false}, {"bin/**", "bin/sub/a.exe", true},
        {"**/*.tmp", "a.tmp", true},      {"**/*.tmp", "x/y/a.tmp", true},
        {"docs/*", "docs", false},        {"*", "any/name", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(matchesPattern(c.pattern, c.path), c.matches) << c.pattern << " " << c.path;
    }
}

TEST(ManifestTest, AFolderEntryTakesItsFilesInByteOrderBetweenTheOtherEntries) {
    test::TempDir dir;
    for (const char* name : {"data/b.bin", "data/A.bin", "data/sub/c.bin", "data/skip.tmp",
                             "data/sub/d.txt", "one.txt", "two.txt"}) {
        test::writeBytes(dir.path() / name, name);
    }
    const std::string text = R"(vendor = "V"
package = "P"
[[file]]
placement = 16
path = "one.txt"
source = "one.txt"
[[folder]]
placement = 18
driver_copy = true
source = "data"
path = "Lib"
key = "D:\\src"
include = ["*.bin", "sub/*.txt"]
exclude = ["b.*"]
time = 2024-03-01T10:00:00
[[file]]
placement = 16
path = "two.txt"
source = "two.txt"
)";
    const Manifest m = parseManifest(text, dir.path(), "m.toml");
    std::vector<std::string> got;
    for (const ManifestFile& f : m.files) got.push_back(f.path + " " + f.key);
    EXPECT_EQ(got, (std::vector<std::string>{"one.txt C:\\one.txt", "Lib\\A.bin D:\\src\\A.bin",
                                             "Lib\\sub\\c.bin D:\\src\\sub\\c.bin",
                                             "Lib\\sub\\d.txt D:\\src\\sub\\d.txt",
                                             "two.txt C:\\two.txt"}));
    EXPECT_EQ(m.files[1].placement, 18);
    EXPECT_TRUE(m.files[1].driverCopy);
    EXPECT_EQ(formatDosDateTime(*m.files[1].timeStamp), "2024-03-01 10:00:00");
    EXPECT_EQ(m.files[1].location, "m.toml:7:1");
}

}  // namespace
}  // namespace stow::pack
