// VERSIONINFO is a tree of nodes: length, value length, type, a UTF-16 key, the value, then the
// children, each part aligned to four bytes from the start of the tree. The slots are the
// values of the String nodes; a slot's room is what its node's length leaves for the value.
#include "stowpack/version_info.h"

#include <fstream>

#include "stowpack/format.h"
#include "stowpack/manifest.h"
#include "stowpack/text_encoding.h"

namespace stow::pack {
namespace {

constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr size_t kFixedInfoSize = 52;
constexpr char kUtf16[] = "UTF-16LE";

uint16_t word(const std::string& b, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                                 static_cast<unsigned char>(b[at + 1]) << 8);
}

void putWord(std::string& b, size_t at, uint16_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}

std::string utf16(const std::string& ascii) {
    std::string out;
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

struct Node {
    size_t start = 0, end = 0;
    uint16_t valueLength = 0, type = 0;
    std::string key;  // ASCII keys only are needed here
    size_t value = 0, children = 0;
};

class Tree {
public:
    Tree(const std::string& image, size_t root) : image_(image), root_(root) {}

    Node node(size_t at, size_t limit) const {
        if (at + 6 > limit) broken();
        Node n;
        n.start = at;
        n.end = at + word(image_, at);
        n.valueLength = word(image_, at + 2);
        n.type = word(image_, at + 4);
        if (n.end > limit || n.end < at + 6) broken();
        size_t p = at + 6;
        for (; p + 1 < n.end && word(image_, p) != 0; p += 2) n.key += image_[p];
        if (p + 2 > n.end) broken();  // no terminating NUL
        n.value = align(p + 2);
        const size_t value_bytes = n.type == 1 ? n.valueLength * 2u : n.valueLength;
        n.children = std::min(n.end, align(n.value + value_bytes));
        if (n.value > n.end) broken();
        return n;
    }

    std::vector<Node> children(const Node& parent) const {
        std::vector<Node> list;
        for (size_t at = parent.children; at + 6 <= parent.end;) {
            Node child = node(at, parent.end);
            list.push_back(child);
            if (child.end == at) break;
            at = align(child.end);
        }
        return list;
    }

private:
    size_t align(size_t at) const { return root_ + ((at - root_ + 3) & ~size_t{3}); }
    [[noreturn]] static void broken() {
        throw PackError("the stub's version information is damaged");
    }

    const std::string& image_;
    size_t root_;
};

std::string joinVersion(const VersionNumbers& v) {
    return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
           std::to_string(v[3]);
}

}  // namespace

bool findVersionInfo(const std::string& image, VersionInfo& info) {
    const std::string key = utf16("VS_VERSION_INFO");
    const size_t at = image.find(key);
    if (at == std::string::npos || at < 6) return false;
    if (image.find(key, at + 1) != std::string::npos) {
        throw PackError("the stub holds more than one version resource");
    }
    const size_t start = at - 6;
    const Tree tree(image, start);
    const Node root = tree.node(start, image.size());
    if (root.valueLength != kFixedInfoSize || root.value + kFixedInfoSize > root.end ||
        (word(image, root.value) | uint32_t{word(image, root.value + 2)} << 16) !=
            kFixedInfoSignature) {
        throw PackError("the stub's version information is damaged");
    }
    info = VersionInfo{};
    info.fixedOffset = root.value;
    info.fileVersion = {word(image, root.value + 10), word(image, root.value + 8),
                        word(image, root.value + 14), word(image, root.value + 12)};
    for (const Node& block : tree.children(root)) {
        if (block.key != "StringFileInfo") continue;
        for (const Node& table : tree.children(block)) {
            for (const Node& text : tree.children(table)) {
                VersionSlot slot;
                slot.key = text.key;
                slot.valueOffset = text.value;
                slot.lengthOffset = text.start + 2;
                slot.capacity = text.end > text.value ? (text.end - text.value) / 2 - 1 : 0;
                std::string units;
                for (size_t p = text.value; p + 1 < text.end && word(image, p) != 0; p += 2) {
                    units += image.substr(p, 2);
                }
                slot.value = fromCodePage(units, kUtf16);
                info.slots.push_back(slot);
            }
        }
    }
    return true;
}

VersionNumbers parseVersion(const std::string& text) {
    const std::string allowed = "version \"" + text +
                                "\": give one to four numbers 0-65535 separated by dots, "
                                "such as \"2.1\" or \"2.1.0.7\"";
    VersionNumbers numbers{};
    size_t part = 0;
    size_t i = 0;
    while (true) {
        if (part == 4 || i >= text.size() || text[i] < '0' || text[i] > '9') {
            throw PackError(allowed);
        }
        uint32_t value = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            value = value * 10 + static_cast<uint32_t>(text[i] - '0');
            if (value > 0xFFFF) throw PackError(allowed);
        }
        numbers[part++] = static_cast<uint16_t>(value);
        if (i == text.size()) return numbers;
        if (text[i++] != '.') throw PackError(allowed);
    }
}

