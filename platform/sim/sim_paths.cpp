// Path text rules of the simulated Windows. They follow what the Win32 path functions do with
// ANSI paths, so that engine code that is sloppy with separators, case or "..", or that builds
// names Windows refuses, meets the same answers as on a real machine.
#include "platform/sim/sim_paths.h"

#include <algorithm>
#include <cctype>

namespace stow::sim {
namespace {

char foldChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool globMatch(const std::string& pattern, const std::string& name) {
    size_t p = 0, n = 0;
    size_t star = std::string::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || foldChar(pattern[p]) == foldChar(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

std::string WinPath::text() const {
    std::string out{drive, ':', '\\'};
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out += '\\';
        out += parts[i];
    }
    return out;
}

std::string foldCase(std::string text) {
    for (char& c : text) c = foldChar(c);
    return text;
}

bool equalsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (foldChar(a[i]) != foldChar(b[i])) return false;
    }
    return true;
}

bool lessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return static_cast<unsigned char>(foldChar(x)) < static_cast<unsigned char>(foldChar(y));
        });
}

bool isUnderNoCase(const std::string& path, const std::string& folder) {
    std::string f = folder;
    while (!f.empty() && f.back() == '\\') f.pop_back();
    if (f.empty()) return false;
    if (path.size() < f.size() || !equalsNoCase(path.substr(0, f.size()), f)) return false;
    return path.size() == f.size() || path[f.size()] == '\\' ||
           (path.size() == f.size() + 1 && path.back() == '\\');
}

bool isForbiddenNameChar(char c) {
    auto u = static_cast<unsigned char>(c);
    if (u < 32) return true;
    switch (c) {
        case '<': case '>': case ':': case '"': case '|': case '?': case '*':
        case '\\': case '/':
            return true;
        default:
            return false;
    }
}

bool isValidName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name) {
        if (isForbiddenNameChar(c)) return false;
    }
    // Device names stay devices whatever extension follows them.
    std::string base = foldCase(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static const char* const kDevices[] = {"con", "prn", "aux", "nul"};
    for (const char* d : kDevices) {
        if (base == d) return false;
    }
    if (base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
        base[3] >= '1' && base[3] <= '9') {
        return false;
    }
    return true;
}

bool parseWindowsPath(const std::string& path, const WinPath& current, WinPath& out) {
    if (path.empty()) return false;
    std::string p = path;
    std::replace(p.begin(), p.end(), '/', '\\');
    if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') return false;  // UNC and device paths

    WinPath result;
    std::string rest;
    if (p.size() >= 2 && p[1] == ':') {
        if (!std::isalpha(static_cast<unsigned char>(p[0]))) return false;
        result.drive = static_cast<char>(std::toupper(static_cast<unsigned char>(p[0])));
        rest = p.substr(2);
        // "D:name" is relative to the current directory only when that is on D:.
        if ((rest.empty() || rest[0] != '\\') && result.drive == current.drive) {
            result.parts = current.parts;
        }
    } else if (p[0] == '\\') {
        result.drive = current.drive;
        rest = p;
    } else {
        result = current;
        rest = p;
    }

    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('\\', start);
        if (end == std::string::npos) end = rest.size();
        std::string part = rest.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!result.parts.empty()) result.parts.pop_back();
            continue;
        }
        while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
        if (part.empty()) continue;
        for (char c : part) {
            if (isForbiddenNameChar(c)) return false;
        }
        result.parts.push_back(part);
    }
    if (result.text().size() >= kMaxPath) return false;
    out = std::move(result);
    return true;
}

bool matchesPattern(const std::string& pattern, const std::string& name) {
    if (pattern == "*" || pattern == "*.*") return true;
    if (globMatch(pattern, name)) return true;
    // "x.*" also names "x" itself, as the extension may be empty.
    if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 &&
        name.find('.') == std::string::npos) {
        return globMatch(pattern.substr(0, pattern.size() - 2), name);
    }
    return false;
}

}  // namespace stow::sim
