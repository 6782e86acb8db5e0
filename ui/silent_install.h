// The install command without a window: /S. Loads the package, installs into the default or
// given directories and ends with the exit code; nothing is shown at any point, and what the
// window would have said goes to the install log.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "ui/install_phases.h"
#include "ui/install_session.h"

namespace stow {

// How long a silent run waits for the setup service to take one INF. A service that shows a
// question (an unsigned driver, say) would wait for a user who is not there.
constexpr uint32_t kSilentInfWaitLimitMs = 120000;

// Returns the exit code.
int runSilentInstall(Platform& platform, InstallPhases& phases, InstallSession& session,
                     const unsigned char* locator_data,
                     uint32_t inf_wait_limit_ms = kSilentInfWaitLimitMs);

}  // namespace stow
