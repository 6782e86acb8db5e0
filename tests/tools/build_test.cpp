// stowpack build end to end on host files: what it writes, what it refuses, and that a refused
// or failed build never leaves a half-written installer behind.
#include "stowpack/build_command.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "stowpack/format.h"
#include "stowpack/inspect_command.h"
#include "stowpack/package_file.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"
#include "tools/pack_support.h"

namespace stow::pack {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

class BuildTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeBytes(dir() / "stub.exe", test::fakeStub());
        writeBytes(dir() / "files/a.txt", "alpha");
        writeBytes(dir() / "files/drv.inf", "[Version]\r\nCatalogFile=drv.cat\r\n");
    }
    const fs::path& dir() const { return temp_.path(); }

    // Without the uninstaller record unless asked: most tests look at the manifest's own.
    void writeManifest(const std::string& files, bool uninstaller = false) {
        writeBytes(dir() / "m.toml", std::string("vendor = \"ZYLOR\"\npackage = \"DAQ Suite\"\n") +
                                         (uninstaller ? "" : "uninstaller = false\n") + files);
    }

    // Builds; returns the refusal message, or "" on success.
    std::string build(const fs::path& stub = {}, bool werror = false,
                      const fs::path& uninstaller = {}) {
        BuildOptions options{dir() / "m.toml", dir() / "out.exe",
                             stub.empty() ? dir() / "stub.exe" : stub, werror, uninstaller};
        std::ostringstream out, warnings;
        const std::string refusal = test::packRefusal([&] { runBuild(options, out, warnings); });
        warnings_ = warnings.str();
        return refusal;
    }

    test::TempDir temp_;
    std::string warnings_;
};

const char kTwoFiles[] = R"(
[[file]]
placement = 16
path = "Docs/a.txt"
source = "files/a.txt"
time = 2024-03-01T10:00:00

[[file]]
placement = 5
driver_copy = true
path = "drv.inf"
source = "files/drv.inf"
time = 0x12345678
)";

TEST_F(BuildTest, WritesStubThenPackageWithThePatchedLocator) {
    writeManifest(kTwoFiles);
    ASSERT_EQ(build(), "");
    const std::string stub = test::fakeStub();
    const std::string out = readBytes(dir() / "out.exe");
    ASSERT_EQ(out.size(), stub.size() + 4096);  // padded up to the installer's minimum

    EXPECT_EQ(out.substr(0, stub.size()), test::withInt32At(stub, 1024 + 4, 8192));

    auto str = [](const std::string& s) { return test::le32(static_cast<int32_t>(s.size())) + s; };
    std::string package = test::le32(4096) + str("ZYLOR") + str("DAQ Suite") + test::le32(2) +
                          str("\x10" "Docs\\a.txt") + str("alpha") + str("C:\\Docs\\a.txt") +
                          test::le32(packDosDateTime(DateTime{2024, 3, 1, 10, 0, 0})) +
                          str("\x25" "drv.inf") + str("[Version]\r\nCatalogFile=drv.cat\r\n") +
                          str("C:\\drv.inf") + test::le32(0x12345678);
    const int64_t unpadded = static_cast<int64_t>(package.size());
    package.resize(4096, '\0');
    EXPECT_EQ(out.substr(stub.size()), package);
    // The inspector's reader sees the padding as unread bytes inside the package.
    EXPECT_EQ(readPackageFile(dir() / "out.exe").unreadInside, 4096 - unpadded);
}

TEST_F(BuildTest, RefusesStubsThatCannotCarryAPackage) {
    writeManifest(kTwoFiles);
    const std::string patched = test::withInt32At(test::fakeStub(), 1028, 8192);
    struct Case {
        const char* name;
        std::string stub;
        const char* expected;
    };
    const Case cases[] = {
        {"no locator", std::string(8192, 'M'), "holds no package locator"},
        {"damaged locator", test::fakeStub().replace(1032, 4, "vbnX"),
         "holds no package locator"},
        {"already patched", patched, "already carries a package"},
        {"locator twice", test::fakeStub().replace(5000, kLocatorSize, unpatchedLocator()),
         "2 times"},
        {"too small for the installer", test::fakeStub(4091, 100), "must start between"},
        {"smallest stub", test::fakeStub(4092, 100), ""},
    };
    for (const Case& c : cases) {
        writeBytes(dir() / "s.exe", c.stub);
        fs::remove(dir() / "out.exe");
        const std::string message = build(dir() / "s.exe");
        EXPECT_NE(message.find(c.expected), std::string::npos) << c.name << ": " << message;
        EXPECT_EQ(fs::exists(dir() / "out.exe"), *c.expected == '\0') << c.name;
    }
}

