// The package manifest: a TOML file naming the vendor, the package and every file with its
// placement. Loading checks everything that can be checked before a byte is written.
//
//   vendor = "ZYLOR"
//   package = "DAQ Suite"
//   encoding = "CP1252"            # optional: the ANSI code page of the target systems
//   time = 2024-03-01T10:00:00     # optional: time stamp of every file that gives none
//   uninstaller = false            # optional: leave out the uninstaller (default true)
//   version = "2.1.0"              # optional: the installer's version information; default "1.0"
//   copyright = "(C) 2024 ZYLOR"   # optional: default "Copyright (C) " + vendor
//
//   [[file]]
//   placement = 16                 # placement code: 0-5, 8, 9, 12, 13, 16, 17, 18, 20
//   driver_copy = false            # optional: also copy the file under the drivers directory
//   path = "Manuals/DAQ.pdf"       # destination, relative to the placement's location
//   source = "files/DAQ.pdf"       # the file to pack, relative to the manifest
//   key = "C:\\Manuals\\DAQ.pdf"   # optional: source-path key; default "C:\" + path
//   time = 2024-03-01T10:00:00     # optional: local date-time, or the packed DOS value as an
//                                  # integer; default: the source file's modification time
//
//   [[folder]]                     # every file below a folder, with one placement
//   placement = 16
//   source = "files/data"          # the folder, relative to the manifest
//   path = "Data"                  # optional: destination prefix; default: the location itself
//   key = "C:\\Data"               # optional: key prefix; default "C:\" + path
//   include = ["*.bin", "sub/**"]  # optional: taken when any matches (default: every file)
//   exclude = ["*.tmp"]            # optional: dropped when any matches
//   driver_copy, time              # as for [[file]]
//
// Entries become records in manifest order; a folder's files follow each other in the byte
// order of their relative paths ("/"-separated UTF-8), so the record order never depends on the
// order in which the host lists a folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace stow::pack {

struct ManifestFile {
    int line = 0;           // where the entry starts in the manifest, for messages
    std::string location;   // "m.toml:12:1", the entry's place for messages
    int placement = 0;
    bool driverCopy = false;
    std::string path;       // UTF-8, "\" separators, checked
    std::filesystem::path source;  // resolved against the manifest's folder
    std::string key;        // UTF-8, drive prefix + "\" separated path, checked
    std::optional<int32_t> timeStamp;  // packed DOS date-time when the manifest gives one
};

struct Manifest {
    std::filesystem::path file;
    std::string vendor;    // UTF-8
    std::string package;   // UTF-8
    std::string encoding;  // iconv name of the target code page
    std::string version;    // checked: one to four numbers 0-65535 separated by dots
    std::string copyright;  // UTF-8
    std::optional<int32_t> timeStamp;  // default for files without their own
    std::string vendorLocation;   // where the names are given, for messages
    std::string packageLocation;
    bool uninstaller = true;  // add the uninstaller record
    std::vector<ManifestFile> files;  // folder entries expanded, in record order
};

// Whether a "/"-separated relative path matches a folder entry's pattern: "*" and "?" stay
// within one component, "**" spans components; ASCII letters match without regard to case, as
// names on Windows do. A pattern without "/" is matched against the file name alone.
bool matchesPattern(const std::string& pattern, const std::string& relative_path);

// Parses and checks a manifest and lists its folder entries' folders (the files themselves are
// checked when packing). Throws PackError with the manifest's place ("m.toml:12:1"), the entry's
// number and what is wrong.
Manifest loadManifest(const std::filesystem::path& file);
// The same from text; base is the folder that source paths are relative to.
Manifest parseManifest(const std::string& text, const std::filesystem::path& base,
                       const std::string& name);

}  // namespace stow::pack
