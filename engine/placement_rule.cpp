// The table of placement codes. The flag bit is handled first: where the system can preinstall
// drivers the driver copy is the only copy, otherwise the remaining bits choose a destination.
#include "engine/placement_rule.h"

#include "base/number_text.h"

namespace stow {

std::string invalidCodeMessage(unsigned code) {
    return "Invalid LocMode #" + hexText(code, 2) + "h. The package is probably corrupt.";
}

std::string generatedInfName(unsigned n) { return "oem" + std::to_string(n) + ".inf"; }

PlacementDecision decidePlacement(const std::string& first_string, const std::string& source_path,
                                  const PlacementContext& context) {
    PlacementDecision d;
    if (first_string.empty()) {
        d.error = "Missing LocMode. The package is probably corrupt.";
        return d;
    }
    const unsigned byte = static_cast<unsigned char>(first_string[0]);
    const std::string path = first_string.substr(1);
    const PlatformFacts& facts = context.facts;
    const InstallLocations& at = context.locations;

    if (byte & kDriverCopyFlag) {
        // The source path starts with a drive prefix such as "C:\"; a shorter one has nothing
        // after it.
        d.driverCopy = context.driversDirectory +
                       (source_path.size() > 3 ? source_path.substr(3) : std::string());
        d.code = facts.driverPreinstallPossible ? 0 : (byte & ~kDriverCopyFlag);
    } else {
        d.code = byte;
    }

    auto place = [&d, &path](const std::string& base, DirectoryRule rule) {
        d.kind = DestinationKind::Path;
        d.destination = base + path;
        d.directories = rule;
    };
    const bool bits32 = facts.bitness != 64;
    switch (d.code) {
        case 0: break;
        case 1: place(at.windowsPath, DirectoryRule::None); break;
        case 2: place(at.dllPath, DirectoryRule::None); break;
        case 3: if (!facts.nt) place(at.driverPath, DirectoryRule::None); break;
        case 4: place(at.driverPath, DirectoryRule::None); break;
        case 5:
            d.filtered = true;
            if (facts.nt) {
                d.kind = DestinationKind::GeneratedInf;
                d.destination = at.windowsPath + "INF\\";
            } else {
                d.kind = DestinationKind::InfOther;
                d.destination = at.windowsPath + "INF\\Other\\" + path;
            }
            break;
        case 8: if (bits32) place(at.driverPath, DirectoryRule::None); break;
        case 9: if (!bits32) place(at.driverPath, DirectoryRule::None); break;
        case 12: if (bits32) place(at.systemPath, DirectoryRule::None); break;
        case 13: if (!bits32) place(at.systemPath, DirectoryRule::None); break;
        case 16: place(context.targetDirectory, DirectoryRule::CreateFatal); break;
        case 17: place(at.windowsPath, DirectoryRule::CreateIgnore); break;
        case 18: place(at.dllPath, DirectoryRule::CreateIgnore); break;
        case 20: place(at.driverPath, DirectoryRule::CreateIgnore); break;
        default: d.error = invalidCodeMessage(d.code); break;
    }
    return d;
}

}  // namespace stow
