// Manifest parsing with toml++. Unknown keys are refused so that a misspelt key cannot silently
// drop a setting; every refusal carries the manifest place it is about.
#include "stowpack/manifest.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include <toml++/toml.h>

#include "stowpack/format.h"
#include "stowpack/text_encoding.h"
#include "stowpack/version_info.h"

namespace stow::pack {

namespace {

namespace fs = std::filesystem;

// "m.toml:12:3" for a node of the manifest named name.
template <typename Sourced>
std::string placeOf(const std::string& name, const Sourced& node) {
    const toml::source_position at = node.source().begin;
    return name + ":" + std::to_string(at.line) + ":" + std::to_string(at.column);
}

// What parsing one table needs to name places in messages.
struct Where {
    const std::string& name;  // the manifest's name
    std::string place;        // the table's place
    std::string prefix;       // "file #3: ", or "" for the top level

    [[noreturn]] void refuse(const std::string& message) const {
        throw PackError(place, prefix + message);
    }
    template <typename Sourced>
    [[noreturn]] void refuse(const Sourced& node, const std::string& message) const {
        throw PackError(placeOf(name, node), prefix + message);
    }
};

void refuseUnknownKeys(const toml::table& table, std::initializer_list<const char*> known,
                       const Where& where) {
    for (const auto& [key, node] : table) {
        bool found = false;
        for (const char* k : known) found = found || key.str() == k;
        (void)node;
        if (!found) where.refuse(key, "unknown key \"" + std::string(key.str()) + "\"");
    }
}

std::string requireString(const toml::table& table, const char* key, const Where& where) {
    const toml::node* node = table.get(key);
    if (!node) where.refuse("\"" + std::string(key) + "\" is missing");
    if (!node->is_string()) where.refuse(*node, "\"" + std::string(key) + "\" must be a string");
    return node->value<std::string>().value_or("");
}

// Vendor and package names become folder names and registry key names on the target, so they
// follow the rules for one Windows name.
std::string checkName(const toml::table& root, const char* key, const Where& where) {
    const std::string name = requireString(root, key, where);
    const std::string problem = windowsNameProblem(name);
    if (problem.empty()) return name;
    if (problem == "is empty") where.refuse(*root.get(key), "\"" + std::string(key) + "\" is empty");
    const std::string why = name.find('\\') != std::string::npos
                                ? "holds a \"\\\", which would nest folders and registry keys"
                                : problem;
    where.refuse(*root.get(key), "\"" + std::string(key) + "\" \"" + name + "\" " + why);
}

int32_t timeStampOf(const toml::node& node, const Where& where) {
    if (const auto* integer = node.as_integer()) {
        const int64_t v = integer->get();
        if (v < INT32_MIN || v > static_cast<int64_t>(UINT32_MAX)) {
            where.refuse(node, "\"time\" " + std::to_string(v) + " does not fit 32 bits");
        }
        return static_cast<int32_t>(static_cast<uint32_t>(v));
    }
    DateTime t;
    if (const auto* date_time = node.as_date_time()) {
        const toml::date_time& dt = date_time->get();
        t = DateTime{dt.date.year, dt.date.month, dt.date.day, dt.time.hour, dt.time.minute,
                     dt.time.second};
    } else if (const auto* date = node.as_date()) {
        const toml::date& d = date->get();
        t = DateTime{d.year, d.month, d.day, 0, 0, 0};
    } else {
        where.refuse(node, "\"time\" must be a date-time (2024-03-01T10:00:00) or an integer");
    }
    try {
        return packDosDateTime(t);
    } catch (const PackError& e) {
        where.refuse(node, e.what());
    }
}

// The keys [[file]] and [[folder]] share: placement, driver_copy and time.
void parseCommon(const toml::table& table, ManifestFile& file, const Where& where) {
    const toml::node* placement = table.get("placement");
    if (!placement) where.refuse("\"placement\" is missing");
    if (!placement->is_integer()) where.refuse(*placement, "\"placement\" must be an integer");
    const int64_t code = placement->as_integer()->get();
    if (code < 0 || code > 255 || !isValidPlacementCode(static_cast<int>(code))) {
        where.refuse(*placement, "unknown placement code " + std::to_string(code) + " (valid: " +
                                     validPlacementCodesText() + ")");
    }
    file.placement = static_cast<int>(code);

    if (const toml::node* copy = table.get("driver_copy")) {
        if (!copy->is_boolean()) where.refuse(*copy, "\"driver_copy\" must be true or false");
        file.driverCopy = copy->as_boolean()->get();
    }
    if (const toml::node* time = table.get("time")) file.timeStamp = timeStampOf(*time, where);
}

std::string checkedPath(const toml::table& table, const char* key, const std::string& text,
                        const Where& where) {
    try {
        return normalizeRelativePath(text, key);
    } catch (const PackError& e) {
        where.refuse(*table.get(key), e.what());
    }
}

ManifestFile parseFile(const toml::table& table, int number, const fs::path& base,
                       const std::string& name) {
    ManifestFile file;
    file.line = static_cast<int>(table.source().begin.line);
    file.location = placeOf(name, table);
    const Where where{name, file.location, "file #" + std::to_string(number) + ": "};
    refuseUnknownKeys(table, {"placement", "driver_copy", "path", "source", "key", "time"}, where);
    parseCommon(table, file, where);

    file.path = checkedPath(table, "path", requireString(table, "path", where), where);
    const std::string source = requireString(table, "source", where);
    if (source.empty()) where.refuse(*table.get("source"), "\"source\" is empty");
    file.source = base / fs::u8path(source);

    if (table.get("key")) {
        try {
            file.key = normalizeSourceKey(requireString(table, "key", where), "key");
        } catch (const PackError& e) {
            where.refuse(*table.get("key"), e.what());
        }
    } else {
        file.key = "C:\\" + file.path;
    }
    return file;
}

std::vector<std::string> patternList(const toml::table& table, const char* key,
                                     const Where& where) {
    std::vector<std::string> patterns;
    const toml::node* node = table.get(key);
    if (!node) return patterns;
    const toml::array* array = node->as_array();
    if (!array) where.refuse(*node, "\"" + std::string(key) + "\" must be a list of patterns");
    for (const toml::node& entry : *array) {
        if (!entry.is_string() || entry.value<std::string>()->empty()) {
            where.refuse(entry, "\"" + std::string(key) + "\" holds a pattern that is not a "
                                                          "non-empty string");
        }
        patterns.push_back(*entry.value<std::string>());
    }
    return patterns;
}

bool matchesAny(const std::vector<std::string>& patterns, const std::string& path) {
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const std::string& p) { return matchesPattern(p, path); });
}

