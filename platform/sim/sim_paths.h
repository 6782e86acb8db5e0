// Windows path text for the simulated machine: drive, rooted and relative paths reduced to
// components, the names Windows refuses to create, case-insensitive comparison and the
// * / ? wildcards of find-first.
#pragma once

#include <string>
#include <vector>

namespace stow::sim {

// Paths the ANSI file functions accept are shorter than MAX_PATH.
constexpr size_t kMaxPath = 260;

// A full, normalised Windows path: no "." or ".." and no empty components.
struct WinPath {
    char drive = 'C';                 // upper-case letter
    std::vector<std::string> parts;   // components, in the case they were given

    bool isRoot() const { return parts.empty(); }
    // "C:\a\b", or "C:\" for the root.
    std::string text() const;
};

// ASCII folding is what the ANSI names of an installer need; other bytes compare exactly.
std::string foldCase(std::string text);
bool equalsNoCase(const std::string& a, const std::string& b);
bool lessNoCase(const std::string& a, const std::string& b);
// True when path is folder itself or lies under it (whole components, case-insensitive).
bool isUnderNoCase(const std::string& path, const std::string& folder);

// Reduces path to a full path against current, as GetFullPathName does: "/" counts as "\",
// repeated separators collapse, "." and ".." are applied, trailing dots and blanks of a
// component are dropped. False for an empty or UNC path, a malformed drive, a component with
// characters no name may hold, or a result of MAX_PATH characters or more.
bool parseWindowsPath(const std::string& path, const WinPath& current, WinPath& out);

// Whether a file or folder may be created under this name: no forbidden or control
// characters and not a device name such as CON or LPT1.
bool isValidName(const std::string& name);
// Whether a single character may appear in a name at all.
bool isForbiddenNameChar(char c);

// find-first matching: * any run, ? one character, letter case ignored; "*" and "*.*" match
// every name, and "x.*" also matches "x".
bool matchesPattern(const std::string& pattern, const std::string& name);

}  // namespace stow::sim
