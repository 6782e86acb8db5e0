// The loader against crafted installer files: every numbered load error at and around its
// limits, damaged header strings, and a header read that leaves the body on disk.
#include "engine/loader.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>

#include "base/error.h"
#include "platform/sim/sim_windows.h"
#include "support/memory_file.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

namespace stow {
namespace {

using test::le32;

std::string lstr(const std::string& s) { return le32(static_cast<int64_t>(s.size())) + s; }

// A file that counts the bytes read through it.
class CountingFile : public test::MemoryFile {
public:
    CountingFile(std::string bytes, int64_t& counter)
        : MemoryFile(std::move(bytes)), counter_(counter) {}
    size_t read(void* buffer, size_t n) override {
        size_t r = MemoryFile::read(buffer, n);
        counter_ += static_cast<int64_t>(r);
        return r;
    }

private:
    int64_t& counter_;
};

// Only openRead matters to the loader.
class BytesFileSystem : public FileSystem {
public:
    std::map<std::string, std::string> files;
    int64_t bytesRead = 0;

    std::unique_ptr<File> openRead(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) return nullptr;
        return std::make_unique<CountingFile>(it->second, bytesRead);
    }
    std::unique_ptr<File> create(const std::string&) override { return nullptr; }
    bool createDirectory(const std::string&) override { return false; }
    uint32_t attributes(const std::string&) override { return kInvalidAttributes; }
    std::unique_ptr<Finder> findFirst(const std::string&) override { return nullptr; }
    std::string currentDirectory() override { return "C:\\"; }
    bool setCurrentDirectory(const std::string&) override { return false; }
};

const std::string kExe = "C:\\Setup.exe";

// An image of `offset` filler bytes followed by the package: length field, then body.
std::string installer(int64_t offset, int64_t length_field, const std::string& body) {
    return std::string(static_cast<size_t>(offset), 'M') + le32(length_field) + body;
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
};

Outcome load(BytesFileSystem& fs, int64_t locator) {
    std::string bytes = le32(locator);
    Outcome out;
    try {
        out.package = loadPackage(fs, kExe, reinterpret_cast<const unsigned char*>(bytes.data()));
    } catch (const LoadError& e) {
        out.code = e.code();
        out.text = e.text();
    }
    return out;
}

Outcome loadFile(const std::string& file, int64_t locator) {
    BytesFileSystem fs;
    fs.files[kExe] = file;
    return load(fs, locator);
}

TEST(LoaderTest, ReadsTheHeaderAndLeavesTheStreamAtTheFirstRecord) {
    Outcome out = loadFile(installer(5000, 4096, body(4096)) + "signature block", 5000);
    ASSERT_EQ(out.code, -1) << out.text;
    EXPECT_EQ(out.package.vendorName, "ZYLOR");
    EXPECT_EQ(out.package.packageName, "DAQ Suite");
    EXPECT_EQ(out.package.recordCount, 1);
    EXPECT_EQ(out.package.startMenuGroup, "ZYLOR DAQ Suite");
    ASSERT_TRUE(out.package.stream);
    EXPECT_EQ(out.package.stream->readString(), "\x10ReadMe.txt");
    EXPECT_EQ(out.package.stream->readString(), "hello");
    EXPECT_EQ(out.package.stream->readString(), "C:\\ReadMe.txt");
    EXPECT_EQ(out.package.stream->readInt32(), 0x58210000);
    // The stream ends where the package does; the signature block is out of reach.
    EXPECT_EQ(out.package.stream->position() + out.package.stream->remaining(), 5000 + 4096);
}

TEST(LoaderTest, NoAttachedPackage) {
    BytesFileSystem fs;  // the file is not even opened
    Outcome out;
    try {
        loadPackage(fs, kExe, reinterpret_cast<const unsigned char*>("XXXX"));
    } catch (const LoadError& e) {
        out.code = e.code();
    }
    EXPECT_EQ(out.code, 0x00);
}

TEST(LoaderTest, ChecksAtAndAroundEveryLimit) {
    struct Case {
        const char* name;
        int64_t locator;
        std::string file;
        int expected;
    };
    const int64_t big = 0x3FFFFFFF;
    const Case cases[] = {
        {"P = 4092 is the smallest offset", 4092, installer(4092, 4096, body(4096)), -1},
        {"P = 4091", 4091, installer(4091, 4096, body(4096)), 0x01},
        {"P = 0", 0, installer(0, 4096, body(4096)), 0x01},
        {"P = -1", -1, installer(4092, 4096, body(4096)), 0x01},
        {"P = INT32_MIN", INT32_MIN, installer(4092, 4096, body(4096)), 0x01},
        {"P = INT32_MAX does not wrap", INT32_MAX, installer(4092, 4096, body(4096)), 0x01},
        {"P = 0x40000000", 0x40000000, installer(4092, 4096, body(4096)), 0x01},
        {"P = 0x3FFFFFFF passes the offset check", big, installer(4092, 4096, body(4096)), 0x02},
        {"file ends at P", 4092, installer(4092, 4096, "").substr(0, 4092), 0x02},
        {"file ends inside the length field", 4092, installer(4092, 4096, "").substr(0, 4095),
         0x02},
        {"file ends behind the length field", 4092, installer(4092, 4096, ""), 0x04},
        {"L = 4096", 4096, installer(4096, 4096, body(4096)), -1},
        {"L = 4095", 4096, installer(4096, 4095, body(4096)), 0x03},
        {"L = 0", 4096, installer(4096, 0, body(4096)), 0x03},
        {"L = -1", 4096, installer(4096, -1, body(4096)), 0x03},
        {"L = 0x40000000", 4096, installer(4096, 0x40000000, body(4096)), 0x03},
        {"L = INT32_MAX", 4096, installer(4096, INT32_MAX, body(4096)), 0x03},
        {"L = 0x3FFFFFFF passes the length check", 4096, installer(4096, big, body(4096)), 0x04},
        {"file one byte short of P + L", 4096, installer(4096, 5000, body(5000)).substr(0, 9095),
         0x04},
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

TEST(LoaderTest, BadStringLengthsAreReadErrors) {
    struct Case {
        const char* name;
        std::string header;
    };
    const Case cases[] = {
        {"negative vendor length", le32(-1) + "ZYLOR"},
        {"most negative vendor length", le32(INT32_MIN)},
        {"vendor longer than the body", le32(4093) + "ZYLOR"},
        {"vendor length INT32_MAX", le32(INT32_MAX)},
        {"negative package length", lstr("ZYLOR") + le32(-5)},
        {"package longer than the body", lstr("ZYLOR") + le32(4084)},
    };
    for (const Case& c : cases) {
        std::string b = c.header;
        b.resize(4092, '\0');
        Outcome out = loadFile(installer(4096, 4096, b), 4096);
        EXPECT_EQ(out.code, 0xFF) << c.name;
        EXPECT_NE(out.text.find("EReadError: Stream read error"), std::string::npos) << c.name;
    }
}

TEST(LoaderTest, RecordCountIsTakenUnchanged) {
    for (int32_t count : {0, -1, INT32_MIN, INT32_MAX}) {
        Outcome out = loadFile(installer(4096, 4096, body(4096, "V", "P", count)), 4096);
        ASSERT_EQ(out.code, -1);
        EXPECT_EQ(out.package.recordCount, count);
    }
}

TEST(LoaderTest, EmptyNamesGiveAGroupOfOneBlank) {
    Outcome out = loadFile(installer(4096, 4096, body(4096, "", "")), 4096);
    ASSERT_EQ(out.code, -1);
    EXPECT_EQ(out.package.startMenuGroup, " ");
}

TEST(LoaderTest, AFileThatCannotBeOpenedIsAnOpenError) {
    BytesFileSystem fs;
    Outcome out = load(fs, 4096);
    EXPECT_EQ(out.code, 0xFF);
    EXPECT_NE(out.text.find("Details are as follows:\r\nEFOpenError: Cannot open file "
                            "\"C:\\Setup.exe\"."),
              std::string::npos)
        << out.text;
}

TEST(LoaderTest, TheBodyStaysOnDisk) {
    const int64_t length = 8 * 1024 * 1024;
    BytesFileSystem fs;
    fs.files[kExe] = installer(4096, length, body(length));
    Outcome out = load(fs, 4096);
    ASSERT_EQ(out.code, -1);
    EXPECT_LE(fs.bytesRead, 4 + static_cast<int64_t>(PackageStream::kBufferSize));
}

TEST(LoaderTest, CaptionsAndTexts) {
    EXPECT_EQ(LoadError(0x00).caption(), "Load Error 00h");
    EXPECT_EQ(LoadError(0x03).caption(), "Load Error 03h");
    EXPECT_EQ(LoadError(0xFF, "X").caption(), "Load Error FFh");
    EXPECT_EQ(LoadError(0x02).text(),
              "This file is truncated. Try downloading it again, or contact the factory for "
              "assistance.");
    EXPECT_EQ(LoadError(0xFF, "EOutOfMemory: Out of memory").text(),
              "An exception occurred while loading. Please contact the factory for assistance. "
              "Details are as follows:\r\nEOutOfMemory: Out of memory");
}

TEST(LoaderTest, OnTheSimulatedMachine) {
    test::TempDir dir;
    sim::SimWindows win(sim::Profile::Nt32, dir.path() / "machine");
    win.writeFile("C:\\Download\\Setup.exe", installer(4096, 4096, body(4096)));
    const std::string locator = le32(4096);
    const auto* data = reinterpret_cast<const unsigned char*>(locator.data());
    LoadedPackage package = loadPackage(win.platform().files, "c:\\download\\SETUP.EXE", data);
    EXPECT_EQ(package.startMenuGroup, "ZYLOR DAQ Suite");

    try {
        loadPackage(win.platform().files, "C:\\Download\\Missing.exe", data);
        FAIL() << "loaded a missing file";
    } catch (const LoadError& e) {
        showLoadError(win.platform().system, e);
    }
    showLoadError(win.platform().system, LoadError(0x03));
    const auto& boxes = win.messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "Load Error FFh");
    EXPECT_EQ(boxes[0].text.rfind("An exception occurred while loading.", 0), 0u);
    EXPECT_NE(boxes[0].text.find("\r\nEFOpenError: Cannot open file "), std::string::npos);
    EXPECT_EQ(boxes[1].caption, "Load Error 03h");
    EXPECT_EQ(boxes[1].text,
              "The package is corrupted. Please contact the factory for assistance.");
    EXPECT_EQ(boxes[1].flags, kMbOk | kMbIconExclamation);
}

}  // namespace
}  // namespace stow
