// A line's record: a flags byte, the key's folder id and name, the value's folder id and the
// rest of the value, lengths and ids as 7-bit varints. A value whose file name repeats the key's
// (a placed file's destination beside its source path) stores only what follows that name.
// Records never straddle blocks, so a line is found by its block and offset alone.
#include "engine/file_log_entries.h"

#include <algorithm>
#include <cstring>

#include "base/paths.h"

namespace stow {

namespace {

constexpr unsigned char kBare = 1;
constexpr unsigned char kValueRepeatsKeyName = 2;
constexpr size_t kFirstBlock = 256;
constexpr size_t kRecentFolders = 16;

size_t varintSize(size_t n) {
    size_t size = 1;
    while (n >>= 7) ++size;
    return size;
}

char* putVarint(char* p, size_t n) {
    while (n >= 0x80) {
        *p++ = static_cast<char>(n | 0x80);
        n >>= 7;
    }
    *p++ = static_cast<char>(n);
    return p;
}

char* putText(char* p, std::string_view text) {
    p = putVarint(p, text.size());
    if (!text.empty()) std::memcpy(p, text.data(), text.size());  // an empty view may hold null
    return p + text.size();
}

size_t getVarint(const char*& p) {
    size_t n = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*p++);
        n |= static_cast<size_t>(byte & 0x7f) << shift;
        if (byte < 0x80) return n;
    }
}

std::string_view getText(const char*& p) {
    const size_t n = getVarint(p);
    const std::string_view text(p, n);
    p += n;
    return text;
}

// Everything up to and including the last "\", and the rest. Only a way to share text: the two
// parts are written back side by side, so a "\" that is a trail byte splits harmlessly.
std::pair<std::string_view, std::string_view> splitFolder(std::string_view path) {
    const size_t slash = path.rfind('\\');
    if (slash == std::string_view::npos) return {std::string_view(), path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// FNV-1a over the upper-cased bytes, continued from hash.
uint32_t hashUpper(std::string_view text, uint32_t hash = 2166136261u) {
    for (char c : text) hash = (hash ^ static_cast<unsigned char>(upperAscii(c))) * 16777619u;
    return hash;
}

// Whether text begins with part, without regard to case; what is left of text after it.
bool skipUpper(std::string_view& text, std::string_view part) {
    if (text.size() < part.size()) return false;
    for (size_t i = 0; i < part.size(); ++i) {
        if (upperAscii(text[i]) != upperAscii(part[i])) return false;
    }
    text.remove_prefix(part.size());
    return true;
}

}  // namespace

LogEntries::View LogEntries::view(size_t index) const {
    const uint32_t at = lines_[index];
    const char* p = &blocks_[at >> 16][0] + (at & 0xffff);
    View v;
    const auto flags = static_cast<unsigned char>(*p++);
    v.bare = (flags & kBare) != 0;
    v.key_folder_id = static_cast<uint32_t>(getVarint(p));
    v.key_folder = folder(v.key_folder_id);
    v.key_name = getText(p);
    v.value_folder = folder(getVarint(p));
    if (flags & kValueRepeatsKeyName) v.value_name = v.key_name;
    v.value_rest = getText(p);
    return v;
}

char* LogEntries::reserve(size_t size, uint32_t& at) {
    if (block_used_ + size > block_size_) {
        // Blocks grow with the section up to kBlock; a record larger than that has its own.
        block_size_ = std::max(size, std::min(kBlock, std::max(kFirstBlock, 2 * block_size_)));
        blocks_.push_back(std::string(block_size_, '\0'));
        block_used_ = 0;
    }
    // 65,536 blocks would be gigabytes: more than a 32-bit process holds.
    at = static_cast<uint32_t>((blocks_.size() - 1) << 16 | block_used_);
    char* p = &blocks_.back()[block_used_];
    block_used_ += size;
    return p;
}

std::string_view LogEntries::folder(size_t id) const {
    return id == 0 ? std::string_view() : std::string_view(folders_[id - 1]);
}

// The id of a folder among the last few stored (consecutive lines mostly share their folders),
// else of a new one. Ids only share text, so a folder that comes back after many others is
// simply stored again.
uint32_t LogEntries::folderId(std::string_view name) {
    if (name.empty()) return 0;
    const size_t n = folders_.size();
    for (size_t id = n; id > 0 && id + kRecentFolders > n; --id) {
        if (folders_[id - 1] == name) return static_cast<uint32_t>(id);
    }
    folders_.push_back(std::string(name));
    return static_cast<uint32_t>(folders_.size());
}

uint32_t LogEntries::encode(uint32_t key_folder, std::string_view key_name,
                            std::string_view value, bool bare) {
    auto [value_folder, value_rest] = splitFolder(value);
    unsigned char flags = bare ? kBare : 0;
    if (!key_name.empty() && value_rest.substr(0, key_name.size()) == key_name) {
        flags |= kValueRepeatsKeyName;
        value_rest.remove_prefix(key_name.size());
    }
    const uint32_t value_folder_id = folderId(value_folder);
    const size_t size = 1 + varintSize(key_folder) + varintSize(key_name.size()) +
                        key_name.size() + varintSize(value_folder_id) +
                        varintSize(value_rest.size()) + value_rest.size();
    uint32_t at = 0;
    char* p = reserve(size, at);
    *p++ = static_cast<char>(flags);
    p = putText(putVarint(p, key_folder), key_name);
    putText(putVarint(p, value_folder_id), value_rest);
    return at;
}

bool LogEntries::keyEquals(const View& line, std::string_view key) const {
    return key.size() == line.key_folder.size() + line.key_name.size() &&
           skipUpper(key, line.key_folder) && skipUpper(key, line.key_name);
}

// The slot holding key, or the free slot where it would go (linear probing).
size_t LogEntries::slotOf(std::string_view key) const {
    const size_t mask = slots_.size() - 1;
    for (size_t s = hashUpper(key) & mask;; s = (s + 1) & mask) {
        if (slots_[s] == 0 || keyEquals(view(slots_[s] - 1), key)) return s;
    }
}

void LogEntries::rebuildIndex(size_t capacity) {
    while (lines_.size() * 4 >= capacity * 3) capacity *= 2;
    slots_.zeros(capacity);
    const size_t mask = capacity - 1;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const View v = view(i);
        size_t s = hashUpper(v.key_name, hashUpper(v.key_folder)) & mask;
        while (slots_[s] != 0) s = (s + 1) & mask;
        slots_.set(s, static_cast<uint32_t>(i + 1));
    }
}

