// `stowpack plan`: everything an installation would write on a given kind of Windows (files,
// driver copies, the INFs handed to the setup service, Start-menu links, the file log and the
// registry values), computed with the installer's own location code, placement rule, link rules
// and file log, without touching any disk.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/install_state.h"
#include "engine/placement_rule.h"
#include "platform/sim/profiles.h"
#include "stowpack/package_file.h"

namespace stow::pack {

// The machines the plan is made for: the simulated Windows' profiles, by the names "9x",
// "nt32", "nt64", "nt-no-setupapi".
using PlanProfile = sim::Profile;
std::optional<PlanProfile> parsePlanProfile(const std::string& name);
std::string planProfileName(PlanProfile profile);
const std::vector<PlanProfile>& allPlanProfiles();

// A profile's usual folders and facts, as the installer computes them there.
struct PlanMachine {
    PlatformFacts facts;
    InstallLocations locations;
    std::string programFiles;    // the program files folder, without a trailing "\"
    std::string defaultTarget;   // the panels' defaults for this vendor and package
    std::string defaultDrivers;
};
PlanMachine planMachine(PlanProfile profile, const std::string& vendor = "V",
                        const std::string& package = "P", const LeadBytePredicate& is_lead_byte = {});

struct PlannedRecord {
    int32_t number = 0;        // from 1
    std::string first;         // placement byte + relative path; empty when it has no byte
    std::string source;
    int64_t size = 0;          // content bytes
    int32_t timeStamp = 0;
    PlacementDecision decision;
};

struct PlannedLink {
    std::string linkFile;  // the .lnk file's full path
    std::string target;
    int rule = 0;          // the link rule that decided
};

struct PlannedValue {
    std::string key;   // below HKEY_LOCAL_MACHINE
    std::string name;
    std::string data;  // "<...>" marks a text only the installation itself knows
};

struct PlannedLogEntry {
    std::string section;
    std::string key;
    std::string value;
};

struct Plan {
    PlanProfile profile = PlanProfile::Nt32;
    std::string vendor;
    std::string package;
    int32_t recordCount = 0;
    std::string targetDirectory;   // ends in "\"
    std::string driversDirectory;  // ends in "\"
    PlanMachine machine;
    std::vector<PlannedRecord> records;  // up to and including the one that stops the install
    std::optional<std::string> stop;     // "ClassName: message" of the error that stops it
    int32_t stopAt = 0;                  // the number of the record that stops it

    // The later phases, planned only when every record is handled.
    std::vector<std::string> preinstalledInfs;  // handed to the setup service, in name order
    std::vector<PlannedLink> links;
    std::string fileLogPath;
    std::vector<PlannedLogEntry> fileLog;       // in file order, START included
    std::vector<PlannedValue> registry;         // INF key, installed packages, uninstall entry
};

// target and drivers replace the default directories (a missing trailing "\" is added); they
// and every text of the plan are code-page bytes, as the installer holds them. encoding names
// that code page ("" for a single-byte one): a "\" that ends a double-byte character is no
// separator.
struct PlanDirectories {
    std::optional<std::string> target;
    std::optional<std::string> drivers;
    std::string encoding;
};

// IsDBCSLeadByte of the code page an encoding name ("CP932", "windows-936") stands for; no
// byte leads in a single-byte code page or a name of another form.
LeadBytePredicate leadBytesOf(const std::string& encoding);

// Decides the records as the installer would on profile. number, first, source, size and
// timeStamp of each record must be set.
Plan makePlan(const std::string& vendor, const std::string& package,
              std::vector<PlannedRecord> records, PlanProfile profile,
              const PlanDirectories& dirs = {});
// The same for a loaded package (its stream positioned at the first record; read to its end).
Plan makePlan(LoadedPackage& package, PlanProfile profile, const PlanDirectories& dirs = {});
// The same for an installer read by readPackageFile; it must have loaded.
Plan makePlan(const PackageFile& file, PlanProfile profile, const PlanDirectories& dirs = {});

using ShownText = std::function<std::string(const std::string&)>;

// shown turns code-page bytes into displayable text.
void printPlan(const Plan& plan, std::ostream& out, const ShownText& shown = {});

struct PlanOptions {
    std::filesystem::path file;
    std::string profile;                // a profile name or "all"
    std::optional<std::string> target;  // UTF-8, as typed
    std::optional<std::string> drivers;
    std::string encoding;               // code page of the package's texts
    bool json = false;
    // Where to write each record's content as DIR/N and, where a planned placement filters
    // it, the text the installer writes as DIR/N.filtered.
    std::optional<std::filesystem::path> contents;
};

// Prints the plan (for every profile with "all"). Returns 0 when every record would be
// handled, 1 when the installer would not load or would stop at a record. Throws PackError for
// bad options or an unreadable file.
int runPlan(const PlanOptions& options, std::ostream& out);

}  // namespace stow::pack
