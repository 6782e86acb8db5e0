// Path rules of the uninstaller. Every path it acts on passes isPlainAbsolutePath first, so
// no ".." can lead out of the directory the path was checked against.
#include "uninstall/uninstall_paths.h"

#include "base/paths.h"

namespace stow {

namespace {

bool plainComponent(const std::string& part) {
    if (part.empty() || part == "." || part == "..") return false;
    for (char c : part) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '/' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
            c == '|' || c == ':') {
            return false;
        }
    }
    // Windows drops trailing dots and blanks, which would make "a.." name "a".
    return part.back() != '.' && part.back() != ' ';
}

bool plainComponents(const std::string& text) {
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find('\\', begin);
        if (end == std::string::npos) end = text.size();
        if (!plainComponent(text.substr(begin, end - begin))) return false;
        begin = end + 1;
    }
    return true;
}

}  // namespace

bool isPlainAbsolutePath(const std::string& path) {
    if (path.size() < 3 || path.size() >= kMaxAnsiPath) return false;
    const char drive = static_cast<char>(path[0] | 0x20);
    if (drive < 'a' || drive > 'z' || path[1] != ':' || path[2] != '\\') return false;
    std::string rest = path.substr(3);
    if (rest.empty()) return true;  // the drive root itself
    if (rest.back() == '\\') rest.pop_back();
    return plainComponents(rest);
}

bool isPlainRelativePath(const std::string& path) {
    return !path.empty() && path.size() < kMaxAnsiPath && path[0] != '\\' &&
           plainComponents(path);
}

bool isInsideDirectory(const std::string& path, const std::string& dir) {
    if (dir.empty() || dir.back() != '\\' || path.size() <= dir.size()) return false;
    return upperAscii(path.substr(0, dir.size())) == upperAscii(dir);
}

bool samePath(const std::string& a, const std::string& b) {
    return upperAscii(a) == upperAscii(b);
}

std::string parentDirectory(const std::string& dir) {
    std::string d = dir;
    if (!d.empty() && d.back() == '\\') d.pop_back();
    const size_t cut = d.rfind('\\');
    if (cut == std::string::npos || d.size() <= 2) return {};
    return d.substr(0, cut + 1);
}

std::string asDirectory(const std::string& path) {
    return !path.empty() && path.back() == '\\' ? path : path + "\\";
}

}  // namespace stow
