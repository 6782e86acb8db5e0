// WININIT.INI holds repeated "NUL=" keys, which the profile functions would fold into one, so
// the file is edited as text.
#include "uninstall/restart_delete.h"

#include "base/paths.h"

namespace stow {

namespace {

std::string readAll(FileSystem& files, const std::string& path) {
    std::string text;
    if (auto file = files.openRead(path)) {
        char buffer[4096];
        while (size_t n = file->read(buffer, sizeof buffer)) text.append(buffer, n);
    }
    return text;
}

}  // namespace

std::string addWininitDelete(const std::string& ini, const std::string& short_path) {
    const std::string line = "NUL=" + short_path + "\r\n";
    std::string text = ini;
    if (!text.empty() && text.back() != '\n') text += "\r\n";
    // Find the [rename] header, then the start of the section after it.
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string current = text.substr(pos, end - pos);
        while (!current.empty() && (current.back() == '\r' || current.back() == ' ')) current.pop_back();
        if (upperAscii(current) == "[RENAME]") {
            size_t next = end + 1;
            while (next < text.size()) {
                size_t line_end = text.find('\n', next);
                if (line_end == std::string::npos) line_end = text.size();
                if (text[next] == '[') break;
                next = line_end + 1;
            }
            if (next > text.size()) next = text.size();
            text.insert(next, line);
            return text;
        }
        pos = end + 1;
    }
    return text + "[rename]\r\n" + line;
}

bool scheduleDeleteAtRestart(FileSystem& files, bool nt, const std::string& windows_path,
                             const std::string& path) {
    if (nt) return files.deleteAtRestart(path);
    const std::string ini_path = windows_path + "WININIT.INI";
    const std::string text = addWininitDelete(readAll(files, ini_path), files.shortPath(path));
    auto file = files.create(ini_path);
    return file && file->write(text.data(), text.size());
}

}  // namespace stow
