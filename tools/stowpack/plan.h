// `stowpack plan`: where every record of an installer would land on a given kind of Windows,
// computed with the installer's own placement rule and printed without touching any disk.
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
#include "stowpack/package_file.h"

namespace stow::pack {

enum class PlanProfile { Win9x, Nt32, Nt64, NtNoSetupApi };

// "9x", "nt32", "nt64", "nt-no-setupapi".
std::optional<PlanProfile> parsePlanProfile(const std::string& name);
std::string planProfileName(PlanProfile profile);

// A profile's usual folders and facts, as the installer would compute them there.
struct PlanMachine {
    PlatformFacts facts;
    InstallLocations locations;
    std::string programFiles;  // the program files folder, without a trailing "\"
};
PlanMachine planMachine(PlanProfile profile);

struct PlannedRecord {
    int32_t number = 0;        // from 1
    std::string first;         // placement byte + relative path; empty when it has no byte
    std::string source;
    int64_t size = 0;          // content bytes
    PlacementDecision decision;
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
};

// target and drivers replace the default directories (a missing trailing "\" is added); they
// and every text of the plan are code-page bytes, as the installer holds them.
struct PlanDirectories {
    std::optional<std::string> target;
    std::optional<std::string> drivers;
};

// Reads every record of package (its stream positioned at the first record) and decides each
// one as the installer would on profile.
Plan makePlan(LoadedPackage& package, PlanProfile profile, const PlanDirectories& dirs = {});
// The same for an installer read by readPackageFile; it must have loaded.
Plan makePlan(const PackageFile& file, PlanProfile profile, const PlanDirectories& dirs = {});

// shown turns code-page bytes into displayable text.
void printPlan(const Plan& plan, std::ostream& out,
               const std::function<std::string(const std::string&)>& shown = {});

struct PlanOptions {
    std::filesystem::path file;
    std::string profile;
    std::optional<std::string> target;  // UTF-8, as typed
    std::optional<std::string> drivers;
    std::string encoding;               // code page of the package's texts
};

// Prints the plan. Returns 0 when every record would be handled, 2 when the installer would
// not load or would stop at a record. Throws PackError for bad options or an unreadable file.
int runPlan(const PlanOptions& options, std::ostream& out);

}  // namespace stow::pack
