// What every part of the simulated Windows shares: the profile's facts, the fault switches,
// per-thread settings (redirection, COM initialisation) and the one lock that guards them.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/sim/profiles.h"
#include "platform/sim/sim_windows.h"

namespace stow::sim {

struct SimContext {
    explicit SimContext(Profile p) : profile(p), facts(profileFacts(p)) {}

    Profile profile;
    const ProfileFacts& facts;
    Faults faults;
    // Recursive: test-side helpers reuse the platform operations under the same lock.
    mutable std::recursive_mutex mutex;
    std::set<std::thread::id> redirectionOff;
    std::map<std::thread::id, int> comInitCount;

    bool redirectionDisabled() const {
        std::lock_guard<std::recursive_mutex> lock(mutex);
        return redirectionOff.count(std::this_thread::get_id()) != 0;
    }
};

// HRESULT_FROM_WIN32 for the Win32 errors the simulation produces.
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorDiskFull = 112;
constexpr uint32_t kErrorInvalidName = 123;
constexpr uint32_t kErrorAlreadyExists = 183;

inline HResult hresultFromWin32(uint32_t error) {
    return error == 0 ? kSOk : static_cast<HResult>(0x80070000u | (error & 0xFFFFu));
}

}  // namespace stow::sim
