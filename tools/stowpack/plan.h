// `stowpack plan`: where every record of an installer would land on a given kind of Windows,
// computed with the installer's own placement rule and printed without touching any disk.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/install_state.h"
#include "engine/placement_rule.h"

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
    std::string first;         // placement byte + relative path
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

// Reads every record of package (its stream positioned at the first record) and decides each
// one as the installer would on profile. target and drivers replace the default directories
// (a missing trailing "\" is added).
Plan makePlan(LoadedPackage& package, PlanProfile profile,
              const std::optional<std::string>& target = std::nullopt,
              const std::optional<std::string>& drivers = std::nullopt);

void printPlan(const Plan& plan, std::ostream& out);

}  // namespace stow::pack
