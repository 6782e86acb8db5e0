// The loader against crafted installer files: every numbered load error at and around its
// limits, damaged header strings, and a header read that leaves the body in the file.
#include "engine/loader.h"

#include <gtest/gtest.h>

#include <climits>

#include "package/package_records.h"
#include "support/counting_file_system.h"
#include "support/package_builder.h"

namespace stow {
namespace {

using test::le32;

std::string lstr(const std::string& s) { return le32(static_cast<int32_t>(s.size())) + s; }

// An image of `offset` filler bytes followed by the package: length field, then body.
std::string installer(int64_t offset, int64_t length_field, const std::string& body) {
    return std::string(static_cast<size_t>(offset), 'M') + le32(static_cast<int32_t>(length_field)) +
           body;
}

// A well-formed body of exactly length - 4 bytes: header, one record, zero padding.
std::string body(int64_t length, const std::string& vendor = "ZYLOR",
                 const std::string& package = "DAQ Suite", int32_t count = 1) {
    std::string b = lstr(vendor) + lstr(package) + le32(count) + lstr(std::string("\x10") +
                    "ReadMe.txt") + lstr("hello") + lstr("C:\\ReadMe.txt") + le32(0x58210000);
    b.resize(static_cast<size_t>(length - 4), '\0');
    return b;
}

struct Outcome {
    int code = -1;  // -1: loaded
    std::string text;
    LoadedPackage package;
    int64_t bytesRead = 0;
};

Outcome loadFile(const std::string& file, int64_t locator) {
    const std::string data = le32(static_cast<int32_t>(locator));
    auto counted = std::make_unique<test::CountingFile>(file);
    const test::CountingFile& counts = *counted;
    Outcome out;
    try {
        out.package =
            loadPackage(std::move(counted), reinterpret_cast<const unsigned char*>(data.data()));
        out.bytesRead = counts.bytesRead;
    } catch (const LoadError& e) {
        out.code = e.code();
        out.text = e.text();
    }
    return out;
}

TEST(LoaderTest, ReadsTheHeaderAndLeavesTheStreamAtTheFirstRecord) {
    Outcome out = loadFile(installer(5000, 4096, body(4096)) + "signature block", 5000);
    ASSERT_EQ(out.code, -1) << out.text;
    EXPECT_EQ(out.package.vendorName, "ZYLOR");
    EXPECT_EQ(out.package.packageName, "DAQ Suite");
    EXPECT_EQ(out.package.recordCount, 1);
    EXPECT_EQ(out.package.startMenuGroup, "ZYLOR DAQ Suite");
    ASSERT_TRUE(out.package.stream);
    const PackageRecord record = readPackageRecord(*out.package.stream);
    EXPECT_EQ(record.placement, "\x10ReadMe.txt");
    EXPECT_EQ(out.package.stream->readContent(record.content), "hello");
    EXPECT_EQ(record.sourceKey, "C:\\ReadMe.txt");
    EXPECT_EQ(record.timeStamp, 0x58210000);
    // The stream ends where the package does; the signature block is out of reach.
    EXPECT_EQ(out.package.stream->position() + out.package.stream->remaining(), 5000 + 4096);
}

// Files that end early are the next test's.
TEST(LoaderTest, ChecksAtAndAroundEveryLimit) {
    struct Case {
        const char* name;
        int64_t locator;
        std::string file;
        int expected;
    };
    const int64_t big = 0x3FFFFFFF;
    const Case cases[] = {
        {"locator unpatched", decodeInt32(reinterpret_cast<const unsigned char*>(kLocatorUnpatched)),
         installer(4092, 4096, body(4096)), 0x00},
        {"P = 4092 is the smallest offset", 4092, installer(4092, 4096, body(4096)), -1},
        {"P = 4091", 4091, installer(4091, 4096, body(4096)), 0x01},
        {"P = 0", 0, installer(0, 4096, body(4096)), 0x01},
        {"P = -1", -1, installer(4092, 4096, body(4096)), 0x01},
        {"P = INT32_MIN", INT32_MIN, installer(4092, 4096, body(4096)), 0x01},
        {"P = INT32_MAX does not wrap", INT32_MAX, installer(4092, 4096, body(4096)), 0x01},
        {"P = 0x40000000", 0x40000000, installer(4092, 4096, body(4096)), 0x01},
        {"P = 0x3FFFFFFF passes the offset check", big, installer(4092, 4096, body(4096)), 0x02},
        {"L = 4096", 4096, installer(4096, 4096, body(4096)), -1},
        {"L = 4095", 4096, installer(4096, 4095, body(4096)), 0x03},
        {"L = 0", 4096, installer(4096, 0, body(4096)), 0x03},
        {"L = -1", 4096, installer(4096, -1, body(4096)), 0x03},
        {"L = 0x40000000", 4096, installer(4096, 0x40000000, body(4096)), 0x03},
        {"L = INT32_MAX", 4096, installer(4096, INT32_MAX, body(4096)), 0x03},
        {"L = 0x3FFFFFFF passes the length check", 4096, installer(4096, big, body(4096)), 0x04},
        {"file exactly P + L", 4096, installer(4096, 5000, body(5000)), -1},
        {"bytes behind the package", 4096, installer(4096, 5000, body(5000)) + "SIG\0\1", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(loadFile(c.file, c.locator).code, c.expected) << c.name;
    }
}

TEST(LoaderTest, EveryCutOfThePackageIsATruncationError) {
    const int64_t p = 4100;
    const std::string file = installer(p, 4200, body(4200));
    for (size_t cut = 0; cut < file.size(); ++cut) {
        int expected = static_cast<int64_t>(cut) < p + 4 ? 0x02 : 0x04;
        ASSERT_EQ(loadFile(file.substr(0, cut), p).code, expected) << "cut at " << cut;
    }
}

// A header string whose length is bad is a read error like this one; the stream's own test
// holds the lengths.
TEST(LoaderTest, HeaderEndingAnywherePastTheBodyIsAReadError) {
    // The header is longer than the smallest body: let the body end at every byte of its tail.
    const std::string header = lstr(std::string(4080, 'V')) + lstr("DAQ Suite") + le32(3);
    ASSERT_GT(header.size(), 4092u);
    const std::string expected_text =
        "An exception occurred while loading. Please contact the factory for assistance. "
        "Details are as follows:\r\nEReadError: Stream read error";
    for (int64_t length = 4096; length < static_cast<int64_t>(header.size()) + 4; ++length) {
        // The file holds the whole header; only L says where the body ends.
        Outcome out = loadFile(installer(4096, length, header), 4096);
        ASSERT_EQ(out.code, 0xFF) << "L = " << length;
        ASSERT_EQ(out.text, expected_text);
    }
    Outcome whole = loadFile(installer(4096, static_cast<int64_t>(header.size()) + 4, header), 4096);
    EXPECT_EQ(whole.code, -1);
    EXPECT_EQ(whole.package.recordCount, 3);
}

TEST(LoaderTest, HeaderFieldsAreTakenUnchanged) {
    struct Case {
        std::string vendor, package;
        int32_t count;
        std::string group;
    };
    const Case cases[] = {
        {"V", "P", 0, "V P"},           {"V", "P", -1, "V P"},
        {"V", "P", INT32_MIN, "V P"},   {"V", "P", INT32_MAX, "V P"},
        {"", "", 1, " "},  // empty names give a group of one blank
    };
    for (const Case& c : cases) {
        Outcome out = loadFile(installer(4096, 4096, body(4096, c.vendor, c.package, c.count)), 4096);
        ASSERT_EQ(out.code, -1);
        EXPECT_EQ(out.package.recordCount, c.count);
        EXPECT_EQ(out.package.startMenuGroup, c.group);
    }
}

TEST(LoaderTest, TheBodyStaysInTheFile) {
    const int64_t length = 8 * 1024 * 1024;
    Outcome out = loadFile(installer(4096, length, body(length)), 4096);
    ASSERT_EQ(out.code, -1);
    EXPECT_LE(out.bytesRead, 4 + static_cast<int64_t>(PackageStream::kBufferSize));
}

TEST(LoaderTest, CaptionsAndTexts) {
    const struct {
        LoadError error;
        const char* caption;
        const char* text;
    } cases[] = {
        {LoadError(0x02), "Load Error 02h",
         "This file is truncated. Try downloading it again, or contact the factory for "
         "assistance."},
        {LoadError(0x03), "Load Error 03h",
         "The package is corrupted. Please contact the factory for assistance."},
        {LoadError(0xFF, "EOutOfMemory: Out of memory"), "Load Error FFh",
         "An exception occurred while loading. Please contact the factory for assistance. "
         "Details are as follows:\r\nEOutOfMemory: Out of memory"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.error.caption(), c.caption);
        // One of the error classes, its text the message.
        EXPECT_EQ(static_cast<const Error&>(c.error).describe(), std::string("LoadError: ") + c.text);
    }
}

}  // namespace
}  // namespace stow
