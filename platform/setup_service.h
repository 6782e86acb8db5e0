// The system's setup service: SetupCopyOEMInfA, found at run time in SetupAPI.dll.
#pragma once

#include <cstdint>

namespace stow {

constexpr uint32_t kSpostPath = 1;

class SetupService {
public:
    virtual ~SetupService() = default;
    // SetupCopyOEMInfA(source, NULL, media_type, copy_style, dest, dest_size, required, NULL).
    // Returns the call's BOOL result. Called on a worker thread; must not touch windows.
    virtual int copyOEMInf(const char* source, uint32_t media_type, uint32_t copy_style,
                           char* destination, uint32_t destination_size,
                           uint32_t* required_size) = 0;
};

// SetupUninstallOEMInfA, found at run time in SetupAPI.dll (Windows XP and later).
class SetupUninstaller {
public:
    virtual ~SetupUninstaller() = default;
    // SetupUninstallOEMInfA(inf_name, flags, NULL): inf_name is the bare name in the INF folder.
    virtual int uninstallOEMInf(const char* inf_name, uint32_t flags) = 0;
};

}  // namespace stow
