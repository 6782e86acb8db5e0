// The placement rule, checked without a disk: every placement byte against the four kinds of
// system the installer meets.
#include "engine/placement_rule.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <vector>

#include "engine/locations.h"
#include "platform/setup_service.h"
#include "platform/sim/profiles.h"

namespace stow {
namespace {

struct Machine {
    std::string name;
    PlatformFacts facts;
    InstallLocations at;
};

// Each profile's facts and locations as the installer computes them at start-up.
std::vector<Machine> machines() {
    static struct : SetupService {
        InfCopy copyOEMInf(const std::string&) override { return {}; }
    } service;
    std::vector<Machine> out;
    for (sim::Profile profile : sim::allProfiles()) {
        sim::ProfileSystem system(profile, &service);
        const ComputedLocations c = computeInstallLocations(system, "V", "P");
        out.push_back({sim::profileFacts(profile).name, c.facts, c.locations});
    }
    return out;
}
const std::vector<Machine> kMachines = machines();

const std::string kTarget = "D:\\Apps\\V\\P\\";
const std::string kDrivers = "D:\\Apps\\V\\Common Drivers\\";

// Expected outcomes, written as:
//   ""              not placed          "!XX"          PackageError for code XX
//   "oem"           next free oem<n>.inf in WindowsPath\INF\ (filtered)
//   "other"         WindowsPath\INF\Other\ + path (filtered)
//   "{W}..." etc.   a path under {W}indows, {S}ystem, D{L}L, {D}river path or {T}arget, with
//                   " +fatal" or " +ignore" when missing directories are created.
std::string expand(std::string text, const Machine& m) {
    const std::map<std::string, std::string> tokens = {{"{W}", m.at.windowsPath},
                                                       {"{S}", m.at.systemPath},
                                                       {"{L}", m.at.dllPath},
                                                       {"{D}", m.at.driverPath},
                                                       {"{T}", kTarget}};
    for (const auto& [token, value] : tokens) {
        size_t at = text.find(token);
        if (at != std::string::npos) text.replace(at, token.size(), value);
    }
    return text;
}

std::string describe(const PlacementDecision& d) {
    char hex[8];
    if (d.error) {
        std::snprintf(hex, sizeof hex, "!%02X", d.code);
        return hex;
    }
    switch (d.kind) {
        case DestinationKind::None: return "";
        case DestinationKind::GeneratedInf: return d.filtered ? "oem" : "oem unfiltered";
        case DestinationKind::InfOther: return d.filtered ? "other" : "other unfiltered";
        case DestinationKind::Path: break;
    }
    std::string text = d.destination;
    if (d.filtered) text += " filtered";
    if (d.directories == DirectoryRule::CreateFatal) text += " +fatal";
    if (d.directories == DirectoryRule::CreateIgnore) text += " +ignore";
    return text;
}

TEST(PlacementRuleTest, EveryCodeOnEveryKindOfSystem) {
    struct Row {
        unsigned byte;
        const char* expected[4];  // 9x, nt32, nt64, nt-no-setupapi
    };
    const char* f = "{W}sub\\f.bin";
    const Row rows[] = {
        {0x00, {"", "", "", ""}},
        {0x01, {f, f, f, f}},
        {0x02, {"{S}sub\\f.bin", "{S}sub\\f.bin", "{L}sub\\f.bin", "{S}sub\\f.bin"}},
        {0x03, {"{S}sub\\f.bin", "", "", ""}},
        {0x04, {"{S}sub\\f.bin", "{D}sub\\f.bin", "{D}sub\\f.bin", "{D}sub\\f.bin"}},
        {0x05, {"other", "oem", "oem", "oem"}},
        {0x06, {"!06", "!06", "!06", "!06"}},
        {0x07, {"!07", "!07", "!07", "!07"}},
        {0x08, {"{D}sub\\f.bin", "{D}sub\\f.bin", "", "{D}sub\\f.bin"}},
        {0x09, {"", "", "{D}sub\\f.bin", ""}},
        {0x0A, {"!0A", "!0A", "!0A", "!0A"}},
        {0x0B, {"!0B", "!0B", "!0B", "!0B"}},
        {0x0C, {"{S}sub\\f.bin", "{S}sub\\f.bin", "", "{S}sub\\f.bin"}},
        {0x0D, {"", "", "{S}sub\\f.bin", ""}},
        {0x0E, {"!0E", "!0E", "!0E", "!0E"}},
        {0x0F, {"!0F", "!0F", "!0F", "!0F"}},
        {0x10, {"{T}sub\\f.bin +fatal", "{T}sub\\f.bin +fatal", "{T}sub\\f.bin +fatal",
                "{T}sub\\f.bin +fatal"}},
        {0x11, {"{W}sub\\f.bin +ignore", "{W}sub\\f.bin +ignore", "{W}sub\\f.bin +ignore",
                "{W}sub\\f.bin +ignore"}},
        {0x12, {"{L}sub\\f.bin +ignore", "{L}sub\\f.bin +ignore", "{L}sub\\f.bin +ignore",
                "{L}sub\\f.bin +ignore"}},
        {0x13, {"!13", "!13", "!13", "!13"}},
        {0x14, {"{D}sub\\f.bin +ignore", "{D}sub\\f.bin +ignore", "{D}sub\\f.bin +ignore",
                "{D}sub\\f.bin +ignore"}},
        {0x15, {"!15", "!15", "!15", "!15"}},
        {0x1F, {"!1F", "!1F", "!1F", "!1F"}},
        // With the driver-copy flag: where preinstallation is possible the copy is the only one.
        {0x20, {"", "", "", ""}},
        {0x21, {f, "", "", f}},
        {0x24, {"{S}sub\\f.bin", "", "", "{D}sub\\f.bin"}},
        {0x25, {"other", "", "", "oem"}},
        {0x26, {"!06", "", "", "!06"}},
        {0x29, {"", "", "", ""}},
        {0x30, {"{T}sub\\f.bin +fatal", "", "", "{T}sub\\f.bin +fatal"}},
        {0x35, {"!15", "", "", "!15"}},
        // Bits above the table are invalid codes, shown after the flag is cleared.
        {0x40, {"!40", "!40", "!40", "!40"}},
        {0x41, {"!41", "!41", "!41", "!41"}},
        {0x80, {"!80", "!80", "!80", "!80"}},
        {0xC0, {"!C0", "!C0", "!C0", "!C0"}},
        {0xE5, {"!C5", "", "", "!C5"}},
        {0xFF, {"!DF", "", "", "!DF"}},
    };
    for (const Row& row : rows) {
        for (int i = 0; i < 4; ++i) {
            const Machine& m = kMachines[i];
            const PlacementContext context{m.facts, m.at, kTarget, kDrivers};
            std::string first = std::string(1, static_cast<char>(row.byte)) + "sub\\f.bin";
            PlacementDecision d = decidePlacement(first, "C:\\build\\drv\\f.bin", context);
            EXPECT_EQ(describe(d), expand(row.expected[i], m))
                << "byte 0x" << std::hex << row.byte << " on " << m.name;
            if (row.byte & kDriverCopyFlag) {
                ASSERT_TRUE(d.driverCopy.has_value());
                EXPECT_EQ(*d.driverCopy, kDrivers + "build\\drv\\f.bin");
            } else {
                EXPECT_FALSE(d.driverCopy.has_value());
            }
        }
    }
}

// The invalid-code message is checked through placement; here what is decided beside it.
TEST(PlacementRuleTest, OddRecords) {
    const PlacementContext context{kMachines[1].facts, kMachines[1].at, kTarget, kDrivers};
    // An empty first string has no placement byte: refused, nothing else decided.
    PlacementDecision d = decidePlacement("", "C:\\a", context);
    EXPECT_EQ(d.error, "Missing LocMode. The package is probably corrupt.");
    EXPECT_FALSE(d.driverCopy.has_value());
    EXPECT_EQ(d.kind, DestinationKind::None);
    // A byte alone gives the location itself; a source path of up to three characters leaves
    // the drivers directory itself as the copy destination.
    EXPECT_EQ(decidePlacement("\x21", "C:", context).driverCopy, kDrivers);
    EXPECT_EQ(decidePlacement("\x01", "C:\\", context).destination, "C:\\WINDOWS\\");
}

}  // namespace
}  // namespace stow
