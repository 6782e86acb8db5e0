// File placement against a simulated Windows: what lands where on each kind of system, what is
// logged, what fails and falls back, and which errors stop the phase.
#include <gtest/gtest.h>

#include <regex>

#include "base/error.h"
#include "engine/install_job.h"
#include "engine/locations.h"
#include "engine/placement.h"
#include "engine/placement_rule.h"
#include "platform/sim/sim_windows.h"
#include "support/counting_file_system.h"
#include "support/no_progress.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"
#include "support/thrown.h"

namespace stow {
namespace {

using test::record;
using Records = std::vector<test::PackageRecord>;

const char* const kSection = "V File Log - P";

// A fresh machine of one profile, with the locations the installer computes there.
class Machine {
public:
    explicit Machine(sim::Profile profile) : win(profile, dir_.path() / "machine") {
        computed = computeInstallLocations(win.platform().system, "V", "P");
    }

    // Runs placement over records with the default directories (or the given ones).
    void place(const Records& records, std::optional<int32_t> count = std::nullopt) {
        package = test::loadedPackage("V", "P", records, count);
        Platform& platform = counted ? *counted : win.platform();
        job.emplace(makeInstallJob(platform, package, computed.locations, computed.facts,
                                   target.empty() ? computed.directories.target : target,
                                   drivers.empty() ? computed.directories.drivers : drivers));
        runPlacement(*job, progress);
    }

    // Later placements count what they ask of the file system in counting.
    void countCalls() {
        Platform& p = win.platform();
        counted.emplace(Platform{counting, p.registry, p.system, p.shell, p.threads});
    }

    // Failed writes fall back to the current directory: C:\Work here.
    void workInWork() {
        win.makeDirectories("C:\\Work");
        ASSERT_TRUE(win.platform().files.setCurrentDirectory("C:\\Work"));
    }

    std::string logged(const std::string& source) const {
        return job->fileLog.find(kSection, source).value_or("(none)");
    }

