// The system's setup service: SetupCopyOEMInfA and SetupUninstallOEMInfA, found at run time in
// SetupAPI.dll. The service hands its copy's name back in the caller's buffer; a backend turns
// that into text once, with destinationFromBuffer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace stow {

// The destination buffer handed to SetupCopyOEMInfA, in characters.
constexpr uint32_t kInfNameBufferSize = 283;

// What handing an INF to the service came to.
struct InfCopy {
    bool accepted = false;
    std::string destination;  // the path of the system's copy; never holds a NUL
};

// The name in a buffer as the service filled it: up to its first NUL, and no longer than the
// size it reported (which counts the NUL) less one; a size of 0 limits nothing.
inline std::string destinationFromBuffer(std::string_view buffer, uint32_t reported_size) {
    std::string_view name = buffer.substr(0, buffer.find('\0'));
    if (reported_size != 0) name = name.substr(0, std::min<size_t>(name.size(), reported_size - 1));
    return std::string(name);
}

class SetupService {
public:
    virtual ~SetupService() = default;
    // SetupCopyOEMInfA(source, NULL, SPOST_PATH, 0, buffer, kInfNameBufferSize, &size, NULL).
    // Called on a worker thread; must not touch windows.
    virtual InfCopy copyOEMInf(const std::string& source) = 0;
};

// SetupUninstallOEMInfA, found at run time in SetupAPI.dll (Windows XP and later).
class SetupUninstaller {
public:
    virtual ~SetupUninstaller() = default;
    // SetupUninstallOEMInfA(inf_name, 0, NULL): inf_name is the bare name in the INF folder.
    virtual bool uninstallOEMInf(const std::string& inf_name) = 0;
};

}  // namespace stow
