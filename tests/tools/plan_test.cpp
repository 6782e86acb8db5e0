// The placement plan: what it prints, and that it agrees with what placement really does on a
// simulated machine of the same profile.
#include "stowpack/plan.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "engine/file_log.h"
#include "engine/install_job.h"
#include "engine/locations.h"
#include "engine/placement.h"
#include "platform/sim/sim_windows.h"
#include "stowpack/format.h"
#include "stowpack/json_writer.h"
#include "support/no_progress.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"
#include "tools/pack_support.h"

namespace stow::pack {
namespace {

using test::record;

using test::NoProgress;
using test::NoPump;

std::vector<test::PackageRecord> mixedPackage() {
    return {
        record(0x01, "readme.txt", "r", "C:\\pkg\\readme.txt", 1),
        record(0x02, "lib.dll", "l", "C:\\pkg\\lib.dll", 2),
        record(0x03, "old.vxd", "o", "C:\\pkg\\old.vxd", 3),
        record(0x05, "dev.inf", "CopyFiles=x\r\n", "C:\\pkg\\dev.inf", 4),
        record(0x08, "d32.sys", "8", "C:\\pkg\\d32.sys", 5),
        record(0x09, "d64.sys", "9", "C:\\pkg\\d64.sys", 6),
        record(0x0C, "s32.dll", "c", "C:\\pkg\\s32.dll", 7),
        record(0x0D, "s64.dll", "d", "C:\\pkg\\s64.dll", 8),
        record(0x10, "Samples\\a.c", "a", "C:\\pkg\\Samples\\a.c", 9),
        record(0x11, "Help\\h.hlp", "h", "C:\\pkg\\h.hlp", 10),
        record(0x12, "Sub\\x.dll", "x", "C:\\pkg\\sub\\x.dll", 11),
        record(0x14, "Sub\\y.sys", "y", "C:\\pkg\\sub\\y.sys", 12),
        record(0x25, "drv.inf", "CatalogFile=a.cat\r\n", "C:\\pkg\\drv\\drv.inf", 13),
        record(0x28, "drv32.sys", "s", "C:\\pkg\\drv\\drv32.sys", 14),
        record(0x20, "", "c", "C:\\pkg\\drv\\drv.cat", 15),
    };
}

// The text as a pattern that matches it literally, "oem<n>" standing for any oem number.
std::regex plannedPattern(const std::string& text) {
    return std::regex(std::regex_replace(
        std::regex_replace(text, std::regex(R"([\\.()^$|+*?\[\]{}])"), R"(\$&)"),
        std::regex("oem<n>"), R"(oem\d+)"));
}

// Every record's planned destination against where placement put it and what it logged.
void expectPlacementAsPlanned(const Plan& plan, const InstallJob& job, sim::SimWindows& win) {
    const std::string section = fileLogSection("V", "P");
    size_t placed = 0;
    for (const PlannedRecord& r : plan.records) {
        const PlacementDecision& d = r.decision;
        const std::optional<std::string> logged = job.fileLog.find(section, r.source);
        SCOPED_TRACE(r.source);
        if (d.driverCopy) {
            EXPECT_TRUE(win.exists(*d.driverCopy));
        }
        if (d.kind == DestinationKind::None) {
            EXPECT_EQ(logged, std::nullopt);
            continue;
        }
        ++placed;
        ASSERT_TRUE(logged);
        const std::string destination = logged->substr(0, logged->rfind(','));
        if (d.kind == DestinationKind::GeneratedInf) {
            EXPECT_TRUE(std::regex_match(destination, plannedPattern(d.destination + "oem<n>.inf")))
                << destination;
        } else {
            EXPECT_EQ(destination, d.destination);
        }
        EXPECT_TRUE(win.exists(destination));
    }
    EXPECT_EQ(job.fileLog.entryCount(), placed);
}

// Links, driver INFs, file log and registry as the whole installation left them.
void expectLaterPhasesAsPlanned(const Plan& plan, sim::SimWindows& win, const std::string& group) {
    EXPECT_EQ(win.listFiles(group).size(), plan.links.size());
    for (const PlannedLink& l : plan.links) {
        const auto link = win.link(l.linkFile);
        ASSERT_TRUE(link.has_value()) << l.linkFile;
        EXPECT_EQ(link->target, l.target);
    }
    EXPECT_TRUE(win.link(group + "V Web Site.lnk").has_value());
    EXPECT_EQ(win.setupCalls(), plan.preinstalledInfs);

    const FileLog log = FileLog::parse(win.readFile(plan.fileLogPath));
    for (const PlannedLogEntry& e : plan.fileLog) {
        const std::optional<std::string> value = log.find(e.section, e.key);
        ASSERT_TRUE(value) << e.key;
        EXPECT_TRUE(std::regex_match(*value, plannedPattern(e.value))) << *value;
    }
    EXPECT_EQ(log.entryCount(), plan.fileLog.size());

    const sim::RegistryView view = win.processView();
    for (const PlannedValue& v : plan.registry) {
        if (v.name == "<time stamp>") {
            const auto values = win.registryValues(view, v.key);
            ASSERT_EQ(values.size(), 1u);
            EXPECT_EQ(values.begin()->second, v.data);
        } else if (v.data[0] == '<') {
            EXPECT_TRUE(win.registryValue(view, v.key, v.name).has_value()) << v.name;
        } else {
            EXPECT_EQ(win.registryValue(view, v.key, v.name), v.data) << v.name;
        }
    }
}

TEST(PlanTest, AgreesWithAWholeInstallationOnTheSimulatedMachines) {
    std::vector<test::PackageRecord> records = mixedPackage();
    for (const char* top : {"Manual.pdf", "Setup.exe", "weblink.html", "ReadMe.txt", "README",
                            "_hidden.exe", "DOS\\demo.exe", "win32\\sub\\x.c", "_tools\\t.txt"}) {
        records.push_back(record(0x10, top, "x", std::string("C:\\top\\") + top, 20));
    }
    for (PlanProfile profile : allPlanProfiles()) {
        SCOPED_TRACE(planProfileName(profile));
        LoadedPackage for_plan = test::loadedPackage("V", "P", records);
        const Plan plan = makePlan(for_plan, profile);
        ASSERT_FALSE(plan.stop.has_value());

        test::TempDir dir;
        sim::SimWindows win(profile, dir.path() / "machine");
        win.makeDirectories("C:\\WINDOWS\\INF\\Other");
        ComputedLocations computed = computeInstallLocations(win.platform().system, "V", "P");
        auto machine = [](const auto& l, const auto& f) {
            return std::tie(l.windowsPath, l.systemPath, l.dllPath, l.driverPath, f.nt, f.bitness,
                            f.driverPreinstallPossible);
        };
        EXPECT_EQ(machine(plan.machine.locations, plan.machine.facts),
                  machine(computed.locations, computed.facts));

        LoadedPackage package = test::loadedPackage("V", "P", records);
        InstallJob job = makeInstallJob(win.platform(), package, computed.locations,
                                        computed.facts, computed.directories.target,
                                        computed.directories.drivers);
        EXPECT_EQ(plan.targetDirectory, job.targetDirectory);
        EXPECT_EQ(plan.driversDirectory, job.driversDirectory);
        NoProgress progress;
        NoPump pump;
        runPlacement(job, progress);
        EXPECT_TRUE(job.failedCopies.empty());
        expectPlacementAsPlanned(plan, job, win);
        runDriverPhase(job, progress, pump);
        runLinkPhase(job);
        runRegistration(job);
        expectLaterPhasesAsPlanned(plan, win, computed.locations.programsPath + "V P\\");
    }
}

TEST(PlanTest, PrintsEveryRecordAndWhereTheInstallationStops) {
    LoadedPackage package = test::loadedPackage(
        "V", "P",
        {record(0x25, "a.inf", "x", "C:\\s\\a.inf"), record(0x09, "b.sys", "yy", "C:\\s\\b.sys"),
         record(0x10, "d\\c.txt", "zzz", "C:\\s\\c.txt"), record(0x06, "e", "", "C:\\s\\e"),
         record(0x01, "never", "", "C:\\s\\never")});
    Plan plan = makePlan(package, PlanProfile::NtNoSetupApi, PlanDirectories{std::string("D:\\Target"), {}, {}});
    std::ostringstream out;
    printPlan(plan, out);
    EXPECT_EQ(out.str(),
              "Plan for \"V P\" on nt-no-setupapi (NT, 32-bit, driver preinstallation not possible)\n"
              "  Target directory:  D:\\Target\\\n"
              "  Drivers directory: C:\\Program Files\\V\\Common Drivers\\\n"
              "  WindowsPath C:\\WINDOWS\\, SystemPath C:\\WINDOWS\\system32\\, DLLPath "
              "C:\\WINDOWS\\system32\\, DriverPath C:\\WINDOWS\\system32\\Drivers\\\n"
              "\n"
              "#1 0x25 C:\\s\\a.inf (1 bytes)\n"
              "    driver copy -> C:\\Program Files\\V\\Common Drivers\\s\\a.inf\n"
              "    file -> C:\\WINDOWS\\INF\\oem<n>.inf (next free n), CopyFiles/CatalogFile "
              "lines removed\n"
              "#2 0x09 C:\\s\\b.sys (2 bytes)\n"
              "    file: skipped on this system (code 9)\n"
              "#3 0x10 C:\\s\\c.txt (3 bytes)\n"
              "    file -> D:\\Target\\d\\c.txt, directories created (failure stops the "
              "installation)\n"
              "#4 0x06 C:\\s\\e (0 bytes)\n"
              "    stops the installation: PackageError: Invalid LocMode #06h. The package is "
              "probably corrupt.\n"
              "\n"
              "5 records: 2 files placed, 1 driver copies, 1 skipped; the installation stops at "
              "record #4: PackageError: Invalid LocMode #06h. The package is probably corrupt.\n");
}

TEST(PlanTest, TruncatedPackageStopsWithAReadError) {
    LoadedPackage package = test::loadedPackage("V", "P", {record(0x01, "a", "", "C:\\a")}, 3);
    Plan plan = makePlan(package, PlanProfile::Nt64);
    EXPECT_EQ(plan.records.size(), 1u);
    ASSERT_TRUE(plan.stop.has_value());
    EXPECT_EQ(plan.stopAt, 2);
    EXPECT_EQ(plan.stop->rfind("EReadError: ", 0), 0u);
    EXPECT_FALSE(parsePlanProfile("nt").has_value());
    for (PlanProfile p : allPlanProfiles()) EXPECT_EQ(parsePlanProfile(planProfileName(p)), p);
}

// 0x95 0x5C is one character in code page 932: its "\" separates nothing there.
TEST(PlanTest, TargetSeparatorFollowsTheCodePage) {
    const struct {
        const char* encoding;
        const char* target;
        const char* planned;
    } cases[] = {{"CP932", "E:\\\x95\\", "E:\\\x95\\\\"},
                 {"windows-936", "E:\\\x95\\", "E:\\\x95\\\\"},
                 {"CP1252", "E:\\\x95\\", "E:\\\x95\\"},
                 {"CP932", "E:\\\x95\\\\", "E:\\\x95\\\\"}};
    for (const auto& c : cases) {
        LoadedPackage package = test::loadedPackage("V", "P", {record(0x01, "a", "", "C:\\a")});
        const Plan plan = makePlan(package, PlanProfile::Nt32, {c.target, c.target, c.encoding});
        EXPECT_EQ(plan.targetDirectory, c.planned) << c.encoding << " " << c.target;
        EXPECT_EQ(plan.driversDirectory, c.planned) << c.encoding << " " << c.target;
    }
}

TEST(PlanTest, JsonTextsAreAlwaysValid) {
    std::ostringstream out;
    JsonWriter json(out);
    json.beginArray().value("C:\\a \"b\"").value("\x01\r").value("M\xC3\xBCller").value("M\xFCller");
    json.beginObject().endObject().endArray().finish();
    EXPECT_EQ(out.str(), "[\n  \"C:\\\\a \\\"b\\\"\",\n  \"\\u0001\\u000d\",\n  \"M\xC3\xBCller\",\n"
                         "  \"M\\u00fcller\",\n  {}\n]\n");
}

TEST(PlanTest, RunsOnABuiltInstallerFile) {
    test::TempDir dir;
    const auto records = mixedPackage();
    const std::filesystem::path exe = dir.path() / "setup.exe";
    test::writeBytes(exe, test::withInt32At(test::fakeStub(4096, 200), 204, 4096) +
                              test::appendedPackage("V", "P", records));

    // The file's plan equals the one made from the same bytes in memory.
    const PackageFile file = readPackageFile(exe);
    for (PlanProfile p : allPlanProfiles()) {
        std::ostringstream from_file, from_memory;
        printPlan(makePlan(file, p), from_file);
        LoadedPackage again = test::loadedPackage("V", "P", records);
        printPlan(makePlan(again, p), from_memory);
        EXPECT_EQ(from_file.str(), from_memory.str()) << planProfileName(p);
    }

    PlanOptions options{exe, "nt64", std::string("E:\\Caf\xc3\xa9"), std::nullopt, "", false,
                        dir.path() / "contents"};
    std::ostringstream out;
    EXPECT_EQ(runPlan(options, out), 0);
    // Only where this profile places a filtered INF is the filtered text written.
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "contents" / "4.filtered"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "contents" / "1.filtered"));
    // Typed in UTF-8, held in the code page, shown in UTF-8 again.
    EXPECT_NE(out.str().find("Target directory:  E:\\Caf\xc3\xa9\\\n"), std::string::npos)
        << out.str();
}

}  // namespace
}  // namespace stow::pack