TEST_F(BuildTest, AWriteThatFailsLeavesTheOldOutputAndNoTemporaryFile) {
    writeBytes(dir() / "out.exe", "previous installer");
    // A source that shrinks after it was measured fails while the output is being written.
    PackRecord record = test::packRecord(16, "a.txt", "");
    record.contentFile = dir() / "files/a.txt";
    record.contentSize = 5000;
    EXPECT_THROW(writeInstaller(test::fakeStub(), "stub", test::packContents({record}),
                                dir() / "out.exe"),
                 PackError);

    EXPECT_EQ(readBytes(dir() / "out.exe"), "previous installer");
    EXPECT_TRUE(test::temporaryOutputs(dir()).empty());
}

// What cannot be read, or would fail or be lost at install time, is refused at build time;
// the diagnostics name the entry by its place in the manifest. A refused build leaves the old
// output and no temporary file.
TEST_F(BuildTest, Refusals) {
    auto file = [](int placement, const std::string& path, const std::string& key,
                   bool copy = false) {
        return "[[file]]\nplacement = " + std::to_string(placement) + "\npath = \"" + path +
               "\"\nsource = \"files/a.txt\"\nkey = \"" + key + "\"\n" +
               (copy ? "driver_copy = true\n" : "");
    };
    const std::string long_name(256, 'n');
    const std::string long_path = std::string(120, 'p') + "\\\\" + std::string(120, 'q');
    // A sparse file: its size counts, its bytes are never read.
    writeBytes(dir() / "files/big.bin", "");
    fs::resize_file(dir() / "files/big.bin", 0x3FFFFFFF - 60);  // 64 bytes of header and record
    struct Case {
        const char* name;
        std::string files;
        const char* expected;
    };
    const Case cases[] = {
        {"missing source", "[[file]]\nplacement = 16\npath = \"x\"\nsource = \"files/none\"",
         "source file"},
        {"source is a folder", "[[file]]\nplacement = 16\npath = \"x\"\nsource = \"files\"",
         "is not a file"},
        {"key climbs out", file(0, "x", "C:\\\\..\\\\x", true), "climbs out"},
        {"not in the code page",
         "[[file]]\nplacement = 16\npath = \"\xE6\x97\xA5.txt\"\nsource = \"files/a.txt\"",
         "code page CP1252"},
        {"too large for the installer",
         "[[file]]\nplacement = 16\npath = \"big.bin\"\nsource = \"files/big.bin\"",
         "larger than 1073741823 bytes"},
        {"no records", "", "m.toml:1:1: error: the package has no records"},
        {"code 0 without a driver copy", file(0, "a.txt", "C:\\\\a.txt"),
         "m.toml:4:1: error: record #1 (a.txt): placement 0 without driver_copy"},
        {"keys equal but for case", file(16, "a.txt", "C:\\\\a.txt") + file(16, "b.txt", "c:\\\\A.TXT"),
         "record #2 (b.txt): key c:\\A.TXT is also the key of record #1"},
        {"destinations equal but for case",
         file(16, "Docs\\\\a.txt", "C:\\\\1") + file(16, "docs\\\\A.TXT", "C:\\\\2"),
         "DAQ Suite\\docs\\A.TXT is also written by record #1 (letter case ignored); one of them "
         "would be lost (on 9x, nt32, nt-no-setupapi)"},
        {"driver copies that collide", file(8, "d.sys", "C:\\\\d.sys", true) +
                                           file(9, "d.sys", "D:\\\\d.sys", true),
         "record #2 (d.sys): driver copy C:\\Program Files\\ZYLOR\\Common Drivers\\d.sys is also "
         "written by record #1"},
        {"a path too long", file(16, long_path, "C:\\\\x"), "characters long; Windows takes at most 259"},
        {"a name too long", file(1, long_name, "C:\\\\x"), "has a name of 256 characters"},
    };
    for (const Case& c : cases) {
        writeManifest(c.files);
        writeBytes(dir() / "out.exe", "previous installer");
        const std::string refusal = build();
        const std::string said =
            refusal + "\n" + std::regex_replace(warnings_, std::regex(dir().string() + "/"), "");
        EXPECT_NE(refusal, "") << c.name;
        EXPECT_NE(said.find(c.expected), std::string::npos) << c.name << ": " << said;
        EXPECT_EQ(readBytes(dir() / "out.exe"), "previous installer") << c.name;
        EXPECT_TRUE(test::temporaryOutputs(dir()).empty()) << c.name;
    }
}

TEST_F(BuildTest, WarnsAboutInfsThatWouldNotBePreinstalledAndWerrorRefusesThem) {
    writeManifest(R"(
[[file]]
placement = 5
driver_copy = true
path = "drv.inf"
source = "files/drv.inf"
key = "C:\\sub\\drv.inf"
)");
    ASSERT_EQ(build(), "");
    EXPECT_NE(warnings_.find("m.toml:5:1: warning: record #1 (drv.inf): driver copy "
                             "C:\\Program Files\\ZYLOR\\Common Drivers\\sub\\drv.inf is not "
                             "preinstalled"),
              std::string::npos)
        << warnings_;
    EXPECT_NE(warnings_.find("(on nt32)"), std::string::npos) << warnings_;
    EXPECT_EQ(warnings_.find("9x"), std::string::npos) << warnings_;  // no setup service there

    fs::remove(dir() / "out.exe");
    EXPECT_NE(build({}, true).find("2 problems found in the manifest; nothing was written"),
              std::string::npos);
    EXPECT_NE(warnings_.find("m.toml:5:1: error: record #1"), std::string::npos) << warnings_;
    EXPECT_FALSE(fs::exists(dir() / "out.exe"));
}

