// The placement rule: from one record's placement byte and paths plus the platform facts, where
// its file and its driver copy go. Pure, so the installer and the packer's plan share it and
// tests check it without a disk.
#pragma once

#include <optional>
#include <string>

#include "engine/install_state.h"
#include "package/format.h"

namespace stow {

enum class DestinationKind {
    None,          // not written, not logged
    Path,          // destination holds the full path
    GeneratedInf,  // NT: the next free "oem<n>.inf" in destination (WindowsPath + "INF\")
    InfOther,      // not NT: destination is WindowsPath + "INF\Other\" + path
};

enum class DirectoryRule {
    None,          // the destination's directory must already exist
    CreateFatal,   // create missing directories; failure stops the installation
    CreateIgnore,  // create missing directories; failure only shows in the write
};

struct PlacementDecision {
    std::optional<std::string> driverCopy;  // full path under the drivers directory
    unsigned code = 0;                      // the placement code after the flag is handled
    DestinationKind kind = DestinationKind::None;
    std::string destination;
    DirectoryRule directories = DirectoryRule::None;
    bool filtered = false;                  // the content goes through the INF filter first
    std::optional<std::string> error;       // PackageError message; the record stops the phase
};

// The install location a placement code selects.
enum class PlacementLocation { None, Windows, Dll, Driver, System, Target, InfFolder };

// The kind of system on which a code places its file at all.
enum class PlacementCondition { Always, Not9x, Only9x, Bits32, Bits64 };

// One row of the placement-code table: the installer acts on it, and the packer's list of valid
// codes, its descriptions and the vendor's guide are read from it.
struct PlacementCode {
    unsigned code;
    PlacementLocation location;
    PlacementCondition condition;
    DirectoryRule directories;
    const char* description;
};

// Every valid placement code, in ascending order.
extern const PlacementCode kPlacementCodes[14];

// The table's row for code, or nullptr when code is not a placement code.
const PlacementCode* findPlacementCode(unsigned code);

// What the rule needs to know about the machine and the chosen directories.
struct PlacementContext {
    const PlatformFacts& facts;
    const InstallLocations& locations;
    const std::string& targetDirectory;   // ends in "\"
    const std::string& driversDirectory;  // ends in "\"
};

// first_string: the record's first field (placement byte, then the relative path); an empty one
// carries no placement code and is refused as corrupt. source_path: the record's third field.
// The driver copy is decided before, and independently of, the error.
PlacementDecision decidePlacement(const std::string& first_string, const std::string& source_path,
                                  const PlacementContext& context);

// The message of the error that an invalid code raises.
std::string invalidCodeMessage(unsigned code);

// "oem<n>.inf" for the generated INF destination directory.
std::string generatedInfName(unsigned n);

}  // namespace stow
