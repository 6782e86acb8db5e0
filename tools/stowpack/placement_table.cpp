// Each cell is the placement rule's own decision for a record "<path>" with symbolic locations,
// so a change to the rule changes the guide's table (and fails its test until regenerated).
#include "stowpack/placement_table.h"

#include "engine/placement_rule.h"
#include "stowpack/format.h"
#include "stowpack/plan.h"

namespace stow::pack {

namespace {

struct Column {
    const char* heading;
    PlanProfile profile;
};

const Column kColumns[] = {{"Windows 9x", PlanProfile::Win9x},
                           {"NT 32-bit", PlanProfile::Nt32},
                           {"NT 64-bit (WOW64)", PlanProfile::Nt64},
                           {"NT without SetupAPI", PlanProfile::NtNoSetupApi}};

PlacementDecision decide(int byte, PlanProfile profile) {
    PlanMachine machine = planMachine(profile);
    machine.locations = InstallLocations{"WindowsPath\\", "SystemPath\\", "ProgramsPath\\",
                                         "DLLPath\\", "DriverPath\\"};
    const std::string target = "target\\";
    const std::string drivers = "drivers\\";
    const PlacementContext context{machine.facts, machine.locations, target, drivers};
    return decidePlacement(std::string(1, static_cast<char>(byte)) + "<path>", "C:\\<key>",
                           context);
}

std::string cell(const PlacementDecision& d) {
    std::string path, note;
    switch (d.kind) {
        case DestinationKind::None: return "—";
        case DestinationKind::Path: path = d.destination; break;
        case DestinationKind::GeneratedInf:
            path = d.destination + "oem<n>.inf";
            note = ", filtered";
            break;
        case DestinationKind::InfOther:
            path = d.destination;
            note = ", filtered";
            break;
    }
    if (d.directories == DirectoryRule::CreateFatal) note += " (folders made; failure stops)";
    if (d.directories == DirectoryRule::CreateIgnore) note += " (folders made)";
    return "`" + path + "`" + note;
}

std::string copyCell(int code, PlanProfile profile) {
    const PlacementDecision d = decide(code | static_cast<int>(kDriverCopyFlag), profile);
    return d.kind == DestinationKind::None ? "only the driver copy" : "also " + cell(d);
}

std::string headingRow(const char* first) {
    std::string row = std::string("| ") + first + " |";
    std::string rule = "|---|";
    for (const Column& c : kColumns) {
        row += std::string(" ") + c.heading + " |";
        rule += "---|";
    }
    return row + "\n" + rule + "\n";
}

}  // namespace

std::string placementTableMarkdown() {
    std::string out = headingRow("Location");
    const std::pair<const char*, std::string InstallLocations::*> names[] = {
        {"WindowsPath", &InstallLocations::windowsPath},
        {"SystemPath", &InstallLocations::systemPath},
        {"DLLPath", &InstallLocations::dllPath},
        {"DriverPath", &InstallLocations::driverPath},
        {"ProgramsPath (Start menu)", &InstallLocations::programsPath}};
    for (const auto& [name, member] : names) {
        out += std::string("| ") + name + " |";
        for (const Column& c : kColumns) out += " `" + planMachine(c.profile).locations.*member + "` |";
        out += "\n";
    }
    out += "| target (default) |";
    for (const Column& c : kColumns) out += " `" + planMachine(c.profile, "<vendor>", "<package>").defaultTarget + "` |";
    out += "\n| drivers directory (default) |";
    for (const Column& c : kColumns) out += " `" + planMachine(c.profile, "<vendor>", "<package>").defaultDrivers + "` |";
    out += "\n\nWhere each placement code puts a record whose path is `<path>`:\n\n";
    out += headingRow("Code");
    for (int code = 0; code < 32; ++code) {
        if (decide(code, PlanProfile::Nt32).error) continue;
        out += "| " + std::to_string(code) + " |";
        for (const Column& c : kColumns) out += " " + cell(decide(code, c.profile)) + " |";
        out += "\n";
    }
    out += "\nWith the driver-copy flag (placement byte + 0x20, `driver_copy = true`), the file "
           "is first copied to the drivers directory + its key without the drive prefix; then:\n\n";
    out += headingRow("Code");
    for (int code = 0; code < 32; ++code) {
        if (decide(code, PlanProfile::Nt32).error) continue;
        out += "| " + std::to_string(code) + " |";
        for (const Column& c : kColumns) out += " " + copyCell(code, c.profile) + " |";
        out += "\n";
    }
    return out;
}

std::string withPlacementTable(const std::string& guide, const std::string& table) {
    const size_t begin = guide.find(kPlacementTableBegin);
    const size_t end = guide.find(kPlacementTableEnd);
    if (begin == std::string::npos || end == std::string::npos || end < begin) {
        throw PackError("the guide has no placement table markers");
    }
    const size_t after_begin = begin + std::string(kPlacementTableBegin).size();
    return guide.substr(0, after_begin) + "\n" + table + guide.substr(end);
}

}  // namespace stow::pack
