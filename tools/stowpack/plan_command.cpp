// The plan subcommand: one profile or all, as text or as JSON. The JSON keys are part of the
// tool's interface (docs/vendor-guide.md lists them); add keys, never rename or drop one.
#include <fstream>
#include <string>

#include "engine/inf_filter.h"
#include "stowpack/format.h"
#include "stowpack/json_writer.h"
#include "stowpack/plan.h"
#include "stowpack/text_encoding.h"

namespace stow::pack {

namespace {

const char* kindName(DestinationKind kind) {
    switch (kind) {
        case DestinationKind::None: return "none";
        case DestinationKind::Path: return "path";
        case DestinationKind::GeneratedInf: return "generated-inf";
        case DestinationKind::InfOther: return "inf-other";
    }
    return "none";
}

const char* directoriesName(DirectoryRule rule) {
    switch (rule) {
        case DirectoryRule::None: return "must-exist";
        case DirectoryRule::CreateFatal: return "created-or-stop";
        case DirectoryRule::CreateIgnore: return "created";
    }
    return "must-exist";
}

void writeRecord(JsonWriter& json, const PlannedRecord& r, const ShownText& shown) {
    const PlacementDecision& d = r.decision;
    json.beginObject().key("number").value(r.number);
    json.key("placementByte");
    if (r.first.empty()) {
        json.null();
    } else {
        json.value(static_cast<int>(static_cast<unsigned char>(r.first[0])));
    }
    json.key("source").value(shown(r.source)).key("size").value(r.size);
    json.key("timeStamp").value(static_cast<int64_t>(r.timeStamp));
    json.key("driverCopy");
    if (d.driverCopy) {
        json.value(shown(*d.driverCopy));
    } else {
        json.null();
    }
    json.key("code").value(static_cast<int64_t>(d.code));
    json.key("kind").value(kindName(d.kind));
    json.key("destination");
    if (d.kind == DestinationKind::None) {
        json.null();
    } else if (d.kind == DestinationKind::GeneratedInf) {
        json.value(shown(d.destination + "oem<n>.inf"));
    } else {
        json.value(shown(d.destination));
    }
    json.key("filtered").value(d.filtered).key("directories").value(directoriesName(d.directories));
    json.key("error");
    if (d.error) {
        json.value("PackageError: " + *d.error);
    } else {
        json.null();
    }
    json.endObject();
}

void writePlan(JsonWriter& json, const Plan& plan, const ShownText& shown) {
    const PlanMachine& m = plan.machine;
    json.beginObject().key("profile").value(planProfileName(plan.profile));
    json.key("nt").value(m.facts.nt).key("bitness").value(m.facts.bitness);
    json.key("driverPreinstallPossible").value(m.facts.driverPreinstallPossible);
    json.key("vendor").value(shown(plan.vendor)).key("package").value(shown(plan.package));
    json.key("targetDirectory").value(shown(plan.targetDirectory));
    json.key("driversDirectory").value(shown(plan.driversDirectory));
    json.key("locations").beginObject();
    json.key("windowsPath").value(shown(m.locations.windowsPath));
    json.key("systemPath").value(shown(m.locations.systemPath));
    json.key("programsPath").value(shown(m.locations.programsPath));
    json.key("dllPath").value(shown(m.locations.dllPath));
    json.key("driverPath").value(shown(m.locations.driverPath));
    json.endObject();
    json.key("recordCount").value(plan.recordCount);
    json.key("records").beginArray();
    for (const PlannedRecord& r : plan.records) writeRecord(json, r, shown);
    json.endArray();
    json.key("stop");
    if (plan.stop) {
        json.beginObject().key("record").value(plan.stopAt).key("error").value(shown(*plan.stop));
        json.endObject();
    } else {
        json.null();
    }
    json.key("preinstalledInfs").beginArray();
    for (const std::string& inf : plan.preinstalledInfs) json.value(shown(inf));
    json.endArray();
    json.key("links").beginArray();
    for (const PlannedLink& l : plan.links) {
        json.beginObject().key("link").value(shown(l.linkFile)).key("target").value(shown(l.target));
        json.key("rule").value(l.rule).endObject();
    }
    json.endArray();
    json.key("fileLog").beginObject().key("path");
    if (plan.stop) {
        json.null();
    } else {
        json.value(shown(plan.fileLogPath));
    }
    json.key("entries").beginArray();
    for (const PlannedLogEntry& e : plan.fileLog) {
        json.beginObject().key("section").value(shown(e.section)).key("key").value(shown(e.key));
        json.key("value").value(shown(e.value)).endObject();
    }
    json.endArray().endObject();
    json.key("registry").beginArray();
    for (const PlannedValue& v : plan.registry) {
        json.beginObject().key("key").value("HKEY_LOCAL_MACHINE\\" + shown(v.key));
        json.key("name").value(shown(v.name)).key("data").value(shown(v.data)).endObject();
    }
    json.endArray().endObject();
}

void writeBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw PackError("cannot write " + file.string());
}

// The bytes the installer writes for each record read: as packed, and filtered where a plan
// filters it (the filter does not depend on the profile; whether it applies does).
void writeContents(const PackageFile& file, const std::vector<Plan>& plans,
                   const std::filesystem::path& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) throw PackError("cannot make " + dir.string());
    for (const PackageRecord& record : file.records) {
        const std::string content = readRecordContent(file, record);
        const std::filesystem::path raw = dir / std::to_string(record.number);
        writeBytes(raw, content);
        bool filtered = false;
        for (const Plan& plan : plans) {
            for (const PlannedRecord& r : plan.records) {
                filtered = filtered || (r.number == record.number && r.decision.filtered &&
                                       r.decision.kind != DestinationKind::None);
            }
        }
        if (filtered) writeBytes(raw.string() + ".filtered", filterInf(content));
    }
}

}  // namespace

