// The packer and the installer's loader meet: random packages written by the packer are read
// back through the engine's loader and stream; damaged copies give their numbered errors, and
// the inspector reports what the installer would do.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "engine/loader.h"
#include "package/package_records.h"
#include "stowpack/format.h"
#include "stowpack/host_file.h"
#include "stowpack/inspect_command.h"
#include "stowpack/package_file.h"
#include "stowpack/installer_writer.h"
#include "support/temp_dir.h"
#include "tools/fake_stub.h"

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
    PackageContents c;
    c.vendor = bytes(size(20));
    c.package = bytes(size(40));
    const size_t count = size(30);
    for (size_t i = 0; i < count; ++i) {
        PackRecord r;
        r.placementByte = static_cast<uint8_t>(rng() & 0xFF);
        r.path = bytes(size(60));
        // Mostly small files, some across the stream's buffer.
        r.content = bytes(rng() % 8 == 0 ? size(200000) : size(300));
        r.contentSize = static_cast<int64_t>(r.content.size());
        r.key = bytes(size(80));
        r.timeStamp = static_cast<int32_t>(rng());
        c.records.push_back(std::move(r));
    }
    return c;
}

int loadCode(const fs::path& file) { return readPackageFile(file).loadErrorCode; }

TEST(RoundTripTest, RandomPackagesReadBackThroughTheLoader) {
    test::TempDir temp;
    std::mt19937 rng(20240301);
    for (int round = 0; round < 25; ++round) {
        const PackageContents contents = randomContents(rng);
        const std::string stub = test::fakeStub(4092 + rng() % 20000, 17);
        const fs::path out = temp.path() / "out.exe";
        const BuildSummary summary = writeInstaller(stub, "stub", contents, out);

        // The installer's own path: the locator bytes as the stub would see them once patched.
        std::string locator;
        appendInt32(locator, static_cast<int32_t>(stub.size()));
        LoadedPackage loaded = loadPackage(openHostFile(out.string()),
                                           reinterpret_cast<const unsigned char*>(locator.data()));
        ASSERT_EQ(loaded.vendorName, contents.vendor);
        ASSERT_EQ(loaded.packageName, contents.package);
        ASSERT_EQ(loaded.recordCount, static_cast<int32_t>(contents.records.size()));
        PackageStream& s = *loaded.stream;
        for (const PackRecord& r : contents.records) {
            const stow::PackageRecord read = readPackageRecord(s);
            ASSERT_EQ(read.placement, std::string(1, static_cast<char>(r.placementByte)) + r.path);
            ASSERT_EQ(s.readContent(read.content), r.content);
            ASSERT_EQ(read.sourceKey, r.key);
            ASSERT_EQ(read.timeStamp, r.timeStamp);
        }
        EXPECT_EQ(s.remaining(), summary.padding);

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
        PackageContents c;
        c.vendor = "ZYLOR";
        c.package = "DAQ Suite";
        PackRecord r;
        r.placementByte = 0x10;
        r.path = "ReadMe.txt";
        r.content = std::string(6000, 'r');
        r.contentSize = 6000;
        r.key = "C:\\ReadMe.txt";
        c.records.push_back(r);
        writeInstaller(test::fakeStub(), "stub", c, temp_.path() / "good.exe");
        good_ = test::readBytes(temp_.path() / "good.exe");
    }
    int codeOf(const std::string& bytes) {
        test::writeBytes(temp_.path() / "bad.exe", bytes);
        return loadCode(temp_.path() / "bad.exe");
    }
    std::string withInt32At(size_t offset, int32_t value) {
        std::string b = good_, v;
        appendInt32(v, value);
        return b.replace(offset, 4, v);
    }

    test::TempDir temp_;
    std::string good_;
    static constexpr size_t kP = 8192;  // the fake stub's size
};

TEST_F(DamageTest, EveryDamageGivesItsNumberedError) {
    ASSERT_EQ(good_.size(), kP + 4 + (4 + 5) + (4 + 9) + 4 + (4 + 11) + (4 + 6000) + (4 + 13) + 4);
    struct Case {
        const char* name;
        std::string bytes;
        int expected;
    };
    const Case cases[] = {
        {"intact", good_, -1},
        {"signature block appended", good_ + std::string(5000, 'S'), -1},
        {"locator reset to XXXX", std::string(good_).replace(1028, 4, kLocatorUnpatched), 0x00},
        {"P below the minimum", withInt32At(1028, 4091), 0x01},
        {"P negative", withInt32At(1028, -8192), 0x01},
        {"P past the file", withInt32At(1028, 0x3FFFFFF0), 0x02},
        {"cut inside the length field", good_.substr(0, kP + 2), 0x02},
        {"L too small", withInt32At(kP, 4095), 0x03},
        {"L too large", withInt32At(kP, 0x40000000), 0x03},
        {"L past the file", withInt32At(kP, static_cast<int32_t>(good_.size() - kP + 1)), 0x04},
        {"cut inside the package", good_.substr(0, good_.size() - 1), 0x04},
        {"vendor length negative", withInt32At(kP + 4, -1), 0xFF},
        {"vendor length past the body", withInt32At(kP + 4, 1 << 20), 0xFF},
    };
    for (const Case& c : cases) EXPECT_EQ(codeOf(c.bytes), c.expected) << c.name;
}