    test::TempDir dir_;
    sim::SimWindows win;
    ComputedLocations computed;
    std::string target, drivers;
    LoadedPackage package;
    std::optional<InstallJob> job;
    test::RecordingProgress progress;
    test::CountingFileSystem counting{win.platform().files};
    std::optional<Platform> counted;
};

std::string profileName(sim::Profile p) { return sim::profileFacts(p).name; }

// Every code of the placement table, plain and with the driver-copy flag, lands where the rule
// decides on every profile (the rule's own test holds what it decides), and is logged there.
TEST(PlacementTest, EachByteLandsWhereTheRuleSaysOnEveryProfile) {
    for (const PlacementCode& row : kPlacementCodes) {
        if (row.location == PlacementLocation::InfFolder) continue;  // generated names: below
        for (unsigned byte : {row.code, row.code | kDriverCopyFlag}) {
            for (sim::Profile profile : sim::allProfiles()) {
                Machine m(profile);
                const std::string first = std::string(1, static_cast<char>(byte)) +
                                          (row.directories == DirectoryRule::None ? "" : "new\\") +
                                          "f.bin";
                m.place({test::PackageRecord{first, "data", "C:\\src\\d\\f.bin", 77}});
                const PlacementContext context{m.computed.facts, m.computed.locations,
                                               m.job->targetDirectory, m.job->driversDirectory};
                const PlacementDecision d = decidePlacement(first, "C:\\src\\d\\f.bin", context);
                SCOPED_TRACE("byte " + std::to_string(byte) + " on " + profileName(profile));
                EXPECT_TRUE(m.job->failedCopies.empty());
                if (d.kind == DestinationKind::None) {
                    EXPECT_EQ(m.logged("C:\\src\\d\\f.bin"), "(none)");
                } else {
                    EXPECT_EQ(m.logged("c:\\SRC\\d\\f.bin"), d.destination + ",77");
                    EXPECT_EQ(m.win.readFile(d.destination), "data");
                }
                const std::string copy = m.job->driversDirectory + "src\\d\\f.bin";
                EXPECT_EQ(m.win.exists(copy), (byte & kDriverCopyFlag) != 0);
                if (byte & kDriverCopyFlag) { EXPECT_EQ(m.win.readFile(copy), "data"); }
            }
        }
    }
}

const std::string kInf =
    "[Version]\r\nCatalogFile=drv.cat\r\n[Install]\n  CopyFiles = Files\nAddReg=Reg\n";
const std::string kFilteredInf = "[Version]\r\n[Install]\r\nAddReg=Reg\r\n";

TEST(PlacementTest, InfFilesGetGeneratedNamesAndAreFiltered) {
    struct Case {
        sim::Profile profile;
        unsigned byte;
        const char* expected;  // "" = only the driver copy, if any
    };
    const Case cases[] = {
        {sim::Profile::Nt32, 0x05, "C:\\WINDOWS\\INF\\oem2.inf"},
        {sim::Profile::Nt64, 0x25, ""},
        {sim::Profile::NtNoSetupApi, 0x25, "C:\\WINDOWS\\INF\\oem2.inf"},
        {sim::Profile::Win9x, 0x25, "C:\\WINDOWS\\INF\\Other\\x.inf"},
    };
    for (const Case& c : cases) {
        Machine m(c.profile);
        m.win.writeFile("C:\\WINDOWS\\INF\\oem0.inf", "taken");
        m.win.writeFile("C:\\WINDOWS\\INF\\OEM1.INF", "taken");
        m.place({record(static_cast<unsigned char>(c.byte), "x.inf", kInf, "C:\\d\\x.inf", -3)});
        const std::string where = std::to_string(c.byte) + " on " + profileName(c.profile);
        if (*c.expected) {
            EXPECT_EQ(m.win.readFile(c.expected), kFilteredInf) << where;
            EXPECT_EQ(m.logged("C:\\d\\x.inf"), std::string(c.expected) + ",-3") << where;
        } else {
            EXPECT_FALSE(m.win.exists("C:\\WINDOWS\\INF\\oem2.inf")) << where;
            EXPECT_EQ(m.logged("C:\\d\\x.inf"), "(none)") << where;
        }
        if (c.byte & 0x20) {
            EXPECT_EQ(m.win.readFile(m.job->driversDirectory + "d\\x.inf"), kInf) << where;
        }
        EXPECT_EQ(m.win.readFile("C:\\WINDOWS\\INF\\oem0.inf"), "taken");
    }

    // Several INFs in one package take the following free numbers.
    Machine m(sim::Profile::Nt32);
    m.place({record(0x05, "a.inf", "a=1", "C:\\a.inf"), record(0x05, "b.inf", "b=2", "C:\\b.inf")});
    EXPECT_EQ(m.logged("C:\\a.inf"), "C:\\WINDOWS\\INF\\oem0.inf,0");
    EXPECT_EQ(m.logged("C:\\b.inf"), "C:\\WINDOWS\\INF\\oem1.inf,0");
    EXPECT_EQ(m.win.readFile("C:\\WINDOWS\\INF\\oem1.inf"), "b=2\r\n");
}

// Code 5 creates no folders: a subfolder under Other that is missing makes a failed copy.
TEST(PlacementTest, InfOnNineXInAMissingSubfolderIsAFailedCopy) {
    Machine m(sim::Profile::Win9x);
    m.place({record(0x05, "v\\y.inf", kInf, "C:\\d\\y.inf", 0)});
    EXPECT_EQ(m.job->failedCopies, std::vector<std::string>{"C:\\WINDOWS\\INF\\Other\\v\\y.inf"});
}

// A missing folder, a denied one and a denied driver copy: each file goes to the current
// directory instead and is listed; what the log names is where it should have gone.
TEST(PlacementTest, FailedWritesFallBackToTheCurrentDirectoryAndAreListed) {
    Machine m(sim::Profile::Nt32);
    m.workInWork();
    const std::string locked = m.computed.directories.drivers + "\\locked";
    m.win.faults().accessDenied = {"C:\\WINDOWS\\system32\\Drivers", locked};
    m.place({
        record(0x01, "missing\\a.dll", "A", "C:\\s\\a.dll", 1),  // folder not created
        record(0x02, "ok.dll", "OK", "C:\\s\\ok.dll", 2),
        record(0x04, "b.sys", "B", "C:\\s\\b.sys", 3),
        record(0x24, "c.sys", "C", "C:\\s\\drv\\c.sys", 4),  // only the driver copy, elsewhere
        record(0x20, "", "D", "C:\\locked\\d.sys", 5),
    });
    EXPECT_EQ(m.job->failedCopies,
              (std::vector<std::string>{"C:\\WINDOWS\\missing\\a.dll",
                                        "C:\\WINDOWS\\system32\\Drivers\\b.sys",
                                        locked + "\\d.sys"}));
    for (const auto& [name, content] : {std::pair{"a.dll", "A"}, {"b.sys", "B"}, {"d.sys", "D"}}) {
        EXPECT_EQ(m.win.readFile(std::string("C:\\Work\\") + name), content);
    }
    EXPECT_FALSE(m.win.exists("C:\\WINDOWS\\missing"));
    EXPECT_EQ(m.logged("C:\\s\\a.dll"), "C:\\WINDOWS\\missing\\a.dll,1");
    EXPECT_EQ(m.logged("C:\\s\\ok.dll"), "C:\\WINDOWS\\system32\\ok.dll,2");
    EXPECT_EQ(m.logged("C:\\s\\b.sys"), "C:\\WINDOWS\\system32\\Drivers\\b.sys,3");
    EXPECT_EQ(m.logged("C:\\locked\\d.sys"), "(none)");  // a driver copy is never logged
}

// A disk that fills up part way: the file is not left half written, and what follows on the
// full disk fails as well, without stopping the phase.
TEST(PlacementTest, AFullDiskFailsTheCopiesWithoutHalfWrittenFiles) {
    Machine full(sim::Profile::Nt32);
    full.workInWork();
    full.win.faults().diskFreeBytes = 1000;
    full.place({record(0x01, "big.bin", std::string(5000, 'b'), "C:\\s\\big.bin", 9),
                record(0x01, "after.txt", "after", "C:\\s\\after.txt")});
    EXPECT_EQ(full.job->failedCopies,
              (std::vector<std::string>{"C:\\WINDOWS\\big.bin", "C:\\WINDOWS\\after.txt"}));
    for (const char* path : {"C:\\WINDOWS\\big.bin", "C:\\Work\\big.bin"}) {
        if (full.win.exists(path)) {
            EXPECT_EQ(full.win.readFile(path), "") << path;
        }
    }
    EXPECT_EQ(full.logged("C:\\s\\big.bin"), "C:\\WINDOWS\\big.bin,9");
}

TEST(PlacementTest, ErrorsThatStopThePhase) {
    struct Case {
        sim::Profile profile;
        Records records;
        std::optional<int32_t> count;
        std::string deny;  // the target's or the drivers directory's parent
        std::string error;
    };
    const Case cases[] = {
        {sim::Profile::Win9x, {record(0xFF, "x", "", "C:\\x")}, {}, "",
         "PackageError: Invalid LocMode #DFh. The package is probably corrupt."},
        {sim::Profile::Nt32, {test::PackageRecord{"", "c", "C:\\x", 0}}, {}, "",
         "PackageError: Missing LocMode. The package is probably corrupt."},
        {sim::Profile::Nt32, {record(0x01, "a", "A", "C:\\a")}, 2, "",
         "EReadError: Stream read error"},
        {sim::Profile::Nt32, {}, {}, "C:\\A", "EFCreateError: Failed to create target directory."},
        {sim::Profile::Nt32, {}, {}, "C:\\B", "EFCreateError: Failed to create drivers directory."},
        // A folder under the target that cannot be made stops the phase; files already written
        // stay (the whole install's fault table holds them).
        {sim::Profile::Nt32,
         {record(0x10, "ok\\a.txt", "a", "C:\\a"), record(0x10, "locked\\sub\\b.txt", "b", "C:\\b"),
          record(0x01, "never.txt", "n", "C:\\n")},
         {}, "C:\\A\\T\\locked",
         "EFCreateError: Failed to create directory \"C:\\A\\T\\locked\\sub\\\"."},
    };
    for (const Case& c : cases) {
        Machine m(c.profile);
        m.target = "C:\\A\\T";
        m.drivers = "C:\\B\\D";
        if (!c.deny.empty()) m.win.faults().accessDenied.push_back(c.deny);
        EXPECT_EQ(test::thrown([&] { m.place(c.records, c.count); }), c.error);
        EXPECT_FALSE(m.win.exists("C:\\WINDOWS\\never.txt"));
        EXPECT_FALSE(m.win.exists("C:\\A\\T\\FileLog.ini"));  // placement writes no log
    }
}

TEST(PlacementTest, FlaggedInvalidCodeWritesTheDriverCopyFirst) {
    Machine m(sim::Profile::Win9x);
    EXPECT_THROW(m.place({record(0x26, "x", "X", "C:\\d\\x.sys"), record(0x01, "y", "Y", "C:\\y")}),
                 PackageError);
    EXPECT_EQ(m.win.readFile(m.job->driversDirectory + "d\\x.sys"), "X");
    EXPECT_FALSE(m.win.exists("C:\\WINDOWS\\y"));

    Machine nt(sim::Profile::Nt32);  // preinstallation possible: the copy is all there is
    nt.place({record(0x26, "x", "X", "C:\\d\\x.sys")});
    EXPECT_EQ(nt.win.readFile(nt.job->driversDirectory + "d\\x.sys"), "X");
}

TEST(PlacementTest, LogMergesSameSourcesAndEarlierRuns) {
    Machine m(sim::Profile::Nt32);
    m.target = "C:\\T";
    m.win.writeFile("C:\\T\\FileLog.ini",
                    "stray\r\n[Other Vendor]\r\nk=v\r\n\r\n[V File Log - P]\r\nC:\\OLD=x,1\r\n"
                    "C:\\S\\A=old,0\r\n\r\n[START]\r\nV File Log - P=menu\r\n\r\n");
    m.place({record(0x10, "a1", "1", "C:\\s\\a", 1), record(0x10, "a2", "2", "C:\\S\\A", 2),
             record(0x10, "b", "3", "C:\\s\\b", 3)});
    EXPECT_EQ(m.job->fileLog.serialize(),
              "[Other Vendor]\r\nk=v\r\n\r\n[V File Log - P]\r\nC:\\OLD=x,1\r\n"
              "C:\\S\\A=C:\\T\\a2,2\r\nC:\\s\\b=C:\\T\\b,3\r\n\r\n"
              "[START]\r\nV File Log - P=menu\r\n\r\n");
    EXPECT_EQ(m.job->fileLog.path(), "C:\\T\\FileLog.ini");
}

TEST(PlacementTest, ProgressAdvancesPerRecordAndEndsAtTheCount) {
    Machine m(sim::Profile::Nt32);
    m.place({record(0x01, "a", "", "C:\\a"), record(0x00, "b", "", "C:\\b"), record(0x09, "c", "", "C:\\c")});
    EXPECT_EQ(m.progress.calls,
              (std::vector<std::string>{"max 3", "pos 1", "pos 2", "pos 3", "pos 3"}));

    Machine empty(sim::Profile::Nt32);
    empty.place({});
    EXPECT_EQ(empty.progress.calls, (std::vector<std::string>{"max 0", "pos 0"}));
    EXPECT_TRUE(empty.win.isDirectory(empty.job->targetDirectory));
    EXPECT_TRUE(empty.win.isDirectory(empty.job->driversDirectory));
    EXPECT_EQ(empty.job->fileLog.entryCount(), 0u);

    Machine negative(sim::Profile::Nt32);
    negative.place({}, -4);
    EXPECT_EQ(negative.progress.calls, (std::vector<std::string>{"max -4", "pos -4"}));
}

TEST(PlacementTest, AFolderIsCheckedOnceNotForEveryFile) {
    const auto checks = [](int files, sim::Profile profile) {
        Machine m(profile);
        m.target = "C:\\T";
        Records records;
        for (int i = 0; i < files; ++i) {
            const std::string name = "f" + std::to_string(i);
            records.push_back(record(0x10, "Sub\\Deeper\\" + name, name, "S\\" + name));
            records.push_back(record(0x30, "Drv\\" + name, name, "C:\\D\\" + name));  // and a driver copy
        }
        m.countCalls();
        m.place(records);
        for (int i = 0; i < files; ++i) {
            const std::string name = "f" + std::to_string(i);
            EXPECT_EQ(m.win.readFile("C:\\T\\Sub\\Deeper\\" + name), name);
            EXPECT_EQ(m.win.readFile(m.job->driversDirectory + "D\\" + name), name);
        }
        EXPECT_GE(m.job->fileLog.entryCount(), static_cast<size_t>(files));
        return std::make_pair(m.counting.attribute_checks, m.counting.directories_made);
    };
    for (sim::Profile profile : sim::allProfiles()) {
        EXPECT_EQ(checks(3, profile), checks(30, profile)) << profileName(profile);
    }
}

TEST(PlacementTest, LargeContentIsCopiedWhole) {
    Machine m(sim::Profile::NtNoSetupApi);
    std::string big(3 * PackageStream::kChunkSize + 123, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31 + (i >> 12));
    m.place({record(0x21, "big.bin", big, "C:\\s\\big.bin")});
    EXPECT_EQ(m.win.readFile("C:\\WINDOWS\\big.bin"), big);
    EXPECT_EQ(m.win.readFile(m.job->driversDirectory + "s\\big.bin"), big);
}

}  // namespace
}  // namespace stow
