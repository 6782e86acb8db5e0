// The installer's command line: /S (silent), /D=path (target directory), /LOG=path (install log),
// matched exactly and in any letter case. Any other first argument is the target directory, as
// it always was; further arguments that are not switches are ignored.
#pragma once

#include <string>

namespace stow {

struct CommandSwitches {
    bool silent = false;
    std::string target;   // /D= or the first argument; "" when neither is given
    std::string logPath;  // /LOG=; "" when not given
    std::string error;                   // not empty: the command line is refused, with why
};

// /D= and /LOG= take everything up to the next switch or the end of the line, blanks included;
// quotes are dropped wherever they stand, so a quoted path works anywhere on the line.
CommandSwitches parseCommandSwitches(const std::string& command_line);

}  // namespace stow
