// The plan behind `stowpack plan`. Each profile is a System answering from the profile table
// the simulated Windows is built from; the installer's own location code turns it into install locations,
// its placement rule decides every record, its link rules choose the Start-menu links over the
// planned top of the target directory, and its file log collects the entries.
#include "stowpack/plan.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "base/error.h"
#include "base/paths.h"
#include "engine/drivers.h"
#include "engine/file_log.h"
#include "engine/link_rules.h"
#include "engine/locations.h"
#include "engine/placement.h"
#include "engine/registration.h"
#include "engine/shortcuts.h"
#include "platform/setup_service.h"
#include "platform/system.h"
#include "package/package_records.h"
#include "stowpack/format.h"
#include "stowpack/text_encoding.h"
#include "stowpack/uninstaller_record.h"

namespace stow::pack {

namespace {

// Stands for the setup service on profiles that have one; the plan never calls it.
class PlannedSetupService : public SetupService {
public:
    InfCopy copyOEMInf(const std::string&) override { return {}; }
};

std::string hexByte(unsigned byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

bool startsWithFolded(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() &&
           upperAscii(path.substr(0, folder.size())) == upperAscii(folder);
}

// Every path the records write, in record order (a driver copy before its record's file).
std::vector<std::string> writtenPaths(const Plan& plan) {
    std::vector<std::string> paths;
    for (const PlannedRecord& r : plan.records) {
        if (r.decision.driverCopy) paths.push_back(*r.decision.driverCopy);
        if (r.decision.kind == DestinationKind::Path) paths.push_back(r.decision.destination);
    }
    return paths;
}

// What lies directly in folder after placement: name -> is a folder. Names meet without
// regard to case, as on Windows; the first spelling is the one on disk.
std::map<std::string, std::pair<std::string, bool>> entriesIn(const std::vector<std::string>& paths,
                                                               const std::string& folder) {
    std::map<std::string, std::pair<std::string, bool>> entries;  // upper-cased name -> entry
    for (const std::string& path : paths) {
        if (!startsWithFolded(path, folder)) continue;
        const std::string rest = path.substr(folder.size());
        const size_t slash = rest.find('\\');
        const std::string name = rest.substr(0, slash);
        auto& entry = entries[upperAscii(name)];
        if (entry.first.empty()) entry.first = name;
        entry.second = entry.second || slash != std::string::npos;
    }
    return entries;
}

void planInfs(Plan& plan, const std::vector<std::string>& written) {
    if (!plan.machine.facts.driverPreinstallPossible) return;
    for (const auto& [upper, entry] : entriesIn(written, plan.driversDirectory)) {
        if (!entry.second && entry.first[0] != '.' && upperAscii(extensionOf(entry.first)) == ".INF") {
            plan.preinstalledInfs.push_back(plan.driversDirectory + entry.first);
        }
    }
}

void planLinks(Plan& plan, const std::vector<std::string>& written) {
    const std::string group = plan.machine.locations.programsPath + plan.vendor + " " +
                              plan.package + "\\";
    auto link = [&plan](const std::string& folder, const std::string& name,
                        const std::string& target, int rule) {
        plan.links.push_back({folder + replaceChar(name, '/', '-') + ".lnk", target, rule});
    };
    for (const auto& [upper, entry] : entriesIn(written, plan.targetDirectory)) {
        const auto& [name, is_folder] = entry;
        const LinkDecision d = decideLink(name, is_folder, plan.vendor);
        if (d.action == LinkAction::Link) link(group, d.linkName, plan.targetDirectory + name, d.rule);
        if (d.action != LinkAction::SubGroup) continue;
        const std::string folder = plan.targetDirectory + name + "\\";
        for (const auto& [inner_upper, inner] : entriesIn(written, folder)) {
            if (inner.first[0] == '.') continue;
            link(group + d.linkName + "\\", inner.first, folder + inner.first, d.rule);
        }
    }
}

void planFileLog(Plan& plan) {
    FileLog log;
    const std::string section = fileLogSection(plan.vendor, plan.package);
    for (const PlannedRecord& r : plan.records) {
        const PlacementDecision& d = r.decision;
        if (d.kind == DestinationKind::None) continue;
        const std::string destination =
            d.kind == DestinationKind::GeneratedInf ? d.destination + "oem<n>.inf" : d.destination;
        log.set(section, r.source, destination + "," + std::to_string(r.timeStamp));
    }
    log.set("START", plan.vendor + " File Log - " + plan.package,
            plan.machine.locations.programsPath + plan.vendor + " " + plan.package + "\\");
    plan.fileLogPath = plan.targetDirectory + "FileLog.ini";
    // Read back from the log's own text, so the plan lists exactly what the file will hold.
    std::string current;
    const std::string text = log.serialize();
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        const std::string line = text.substr(start, end - start);
        start = end == std::string::npos ? text.size() : end + 2;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            current = line.substr(1, line.size() - 2);
        } else if (const size_t eq = line.find('='); eq != std::string::npos) {
            plan.fileLog.push_back({current, line.substr(0, eq), line.substr(eq + 1)});
        }
    }
}

void planRegistry(Plan& plan) {
    for (const std::string& inf : plan.preinstalledInfs) {
        plan.registry.push_back({infKeyPath(plan.vendor), inf, "<name the setup service gives>"});
    }
    plan.registry.push_back({installedPackagesKeyPath(plan.vendor), "<time stamp>",
                             plan.package + "," + plan.targetDirectory});
    const std::string uninstall = uninstallKeyPath(plan.vendor);
    plan.registry.push_back({uninstall, "DisplayName", plan.vendor + " Software"});
    plan.registry.push_back(
        {uninstall, "UninstallString", uninstallerPath(plan.machine.locations, plan.vendor)});
    plan.registry.push_back({uninstall, "InstallDate", "<YYYYMMDD>"});
}

// The install stops at a record that cannot be read; the later phases never run.
void stopAtUnreadRecord(Plan& plan, const std::string& error, int32_t number) {
    plan.stop = error;
    plan.stopAt = number;
    plan.preinstalledInfs.clear();
    plan.links.clear();
    plan.fileLog.clear();
    plan.registry.clear();
}

}  // namespace

