// Switches are matched without regard to letter case and may start with "/" or "-".
#include "uninstall/uninstall_command_line.h"

#include "engine/locations.h"
#include "base/paths.h"

namespace stow {

UninstallOptions parseUninstallCommandLine(const std::string& command_line) {
    UninstallOptions options;
    const std::vector<std::string> args = splitCommandLine(command_line);
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string upper = upperAscii(arg);
        const bool switch_char = !arg.empty() && (arg[0] == '/' || arg[0] == '-');
        if (switch_char && upper.substr(1) == "S") {
            options.silent = true;
        } else if (switch_char && upper.compare(1, 4, "LOG=") == 0 && arg.size() > 5) {
            options.logPath = arg.substr(5);
        } else if (options.unknown.empty()) {
            options.unknown = arg;
        }
    }
    return options;
}

std::optional<std::string> vendorFromProgramPath(const std::string& program_path) {
    const std::string name = fileNamePart(program_path);
    static const std::string kSuffix = "UNINSTALL.EXE";
    if (name.size() <= kSuffix.size()) return std::nullopt;
    const size_t cut = name.size() - kSuffix.size();
    if (upperAscii(name.substr(cut)) != kSuffix) return std::nullopt;
    return name.substr(0, cut);
}

}  // namespace stow
