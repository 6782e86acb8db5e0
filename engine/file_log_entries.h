// One file-log section's lines, kept compact: an installation logs a line per file and holds them
// all until the end, so each line is a few packed bytes in shared blocks, with every folder of
// its key and value stored once, found through an open-addressed index of 32-bit slots.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace stow {

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
    // Hands every line's text to sink in pieces, in order, each line ending in CR LF.
    template <typename Sink>
    void write(Sink&& sink) const;
    // The bytes write() hands out.
    size_t textSize() const;

private:
    // A line decoded in place: views into the blocks and the folder table.
    struct View {
        bool bare;
        uint32_t key_folder_id;
        std::string_view key_folder, key_name, value_folder, value_name, value_rest;
    };
    static constexpr size_t kBlock = 64 * 1024;

    View view(size_t index) const;
    uint32_t store(const std::string& record);
    uint32_t encode(uint32_t key_folder, std::string_view key_name, std::string_view value,
                    bool bare);
    uint32_t folderId(std::string_view folder, uint32_t hint);
    bool keyEquals(const View& line, std::string_view key) const;
    size_t slotOf(std::string_view key) const;
    void rebuildIndex(size_t capacity);

    std::deque<uint32_t> lines_;  // block << 16 | offset of each line's record, in file order
    std::vector<std::vector<char>> blocks_;  // never resized, so views into them stay valid
    size_t block_size_ = 0;
    size_t block_used_ = 0;
    std::vector<std::string> folders_{std::string()};  // id 0: no folder
    std::unordered_map<std::string, uint32_t> folder_ids_{{std::string(), 0}};
    uint32_t last_key_folder_ = 0;  // consecutive lines mostly share their folders
    uint32_t last_value_folder_ = 0;
    std::vector<uint32_t> slots_;  // line index + 1, 0 for free; keys hashed upper-cased
    std::string scratch_;
};

template <typename Sink>
void LogEntries::write(Sink&& sink) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        const View v = view(i);
        sink(v.key_folder.data(), v.key_folder.size());
        sink(v.key_name.data(), v.key_name.size());
        if (!v.bare) {
            sink("=", 1);
            sink(v.value_folder.data(), v.value_folder.size());
            sink(v.value_name.data(), v.value_name.size());
            sink(v.value_rest.data(), v.value_rest.size());
        }
        sink("\r\n", 2);
    }
}

}  // namespace stow