// Every regular file below folder, as "/"-separated UTF-8 relative paths in byte order.
// Folder links are not followed, so a link cannot make the walk endless.
std::vector<std::string> filesBelow(const fs::path& folder, const Where& where) {
    std::vector<std::string> found;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code type_ec;
        if (it->is_regular_file(type_ec)) {
            found.push_back(it->path().lexically_relative(folder).generic_u8string());
        }
    }
    if (ec) where.refuse("cannot list source folder " + folder.string() + ": " + ec.message());
    std::sort(found.begin(), found.end());
    return found;
}

void parseFolder(const toml::table& table, int number, const fs::path& base,
                 const std::string& name, std::vector<ManifestFile>& out) {
    ManifestFile entry;
    entry.line = static_cast<int>(table.source().begin.line);
    entry.location = placeOf(name, table);
    const Where where{name, entry.location, "folder #" + std::to_string(number) + ": "};
    refuseUnknownKeys(table, {"placement", "driver_copy", "path", "source", "key", "time",
                              "include", "exclude"},
                      where);
    parseCommon(table, entry, where);

    std::string prefix;
    if (table.get("path")) {
        const std::string path = requireString(table, "path", where);
        if (!path.empty()) prefix = checkedPath(table, "path", path, where) + "\\";
    }
    std::string key_prefix = "C:\\" + prefix;
    if (table.get("key")) {
        try {
            key_prefix = normalizeSourceKey(requireString(table, "key", where), "key") + "\\";
        } catch (const PackError& e) {
            where.refuse(*table.get("key"), e.what());
        }
    }
    const std::vector<std::string> include = patternList(table, "include", where);
    const std::vector<std::string> exclude = patternList(table, "exclude", where);

    const std::string source = requireString(table, "source", where);
    if (source.empty()) where.refuse(*table.get("source"), "\"source\" is empty");
    const fs::path folder = base / fs::u8path(source);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) where.refuse("source folder " + folder.string() +
                                                    " not found or not a folder");

    size_t taken = 0;
    for (const std::string& relative : filesBelow(folder, where)) {
        if (!include.empty() && !matchesAny(include, relative)) continue;
        if (matchesAny(exclude, relative)) continue;
        ManifestFile file = entry;
        std::string windows;
        try {
            windows = normalizeRelativePath(relative, "file " + relative + ": path");
        } catch (const PackError& e) {
            where.refuse(e.what());
        }
        file.path = prefix + windows;
        file.key = key_prefix + windows;
        file.source = folder / fs::u8path(relative);
        out.push_back(std::move(file));
        ++taken;
    }
    if (taken == 0) where.refuse("no file of " + folder.string() + " is taken");
}

