// Command-line splitter and switches on arbitrary text: never fail, never keep a quote in an
// argument or a switch value, and a value a switch accepted is never empty.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/command_switches.h"
#include "engine/locations.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string line(reinterpret_cast<const char*>(data), size);
    for (const std::string& arg : stow::splitCommandLine(line)) {
        if (arg.find('"') != std::string::npos) std::abort();
    }
    const stow::CommandSwitches switches = stow::parseCommandSwitches(line);
    if (switches.target.find('"') != std::string::npos) std::abort();
    if (switches.logPath.find('"') != std::string::npos) std::abort();
    return 0;
}