int runPlan(const PlanOptions& options, std::ostream& out) {
    std::vector<PlanProfile> profiles;
    if (options.profile == "all") {
        profiles = allPlanProfiles();
    } else if (const auto profile = parsePlanProfile(options.profile)) {
        profiles.push_back(*profile);
    } else {
        throw PackError("unknown profile \"" + options.profile +
                        "\" (use 9x, nt32, nt64, nt-no-setupapi or all)");
    }
    const std::string encoding = options.encoding.empty() ? kDefaultEncoding : options.encoding;
    checkEncoding(encoding);
    PlanDirectories dirs;
    dirs.encoding = encoding;
    if (options.target) dirs.target = toCodePage(*options.target, encoding, "--target");
    if (options.drivers) dirs.drivers = toCodePage(*options.drivers, encoding, "--drivers");
    const ShownText shown = [&encoding](const std::string& bytes) {
        return fromCodePage(bytes, encoding);
    };

    const PackageFile file = readPackageFile(options.file);
    const bool loads = file.loadErrorCode < 0;
    std::vector<Plan> plans;
    if (loads) {
        for (PlanProfile p : profiles) plans.push_back(makePlan(file, p, dirs));
    }
    if (options.contents) writeContents(file, plans, *options.contents);
    bool stops = !loads;
    for (const Plan& plan : plans) stops = stops || plan.stop.has_value();

    if (options.json) {
        JsonWriter json(out);
        json.beginObject().key("installer").value(file.file.u8string());
        json.key("loadError");
        if (loads) {
            json.null();
        } else {
            json.beginObject().key("caption").value(file.loadErrorCaption);
            json.key("text").value(shown(file.loadErrorText)).endObject();
        }
        json.key("plans").beginArray();
        for (const Plan& plan : plans) writePlan(json, plan, shown);
        json.endArray().endObject().finish();
        return stops ? 1 : 0;
    }
    if (!loads) {
        out << "The installer would not load its package: " << file.loadErrorCaption << ": "
            << shown(file.loadErrorText) << "\n";
        return 1;
    }
    for (size_t i = 0; i < plans.size(); ++i) {
        if (i > 0) out << "\n";
        printPlan(plans[i], out, shown);
    }
    return stops ? 1 : 0;
}

}  // namespace stow::pack
