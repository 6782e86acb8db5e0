// Each check names the manifest entry it is about. Problems that show on several profiles are
// reported once, with the profiles listed.
#include "stowpack/install_checks.h"

#include <map>

#include "engine/link_rules.h"
#include "base/paths.h"
#include "stowpack/plan.h"
#include "stowpack/text_encoding.h"

namespace stow::pack {

namespace {

// Records past the manifest's entries are the ones stowpack adds (the uninstaller): they are
// reported at the vendor's name, from which their file name comes.
const std::string& locationOf(const Manifest& manifest, int number) {
    const size_t index = static_cast<size_t>(number - 1);
    return index < manifest.files.size() ? manifest.files[index].location : manifest.vendorLocation;
}

// Collects one message per (record, text) with the profiles it shows on.
class PerProfile {
public:
    void add(int record, const std::string& text, PlanProfile profile) {
        auto& profiles = found_[{record, text}];
        const std::string name = planProfileName(profile);
        profiles += profiles.empty() ? name : ", " + name;
    }
    void report(const Manifest& manifest, std::vector<Warning>& out) const {
        for (const auto& [what, profiles] : found_) {
            out.push_back({locationOf(manifest, what.first), what.second + " (on " + profiles + ")"});
        }
    }

private:
    std::map<std::pair<int, std::string>, std::string> found_;
};

std::string label(const ManifestFile& file, int number) {
    return "record #" + std::to_string(number) + " (" + file.path + ")";
}

std::vector<PlannedRecord> plannedRecords(const PackageContents& contents) {
    std::vector<PlannedRecord> records;
    int32_t number = 0;
    for (const PackRecord& r : contents.records) {
        PlannedRecord p;
        p.number = ++number;
        p.first = std::string(1, static_cast<char>(r.placementByte)) + r.path;
        p.source = r.key;
        p.size = r.contentSize;
        p.timeStamp = r.timeStamp;
        records.push_back(p);
    }
    return records;
}

std::string lengthProblem(const std::string& path) {
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end - start > kMaxComponentLength) {
            return "has a name of " + std::to_string(end - start) +
                   " characters; Windows takes at most " + std::to_string(kMaxComponentLength);
        }
        start = end + 1;
    }
    if (path.size() > kMaxPathLength) {
        return "is " + std::to_string(path.size()) + " characters long; Windows takes at most " +
               std::to_string(kMaxPathLength);
    }
    return "";
}

void checkProfile(const Manifest& manifest, const Plan& plan, PerProfile& errors,
                  PerProfile& warnings) {
    auto shown = [&manifest](const std::string& bytes) {
        return fromCodePage(bytes, manifest.encoding);
    };
    auto labelOf = [&manifest](const PlannedRecord& r) {
        const size_t index = static_cast<size_t>(r.number - 1);
        if (index >= manifest.files.size()) {
            return "record #" + std::to_string(r.number) + " (the uninstaller" +
                   (r.first.empty() ? std::string() : ", " + r.first.substr(1)) + ")";
        }
        return label(manifest.files[index], r.number);
    };
    std::map<std::string, int> taken;  // upper-cased destination -> record number
    auto claim = [&](const PlannedRecord& r, const std::string& path, const char* what) {
        const std::string named = labelOf(r) + ": " + what + " " + shown(path);
        if (const std::string problem = lengthProblem(path); !problem.empty()) {
            errors.add(r.number, named + " " + problem, plan.profile);
        }
        auto [it, fresh] = taken.emplace(upperAscii(path), r.number);
        if (!fresh) {
            errors.add(r.number,
                       named + " is also written by record #" + std::to_string(it->second) +
                           " (letter case ignored); one of them would be lost",
                       plan.profile);
        }
    };
    for (const PlannedRecord& r : plan.records) {
        const PlacementDecision& d = r.decision;
        if (d.driverCopy) claim(r, *d.driverCopy, "driver copy");
        if (d.kind == DestinationKind::Path || d.kind == DestinationKind::InfOther) {
            claim(r, d.destination, "destination");
        }
    }
    if (!plan.machine.facts.driverPreinstallPossible) return;
    for (const PlannedRecord& r : plan.records) {
        const PlacementDecision& d = r.decision;
        if (!d.driverCopy || upperAscii(extensionOf(fileNamePart(*d.driverCopy))) != ".INF") {
            continue;
        }
        bool preinstalled = false;
        for (const std::string& inf : plan.preinstalledInfs) {
            preinstalled = preinstalled || upperAscii(inf) == upperAscii(*d.driverCopy);
        }
        if (!preinstalled) {
            warnings.add(r.number,
                         labelOf(r) + ": driver copy " + shown(*d.driverCopy) +
                             " is not preinstalled: only INF files at the top of the drivers "
                             "directory whose names do not begin with \".\" are",
                         plan.profile);
        }
    }
}

}  // namespace

Findings checkInstallTime(const Manifest& manifest, const PackageContents& contents) {
    Findings found;
    const std::string top = (manifest.file.empty() ? std::string("manifest")
                                                   : manifest.file.string()) + ":1:1";
    if (contents.records.empty()) {
        found.errors.push_back({top, "the package has no records; the installer would place "
                                     "nothing"});
        return found;
    }
    std::map<std::string, int> keys;  // upper-cased key -> record number
    for (size_t i = 0; i < contents.records.size(); ++i) {
        const PackRecord& record = contents.records[i];
        const int number = static_cast<int>(i) + 1;
        const bool own = i < manifest.files.size();  // else a record stowpack added
        const std::string named = own ? label(manifest.files[i], number)
                                      : "record #" + std::to_string(number) + " (the uninstaller, " +
                                            record.path + ")";
        const std::string& where = locationOf(manifest, number);
        if (own && manifest.files[i].placement == 0 && !manifest.files[i].driverCopy) {
            found.errors.push_back({where, named + ": placement 0 without driver_copy: "
                                                   "the file is never written"});
        }
        auto [it, fresh] = keys.emplace(upperAscii(record.key), number);
        if (!fresh) {
            found.errors.push_back(
                {where, named + ": key " + record.key + " is also the key of record #" +
                            std::to_string(it->second) +
                            " (letter case ignored); the file log would keep only one entry"});
        }
    }
    PerProfile errors, warnings;
    const std::vector<PlannedRecord> records = plannedRecords(contents);
    for (PlanProfile profile : allPlanProfiles()) {
        checkProfile(manifest, makePlan(contents.vendor, contents.package, records, profile),
                     errors, warnings);
    }
    errors.report(manifest, found.errors);
    warnings.report(manifest, found.warnings);
    return found;
}

}  // namespace stow::pack
