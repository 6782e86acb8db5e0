// The file log in memory. Sections are found through a hash map on their upper-cased names, each
// section's lines through its own index, so merging into a log of many thousands of entries costs
// the same per entry as a small one.
#include "engine/file_log.h"

#include "base/error.h"
#include "base/paths.h"

namespace stow {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

FileLog FileLog::open(FileSystem& files, const std::string& path) {
    FileLog log;
    if (auto file = files.openRead(path)) {
        std::string text;
        char buffer[64 * 1024];
        while (size_t n = file->read(buffer, sizeof buffer)) text.append(buffer, n);
        log = parse(text);
    }
    log.path_ = path;
    return log;
}

FileLog FileLog::parse(const std::string& text) {
    FileLog log;
    Section* current = nullptr;
    size_t begin = 0;
    const size_t n = text.size();
    while (begin < n) {
        size_t end = text.find_first_of("\r\n", begin);
        if (end == std::string::npos) end = n;
        size_t first = begin;
        size_t last = end;
        while (first < last && isBlank(text[first])) ++first;
        while (last > first && isBlank(text[last - 1])) --last;
        const std::string_view line(text.data() + first, last - first);
        if (end + 1 < n && text[end] == '\r' && text[end + 1] == '\n') ++end;
        begin = end + 1;

        if (line.empty() || line[0] == ';') continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            current = &log.section(std::string(line.substr(1, line.size() - 2)));
            continue;
        }
        if (current == nullptr) continue;  // nothing belongs outside a section
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            current->entries.set(line, std::string_view(), true);
        } else {
            std::string_view key = line.substr(0, equals);
            while (!key.empty() && isBlank(key.back())) key.remove_suffix(1);
            current->entries.set(key, line.substr(equals + 1), false);
        }
    }
    return log;
}

FileLog::Section& FileLog::section(const std::string& name) {
    if (last_section_ < sections_.size() && sections_[last_section_].name == name) {
        return sections_[last_section_];
    }
    auto [it, added] = section_index_.emplace(upperAscii(name), sections_.size());
    if (added) sections_.push_back(Section{name, {}});
    last_section_ = it->second;
    return sections_[it->second];
}

void FileLog::set(const std::string& section_name, const std::string& key,
                  const std::string& value) {
    section(section_name).entries.set(key, value, false);
}

std::optional<std::string> FileLog::find(const std::string& section_name,
                                         const std::string& key) const {
    auto s = section_index_.find(upperAscii(section_name));
    if (s == section_index_.end()) return std::nullopt;
    const LogEntries& entries = sections_[s->second].entries;
    const std::optional<size_t> at = entries.find(key);
    if (!at) return std::nullopt;
    LogEntries::Line line = entries.line(*at);
    if (line.bare) return std::nullopt;
    return std::move(line.value);
}

std::vector<std::pair<std::string, std::string>> FileLog::entries(
    const std::string& section_name) const {
    std::vector<std::pair<std::string, std::string>> out;
    auto s = section_index_.find(upperAscii(section_name));
    if (s == section_index_.end()) return out;
    const LogEntries& entries = sections_[s->second].entries;
    for (size_t i = 0; i < entries.size(); ++i) {
        LogEntries::Line line = entries.line(i);
        if (!line.bare) out.emplace_back(std::move(line.key), std::move(line.value));
    }
    return out;
}

bool FileLog::hasSection(const std::string& section_name) const {
    return section_index_.count(upperAscii(section_name)) != 0;
}

void FileLog::removeSection(const std::string& section_name) {
    auto s = section_index_.find(upperAscii(section_name));
    if (s == section_index_.end()) return;
    sections_.erase(sections_.begin() + static_cast<long>(s->second));
    reindex();
}

void FileLog::removeEntry(const std::string& section_name, const std::string& key) {
    auto s = section_index_.find(upperAscii(section_name));
    if (s == section_index_.end()) return;
    LogEntries& entries = sections_[s->second].entries;
    if (const std::optional<size_t> at = entries.find(key)) entries.erase(*at);
}

void FileLog::reindex() {
    section_index_.clear();
    last_section_ = 0;
    for (size_t i = 0; i < sections_.size(); ++i) section_index_[upperAscii(sections_[i].name)] = i;
}

size_t FileLog::entryCount() const {
    size_t count = 0;
    for (const Section& s : sections_) count += s.entries.size();
    return count;
}

// Hands the log's text to sink piece by piece, in file order.
// Appends the log's text to out; with a file, hands out to it whenever kSaveBuffer bytes have
// gathered. False once a write to the file failed.
bool FileLog::write(std::string& out, File* file) const {
    bool ok = true;
    for (const Section& s : sections_) {
        out.append("[").append(s.name).append("]\r\n");
        for (size_t i = 0; i < s.entries.size(); ++i) {
            s.entries.appendLine(i, out);
            if (file && out.size() >= kSaveBuffer) {
                ok = ok && file->write(out.data(), out.size());
                out.clear();
            }
        }
        out.append("\r\n");
    }
    return ok;
}

std::string FileLog::serialize() const {
    std::string out;
    write(out, nullptr);
    return out;
}

void FileLog::save(FileSystem& files, const std::string& path) const {
    auto file = files.create(path);
    if (!file) throw EFCreateError("Cannot create file " + path);
    // Written through a small buffer rather than as one string: a log of many thousands of
    // files would otherwise be held twice at the end of the installation.
    std::string buffer;
    buffer.reserve(kSaveBuffer + 1024);
    bool ok = write(buffer, file.get());
    if (ok && !buffer.empty()) ok = file->write(buffer.data(), buffer.size());
    if (!ok) {
        // A write that stopped part way (a full disk) would leave a log cut inside a line,
        // whose last path an uninstaller could take for another file: empty it instead.
        file.reset();
        files.create(path);
        throw EFCreateError("Cannot create file " + path);
    }
}

}  // namespace stow
