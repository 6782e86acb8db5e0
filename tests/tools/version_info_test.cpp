// The installer's version information: slots found in a stub's VERSIONINFO tree, rewritten in
// place with the manifest's texts and numbers, and refused when a text does not fit.
#include "stowpack/version_info.h"

#include <gtest/gtest.h>

#include "tools/pack_support.h"

namespace stow::pack {
namespace {

std::string le16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

std::string utf16(const std::string& ascii) {
    std::string out;
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
}

std::string pad4(std::string bytes) {
    bytes.resize((bytes.size() + 3) & ~size_t{3}, '\0');
    return bytes;
}

// One VERSIONINFO node as resource compilers lay it out; children follow the padded value.
std::string node(const std::string& key, unsigned type, const std::string& value,
                 unsigned value_length, const std::string& children = {}) {
    std::string head = pad4(std::string(6, '\0') + utf16(key) + std::string(2, '\0'));
    std::string body = children.empty() ? head + value : head + pad4(value) + children;
    return le16(static_cast<unsigned>(body.size())) + le16(value_length) + le16(type) +
           body.substr(6);
}

// A text slot of `width` characters holding text padded with blanks, as the stub's are.
std::string slot(const std::string& key, const std::string& text, size_t width) {
    const std::string padded = text + std::string(width - text.size(), ' ');
    return pad4(node(key, 1, utf16(padded) + std::string(2, '\0'),
                     static_cast<unsigned>(width + 1)));
}

// A stub-like image: some code bytes, then the tree.
std::string stubImage() {
    const std::string strings = slot("CompanyName", "Stowaway", 15) +
                                slot("FileDescription", "Stowaway installer", 23) +
                                slot("FileVersion", "1.0.0.0", 23) + slot("LegalCopyright", "", 23) +
                                slot("ProductName", "Stowaway", 15) +
                                slot("ProductVersion", "1.0.0.0", 23);
    const std::string table = node("040904B0", 1, "", 0, strings);
    const std::string file_info = node("StringFileInfo", 1, "", 0, pad4(table));
    const std::string var = node("VarFileInfo", 1, "", 0,
                                 node("Translation", 0, le16(0x409) + le16(1200), 4));
    const std::string fixed = le16(0x04BD) + le16(0xFEEF) + std::string(48, '\0');
    return std::string(8, 'C') + node("VS_VERSION_INFO", 0, fixed, 52, pad4(file_info) + var);
}

TEST(VersionInfo, FindsEverySlotAndPatchesTextsAndNumbersInPlace) {
    std::string image = stubImage();
    VersionInfo info;
    ASSERT_TRUE(findVersionInfo(image, info));
    ASSERT_EQ(info.slots.size(), 6u);
    const VersionSlot& company = info.slots[0];
    EXPECT_EQ(std::tie(company.key, company.capacity, company.value),
              std::make_tuple("CompanyName", 15u, "Stowaway" + std::string(7, ' ')));
    EXPECT_EQ(info.slots[1].capacity, 23u);
    VersionInfo none;
    EXPECT_FALSE(findVersionInfo(std::string(200, 'x'), none));
    EXPECT_THROW(findVersionInfo(image + image, none), PackError);  // two trees: which one?

    // What Windows reads from a patched stub (every text and the numbers) is the Wine
    // install-signed scenario's; here the patch stays in place and clears the slot's rest.
    const size_t size = image.size();
    ASSERT_TRUE(patchVersionInfo(image, {{"CompanyName", "ZYLOR"}}, parseVersion("2.1.0.7")));
    EXPECT_EQ(image.size(), size);
    EXPECT_EQ(image.substr(0, 8), std::string(8, 'C'));
    // The value length counts the text and its NUL; the rest of the slot is zeros.
    EXPECT_EQ(static_cast<unsigned char>(image[company.lengthOffset]), 6u);
    EXPECT_EQ(image.substr(company.valueOffset + 10, 22), std::string(22, '\0'));
}

TEST(VersionInfo, RefusesWhatDoesNotFit) {
    const struct {
        const char* key;
        std::string text;
        const char* says;
    } cases[] = {
        {"CompanyName", std::string(16, 'V'), "CompanyName \"VVVVVVVVVVVVVVVV\" is 16 characters "
                                              "long; the installer's slot holds at most 15"},
        {"Comments", "x", "no version slot for Comments"},
    };
    for (const auto& c : cases) {
        std::string image = stubImage();
        const std::string message = test::packRefusal(
            [&] { patchVersionInfo(image, {{c.key, c.text}}, parseVersion("1")); });
        EXPECT_NE(message.find(c.says), std::string::npos) << "-> " << message;
    }
    std::string plain(300, 'x');
    EXPECT_FALSE(patchVersionInfo(plain, {{"CompanyName", "V"}}, parseVersion("1")));
    EXPECT_EQ(plain, std::string(300, 'x'));
}

TEST(VersionInfo, VersionTextsAreOneToFourNumbers) {
    EXPECT_EQ(parseVersion("2"), (VersionNumbers{2, 0, 0, 0}));
    EXPECT_EQ(parseVersion("2.1.0.7"), (VersionNumbers{2, 1, 0, 7}));
    EXPECT_EQ(parseVersion("65535.0"), (VersionNumbers{65535, 0, 0, 0}));
    for (const char* bad : {"", "1.", ".1", "1..2", "1.2.3.4.5", "65536", "1.a", "-1", "1 "}) {
        EXPECT_THROW(parseVersion(bad), PackError) << bad;
    }
}

}  // namespace
}  // namespace stow::pack
