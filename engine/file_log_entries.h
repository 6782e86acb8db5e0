// One file-log section's lines, kept compact: an installation logs a line per file and holds them
// all until the end, so each line is a few packed bytes in shared blocks, with every folder of
// its key and value stored once while its lines come together, found through an open-addressed
// index of 32-bit slots.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stow {

// 32-bit values in a string's bytes: the stub carries std::string's code already, and a vector
// of them would add its own.
class Words {
public:
    size_t size() const { return bytes_.size() / 4; }
    bool empty() const { return bytes_.empty(); }
    uint32_t operator[](size_t i) const {
        uint32_t value;
        std::memcpy(&value, bytes_.data() + 4 * i, 4);
        return value;
    }
    void set(size_t i, uint32_t value) { std::memcpy(&bytes_[4 * i], &value, 4); }
    void push_back(uint32_t value) { bytes_.append(reinterpret_cast<const char*>(&value), 4); }
    void erase(size_t i) { bytes_.erase(4 * i, 4); }
    void zeros(size_t n) { bytes_.assign(4 * n, '\0'); }

private:
    std::string bytes_;
};

class LogEntries {
public:
    struct Line {
        std::string key;
        std::string value;
        bool bare = false;  // a foreign line without "=", written back as it was read
    };

    size_t size() const { return lines_.size(); }
    // Adds the line, or replaces the value of the line whose key matches without regard to
    // case; a replaced line keeps its position and its key's first spelling.
    void set(std::string_view key, std::string_view value, bool bare);
    // The position of the line whose key matches without regard to case.
    std::optional<size_t> find(std::string_view key) const;
    Line line(size_t index) const;
    void erase(size_t index);
    // Appends the line's text, ending in CR LF.
    void appendLine(size_t index, std::string& out) const;

private:
    // A line decoded in place: views into the blocks and the folder table.
    struct View {
        bool bare;
        uint32_t key_folder_id;
        std::string_view key_folder, key_name, value_folder, value_name, value_rest;
    };
    static constexpr size_t kBlock = 64 * 1024;

    View view(size_t index) const;
    // Room for a record of size bytes; at receives its block and offset.
    char* reserve(size_t size, uint32_t& at);
    uint32_t encode(uint32_t key_folder, std::string_view key_name, std::string_view value,
                    bool bare);
    uint32_t folderId(std::string_view folder);
    std::string_view folder(size_t id) const;
    bool keyEquals(const View& line, std::string_view key) const;
    size_t slotOf(std::string_view key) const;
    void rebuildIndex(size_t capacity);

    Words lines_;  // block << 16 | offset of each line's record, in file order
    std::vector<std::string> blocks_;  // never resized, so views into them stay valid
    size_t block_size_ = 0;
    size_t block_used_ = 0;
    std::vector<std::string> folders_;  // id n names folders_[n - 1]; 0 is no folder
    Words slots_;  // line index + 1, 0 for free; keys hashed upper-cased
};

}  // namespace stow
