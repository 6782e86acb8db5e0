// The forward reader: lengths are checked before allocation, short reads are read errors.
#include "engine/package_stream.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "support/memory_file.h"

namespace stow {
namespace {

std::string le32(int32_t v) {
    auto u = static_cast<uint32_t>(v);
    return std::string{static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
                       static_cast<char>((u >> 16) & 0xFF), static_cast<char>((u >> 24) & 0xFF)};
}

PackageStream streamOver(const std::string& bytes, int64_t begin = 0, int64_t end = -1) {
    if (end < 0) end = static_cast<int64_t>(bytes.size());
    return PackageStream(std::make_unique<test::MemoryFile>(bytes), begin, end);
}

TEST(PackageStreamTest, ReadsStringsAndIntegersInOrder) {
    auto s = streamOver(le32(3) + "abc" + le32(-7) + le32(0));
    EXPECT_EQ(s.readString(), "abc");
    EXPECT_EQ(s.readInt32(), -7);
    EXPECT_EQ(s.readString(), "");
    EXPECT_EQ(s.remaining(), 0);
}

TEST(PackageStreamTest, BadLengthsAreReadErrors) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"negative length", le32(-1) + "abc"},
        {"length past the end", le32(4) + "abc"},
        {"huge length", le32(0x7FFFFFFF)},
        {"short length field", std::string("\x01\x00", 2)},
        {"empty", ""},
    };
    for (const auto& c : cases) {
        auto s = streamOver(c.bytes);
        EXPECT_THROW(s.readString(), EReadError) << c.name;
    }
}

TEST(PackageStreamTest, NeverReadsPastTheGivenEnd) {
    std::string bytes = le32(3) + "abc" + le32(5) + "hello";
    auto s = streamOver(bytes, 0, 10);  // the second string's bytes lie beyond the end
    EXPECT_EQ(s.readString(), "abc");
    EXPECT_THROW(s.readString(), EReadError);
}

TEST(PackageStreamTest, ContentIsCopiedByReferenceAndCanBeReadTwice) {
    std::string big(PackageStream::kChunkSize + 17, 'x');
    big[5] = 'y';
    auto s = streamOver(le32(static_cast<int32_t>(big.size())) + big + le32(2) + "ok");
    ContentRef ref = s.skipString();
    EXPECT_EQ(s.readString(), "ok");
    for (int pass = 0; pass < 2; ++pass) {
        std::string copy;
        EXPECT_TRUE(s.copyContent(ref, [&](const char* p, size_t n) {
            copy.append(p, n);
            return true;
        }));
        EXPECT_EQ(copy, big);
    }
    EXPECT_EQ(s.readContent(ref), big);
}

TEST(PackageStreamTest, StartsAtItsBeginOffset) {
    auto s = streamOver("junk" + le32(2) + "hi", 4);
    EXPECT_EQ(s.readString(), "hi");
}

}  // namespace
}  // namespace stow
