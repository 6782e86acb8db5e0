// The packer's side of the package format (its layout, limits and locator are the package
// module's): refusals, placement codes as the manifest names them, packed DOS time stamps, and
// the rules a relative destination path must follow so that no record can escape its location.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "package/format.h"

namespace stow::pack {

// Every refusal of the packer: a message that names the input and what is wrong with it. A
// refusal about a place in the manifest also carries that place ("m.toml:12:1"), so that it
// can be shown in the "file:line:column: error: message" shape editors and CI annotate.
class PackError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    PackError(const std::string& location, const std::string& message)
        : std::runtime_error(location + ": " + message), location_(location), message_(message) {}
    // "" when the refusal is not about a manifest place.
    const std::string& location() const { return location_; }
    // The message without the location.
    std::string message() const { return location_.empty() ? what() : message_; }

private:
    std::string location_;
    std::string message_;
};

// A finding that does not stop the build unless warnings are made errors.
struct Warning {
    std::string location;  // "m.toml:12:1", or "" when the finding is about no manifest place
    std::string message;
};

// Windows' rules for one file or folder name: no control characters or any of \ / : * ? " < > |,
// no trailing dot or blank, no device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, their
// superscript-digit forms, CONIN$, CONOUT$), whatever extension follows. Returns why a name
// breaks them, or "" when it keeps them.
std::string windowsNameProblem(const std::string& name);

bool isValidPlacementCode(int code);
// "0-5, 8, 9, 12, 13, 16, 17, 18, 20", for messages.
std::string validPlacementCodesText();
// A short description of where a code puts its file, e.g. "DriverPath (64-bit only)".
std::string describePlacementCode(int code);
uint8_t placementByte(int code, bool driver_copy);

// Checks a path relative to some location and returns it with "\" separators. Refused: empty
// paths, a leading "\" or "/", drive prefixes, "." and ".." components, empty components,
// characters Windows does not allow in names, and device names. what names the path in the
// message, e.g. "file #3: path".
std::string normalizeRelativePath(const std::string& path, const std::string& what);

// A source-path key: a drive prefix ("C:\") followed by a relative path as above.
std::string normalizeSourceKey(const std::string& key, const std::string& what);

struct DateTime {
    int year = 1980, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};

// Packed DOS date-time (date in the high word). Seconds are stored in 2-second steps.
// Throws PackError for dates outside 1980-2107 or fields out of range.
int32_t packDosDateTime(const DateTime& t);
// Like packDosDateTime, but clamps dates before 1980 or after 2107 instead of refusing them.
int32_t packDosDateTimeClamped(const DateTime& t);
// "2024-03-01 10:00:00", or "0x........ (not a valid date)" when a field is out of range.
std::string formatDosDateTime(int32_t packed);

}  // namespace stow::pack