// Calls each(table, number) for every table of the array named key.
template <typename Each>
void forEachTable(const toml::table& root, const char* key, const Where& where, Each each) {
    const toml::node* node = root.get(key);
    if (!node) return;
    const toml::array* array = node->as_array();
    if (!array || !array->is_array_of_tables()) {
        where.refuse(*node, "\"" + std::string(key) + "\" must be a list of [[" + key +
                                "]] tables");
    }
    int number = 0;
    for (const toml::node& entry : *array) each(*entry.as_table(), ++number);
}

// Glob matching over bytes; p and s are positions in pattern and text.
bool globMatch(const std::string& pattern, size_t p, const std::string& text, size_t s) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    while (p < pattern.size()) {
        if (pattern[p] == '*') {
            const bool any_depth = p + 1 < pattern.size() && pattern[p + 1] == '*';
            size_t next = p + (any_depth ? 2 : 1);
            // "**/" also matches no folder at all.
            if (any_depth && next < pattern.size() && pattern[next] == '/' &&
                globMatch(pattern, next + 1, text, s)) {
                return true;
            }
            for (size_t k = s;; ++k) {
                if (globMatch(pattern, next, text, k)) return true;
                if (k >= text.size() || (!any_depth && text[k] == '/')) return false;
            }
        }
        if (s >= text.size()) return false;
        if (pattern[p] == '?' ? text[s] == '/' : lower(pattern[p]) != lower(text[s])) {
            return false;
        }
        ++p;
        ++s;
    }
    return s == text.size();
}

}  // namespace

bool matchesPattern(const std::string& pattern, const std::string& relative_path) {
    if (pattern.find('/') == std::string::npos) {
        const size_t slash = relative_path.rfind('/');
        const std::string name =
            slash == std::string::npos ? relative_path : relative_path.substr(slash + 1);
        return globMatch(pattern, 0, name, 0);
    }
    return globMatch(pattern, 0, relative_path, 0);
}

Manifest parseManifest(const std::string& text, const fs::path& base, const std::string& name) {
    toml::table root;
    try {
        root = toml::parse(text, name);
    } catch (const toml::parse_error& e) {
        const toml::source_position at = e.source().begin;
        throw PackError(name + ":" + std::to_string(at.line) + ":" + std::to_string(at.column),
                        std::string(e.description()));
    }
    const Where where{name, name + ":1:1", ""};
    refuseUnknownKeys(root, {"vendor", "package", "encoding", "time", "uninstaller", "version",
                             "copyright", "file", "folder"}, where);

    Manifest manifest;
    manifest.vendor = checkName(root, "vendor", where);
    manifest.package = checkName(root, "package", where);
    manifest.vendorLocation = placeOf(name, *root.get("vendor"));
    manifest.packageLocation = placeOf(name, *root.get("package"));
    manifest.encoding = root.get("encoding") ? requireString(root, "encoding", where)
                                             : std::string(kDefaultEncoding);
    try {
        checkEncoding(manifest.encoding);
    } catch (const PackError& e) {
        where.refuse(*root.get("encoding"), e.what());
    }
    if (const toml::node* time = root.get("time")) manifest.timeStamp = timeStampOf(*time, where);
    if (const toml::node* uninstaller = root.get("uninstaller")) {
        if (!uninstaller->is_boolean()) where.refuse(*uninstaller, "\"uninstaller\" must be true or false");
        manifest.uninstaller = uninstaller->as_boolean()->get();
    }

    manifest.version = root.get("version") ? requireString(root, "version", where) : "1.0";
    manifest.copyright = root.get("copyright") ? requireString(root, "copyright", where)
                                               : "Copyright (C) " + manifest.vendor;
    try {
        checkVersionKeys(manifest, "");
    } catch (const PackError& e) {
        // Point at the key the message is about, as every other manifest problem does.
        const std::string text = e.what();
        const char* key = text.rfind("copyright", 0) == 0 ? "copyright" : "version";
        if (const toml::node* node = root.get(key)) where.refuse(*node, text);
        where.refuse(text);
    }

    // Files and folders are kept in the order the manifest gives them, by where they start.
    std::vector<std::pair<int, std::vector<ManifestFile>>> entries;
    forEachTable(root, "file", where, [&](const toml::table& table, int number) {
        entries.push_back({static_cast<int>(table.source().begin.line),
                           {parseFile(table, number, base, name)}});
    });
    forEachTable(root, "folder", where, [&](const toml::table& table, int number) {
        entries.push_back({static_cast<int>(table.source().begin.line), {}});
        parseFolder(table, number, base, name, entries.back().second);
    });
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [line, files] : entries) {
        for (ManifestFile& file : files) {
            if (!file.timeStamp) file.timeStamp = manifest.timeStamp;
            manifest.files.push_back(std::move(file));
        }
    }
    return manifest;
}

Manifest loadManifest(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw PackError("cannot read manifest " + file.string() + ": " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    Manifest manifest = parseManifest(text.str(), file.parent_path(), file.string());
    manifest.file = file;
    return manifest;
}

}  // namespace stow::pack
