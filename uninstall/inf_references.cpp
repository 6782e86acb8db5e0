// A small INF reader: sections, "key = value" lines, ";" comments, quoted names. Only
// [Version] CatalogFile*, [SourceDisksNames*] paths and [SourceDisksFiles*] entries are read.
#include "uninstall/inf_references.h"

#include <map>

#include "base/paths.h"
#include "uninstall/uninstall_paths.h"

namespace stow {

namespace {

std::string trim(const std::string& text) {
    size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 0x20) ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 0x20) --last;
    return text.substr(first, last - first);
}

std::string unquote(const std::string& text) {
    std::string t = trim(text);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"') t = t.substr(1, t.size() - 2);
    return t;
}

// The text before a ";" that is outside quotes.
std::string withoutComment(const std::string& line) {
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == ';' && !quoted) return line.substr(0, i);
    }
    return line;
}

std::vector<std::string> fields(const std::string& value) {
    std::vector<std::string> out;
    size_t begin = 0;
    while (true) {
        size_t end = value.find(',', begin);
        out.push_back(unquote(value.substr(begin, end == std::string::npos ? end : end - begin)));
        if (end == std::string::npos) break;
        begin = end + 1;
    }
    return out;
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::string(prefix).size(), prefix) == 0;
}

// "a/b" and ".\a" as Windows reads them; an empty part stays empty.
std::string relativeOf(std::string text) {
    for (char& c : text) {
        if (c == '/') c = '\\';
    }
    while (startsWith(text, ".\\")) text.erase(0, 2);
    while (!text.empty() && text.front() == '\\') text.erase(0, 1);
    while (!text.empty() && text.back() == '\\') text.pop_back();
    return text;
}

struct Line {
    std::string section;  // upper-cased
    std::string key;
    std::string value;
};

std::vector<Line> readLines(const std::string& text) {
    std::vector<Line> lines;
    std::string section;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find_first_of("\r\n", begin);
        if (end == std::string::npos) end = text.size();
        const std::string line = trim(withoutComment(text.substr(begin, end - begin)));
        begin = end + 1;
        if (line.empty()) continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            section = upperAscii(trim(line.substr(1, close == std::string::npos ? close : close - 1)));
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        lines.push_back(Line{section, unquote(line.substr(0, equals)),
                             trim(line.substr(equals + 1))});
    }
    return lines;
}

}  // namespace

InfReferences infReferences(const std::string& inf_text) {
    const std::vector<Line> lines = readLines(inf_text);
    std::map<std::string, std::string> disk_paths;  // disk id -> its path
    for (const Line& l : lines) {
        if (!startsWith(l.section, "SOURCEDISKSNAMES")) continue;
        const std::vector<std::string> f = fields(l.value);
        disk_paths[l.key] = f.size() >= 4 ? relativeOf(f[3]) : std::string();
    }

    InfReferences refs;
    auto add = [&refs](const std::string& written, const std::string& relative) {
        if (!isPlainRelativePath(relative)) {
            refs.refused.push_back(written);
            return;
        }
        for (const std::string& known : refs.files) {
            if (samePath(known, relative)) return;
        }
        refs.files.push_back(relative);
    };
    for (const Line& l : lines) {
        if (l.section == "VERSION" && startsWith(upperAscii(l.key), "CATALOGFILE")) {
            const std::string name = unquote(l.value);
            if (!name.empty()) add(name, relativeOf(name));
            if (isPlainRelativePath(name) && name.find('\\') == std::string::npos) {
                refs.catalogs.push_back(name);
            }
        } else if (startsWith(l.section, "SOURCEDISKSFILES")) {
            const std::vector<std::string> f = fields(l.value);
            std::string relative;
            auto disk = disk_paths.find(f.empty() ? std::string() : f[0]);
            if (disk != disk_paths.end() && !disk->second.empty()) relative = disk->second + "\\";
            if (f.size() >= 2 && !relativeOf(f[1]).empty()) relative += relativeOf(f[1]) + "\\";
            // A name with a folder of its own, or "..", must not slip through unchecked.
            if (l.key.find_first_of("\\/") != std::string::npos) {
                refs.refused.push_back(l.key);
                continue;
            }
            add(l.key, relative + l.key);
        }
    }
    return refs;
}

}  // namespace stow
