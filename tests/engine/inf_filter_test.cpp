// The INF filter: which lines go, which stay, and how every kind of line break comes out.
#include "engine/inf_filter.h"

#include <gtest/gtest.h>

namespace stow {
namespace {

TEST(InfFilterTest, RemovesCopyFilesAndCatalogFileLinesAndBreaksWithCrLf) {
    struct Case {
        const char* name;
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"blanks around the key", "a\r\n  CopyFiles  = X\r\nb\r\n", "a\r\nb\r\n"},
        {"no blanks", "CatalogFile=x.cat\r\n", ""},
        {"tabs and control bytes", "\t\x01 CopyFiles\t\x1f=X\r\nkeep\r\n", "keep\r\n"},
        {"NUL at the key's edges is trimmed", std::string("\0CopyFiles\0=X\r\n", 15), ""},
        {"letter case differs", "copyfiles=X\r\nCATALOGFILE=y\r\n", "copyfiles=X\r\nCATALOGFILE=y\r\n"},
        {"no equals sign", "CopyFiles\r\n", "CopyFiles\r\n"},
        {"key is only the text before the first equals", "X=CopyFiles=Y\r\n", "X=CopyFiles=Y\r\n"},
        {"value that looks like a key", "CopyFiles==\r\n", ""},
        {"longer key", "CopyFiles2=X\r\nCatalogFile.NTx86=a.cat\r\n",
         "CopyFiles2=X\r\nCatalogFile.NTx86=a.cat\r\n"},
        {"comment line", "; CopyFiles=X\r\n", "; CopyFiles=X\r\n"},
        {"empty key", "=X\r\n", "=X\r\n"},
        {"NUL inside a line is an ordinary byte", std::string("a\0b=c\r\n", 7),
         std::string("a\0b=c\r\n", 7)},
        {"high bytes", "\xe4\xf6=\xfc\r\n", "\xe4\xf6=\xfc\r\n"},
        {"empty content", "", ""},
        {"no final break", "a", "a\r\n"},
        {"final LF ends the line", "a\r\nb\n", "a\r\nb\r\n"},
        {"CR alone", "a\rb\r", "a\r\nb\r\n"},
        {"LF CR is two breaks", "a\n\rb", "a\r\n\r\nb\r\n"},
        {"CR CR LF", "a\r\r\nb", "a\r\n\r\nb\r\n"},
        {"empty lines stay", "\r\n\n\r", "\r\n\r\n\r\n"},
        {"removed line between empty ones", "\nCopyFiles=1\n\n", "\r\n\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(filterInf(c.in), c.out) << c.name;
}

std::string utf16le(const std::string& ascii) {
    std::string out = "\xff\xfe";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

TEST(InfFilterTest, Utf16TextIsFilteredInUnitsAndStaysUtf16) {
    EXPECT_EQ(filterInf(utf16le("[V]\nCopyFiles = A\r\nCatalogFile=b.cat\rx=1")),
              utf16le("[V]\r\nx=1\r\n"));
    // Big-endian, and a stray odd byte at the end is kept.
    std::string be = std::string("\xfe\xff", 2) + std::string("\0a\0=\0\n\0C", 8) + "Z";
    EXPECT_EQ(filterInf(be), std::string("\xfe\xff", 2) + std::string("\0a\0=\0\r\0\n\0C\0\r\0\n", 14) + "Z");
    // A lone mark and a mark with half a unit.
    EXPECT_EQ(filterInf("\xff\xfe"), "\xff\xfe");
    EXPECT_EQ(filterInf("\xff\xfe" "A"), "\xff\xfe" "A");
}

TEST(InfFilterTest, LongLinesAndManyLinesComeThroughWhole) {
    std::string big(8 << 20, 'x');
    std::string out = filterInf(big);
    EXPECT_EQ(out.size(), big.size() + 2);
    std::string many;
    for (int i = 0; i < 200000; ++i) many += "k=v\n";
    EXPECT_EQ(filterInf(many).size(), many.size() + 200000);
}

}  // namespace
}  // namespace stow
