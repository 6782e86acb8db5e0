// Installs the sample package (examples/sample, with the uninstaller record the packer adds)
// on a simulated machine through the engine's phases, as the install command runs them.
#pragma once

#include <string>

#include "platform/sim/sim_windows.h"

namespace stow::test {

// The folders and keys a real machine of the profile has before anything is installed.
void prepareSampleMachine(sim::SimWindows& win);

// Installs into target (the default target directory when empty); returns the completion or
// error report. The uninstaller's bytes are uninstaller_content.
std::string installSample(sim::SimWindows& win, const std::string& target = {},
                          const std::string& uninstaller_content = "MZ uninstaller");

}  // namespace stow::test
