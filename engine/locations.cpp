// The start-up computation of the default directories, install locations and platform facts.
// Every query that fails yields "", which the trailing-separator rule turns into "\"; nothing
// here reports an error of its own.
#include "engine/locations.h"

#include "base/paths.h"
#include "engine/command_switches.h"

namespace stow {

namespace {

bool isSeparator(unsigned char c) { return c <= 0x20; }

}  // namespace

std::vector<std::string> splitCommandLine(const std::string& command_line) {
    std::vector<std::string> texts;
    size_t pos = 0;
    CommandArgument argument;
    while (nextCommandArgument(command_line, pos, argument)) texts.push_back(argument.text);
    return texts;
}

bool nextCommandArgument(const std::string& command_line, size_t& pos, CommandArgument& argument) {
    const size_t n = command_line.size();
    while (pos < n && isSeparator(static_cast<unsigned char>(command_line[pos]))) ++pos;
    if (pos >= n) return false;
    argument.begin = pos;
    argument.text.clear();
    bool quoted = false;
    for (; pos < n; ++pos) {
        const char c = command_line[pos];
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && isSeparator(static_cast<unsigned char>(c))) {
            break;
        } else {
            argument.text += c;
        }
    }
    argument.end = pos;
    return true;
}

ComputedLocations computeInstallLocations(System& system, const std::string& vendor_name,
                                          const std::string& package_name) {
    const LeadBytePredicate is_lead_byte = [&system](unsigned char b) {
        return system.isLeadByte(b);
    };
    auto withSeparator = [&](const std::string& text) {
        return addTrailingSeparator(text, is_lead_byte);
    };

    ComputedLocations result;
    StartupDirectories& dirs = result.directories;
    InstallLocations& loc = result.locations;
    PlatformFacts& facts = result.facts;

    const CommandSwitches switches = parseCommandSwitches(system.commandLine());
    if (!switches.target.empty()) {
        dirs.target = switches.target;
    } else {
        dirs.target = withSeparator(system.specialFolder(kCsidlProgramFiles)) + vendor_name +
                      "\\" + package_name;
    }
    dirs.drivers =
        withSeparator(system.specialFolder(kCsidlProgramFiles)) + vendor_name + "\\Common Drivers";

    facts.nt = system.platformId() == kPlatformWin32Nt;
    facts.bitness = system.isWow64() ? 64 : 32;

    system.disableFsRedirection();

    // A lookup that fails in any way only means drivers cannot be preinstalled on this run.
    try {
        facts.setupService = system.findSetupService();
    } catch (...) {
        facts.setupService = nullptr;
    }
    facts.driverPreinstallPossible = facts.nt && facts.setupService != nullptr;

    loc.windowsPath = withSeparator(system.windowsDirectory());
    loc.systemPath = withSeparator(system.systemDirectory());
    loc.programsPath =
        withSeparator(system.specialFolder(facts.nt ? kCsidlCommonPrograms : kCsidlPrograms));
    if (!facts.nt) {
        loc.dllPath = loc.systemPath;
        loc.driverPath = loc.systemPath;
    } else if (facts.bitness == 32) {
        loc.dllPath = loc.systemPath;
        loc.driverPath = loc.systemPath + "Drivers\\";
    } else {
        loc.dllPath = withSeparator(system.specialFolder(kCsidlSystemX86));
        loc.driverPath = loc.systemPath + "Drivers\\";
    }

    dirs.fallback = loc.windowsPath.substr(0, 3);
    return result;
}

}  // namespace stow
