// Everything a simulated machine holds on C: and in its registry, for tests that compare a
// machine before and after, or two machines.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/sim/sim_windows.h"

namespace stow::test {

struct MachineState {
    std::map<std::string, std::string> files;  // every file and folder on C:, files with bytes
    std::vector<std::string> native, wow32;    // both registry views
};

inline MachineState machineState(const sim::SimWindows& win) {
    MachineState state{{},
                       win.registrySnapshot(sim::RegistryView::Native),
                       win.registrySnapshot(sim::RegistryView::Wow32)};
    for (const std::string& f : win.listFiles("C:\\")) {
        const std::string path = "C:\\" + f;
        state.files[path] = win.isDirectory(path) ? "" : win.readFile(path);
    }
    return state;
}

}  // namespace stow::test
