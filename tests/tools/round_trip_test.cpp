// The packer and the installer's loader meet: random packages written by the packer are read
// back through the engine's loader and stream; damaged copies give their numbered errors, and
// the inspector reports what the installer would do.
#include <gtest/gtest.h>

#include <random>

#include "stowpack/package_file.h"
#include "support/temp_dir.h"
#include "tools/pack_support.h"

namespace stow::pack {
namespace {

namespace fs = std::filesystem;

PackageContents randomContents(std::mt19937& rng) {
    auto bytes = [&](size_t n) {
        std::string s(n, '\0');
        for (char& c : s) c = static_cast<char>(rng() & 0xFF);
        return s;
    };
    auto size = [&](size_t most) { return static_cast<size_t>(rng() % (most + 1)); };
    PackageContents c{bytes(size(20)), bytes(size(40)), {}};
    const size_t count = size(30);
    for (size_t i = 0; i < count; ++i) {
        const auto placement = static_cast<uint8_t>(rng() & 0xFF);
        const std::string path = bytes(size(60));
        // Mostly small files, some across the stream's buffer.
        const std::string content = bytes(rng() % 8 == 0 ? size(200000) : size(300));
        c.records.push_back(test::packRecord(placement, path, content));
        c.records.back().key = bytes(size(80));
        c.records.back().timeStamp = static_cast<int32_t>(rng());
    }
    return c;
}

TEST(RoundTripTest, RandomPackagesReadBackThroughTheLoader) {
    test::TempDir temp;
    const fs::path out = temp.path() / "out.exe";
    std::mt19937 rng(20240301);
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE(round);
        const PackageContents contents = randomContents(rng);
        const std::string stub = test::fakeStub(4092 + rng() % 20000, 17);
        const BuildSummary summary = writeInstaller(stub, "stub", contents, out);
        int64_t remaining = -1;
        test::expectLoaderReads(out, 17, contents, &remaining);
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_EQ(remaining, summary.padding);

        // The inspector's reader sees the same records.
        const PackageFile p = readPackageFile(out);
        ASSERT_EQ(p.loadErrorCode, -1);
        ASSERT_EQ(p.records.size(), contents.records.size());
        for (size_t i = 0; i < p.records.size(); ++i) {
            EXPECT_EQ(readRecordContent(p, p.records[i]), contents.records[i].content);
            EXPECT_EQ(p.records[i].key, contents.records[i].key);
        }
        EXPECT_EQ(p.bytesBehind, 0);
    }
}

class DamageTest : public ::testing::Test {
protected:
    void SetUp() override {
        good_ = built({test::packRecord(0x10, "ReadMe.txt", std::string(6000, 'r'))});
    }
    std::string built(const std::vector<PackRecord>& records) {
        const fs::path file = temp_.path() / "b.exe";
        writeInstaller(test::fakeStub(), "stub", test::packContents(records), file);
        return test::readBytes(file);
    }
    fs::path written(const std::string& bytes) {
        test::writeBytes(temp_.path() / "x.exe", bytes);
        return temp_.path() / "x.exe";
    }
    std::string withInt32At(size_t offset, int32_t value) {
        return test::withInt32At(good_, offset, value);
    }

    test::TempDir temp_;
    std::string good_;
    static constexpr size_t kP = 8192;  // the fake stub's size
    static constexpr size_t kCountAt = kP + 4 + (4 + 5) + (4 + 9);
};

// The loader's limits are checked at every edge in its own tests; here one damage per error
// follows a built file's bytes through the inspector's locator scan to its number and report.
TEST_F(DamageTest, EveryDamageGivesItsNumberedErrorAndInspectTheVerdict) {
    ASSERT_EQ(good_.size(), kP + 4 + (4 + 5) + (4 + 9) + 4 + (4 + 11) + (4 + 6000) + (4 + 13) + 4);
    // In a small package's zero padding a larger count meets records without a placement
    // byte: the install stops at the first of them, not where reading would fail.
    const PackRecord a = test::packRecord(0x10, "a.txt", "a");
    const std::string one = test::withInt32At(built({a}), kCountAt, 100000);
    const std::string invalid =
        test::withInt32At(built({a, test::packRecord(0x07, "a.txt", "a")}), kCountAt, 100000);
    constexpr int kNoLocator = -2;  // nothing for the loader to start from
    struct Case {
        const char* name;
        std::string bytes;
        int loadError;
        int code;
        std::vector<std::string> expected;
        const char* absent = "";
    };
    const Case cases[] = {
        {"intact, signature behind", good_ + "SIGNATURE", -1, 0,
         {"Vendor:        ZYLOR", "#1  0x10 code 16 (target directory)", "size  6000 bytes",
          "9 bytes follow the package", "loads without error"}},
        {"locator reset to XXXX", std::string(good_).replace(1028, 4, kLocatorUnpatched), 0x00, 1,
         {"Load Error 00h"}},
        {"P below the minimum", withInt32At(1028, 4091), 0x01, 1, {"Load Error 01h"}},
        {"P past the file", withInt32At(1028, 0x3FFFFFF0), 0x02, 1, {"Load Error 02h"}},
        {"L too small", withInt32At(kP, 4095), 0x03, 1, {"Load Error 03h"}},
        {"cut inside the package", good_.substr(0, good_.size() - 1), 0x04, 1,
         {"Load Error 04h: The package is truncated."}},
        {"vendor length negative", withInt32At(kP + 4, -1), 0xFF, 1, {"Load Error FFh"}},
        {"no locator", std::string(9000, 'M'), kNoLocator, 1, {"not a Stowaway installer"}},
        // A record count beyond the records: loads, but the install would stop at record #2.
        {"count beyond the records", withInt32At(kCountAt, 2), -1, 1,
         {"Record #2 cannot be read (EReadError: Stream read error); the install command would "
          "stop there"}},
        {"padding read as records", one, -1, 1,
         {"#2  (no placement byte; the install stops here)",
          "cannot be read (EReadError: Stream read error)\n",
          "The install command stops at record #2\n"},
         "would stop there"},
        {"an invalid code before the padding", invalid, -1, 1,
         {"#2  0x07 code 7", "The install command stops at record #2\n"}, "would stop there"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.loadError != kNoLocator) {
            EXPECT_EQ(readPackageFile(written(c.bytes)).loadErrorCode, c.loadError);
        }
        int code = -1;
        const std::string report = test::inspectReport(written(c.bytes), &code);
        EXPECT_EQ(code, c.code);
        for (const std::string& part : c.expected) {
            EXPECT_NE(report.find(part), std::string::npos) << part << "\n" << report;
        }
        if (*c.absent) {
            EXPECT_EQ(report.find(c.absent), std::string::npos) << report;
        }
    }
}

}  // namespace
}  // namespace stow::pack
