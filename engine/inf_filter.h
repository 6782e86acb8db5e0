// Prepares an INF for the system's INF folder: drops its CopyFiles and CatalogFile lines so the
// copy there neither pulls in files nor names a catalog that does not travel with it.
#pragma once

#include <string>

namespace stow {

// Splits content into lines at CR, LF or CR LF (a final break ends the last line, it does not
// start an empty one), removes every line whose key before the first "=", trimmed of bytes up to
// 0x20 on both sides, is exactly "CopyFiles" or "CatalogFile", and joins the rest with CR LF
// after every line. Content that starts with a UTF-16 byte-order mark is filtered by the same
// rule in 16-bit units and stays UTF-16; any other content is 8-bit text in which NUL is an
// ordinary byte.
std::string filterInf(const std::string& content);

}  // namespace stow
