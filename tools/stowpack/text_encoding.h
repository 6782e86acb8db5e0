// Conversion between the manifest's UTF-8 and the 8-bit ANSI code page the installer reads its
// texts in. A text the code page cannot hold is refused rather than written as garbage.
#pragma once

#include <string>

namespace stow::pack {

constexpr char kDefaultEncoding[] = "CP1252";

// Throws PackError when the encoding is unknown to the host.
void checkEncoding(const std::string& encoding);
// UTF-8 to the code page; throws PackError naming what when a character does not fit.
std::string toCodePage(const std::string& utf8, const std::string& encoding,
                       const std::string& what);
// The code page to UTF-8 for display; bytes that do not convert are shown as \xNN.
std::string fromCodePage(const std::string& bytes, const std::string& encoding);
// Text for a terminal: control characters, and bytes above 0x7F unless the text is UTF-8, as \xNN.
std::string escapedForDisplay(const std::string& text, bool utf8);

}  // namespace stow::pack
