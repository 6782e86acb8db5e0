// FileLog.ini held in memory: sections and keys matched without regard to case, existing keys
// replaced in place, new ones appended; written once with CR LF and an empty line per section.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/file_log_entries.h"
#include "platform/file_system.h"

namespace stow {

class FileLog {
public:
    FileLog() = default;
    // Reads path when it exists (stray lines dropped); an unreadable or missing file gives an
    // empty log.
    static FileLog open(FileSystem& files, const std::string& path);
    static FileLog parse(const std::string& text);

    void set(const std::string& section, const std::string& key, const std::string& value);
    std::string serialize() const;
    // Creates path and writes the whole log; throws EFCreateError "Cannot create file <path>".
    void save(FileSystem& files, const std::string& path) const;
    const std::string& path() const { return path_; }

    size_t sectionCount() const { return sections_.size(); }
    size_t entryCount() const;
    // The value of key in section, if there is one; both matched without regard to case.
    std::optional<std::string> find(const std::string& section, const std::string& key) const;
    // Every key = value entry of section in file order (foreign lines without "=" left out).
    std::vector<std::pair<std::string, std::string>> entries(const std::string& section) const;
    bool hasSection(const std::string& section) const;
    // Drop a whole section or one entry (the uninstaller keeps the rest of a shared log).
    void removeSection(const std::string& section);
    void removeEntry(const std::string& section, const std::string& key);

private:
    struct Section {
        std::string name;
        LogEntries entries;
    };
    static constexpr size_t kSaveBuffer = 64 * 1024;

    bool write(std::string& out, File* file) const;
    Section& section(const std::string& name);
    void reindex();

    std::string path_;
    std::vector<Section> sections_;
    std::unordered_map<std::string, size_t> section_index_;  // upper-cased name -> sections_
    size_t last_section_ = 0;  // placement writes one section many times over: skip the lookup
};

}  // namespace stow
