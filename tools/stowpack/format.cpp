// Format rules shared by the builder, the inspector and the tests.
#include "stowpack/format.h"

#include <algorithm>
#include <iterator>
#include <cstdio>

#include "base/paths.h"
#include "engine/placement_rule.h"

namespace stow::pack {

namespace {

// The superscript digits Windows also treats as port numbers, in UTF-8 and in the Windows code
// pages that have them (CP1252 and its kin): "COM¹" names a port as "COM1" does.
bool isPortDigit(const std::string& rest) {
    if (rest.size() == 1) {
        const auto u = static_cast<unsigned char>(rest[0]);
        return (u >= '1' && u <= '9') || u == 0xB9 || u == 0xB2 || u == 0xB3;
    }
    return rest == "\xC2\xB9" || rest == "\xC2\xB2" || rest == "\xC2\xB3";
}

bool isDeviceName(const std::string& component) {
    // Windows maps these names to devices whatever extension follows (and trailing blanks).
    std::string base = upperAscii(component.substr(0, component.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* d : kDevices) {
        if (base == d) return true;
    }
    return base.size() > 3 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           isPortDigit(base.substr(3));
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

bool isValidPlacementCode(int code) {
    return code >= 0 && findPlacementCode(static_cast<unsigned>(code)) != nullptr;
}

// "0-5, 8, 9, ...": runs of three or more consecutive codes shortened.
std::string validPlacementCodesText() {
    std::string text;
    const size_t n = std::size(kPlacementCodes);
    for (size_t i = 0; i < n;) {
        size_t j = i;
        while (j + 1 < n && kPlacementCodes[j + 1].code == kPlacementCodes[j].code + 1) ++j;
        if (!text.empty()) text += ", ";
        text += std::to_string(kPlacementCodes[i].code);
        if (j >= i + 2) {
            text += "-" + std::to_string(kPlacementCodes[j].code);
        } else if (j == i + 1) {
            text += ", " + std::to_string(kPlacementCodes[j].code);
        }
        i = j + 1;
    }
    return text;
}

std::string describePlacementCode(int code) {
    const PlacementCode* row = code >= 0 ? findPlacementCode(static_cast<unsigned>(code)) : nullptr;
    return row ? row->description : "invalid";
}

uint8_t placementByte(int code, bool driver_copy) {
    return static_cast<uint8_t>(code | (driver_copy ? kDriverCopyFlag : 0));
}

std::string windowsNameProblem(const std::string& name) {
    if (name.empty()) return "is empty";
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || std::string("\\/<>:\"|?*").find(c) != std::string::npos) {
            char shown[8];
            std::snprintf(shown, sizeof shown, u < 0x20 ? "0x%02X" : "'%c'", u);
            return std::string("holds the character ") + shown +
                   ", which Windows does not allow in names";
        }
    }
    // Windows drops trailing dots and blanks, so the file would land under another name.
    if (name.back() == '.' || name.back() == ' ') return "ends in a dot or blank";
    if (isDeviceName(name)) return "names a device (" + name + ")";
    return "";
}

std::string normalizeRelativePath(const std::string& path, const std::string& what) {
    auto refuse = [&](const std::string& why) {
        throw PackError(what + " " + quoted(path) + " " + why);
    };
    if (path.empty()) refuse("is empty");
    if (path[0] == '\\' || path[0] == '/') refuse("starts at a root; it must be relative");
    if (path.size() >= 2 && path[1] == ':') refuse("has a drive prefix; it must be relative");

    std::string normalized;
    size_t start = 0;
    while (true) {
        size_t end = path.find_first_of("\\/", start);
        const std::string component =
            path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (component.empty()) refuse("has an empty component");
        if (component == "..") refuse("climbs out of its location with \"..\"");
        if (component == ".") refuse("has a \".\" component");
        const std::string problem = windowsNameProblem(component);
        if (!problem.empty()) {
            refuse(problem.rfind("ends in", 0) == 0 ? "has a component ending in a dot or blank"
                                                   : problem);
        }
        normalized += component;
        if (end == std::string::npos) break;
        normalized += '\\';
        start = end + 1;
    }
    return normalized;
}

std::string normalizeSourceKey(const std::string& key, const std::string& what) {
    const bool has_drive = key.size() >= 3 &&
                           ((key[0] >= 'A' && key[0] <= 'Z') || (key[0] >= 'a' && key[0] <= 'z')) &&
                           key[1] == ':' && (key[2] == '\\' || key[2] == '/');
    if (!has_drive) {
        throw PackError(what + " " + quoted(key) +
                        " must begin with a drive prefix such as \"C:\\\"");
    }
    return key.substr(0, 2) + "\\" + normalizeRelativePath(key.substr(3), what);
}

int32_t packDosDateTime(const DateTime& t) {
    const bool valid = t.year >= 1980 && t.year <= 2107 && t.month >= 1 && t.month <= 12 &&
                       t.day >= 1 && t.day <= 31 && t.hour >= 0 && t.hour <= 23 &&
                       t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
    if (!valid) {
        char text[64];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                      t.hour, t.minute, t.second);
        throw PackError(std::string("time stamp ") + text +
                        " cannot be stored as a DOS date (1980-2107)");
    }
    const uint32_t date = static_cast<uint32_t>((t.year - 1980) << 9 | t.month << 5 | t.day);
    const uint32_t time = static_cast<uint32_t>(t.hour << 11 | t.minute << 5 | t.second / 2);
    return static_cast<int32_t>(date << 16 | time);
}

int32_t packDosDateTimeClamped(const DateTime& t) {
    if (t.year < 1980) return packDosDateTime(DateTime{});
    if (t.year > 2107) return packDosDateTime(DateTime{2107, 12, 31, 23, 59, 58});
    return packDosDateTime(t);
}

std::string formatDosDateTime(int32_t packed) {
    const auto u = static_cast<uint32_t>(packed);
    const int year = 1980 + static_cast<int>(u >> 25);
    const int month = static_cast<int>((u >> 21) & 0x0F);
    const int day = static_cast<int>((u >> 16) & 0x1F);
    const int hour = static_cast<int>((u >> 11) & 0x1F);
    const int minute = static_cast<int>((u >> 5) & 0x3F);
    const int second = static_cast<int>(u & 0x1F) * 2;
    char text[64];
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59) {
        std::snprintf(text, sizeof text, "0x%08X (not a valid date)", u);
    } else {
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                      minute, second);
    }
    return text;
}

}  // namespace stow::pack
