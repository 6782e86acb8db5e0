// Manifest parsing with toml++. Unknown keys are refused so that a misspelt key cannot silently
// drop a setting.
#include "stowpack/manifest.h"

#include <fstream>
#include <sstream>

#include <toml++/toml.h>

#include "stowpack/format.h"
#include "stowpack/text_encoding.h"
#include "stowpack/version_info.h"

namespace stow::pack {

namespace {

namespace fs = std::filesystem;

int lineOf(const toml::node& node) { return static_cast<int>(node.source().begin.line); }

void refuseUnknownKeys(const toml::table& table, std::initializer_list<const char*> known,
                       const std::string& where) {
    for (const auto& [key, node] : table) {
        bool found = false;
        for (const char* k : known) found = found || key.str() == k;
        if (!found) {
            throw PackError(where + "unknown key \"" + std::string(key.str()) + "\" (line " +
                            std::to_string(lineOf(node)) + ")");
        }
    }
}

std::string requireString(const toml::table& table, const char* key, const std::string& where) {
    const toml::node* node = table.get(key);
    if (!node) throw PackError(where + "\"" + key + "\" is missing");
    if (!node->is_string()) throw PackError(where + "\"" + key + "\" must be a string");
    return node->value<std::string>().value_or("");
}

// Vendor and package names become folder names and registry key names on the target.
std::string checkName(const std::string& name, const char* key, const std::string& where) {
    if (name.empty()) throw PackError(where + "\"" + key + "\" is empty");
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20) {
            throw PackError(where + "\"" + key + "\" holds a control character");
        }
        if (c == '\\') {
            throw PackError(where + "\"" + key + "\" holds a \"\\\", which would nest folders " +
                            "and registry keys");
        }
    }
    return name;
}

int32_t timeStampOf(const toml::node& node, const std::string& where) {
    if (const auto* integer = node.as_integer()) {
        const int64_t v = integer->get();
        if (v < INT32_MIN || v > static_cast<int64_t>(UINT32_MAX)) {
            throw PackError(where + "\"time\" " + std::to_string(v) + " does not fit 32 bits");
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
        throw PackError(where + "\"time\" must be a date-time (2024-03-01T10:00:00) or an integer");
    }
    try {
        return packDosDateTime(t);
    } catch (const PackError& e) {
        throw PackError(where + e.what());
    }
}

ManifestFile parseFile(const toml::table& table, int number, const fs::path& base,
                       const std::string& name) {
    ManifestFile file;
    file.line = lineOf(table);
    const std::string where =
        name + ":" + std::to_string(file.line) + ": file #" + std::to_string(number) + ": ";
    refuseUnknownKeys(table, {"placement", "driver_copy", "path", "source", "key", "time"}, where);

    const toml::node* placement = table.get("placement");
    if (!placement) throw PackError(where + "\"placement\" is missing");
    if (!placement->is_integer()) throw PackError(where + "\"placement\" must be an integer");
    const int64_t code = placement->as_integer()->get();
    if (code < 0 || code > 255 || !isValidPlacementCode(static_cast<int>(code))) {
        throw PackError(where + "unknown placement code " + std::to_string(code) + " (valid: " +
                        validPlacementCodesText() + ")");
    }
    file.placement = static_cast<int>(code);

    if (const toml::node* copy = table.get("driver_copy")) {
        if (!copy->is_boolean()) throw PackError(where + "\"driver_copy\" must be true or false");
        file.driverCopy = copy->as_boolean()->get();
    }

    file.path = normalizeRelativePath(requireString(table, "path", where), where + "path");

    const std::string source = requireString(table, "source", where);
    if (source.empty()) throw PackError(where + "\"source\" is empty");
    file.source = base / fs::u8path(source);

    if (table.get("key")) {
        file.key = normalizeSourceKey(requireString(table, "key", where), where + "key");
    } else {
        file.key = "C:\\" + file.path;
    }

    if (const toml::node* time = table.get("time")) file.timeStamp = timeStampOf(*time, where);
    return file;
}

}  // namespace

Manifest parseManifest(const std::string& text, const fs::path& base, const std::string& name) {
    toml::table root;
    try {
        root = toml::parse(text, name);
    } catch (const toml::parse_error& e) {
        throw PackError(name + ":" + std::to_string(e.source().begin.line) + ": " +
                        std::string(e.description()));
    }
    const std::string where = name + ": ";
    refuseUnknownKeys(root, {"vendor", "package", "encoding", "time", "file", "version", "copyright"},
                      where);

    Manifest manifest;
    manifest.vendor = checkName(requireString(root, "vendor", where), "vendor", where);
    manifest.package = checkName(requireString(root, "package", where), "package", where);
    manifest.encoding = root.get("encoding") ? requireString(root, "encoding", where)
                                             : std::string(kDefaultEncoding);
    try {
        checkEncoding(manifest.encoding);
    } catch (const PackError& e) {
        throw PackError(where + e.what());
    }

    if (const toml::node* time = root.get("time")) manifest.timeStamp = timeStampOf(*time, where);
    manifest.version = root.get("version") ? requireString(root, "version", where) : "1.0";
    manifest.copyright = root.get("copyright") ? requireString(root, "copyright", where)
                                               : "Copyright (C) " + manifest.vendor;
    checkVersionKeys(manifest, where);

    if (const toml::node* files = root.get("file")) {
        const toml::array* array = files->as_array();
        if (!array || !array->is_array_of_tables()) {
            throw PackError(where + "\"file\" must be a list of [[file]] tables");
        }
        int number = 0;
        for (const toml::node& entry : *array) {
            manifest.files.push_back(parseFile(*entry.as_table(), ++number, base, name));
            if (!manifest.files.back().timeStamp) {
                manifest.files.back().timeStamp = manifest.timeStamp;
            }
        }
    }
    return manifest;
}

Manifest loadManifest(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw PackError("cannot read manifest " + file.string());
    std::ostringstream text;
    text << in.rdbuf();
    Manifest manifest = parseManifest(text.str(), file.parent_path(), file.string());
    manifest.file = file;
    return manifest;
}

}  // namespace stow::pack
