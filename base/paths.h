// Small text rules for 8-bit ANSI paths: the trailing separator, directory and file-name parts,
// ASCII upper-casing. Paths are composed by plain concatenation of a directory ending in "\".
#pragma once

#include <functional>
#include <string>

namespace stow {

using LeadBytePredicate = std::function<bool(unsigned char)>;

// Returns text ending in a single-byte "\": unchanged when it already does, else with "\"
// appended (so "" gives "\", and a "\" that is the trail byte of a double-byte character
// does not count).
std::string addTrailingSeparator(const std::string& text, const LeadBytePredicate& is_lead_byte);

// Everything up to and including the last "\" or ":"; "" when there is none.
std::string directoryPart(const std::string& path);
// Everything after the last "\" or ":".
std::string fileNamePart(const std::string& path);
// Changes only a-z.
std::string upperAscii(std::string text);
inline char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace stow