void checkVersionKeys(const Manifest& manifest, const std::string& where) {
    try {
        parseVersion(manifest.version);
        toCodePage(manifest.copyright, kUtf16, "copyright");
    } catch (const PackError& e) {
        throw PackError(where + e.what());
    }
}

std::vector<std::pair<std::string, std::string>> versionTexts(const Manifest& manifest) {
    return {
        {"CompanyName", manifest.vendor},
        {"FileDescription", manifest.vendor + " " + manifest.package + " Setup"},
        {"FileVersion", manifest.version},
        {"LegalCopyright", manifest.copyright},
        {"ProductName", manifest.package},
        {"ProductVersion", manifest.version},
    };
}

bool patchVersionInfo(std::string& image,
                      const std::vector<std::pair<std::string, std::string>>& texts,
                      const VersionNumbers& version) {
    VersionInfo info;
    if (!findVersionInfo(image, info)) return false;
    for (const auto& [key, text] : texts) {
        const VersionSlot* slot = nullptr;
        for (const VersionSlot& s : info.slots) {
            if (s.key == key) slot = &s;
        }
        if (!slot) throw PackError("the stub has no version slot for " + key);
        const std::string units = toCodePage(text, kUtf16, key);
        const size_t length = units.size() / 2;
        if (length > slot->capacity) {
            throw PackError(key + " \"" + text + "\" is " + std::to_string(length) +
                            " characters long; the installer's slot holds at most " +
                            std::to_string(slot->capacity));
        }
        std::string filled = units;
        filled.resize((slot->capacity + 1) * 2, '\0');
        image.replace(slot->valueOffset, filled.size(), filled);
        putWord(image, slot->lengthOffset, static_cast<uint16_t>(length + 1));
    }
    // dwFileVersionMS/LS, then dwProductVersionMS/LS: the high word first in each.
    for (size_t at : {info.fixedOffset + 8, info.fixedOffset + 16}) {
        putWord(image, at, version[1]);
        putWord(image, at + 2, version[0]);
        putWord(image, at + 4, version[3]);
        putWord(image, at + 6, version[2]);
    }
    return true;
}

void printVersionInfo(const std::filesystem::path& file, int64_t stub_size, std::ostream& out) {
    std::ifstream in(file, std::ios::binary);
    std::string image(static_cast<size_t>(std::max<int64_t>(stub_size, 0)), '\0');
    in.read(&image[0], static_cast<std::streamsize>(image.size()));
    image.resize(static_cast<size_t>(in.gcount()));
    VersionInfo info;
    try {
        if (!findVersionInfo(image, info)) {
            out << "Version info:  none\n";
            return;
        }
    } catch (const PackError& e) {
        out << "Version info:  " << e.what() << "\n";
        return;
    }
    out << "Version info:  " << joinVersion(info.fileVersion) << "\n";
    for (const VersionSlot& slot : info.slots) {
        out << "  " << slot.key << std::string(slot.key.size() < 16 ? 16 - slot.key.size() : 1, ' ')
            << slot.value << "  (slot " << slot.capacity << ")\n";
    }
}

}  // namespace stow::pack
