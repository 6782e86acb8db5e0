// The plan behind `stowpack plan`. The profile table mirrors what the installer computes on each
// kind of system; the decisions come from the installer's own placement rule.
#include "stowpack/plan.h"

#include <cstdio>

#include "engine/error.h"
#include "engine/placement_rule.h"

namespace stow::pack {

namespace {

std::string withSeparator(const std::string& dir) {
    return !dir.empty() && dir.back() == '\\' ? dir : dir + "\\";
}

std::string hexByte(unsigned byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

}  // namespace

std::optional<PlanProfile> parsePlanProfile(const std::string& name) {
    if (name == "9x") return PlanProfile::Win9x;
    if (name == "nt32") return PlanProfile::Nt32;
    if (name == "nt64") return PlanProfile::Nt64;
    if (name == "nt-no-setupapi") return PlanProfile::NtNoSetupApi;
    return std::nullopt;
}

std::string planProfileName(PlanProfile profile) {
    switch (profile) {
        case PlanProfile::Win9x: return "9x";
        case PlanProfile::Nt32: return "nt32";
        case PlanProfile::Nt64: return "nt64";
        case PlanProfile::NtNoSetupApi: return "nt-no-setupapi";
    }
    return "";
}

PlanMachine planMachine(PlanProfile profile) {
    PlanMachine m;
    m.locations.windowsPath = "C:\\WINDOWS\\";
    m.programFiles = "C:\\Program Files";
    if (profile == PlanProfile::Win9x) {
        m.facts.nt = false;
        m.facts.bitness = 32;
        m.facts.driverPreinstallPossible = false;
        m.locations.systemPath = "C:\\WINDOWS\\SYSTEM\\";
        m.locations.dllPath = m.locations.systemPath;
        m.locations.driverPath = m.locations.systemPath;
        return m;
    }
    m.facts.nt = true;
    m.facts.bitness = profile == PlanProfile::Nt64 ? 64 : 32;
    m.facts.driverPreinstallPossible = profile != PlanProfile::NtNoSetupApi;
    m.locations.systemPath = "C:\\WINDOWS\\system32\\";
    m.locations.dllPath = m.locations.systemPath;
    m.locations.driverPath = m.locations.systemPath + "Drivers\\";
    if (profile == PlanProfile::Nt64) {
        m.locations.dllPath = "C:\\WINDOWS\\SysWOW64\\";
        m.programFiles = "C:\\Program Files (x86)";
    }
    return m;
}

Plan makePlan(LoadedPackage& package, PlanProfile profile, const std::optional<std::string>& target,
              const std::optional<std::string>& drivers) {
    Plan plan;
    plan.profile = profile;
    plan.vendor = package.vendorName;
    plan.package = package.packageName;
    plan.recordCount = package.recordCount;
    plan.machine = planMachine(profile);
    const std::string pf = plan.machine.programFiles + "\\";
    plan.targetDirectory =
        withSeparator(target.value_or(pf + package.vendorName + "\\" + package.packageName));
    plan.driversDirectory =
        withSeparator(drivers.value_or(pf + package.vendorName + "\\Common Drivers"));
    const PlacementContext context{plan.machine.facts, plan.machine.locations,
                                   plan.targetDirectory, plan.driversDirectory};
    if (package.recordCount > 0 && !package.stream) {
        plan.stopAt = 1;
        plan.stop = EReadError().describe();
        return plan;
    }
    try {
        for (int32_t k = 1; k <= package.recordCount; ++k) {
            plan.stopAt = k;
            PlannedRecord r;
            r.number = k;
            r.first = package.stream->readString();
            r.size = package.stream->skipString().length;
            r.source = package.stream->readString();
            package.stream->readInt32();
            r.decision = decidePlacement(r.first, r.source, context);
            plan.records.push_back(r);
            if (r.decision.error) {
                plan.stop = PackageError(*r.decision.error).describe();
                return plan;
            }
        }
        plan.stopAt = 0;
    } catch (const Error& e) {
        plan.stop = e.describe();
    }
    return plan;
}

void printPlan(const Plan& plan, std::ostream& out) {
    const InstallLocations& at = plan.machine.locations;
    out << "Plan for \"" << plan.vendor << " " << plan.package << "\" on "
        << planProfileName(plan.profile) << " (" << (plan.machine.facts.nt ? "NT" : "9x") << ", "
        << plan.machine.facts.bitness << "-bit, driver preinstallation "
        << (plan.machine.facts.driverPreinstallPossible ? "possible" : "not possible") << ")\n";
    out << "  Target directory:  " << plan.targetDirectory << "\n"
        << "  Drivers directory: " << plan.driversDirectory << "\n"
        << "  WindowsPath " << at.windowsPath << ", SystemPath " << at.systemPath << ", DLLPath "
        << at.dllPath << ", DriverPath " << at.driverPath << "\n\n";

    int files = 0, copies = 0, skipped = 0;
    for (const PlannedRecord& r : plan.records) {
        const PlacementDecision& d = r.decision;
        out << "#" << r.number << " "
            << (r.first.empty() ? std::string("(no placement byte)")
                                : hexByte(static_cast<unsigned char>(r.first[0])))
            << " " << r.source << " (" << r.size << " bytes)\n";
        if (d.driverCopy) {
            out << "    driver copy -> " << *d.driverCopy << "\n";
            ++copies;
        }
        if (d.error) {
            out << "    stops the installation: PackageError: " << *d.error << "\n";
            continue;
        }
        switch (d.kind) {
            case DestinationKind::None:
                out << "    file: not placed on this system\n";
                if (!d.driverCopy) ++skipped;
                continue;
            case DestinationKind::GeneratedInf:
                out << "    file -> " << d.destination << "oem<n>.inf (next free n)";
                break;
            case DestinationKind::InfOther:
            case DestinationKind::Path:
                out << "    file -> " << d.destination;
                break;
        }
        ++files;
        if (d.filtered) out << ", CopyFiles/CatalogFile lines removed";
        if (d.directories == DirectoryRule::CreateFatal) {
            out << ", directories created (failure stops the installation)";
        } else if (d.directories == DirectoryRule::CreateIgnore) {
            out << ", directories created";
        }
        out << "\n";
    }
    out << "\n" << plan.recordCount << " records: " << files << " files placed, " << copies
        << " driver copies, " << skipped << " skipped";
    if (plan.stop) {
        out << "; the installation stops at record #" << plan.stopAt << ": " << *plan.stop;
    }
    out << "\n";
}

}  // namespace stow::pack