TEST_F(DamageTest, InspectReportsTheVerdict) {
    auto inspect = [&](const std::string& bytes, int* code) {
        test::writeBytes(temp_.path() / "x.exe", bytes);
        std::ostringstream out;
        *code = runInspect(InspectOptions{temp_.path() / "x.exe"}, out);
        return out.str();
    };
    int code = 0;
    std::string report = inspect(good_ + "SIGNATURE", &code);
    EXPECT_EQ(code, 0);
    EXPECT_NE(report.find("Vendor:        ZYLOR"), std::string::npos) << report;
    EXPECT_NE(report.find("#1  0x10 code 16 (target directory)"), std::string::npos) << report;
    EXPECT_NE(report.find("size  6000 bytes"), std::string::npos) << report;
    EXPECT_NE(report.find("9 bytes follow the package"), std::string::npos) << report;
    EXPECT_NE(report.find("loads without error"), std::string::npos) << report;

    report = inspect(good_.substr(0, good_.size() - 10), &code);
    EXPECT_EQ(code, 1);
    EXPECT_NE(report.find("Load Error 04h: The package is truncated."), std::string::npos)
        << report;

    report = inspect(std::string(good_).replace(1028, 4, kLocatorUnpatched), &code);
    EXPECT_EQ(code, 1);
    EXPECT_NE(report.find("Load Error 00h"), std::string::npos) << report;

    report = inspect(std::string(9000, 'M'), &code);
    EXPECT_EQ(code, 1);
    EXPECT_NE(report.find("not a Stowaway installer"), std::string::npos) << report;

    // A record count beyond the records: loads, but the install would stop at record #2.
    report = inspect(withInt32At(kP + 4 + 9 + 13, 2), &code);
    EXPECT_EQ(code, 1);
    EXPECT_NE(report.find("Record #2 cannot be read (EReadError: Stream read error); the install "
                          "command would stop there"),
              std::string::npos)
        << report;

    // In a small package's zero padding a larger count meets records without a placement
    // byte: the install stops at the first of them, not where reading would fail.
    PackageContents small;
    small.vendor = "ZYLOR";
    small.package = "DAQ Suite";
    PackRecord r;
    r.placementByte = 0x10;
    r.path = "a.txt";
    r.content = "a";
    r.contentSize = 1;
    r.key = "C:\\a.txt";
    small.records.push_back(r);
    r.placementByte = 0x07;  // not a valid code
    small.records.push_back(r);
    writeInstaller(test::fakeStub(), "stub", small, temp_.path() / "small.exe");
    const std::string small_bytes = test::readBytes(temp_.path() / "small.exe");
    std::string padded = small_bytes;
    std::string count;
    appendInt32(count, 100000);
    padded.replace(kP + 4 + 9 + 13, 4, count);
    small.records.pop_back();
    writeInstaller(test::fakeStub(), "stub", small, temp_.path() / "one.exe");
    std::string one = test::readBytes(temp_.path() / "one.exe");
    one.replace(kP + 4 + 9 + 13, 4, count);
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"padding read as records", one,
         {"#2  (no placement byte; the install stops here)",
          "cannot be read (EReadError: Stream read error)\n",
          "The install command stops at record #2\n"}},
        {"an invalid code before the padding", padded,
         {"#2  0x07 code 7", "The install command stops at record #2\n"}},
    };
    for (const Case& c : cases) {
        report = inspect(c.bytes, &code);
        EXPECT_EQ(code, 1) << c.name;
        for (const std::string& part : c.expected) {
            EXPECT_NE(report.find(part), std::string::npos) << c.name << ": " << part << "\n"
                                                            << report;
        }
        EXPECT_EQ(report.find("would stop there"), std::string::npos) << c.name << "\n" << report;
    }
}

}  // namespace
}  // namespace stow::pack
