// Path rules of the uninstaller: which texts from a log or a key it accepts as paths at all,
// and whether one lies inside a directory it derived. Comparisons fold ASCII letters only.
#pragma once

#include <string>

namespace stow {

// Paths the ANSI file functions take are shorter than MAX_PATH.
constexpr size_t kMaxAnsiPath = 260;

// "X:\" followed by components that are neither empty, "." nor "..", with no "/", wildcard or
// control character; shorter than MAX_PATH. A trailing "\" is allowed (a directory).
bool isPlainAbsolutePath(const std::string& path);
// A relative path of plain components ("a\b.sys"), as an INF names its files.
bool isPlainRelativePath(const std::string& path);

// dir ends in "\"; true when path lies strictly inside it.
bool isInsideDirectory(const std::string& path, const std::string& dir);
bool samePath(const std::string& a, const std::string& b);
// "C:\a\b\" -> "C:\a\"; "" for a drive root.
std::string parentDirectory(const std::string& dir);
// The path with a trailing "\" (directories as the engine holds them).
std::string asDirectory(const std::string& path);

}  // namespace stow
