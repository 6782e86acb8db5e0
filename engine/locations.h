// Computes, once at start-up, the default directories, the install locations and the platform
// facts, and switches file-system redirection off for the calling (GUI) thread.
#pragma once

#include <string>
#include <vector>

#include "engine/install_state.h"
#include "platform/system.h"

namespace stow {

struct ComputedLocations {
    StartupDirectories directories;
    InstallLocations locations;
    PlatformFacts facts;
};

// Splits a command line as the program's argument list: blanks and control characters separate,
// a stretch in double quotes may hold blanks, the quotes are dropped. Element 0 is the program.
std::vector<std::string> splitCommandLine(const std::string& command_line);

// One argument with where it stands in the command line: [begin, end) in the raw text.
struct CommandArgument {
    std::string text;
    size_t begin = 0;
    size_t end = 0;
};
// The argument at or behind pos, by the rules above; pos moves behind it. False when only
// separators are left.
bool nextCommandArgument(const std::string& command_line, size_t& pos, CommandArgument& argument);

ComputedLocations computeInstallLocations(System& system, const std::string& vendor_name,
                                          const std::string& package_name);

}  // namespace stow
