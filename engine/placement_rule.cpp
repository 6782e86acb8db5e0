// The table of placement codes and the rule that reads it. The flag bit is handled first: where
// the system can preinstall drivers the driver copy is the only copy, otherwise the remaining
// bits choose a row of the table.
#include "engine/placement_rule.h"

#include "base/number_text.h"

namespace stow {

std::string invalidCodeMessage(unsigned code) {
    return "Invalid LocMode #" + hexText(code, 2) + "h. The package is probably corrupt.";
}

std::string generatedInfName(unsigned n) { return "oem" + std::to_string(n) + ".inf"; }

const PlacementCode kPlacementCodes[14] = {
    {0, PlacementLocation::None, PlacementCondition::Always, DirectoryRule::None, "not placed"},
    {1, PlacementLocation::Windows, PlacementCondition::Always, DirectoryRule::None, "WindowsPath"},
    {2, PlacementLocation::Dll, PlacementCondition::Always, DirectoryRule::None, "DLLPath"},
    {3, PlacementLocation::Driver, PlacementCondition::Only9x, DirectoryRule::None,
     "DriverPath (not on NT)"},
    {4, PlacementLocation::Driver, PlacementCondition::Always, DirectoryRule::None, "DriverPath"},
    {5, PlacementLocation::InfFolder, PlacementCondition::Always, DirectoryRule::None,
     "INF directory, filtered"},
    {8, PlacementLocation::Driver, PlacementCondition::Bits32, DirectoryRule::None,
     "DriverPath (32-bit only)"},
    {9, PlacementLocation::Driver, PlacementCondition::Bits64, DirectoryRule::None,
     "DriverPath (64-bit only)"},
    {12, PlacementLocation::System, PlacementCondition::Bits32, DirectoryRule::None,
     "SystemPath (32-bit only)"},
    {13, PlacementLocation::System, PlacementCondition::Bits64, DirectoryRule::None,
     "SystemPath (64-bit only)"},
    {16, PlacementLocation::Target, PlacementCondition::Always, DirectoryRule::CreateFatal,
     "target directory"},
    {17, PlacementLocation::Windows, PlacementCondition::Always, DirectoryRule::CreateIgnore,
     "WindowsPath, folders created"},
    {18, PlacementLocation::Dll, PlacementCondition::Always, DirectoryRule::CreateIgnore,
     "DLLPath, folders created"},
    {20, PlacementLocation::Driver, PlacementCondition::Always, DirectoryRule::CreateIgnore,
     "DriverPath, folders created"},
};

const PlacementCode* findPlacementCode(unsigned code) {
    for (const PlacementCode& row : kPlacementCodes) {
        if (row.code == code) return &row;
    }
    return nullptr;
}

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

    const PlacementCode* row = findPlacementCode(d.code);
    if (row == nullptr) {
        d.error = invalidCodeMessage(d.code);
        return d;
    }
    const bool bits32 = facts.bitness != 64;
    bool holds = true;
    switch (row->condition) {
        case PlacementCondition::Always: break;
        case PlacementCondition::Not9x: holds = facts.nt; break;
        case PlacementCondition::Only9x: holds = !facts.nt; break;
        case PlacementCondition::Bits32: holds = bits32; break;
        case PlacementCondition::Bits64: holds = !bits32; break;
    }
    if (!holds) return d;
    const std::string* base = nullptr;
    switch (row->location) {
        case PlacementLocation::None: return d;
        case PlacementLocation::InfFolder:
            d.filtered = true;
            if (facts.nt) {
                d.kind = DestinationKind::GeneratedInf;
                d.destination = at.windowsPath + "INF\\";
            } else {
                d.kind = DestinationKind::InfOther;
                d.destination = at.windowsPath + "INF\\Other\\" + path;
            }
            return d;
        case PlacementLocation::Windows: base = &at.windowsPath; break;
        case PlacementLocation::Dll: base = &at.dllPath; break;
        case PlacementLocation::Driver: base = &at.driverPath; break;
        case PlacementLocation::System: base = &at.systemPath; break;
        case PlacementLocation::Target: base = &context.targetDirectory; break;
    }
    d.kind = DestinationKind::Path;
    d.destination = *base + path;
    d.directories = row->directories;
    return d;
}

}  // namespace stow
