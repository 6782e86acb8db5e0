// Switch recognition over the program's argument list. A value runs to the next switch so that
// an unquoted path with blanks, as deployment tools often pass it, still arrives whole.
#include "engine/command_switches.h"

#include <vector>

#include "engine/locations.h"
#include "engine/paths.h"

namespace stow {
namespace {

enum class Switch { None, Silent, Directory, Log };

struct SwitchName {
    Switch kind;
    const char* text;  // upper case; a trailing "=" takes a value
};

constexpr SwitchName kSwitches[] = {
    {Switch::Silent, "/S"},
    {Switch::Directory, "/D="},
    {Switch::Log, "/LOG="},
};

const SwitchName* switchOf(const std::string& argument) {
    const std::string upper = upperAscii(argument);
    for (const SwitchName& name : kSwitches) {
        const std::string text = name.text;
        const bool takes_value = text.back() == '=';
        if (takes_value ? upper.compare(0, text.size(), text) == 0 : upper == text) return &name;
    }
    return nullptr;
}

}  // namespace

CommandSwitches parseCommandSwitches(const std::string& command_line) {
    const std::vector<CommandArgument> arguments = splitCommandArguments(command_line);
    CommandSwitches result;
    auto refuse = [&result](const std::string& why) {
        if (result.error.empty()) result.error = why;
    };

    // The first-argument rule: an empty one ("") would name the current drive's root, so it
    // counts as no argument at all.
    if (arguments.size() >= 2 && !switchOf(arguments[1].text) && !arguments[1].text.empty()) {
        result.target = arguments[1].text;
    }

    for (size_t i = 1; i < arguments.size(); ++i) {
        const SwitchName* name = switchOf(arguments[i].text);
        if (!name) continue;
        if (name->kind == Switch::Silent) {
            if (result.silent) refuse("The switch /S is given twice.");
            result.silent = true;
            continue;
        }

        std::string value = arguments[i].text.substr(std::string(name->text).size());
        size_t next = i + 1;
        for (; next < arguments.size() && !switchOf(arguments[next].text); ++next) {
            const CommandArgument& before = arguments[next - 1];
            value += command_line.substr(before.end, arguments[next].begin - before.end);
            value += arguments[next].text;
        }
        i = next - 1;

        const bool directory = name->kind == Switch::Directory;
        std::optional<std::string>& slot = directory ? result.target : result.logPath;
        if (value.empty()) {
            refuse(directory ? "The switch /D= names no directory."
                             : "The switch /LOG= names no file.");
        } else if (slot) {
            refuse(directory ? "The target directory is given twice."
                             : "The switch /LOG= is given twice.");
        }
        slot = value;
    }
    return result;
}

}  // namespace stow