// The same inputs give the same bytes whatever the time zone; SOURCE_DATE_EPOCH caps file times.
TEST_F(BuildTest, BuildsAreReproducibleAcrossTimeZones) {
    writeManifest("[[file]]\nplacement = 16\npath = \"a.txt\"\nsource = \"files/a.txt\"\n");
    const auto mtime = fs::last_write_time(dir() / "files/a.txt");
    std::vector<std::string> outputs;
    for (const char* zone : {"UTC0", "JST-9", "PST8"}) {
        setenv("TZ", zone, 1);
        tzset();
        ASSERT_EQ(build(), "") << zone;
        outputs.push_back(readBytes(dir() / "out.exe"));
        fs::last_write_time(dir() / "files/a.txt", mtime);  // as a fresh checkout would leave it
    }
    unsetenv("TZ");
    tzset();
    EXPECT_EQ(outputs[0], outputs[1]);
    EXPECT_EQ(outputs[0], outputs[2]);
    // Without a time in the manifest the stamp is the source's modification time: today's.
    const int32_t modified = readPackageFile(dir() / "out.exe").records.at(0).timeStamp;
    EXPECT_EQ(formatDosDateTime(modified).substr(0, 2), "20");

    setenv("SOURCE_DATE_EPOCH", "1709287200", 1);  // 2024-03-01 10:00:00 UTC
    ASSERT_EQ(build(), "");
    EXPECT_EQ(formatDosDateTime(readPackageFile(dir() / "out.exe").records[0].timeStamp),
              "2024-03-01 10:00:00");
    setenv("SOURCE_DATE_EPOCH", "yesterday", 1);
    EXPECT_NE(build().find("SOURCE_DATE_EPOCH"), std::string::npos);
    unsetenv("SOURCE_DATE_EPOCH");
    EXPECT_EQ(dosTimeFromUnix(0), packDosDateTime(DateTime{}));  // before 1980: clamped
    EXPECT_EQ(formatDosDateTime(dosTimeFromUnix(951782400)), "2000-02-29 00:00:00");
}

TEST_F(BuildTest, TheUninstallerIsTheLastRecordUnlessTheManifestLeavesItOut) {
    writeManifest(kTwoFiles, true);
    EXPECT_NE(build().find("uninstaller " + (dir() / "stowuninstall.exe").string() + " not found"),
              std::string::npos);
    writeBytes(dir() / "stowuninstall.exe", "MZ uninstaller");
    writeBytes(dir() / "other.exe", "MZ other");
    const struct {
        fs::path option;
        std::string content;
    } kCases[] = {{{}, "MZ uninstaller"}, {dir() / "other.exe", "MZ other"}};
    for (const auto& c : kCases) {
        ASSERT_EQ(build({}, false, c.option), "");
        const PackageFile p = readPackageFile(dir() / "out.exe");
        ASSERT_EQ(p.records.size(), 3u);
        const PackageRecord& r = p.records.back();
        EXPECT_EQ(std::tie(r.placementByte, r.path, r.key, r.contentSize),
                  std::make_tuple(1, "ZYLORUninstall.exe", "C:\\ZYLORUninstall.exe",
                                  static_cast<int64_t>(c.content.size())));
    }
    int code = 0;
    EXPECT_NE(test::inspectReport(dir() / "out.exe", &code)
                  .find("the uninstaller, named by the uninstall entry"),
              std::string::npos);
}

TEST_F(BuildTest, TheSamplePackageBuildsAndUsesEveryPlacementCode) {
    writeBytes(dir() / "stowuninstall.exe", "MZ uninstaller");
    BuildOptions options{fs::path(STOW_SOURCE_DIR) / "examples/sample/manifest.toml",
                         dir() / "sample.exe", dir() / "stub.exe", false, {}};
    std::ostringstream out, warnings;
    runBuild(options, out, warnings);
    EXPECT_EQ(warnings.str(), "");

    const PackageFile p = readPackageFile(dir() / "sample.exe");
    ASSERT_EQ(p.loadErrorCode, -1) << p.loadErrorText;
    std::set<int> bytes;
    for (const PackageRecord& r : p.records) bytes.insert(r.placementByte);
    for (int code : {0, 1, 2, 3, 4, 5, 8, 9, 12, 13, 16, 17, 18, 20}) {
        EXPECT_TRUE(bytes.count(code) || bytes.count(code | 0x20)) << code;
    }
    EXPECT_TRUE(bytes.count(0x25));
    EXPECT_TRUE(bytes.count(0x20));
}

}  // namespace
}  // namespace stow::pack