std::optional<PlanProfile> parsePlanProfile(const std::string& name) {
    return sim::profileNamed(name);
}

std::string planProfileName(PlanProfile profile) { return sim::profileFacts(profile).name; }

const std::vector<PlanProfile>& allPlanProfiles() { return sim::allProfiles(); }

LeadBytePredicate leadBytesOf(const std::string& encoding) {
    const std::string upper = upperAscii(encoding);
    std::string page;
    if (upper.rfind("CP", 0) == 0) page = upper.substr(2);
    if (upper.rfind("WINDOWS-", 0) == 0) page = upper.substr(8);
    if (page == "932") return [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
    if (page == "936" || page == "949" || page == "950") {
        return [](unsigned char b) { return b >= 0x81 && b <= 0xFE; };
    }
    return [](unsigned char) { return false; };
}

PlanMachine planMachine(PlanProfile profile, const std::string& vendor,
                        const std::string& package, const LeadBytePredicate& is_lead_byte) {
    static PlannedSetupService service;
    sim::ProfileSystem system(profile, &service, is_lead_byte);
    const ComputedLocations computed = computeInstallLocations(system, vendor, package);
    PlanMachine m;
    m.facts = computed.facts;
    m.facts.setupService = nullptr;  // the plan has no service to call
    m.locations = computed.locations;
    m.programFiles = system.specialFolder(kCsidlProgramFiles);
    m.defaultTarget = computed.directories.target;
    m.defaultDrivers = computed.directories.drivers;
    return m;
}

Plan makePlan(const std::string& vendor, const std::string& package,
              std::vector<PlannedRecord> records, PlanProfile profile,
              const PlanDirectories& dirs) {
    Plan plan;
    plan.profile = profile;
    plan.vendor = vendor;
    plan.package = package;
    plan.recordCount = static_cast<int32_t>(records.size());
    const LeadBytePredicate is_lead_byte = leadBytesOf(dirs.encoding);
    plan.machine = planMachine(profile, vendor, package, is_lead_byte);
    plan.targetDirectory =
        addTrailingSeparator(dirs.target.value_or(plan.machine.defaultTarget), is_lead_byte);
    plan.driversDirectory =
        addTrailingSeparator(dirs.drivers.value_or(plan.machine.defaultDrivers), is_lead_byte);
    const PlacementContext context{plan.machine.facts, plan.machine.locations,
                                   plan.targetDirectory, plan.driversDirectory};
    for (PlannedRecord& r : records) {
        r.decision = decidePlacement(r.first, r.source, context);
        plan.records.push_back(r);
        if (r.decision.error) {
            plan.stop = PackageError(*r.decision.error).describe();
            plan.stopAt = r.number;
            return plan;
        }
    }
    const std::vector<std::string> written = writtenPaths(plan);
    planInfs(plan, written);
    planLinks(plan, written);
    planFileLog(plan);
    planRegistry(plan);
    return plan;
}

Plan makePlan(LoadedPackage& package, PlanProfile profile, const PlanDirectories& dirs) {
    std::vector<PlannedRecord> records;
    std::optional<std::string> read_error;
    int32_t k = 1;
    try {
        for (; k <= package.recordCount; ++k) {
            if (!package.stream) throw EReadError();
            const stow::PackageRecord read = readPackageRecord(*package.stream);
            PlannedRecord r;
            r.number = k;
            r.first = read.placement;
            r.size = read.content.length;
            r.source = read.sourceKey;
            r.timeStamp = read.timeStamp;
            records.push_back(r);
        }
    } catch (const Error& e) {
        read_error = e.describe();
    }
    Plan plan = makePlan(package.vendorName, package.packageName, records, profile, dirs);
    plan.recordCount = package.recordCount;
    if (read_error && !plan.stop) stopAtUnreadRecord(plan, *read_error, k);
    return plan;
}

Plan makePlan(const PackageFile& file, PlanProfile profile, const PlanDirectories& dirs) {
    std::vector<PlannedRecord> records;
    for (const PackageRecord& record : file.records) {
        PlannedRecord r;
        r.number = record.number;
        if (record.hasPlacementByte) {
            r.first = std::string(1, static_cast<char>(record.placementByte)) + record.path;
        }
        r.source = record.key;
        r.size = record.contentSize;
        r.timeStamp = record.timeStamp;
        records.push_back(r);
    }
    Plan plan = makePlan(file.vendorName, file.packageName, records, profile, dirs);
    plan.recordCount = file.recordCount;
    if (!file.recordError.empty() && !plan.stop) {
        // Reading stopped in the record after the last one read.
        stopAtUnreadRecord(plan, file.recordError,
                           static_cast<int32_t>(file.records.size()) + 1);
    }
    return plan;
}

void printPlan(const Plan& plan, std::ostream& out, const ShownText& shown_fn) {
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
    if (!plan.stop) {
        out << "\nINFs preinstalled (from the top of the drivers directory):"
            << (plan.preinstalledInfs.empty() ? " none" : "") << "\n";
        for (const std::string& inf : plan.preinstalledInfs) out << "  " << shown(inf) << "\n";
        out << "Start-menu links:" << (plan.links.empty() ? " none" : "") << "\n";
        for (const PlannedLink& l : plan.links) {
            out << "  " << shown(l.linkFile) << " -> " << shown(l.target) << "\n";
        }
        out << "File log " << shown(plan.fileLogPath) << ":\n";
        std::string section;
        for (const PlannedLogEntry& e : plan.fileLog) {
            if (e.section != section) out << "  [" << shown(e.section) << "]\n";
            section = e.section;
            out << "  " << shown(e.key) << "=" << shown(e.value) << "\n";
        }
        out << "Registry (HKEY_LOCAL_MACHINE):\n";
        std::string key;
        for (const PlannedValue& v : plan.registry) {
            if (v.key != key) out << "  " << shown(v.key) << "\n";
            key = v.key;
            out << "    " << shown(v.name) << " = " << shown(v.data) << "\n";
        }
    }
    out << "\n" << plan.recordCount << " records: " << files << " files placed, " << copies
        << " driver copies, " << skipped << " skipped";
    if (plan.stop) {
        out << "; the installation stops at record #" << plan.stopAt << ": " << *plan.stop;
    }
    out << "\n";
}

}  // namespace stow::pack
