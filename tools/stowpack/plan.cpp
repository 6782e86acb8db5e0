// The plan behind `stowpack plan`. The profile table mirrors what the installer computes on each
// kind of system; the decisions come from the installer's own placement rule.
#include "stowpack/plan.h"

#include <cstdio>

#include "engine/error.h"
#include "engine/placement_rule.h"
#include "stowpack/format.h"
#include "stowpack/text_encoding.h"
#include "stowpack/uninstaller_record.h"

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

Plan planHeader(const std::string& vendor, const std::string& package, int32_t count,
                PlanProfile profile, const PlanDirectories& dirs) {
    Plan plan;
    plan.profile = profile;
    plan.vendor = vendor;
    plan.package = package;
    plan.recordCount = count;
    plan.machine = planMachine(profile);
    const std::string pf = plan.machine.programFiles + "\\";
    plan.targetDirectory = withSeparator(dirs.target.value_or(pf + vendor + "\\" + package));
    plan.driversDirectory = withSeparator(dirs.drivers.value_or(pf + vendor + "\\Common Drivers"));
    return plan;
}

// Decides r and adds it; false when the record stops the installation.
bool addRecord(Plan& plan, PlannedRecord r) {
    const PlacementContext context{plan.machine.facts, plan.machine.locations,
                                   plan.targetDirectory, plan.driversDirectory};
    r.decision = decidePlacement(r.first, r.source, context);
    plan.records.push_back(r);
    if (!r.decision.error) return true;
    plan.stop = PackageError(*r.decision.error).describe();
    plan.stopAt = r.number;
    return false;
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

Plan makePlan(LoadedPackage& package, PlanProfile profile, const PlanDirectories& dirs) {
    Plan plan = planHeader(package.vendorName, package.packageName, package.recordCount, profile,
                           dirs);
    int32_t k = 1;
    try {
        for (; k <= package.recordCount; ++k) {
            if (!package.stream) throw EReadError();
            PlannedRecord r;
            r.number = k;
            r.first = package.stream->readString();
            r.size = package.stream->skipString().length;
            r.source = package.stream->readString();
            package.stream->readInt32();
            if (!addRecord(plan, r)) break;
        }
    } catch (const Error& e) {
        plan.stop = e.describe();
        plan.stopAt = k;
    }
    return plan;
}

Plan makePlan(const PackageFile& file, PlanProfile profile, const PlanDirectories& dirs) {
    Plan plan = planHeader(file.vendorName, file.packageName, file.recordCount, profile, dirs);
    for (const PackageRecord& record : file.records) {
        PlannedRecord r;
        r.number = record.number;
        if (record.hasPlacementByte) {
            r.first = std::string(1, static_cast<char>(record.placementByte)) + record.path;
        }
        r.source = record.key;
        r.size = record.contentSize;
        if (!addRecord(plan, r)) return plan;
    }
    if (!file.recordError.empty()) {
        // Reading stopped in the record after the last one read.
        plan.stop = file.recordError;
        plan.stopAt = static_cast<int32_t>(file.records.size()) + 1;
    }
    return plan;
}

void printPlan(const Plan& plan, std::ostream& out,
               const std::function<std::string(const std::string&)>& shown_fn) {
    auto shown = [&shown_fn](const std::string& bytes) {
        return shown_fn ? shown_fn(bytes) : bytes;
    };
    const InstallLocations& at = plan.machine.locations;
    out << "Plan for \"" << shown(plan.vendor + " " + plan.package) << "\" on "
        << planProfileName(plan.profile) << " (" << (plan.machine.facts.nt ? "NT" : "9x") << ", "
        << plan.machine.facts.bitness << "-bit, driver preinstallation "
        << (plan.machine.facts.driverPreinstallPossible ? "possible" : "not possible") << ")\n";
    out << "  Target directory:  " << shown(plan.targetDirectory) << "\n"
        << "  Drivers directory: " << shown(plan.driversDirectory) << "\n"
        << "  WindowsPath " << at.windowsPath << ", SystemPath " << at.systemPath << ", DLLPath "
        << at.dllPath << ", DriverPath " << at.driverPath << "\n\n";

    int files = 0, copies = 0, skipped = 0;
    for (const PlannedRecord& r : plan.records) {
        const PlacementDecision& d = r.decision;
        out << "#" << r.number << " "
            << (r.first.empty() ? std::string("(no placement byte)")
                                : hexByte(static_cast<unsigned char>(r.first[0])))
            << " " << shown(r.source) << " (" << r.size << " bytes)\n";
        if (d.driverCopy) {
            out << "    driver copy -> " << shown(*d.driverCopy) << "\n";
            ++copies;
        }
        if (d.error) {
            out << "    stops the installation: PackageError: " << *d.error << "\n";
            continue;
        }
        switch (d.kind) {
            case DestinationKind::None:
                if (d.driverCopy && d.code == 0 && plan.machine.facts.driverPreinstallPossible) {
                    out << "    file: only the driver copy (preinstallation works from there)\n";
                } else if (d.code == 0) {
                    out << "    file: none (code 0)\n";
                } else {
                    out << "    file: skipped on this system (code " << d.code << ")\n";
                }
                if (!d.driverCopy) ++skipped;
                continue;
            case DestinationKind::GeneratedInf:
                out << "    file -> " << shown(d.destination) << "oem<n>.inf (next free n)";
                break;
            case DestinationKind::InfOther:
            case DestinationKind::Path:
                out << "    file -> " << shown(d.destination);
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
        if (!r.first.empty() &&
            isUninstallerRecord(plan.vendor, static_cast<unsigned char>(r.first[0]), r.first.substr(1))) {
            out << "    the uninstaller, named by the uninstall entry's UninstallString\n";
        }
    }
    out << "\n" << plan.recordCount << " records: " << files << " files placed, " << copies
        << " driver copies, " << skipped << " skipped";
    if (plan.stop) {
        out << "; the installation stops at record #" << plan.stopAt << ": " << *plan.stop;
    }
    out << "\n";
}

int runPlan(const PlanOptions& options, std::ostream& out) {
    const std::optional<PlanProfile> profile = parsePlanProfile(options.profile);
    if (!profile) {
        throw PackError("unknown profile \"" + options.profile +
                        "\" (use 9x, nt32, nt64 or nt-no-setupapi)");
    }
    const std::string encoding = options.encoding.empty() ? kDefaultEncoding : options.encoding;
    checkEncoding(encoding);
    PlanDirectories dirs;
    if (options.target) dirs.target = toCodePage(*options.target, encoding, "--target");
    if (options.drivers) dirs.drivers = toCodePage(*options.drivers, encoding, "--drivers");

    const PackageFile file = readPackageFile(options.file);
    if (file.loadErrorCode >= 0) {
        out << "The installer would not load its package: " << file.loadErrorCaption << ": "
            << fromCodePage(file.loadErrorText, encoding) << "\n";
        return 2;
    }
    const Plan plan = makePlan(file, *profile, dirs);
    printPlan(plan, out, [&encoding](const std::string& bytes) {
        return fromCodePage(bytes, encoding);
    });
    return plan.stop ? 2 : 0;
}

}  // namespace stow::pack