void LogEntries::set(std::string_view key, std::string_view value, bool bare) {
    if (slots_.empty()) rebuildIndex(16);
    size_t s = slotOf(key);
    if (slots_[s] != 0) {
        const size_t index = slots_[s] - 1;
        const View old = view(index);  // its name lies in a block, which never moves
        lines_.set(index, encode(old.key_folder_id, old.key_name, value, bare));
        return;
    }
    if ((lines_.size() + 1) * 4 >= slots_.size() * 3) {
        rebuildIndex(slots_.size() * 2);
        s = slotOf(key);
    }
    const auto [key_folder, key_name] = splitFolder(key);
    lines_.push_back(encode(folderId(key_folder), key_name, value, bare));
    slots_.set(s, static_cast<uint32_t>(lines_.size()));
}

std::optional<size_t> LogEntries::find(std::string_view key) const {
    if (slots_.empty()) return std::nullopt;
    const uint32_t slot = slots_[slotOf(key)];
    if (slot == 0) return std::nullopt;
    return slot - 1;
}

LogEntries::Line LogEntries::line(size_t index) const {
    const View v = view(index);
    Line line;
    line.bare = v.bare;
    line.key.append(v.key_folder).append(v.key_name);
    if (!v.bare) line.value.append(v.value_folder).append(v.value_name).append(v.value_rest);
    return line;
}

void LogEntries::erase(size_t index) {
    lines_.erase(index);
    rebuildIndex(16);
}

void LogEntries::appendLine(size_t index, std::string& out) const {
    const View v = view(index);
    out.append(v.key_folder).append(v.key_name);
    if (!v.bare) out.append("=").append(v.value_folder).append(v.value_name).append(v.value_rest);
    out.append("\r\n");
}

}  // namespace stow
