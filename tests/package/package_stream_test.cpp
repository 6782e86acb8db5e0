// The forward reader: lengths are checked before allocation, short reads are read errors. Plain
// strings and integers in order are the loader's test, which reads a header through it.
#include "package/package_stream.h"

#include <gtest/gtest.h>

#include <climits>

#include "base/error.h"
#include "support/counting_file_system.h"
#include "support/memory_file.h"
#include "support/package_builder.h"

namespace stow {
namespace {

using test::le32;

PackageStream streamOver(const std::string& bytes, int64_t begin = 0, int64_t end = -1) {
    if (end < 0) end = static_cast<int64_t>(bytes.size());
    return PackageStream(std::make_unique<test::MemoryFile>(bytes), begin, end);
}

TEST(PackageStreamTest, BadLengthsAreReadErrors) {
    struct Case {
        const char* name;
        std::string bytes;
        int64_t end = -1;  // -1: the end of the bytes
    };
    const Case cases[] = {
        {"negative length", le32(-1) + "abc"},
        {"length past the end", le32(4) + "abc"},
        {"most negative length", le32(INT32_MIN)},
        {"huge length", le32(0x7FFFFFFF)},
        {"short length field", std::string("\x01\x00", 2)},
        {"empty", ""},
        {"string beyond the given end", le32(5) + "hello", 6},
    };
    for (const auto& c : cases) {
        auto s = streamOver(c.bytes, 0, c.end);
        EXPECT_THROW(s.readString(), EReadError) << c.name;
    }
}

std::string copied(PackageStream& s, const ContentRef& ref) {
    std::string out;
    EXPECT_TRUE(s.copyContent(ref, [&out](const char* p, size_t n) {
        out.append(p, n);
        return true;
    }));
    return out;
}

TEST(PackageStreamTest, ContentIsCopiedByReferenceAndCanBeReadTwice) {
    std::string big(PackageStream::kChunkSize + 17, 'x');
    big[5] = 'y';
    auto s = streamOver(le32(static_cast<int32_t>(big.size())) + big + le32(2) + "ok");
    ContentRef ref = s.skipString();
    EXPECT_EQ(s.readString(), "ok");
    EXPECT_EQ(copied(s, ref), big);
    EXPECT_EQ(copied(s, ref), big);
    EXPECT_EQ(s.readContent(ref), big);
}

// Records laid out as a package lays them out: content, then a field read after it.
struct Laid {
    std::string bytes;
    std::vector<std::string> contents;
};
Laid layRecords(const std::vector<size_t>& sizes) {
    Laid laid;
    for (size_t i = 0; i < sizes.size(); ++i) {
        std::string content(sizes[i], static_cast<char>('a' + i % 26));
        if (!content.empty()) content.back() = '!';  // an off-by-one shows at the end
        laid.bytes += le32(static_cast<int32_t>(content.size())) + content + le32(1) + "#";
        laid.contents.push_back(content);
    }
    return laid;
}

TEST(PackageStreamTest, ContentsOfEverySizeAroundTheBufferComeWhole) {
    const size_t b = PackageStream::kBufferSize;
    const std::vector<std::vector<size_t>> runs = {
        {0, 1, 0, 5},
        {1000, b - 3, 7, b, 2, b + 1, 9},       // straddling and overrunning the buffer
        {b - 9, b - 9, b - 9, b - 9},           // each one starts behind the last buffer
        {3 * PackageStream::kChunkSize / 2, 4},  // the chunked path, then a small one again
    };
    for (const auto& sizes : runs) {
        Laid laid = layRecords(sizes);
        auto s = streamOver(laid.bytes);
        for (size_t i = 0; i < sizes.size(); ++i) {
            ContentRef ref = s.skipString();
            ASSERT_EQ(s.readString(), "#") << "record " << i << " of size " << sizes[i];
            EXPECT_EQ(copied(s, ref), laid.contents[i]) << "record " << i;
        }
        EXPECT_EQ(s.remaining(), 0);
    }
}

TEST(PackageStreamTest, SmallContentsComeWithTheBufferNotWithAReadEach) {
    Laid laid = layRecords(std::vector<size_t>(400, 1000));
    auto file = std::make_unique<test::CountingFile>(laid.bytes);
    test::CountingFile& counts = *file;
    PackageStream s(std::move(file), 0, static_cast<int64_t>(laid.bytes.size()));
    for (const std::string& content : laid.contents) {
        ContentRef ref = s.skipString();
        s.readString();
        ASSERT_EQ(copied(s, ref), content);
    }
    const int buffers = static_cast<int>(laid.bytes.size() / PackageStream::kBufferSize) + 1;
    EXPECT_LE(counts.reads, buffers + 1);
    EXPECT_LE(counts.seeks, 1);
}

TEST(PackageStreamTest, ContentCutShortIsAReadError) {
    // The body claims 14 bytes; the file ends after 7.
    auto s = PackageStream(std::make_unique<test::MemoryFile>(le32(10) + "abc"), 0, 14);
    EXPECT_THROW(copied(s, s.skipString()), EReadError);
}

}  // namespace
}  // namespace stow
