// Switch recognition over the program's argument list. A value runs to the next switch so that
// an unquoted path with blanks, as deployment tools often pass it, still arrives whole.
#include "engine/command_switches.h"

#include "engine/locations.h"

namespace stow {
namespace {

enum Switch { kNoSwitch, kSilent, kDirectory, kLog };

// The length of prefix when text starts with it, letter case ignored; else 0.
size_t prefixLength(const std::string& text, const char* prefix) {
    size_t i = 0;
    for (; prefix[i] != '\0'; ++i) {
        if (i >= text.size()) return 0;
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != prefix[i]) return 0;
    }
    return i;
}

Switch switchOf(const std::string& argument) {
    if (argument.size() == 2 && prefixLength(argument, "/S")) return kSilent;
    if (prefixLength(argument, "/D=")) return kDirectory;
    if (prefixLength(argument, "/LOG=")) return kLog;
    return kNoSwitch;
}

}  // namespace

CommandSwitches parseCommandSwitches(const std::string& command_line) {
    CommandSwitches result;
    const char* refused = nullptr;
    auto refuse = [&refused](const char* why) {
        if (!refused) refused = why;
    };
    std::string* open = nullptr;  // the /D= or /LOG= value still taking words
    size_t open_end = 0;
    auto close = [&] {
        if (open && open->empty()) {
            refuse(open == &result.target ? "/D= names no directory."
                                          : "/LOG= names no file.");
        }
        open = nullptr;
    };

    size_t pos = 0;
    CommandArgument argument;
    nextCommandArgument(command_line, pos, argument);  // the program
    for (bool first = true; nextCommandArgument(command_line, pos, argument); first = false) {
        const Switch kind = switchOf(argument.text);
        if (kind == kNoSwitch) {
            if (open) {
                // The blanks between the words as they stand on the line, quotes dropped.
                open->append(command_line, open_end, argument.begin - open_end);
                *open += argument.text;
                open_end = argument.end;
            } else if (first) {
                // The first-argument rule; "" would name the current drive's root, so it
                // counts as no argument.
                result.target = argument.text;
            }
            continue;
        }
        close();
        if (kind == kSilent) {
            if (result.silent) refuse("/S is given twice.");
            result.silent = true;
            continue;
        }
        const bool directory = kind == kDirectory;
        std::string& slot = directory ? result.target : result.logPath;
        if (!slot.empty()) {
            refuse(directory ? "The target directory is given twice."
                             : "/LOG= is given twice.");
        }
        slot.assign(argument.text, directory ? 3 : 5, std::string::npos);
        open = &slot;
        open_end = argument.end;
    }
    close();
    if (refused) result.error = refused;
    return result;
}

}  // namespace stow
