// Code-page conversion on Windows through the system's own tables. "CP1252" and the like name
// the code page number; a character the code page lacks is refused, never replaced by a
// best-fit look-alike, so the bytes match the iconv-based build on the same input.
#include "stowpack/text_encoding.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "stowpack/format.h"

namespace stow::pack {

namespace {

// The number in "CP1252" / "cp932" / "WINDOWS-1250"; 0 when the name is none of those forms.
UINT codePageOf(const std::string& encoding) {
    std::string upper;
    for (char c : encoding) upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    std::string digits;
    if (upper.rfind("CP", 0) == 0) digits = upper.substr(2);
    else if (upper.rfind("WINDOWS-", 0) == 0) digits = upper.substr(8);
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    const UINT page = static_cast<UINT>(std::strtoul(digits.c_str(), nullptr, 10));
    CPINFO info;
    return page != 0 && GetCPInfo(page, &info) ? page : 0;
}

bool toWide(UINT page, const std::string& bytes, DWORD flags, std::wstring& wide) {
    wide.clear();
    if (bytes.empty()) return true;
    const int n = MultiByteToWideChar(page, flags, bytes.data(), static_cast<int>(bytes.size()),
                                      nullptr, 0);
    if (n <= 0) return false;
    wide.resize(static_cast<size_t>(n));
    return MultiByteToWideChar(page, flags, bytes.data(), static_cast<int>(bytes.size()),
                               &wide[0], n) == n;
}

bool fromWide(UINT page, const std::wstring& wide, std::string& bytes) {
    bytes.clear();
    if (wide.empty()) return true;
    BOOL lossy = FALSE;
    const bool utf8 = page == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int n = WideCharToMultiByte(page, flags, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, utf8 ? nullptr : &lossy);
    if (n <= 0 || lossy) return false;
    bytes.resize(static_cast<size_t>(n));
    WideCharToMultiByte(page, flags, wide.data(), static_cast<int>(wide.size()), &bytes[0], n,
                        nullptr, utf8 ? nullptr : &lossy);
    return !lossy;
}

// UTF-16LE is what version resources hold; Windows' own wide strings are that.
bool isUtf16(const std::string& encoding) {
    std::string upper;
    for (char c : encoding) upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    return upper == "UTF-16LE";
}

}  // namespace

void checkEncoding(const std::string& encoding) {
    if (codePageOf(encoding) == 0) {
        throw PackError("unknown encoding \"" + encoding + "\" (try CP1252, CP1250 or CP932)");
    }
}

std::string toCodePage(const std::string& utf8, const std::string& encoding,
                       const std::string& what) {
    std::wstring wide;
    std::string out;
    if (isUtf16(encoding)) {
        if (!toWide(CP_UTF8, utf8, MB_ERR_INVALID_CHARS, wide)) {
            throw PackError(what + " \"" + utf8 + "\" is not valid UTF-8");
        }
        return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    }
    checkEncoding(encoding);
    if (!toWide(CP_UTF8, utf8, MB_ERR_INVALID_CHARS, wide) ||
        !fromWide(codePageOf(encoding), wide, out)) {
        throw PackError(what + " \"" + utf8 + "\" holds characters that code page " + encoding +
                        " cannot represent");
    }
    return out;
}

std::string fromCodePage(const std::string& bytes, const std::string& encoding) {
    const UINT page = codePageOf(encoding);
    std::wstring wide;
    std::string converted;
    bool whole = false;
    if (isUtf16(encoding)) {
        wide.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
        whole = bytes.size() % 2 == 0 && fromWide(CP_UTF8, wide, converted);
    } else {
        whole = page != 0 && toWide(page, bytes, MB_ERR_INVALID_CHARS, wide) &&
                fromWide(CP_UTF8, wide, converted);
    }
    return escapedForDisplay(whole ? converted : bytes, whole);
}

}  // namespace stow::pack
