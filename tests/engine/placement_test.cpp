// File placement against a simulated Windows: what lands where on each kind of system, what is
// logged, what fails and falls back, and which errors stop the phase.
#include <gtest/gtest.h>

#include <regex>

#include "base/error.h"
#include "engine/install_job.h"
#include "engine/locations.h"
#include "engine/placement.h"
#include "platform/sim/sim_windows.h"
#include "support/counting_file_system.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

namespace stow {
namespace {

using test::record;
using Records = std::vector<test::PackageRecord>;

class RecordingProgress : public Progress {
public:
    void setMax(int max) override { calls.push_back("max " + std::to_string(max)); }
    void setPosition(int position) override { calls.push_back("pos " + std::to_string(position)); }
    void paint() override { calls.push_back("paint"); }
    std::vector<std::string> calls;
};

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

    std::string logged(const std::string& source) const {
        return job->fileLog.find(kSection, source).value_or("(none)");
    }

    test::TempDir dir_;
    sim::SimWindows win;
    ComputedLocations computed;
    std::string target, drivers;
    LoadedPackage package;
    std::optional<InstallJob> job;
    RecordingProgress progress;
    test::CountingFileSystem counting{win.platform().files};
    std::optional<Platform> counted;
};

const sim::Profile kProfiles[] = {sim::Profile::Win9x, sim::Profile::Nt32, sim::Profile::Nt64,
                                  sim::Profile::NtNoSetupApi};
const char* profileName(sim::Profile p) {
    switch (p) {
        case sim::Profile::Win9x: return "9x";
        case sim::Profile::Nt32: return "nt32";
        case sim::Profile::Nt64: return "nt64";
        case sim::Profile::NtNoSetupApi: return "nt-no-setupapi";
    }
    return "?";
}

TEST(PlacementTest, EachByteLandsWhereItsCodeSaysOnEveryProfile) {
    struct Row {
        unsigned byte;
        // Where the file lands on 9x, nt32, nt64, nt-no-setupapi ("" = nowhere).
        const char* expected[4];
    };
    const Row rows[] = {
        {0x00, {"", "", "", ""}},
        {0x01, {"C:\\WINDOWS\\f.bin", "C:\\WINDOWS\\f.bin", "C:\\WINDOWS\\f.bin", "C:\\WINDOWS\\f.bin"}},
        {0x02, {"C:\\WINDOWS\\SYSTEM\\f.bin", "C:\\WINDOWS\\system32\\f.bin",
                "C:\\WINDOWS\\SysWOW64\\f.bin", "C:\\WINDOWS\\system32\\f.bin"}},
        {0x03, {"C:\\WINDOWS\\SYSTEM\\f.bin", "", "", ""}},
        {0x04, {"C:\\WINDOWS\\SYSTEM\\f.bin", "C:\\WINDOWS\\system32\\Drivers\\f.bin",
                "C:\\WINDOWS\\system32\\Drivers\\f.bin", "C:\\WINDOWS\\system32\\Drivers\\f.bin"}},
        {0x08, {"C:\\WINDOWS\\SYSTEM\\f.bin", "C:\\WINDOWS\\system32\\Drivers\\f.bin", "",
                "C:\\WINDOWS\\system32\\Drivers\\f.bin"}},
        {0x09, {"", "", "C:\\WINDOWS\\system32\\Drivers\\f.bin", ""}},
        {0x0C, {"C:\\WINDOWS\\SYSTEM\\f.bin", "C:\\WINDOWS\\system32\\f.bin", "",
                "C:\\WINDOWS\\system32\\f.bin"}},
        {0x0D, {"", "", "C:\\WINDOWS\\system32\\f.bin", ""}},
        {0x10, {"T\\new\\f.bin", "T\\new\\f.bin", "T\\new\\f.bin", "T\\new\\f.bin"}},
        {0x11, {"C:\\WINDOWS\\new\\f.bin", "C:\\WINDOWS\\new\\f.bin", "C:\\WINDOWS\\new\\f.bin",
                "C:\\WINDOWS\\new\\f.bin"}},
        {0x12, {"C:\\WINDOWS\\SYSTEM\\new\\f.bin", "C:\\WINDOWS\\system32\\new\\f.bin",
                "C:\\WINDOWS\\SysWOW64\\new\\f.bin", "C:\\WINDOWS\\system32\\new\\f.bin"}},
        {0x14, {"C:\\WINDOWS\\SYSTEM\\new\\f.bin", "C:\\WINDOWS\\system32\\Drivers\\new\\f.bin",
                "C:\\WINDOWS\\system32\\Drivers\\new\\f.bin",
                "C:\\WINDOWS\\system32\\Drivers\\new\\f.bin"}},
        {0x20, {"", "", "", ""}},
        {0x21, {"C:\\WINDOWS\\f.bin", "", "", "C:\\WINDOWS\\f.bin"}},
        {0x24, {"C:\\WINDOWS\\SYSTEM\\f.bin", "", "", "C:\\WINDOWS\\system32\\Drivers\\f.bin"}},
    };
    for (const Row& row : rows) {
        for (int i = 0; i < 4; ++i) {
            Machine m(kProfiles[i]);
            const bool creates = row.byte >= 0x10 && row.byte < 0x20;
            const std::string path = creates ? "new\\f.bin" : "f.bin";
            m.place({record(static_cast<unsigned char>(row.byte), path, "data", "C:\\src\\d\\f.bin", 77)});
            std::string expected = row.expected[i];
            if (expected.rfind("T\\", 0) == 0) {
                expected = m.job->targetDirectory + expected.substr(2);
            }
            const std::string where = std::string("byte ") + std::to_string(row.byte) + " on " +
                                      profileName(kProfiles[i]);
            EXPECT_TRUE(m.job->failedCopies.empty()) << where;
            if (expected.empty()) {
                EXPECT_EQ(m.logged("C:\\src\\d\\f.bin"), "(none)") << where;
            } else {
                EXPECT_EQ(m.logged("c:\\SRC\\d\\f.bin"), expected + ",77") << where;
                ASSERT_TRUE(m.win.exists(expected)) << where;
                EXPECT_EQ(m.win.readFile(expected), "data") << where;
            }
            const std::string copy = m.job->driversDirectory + "src\\d\\f.bin";
            EXPECT_EQ(m.win.exists(copy), (row.byte & 0x20) != 0) << where;
            if (row.byte & 0x20) {
                EXPECT_EQ(m.win.readFile(copy), "data") << where;
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
        {sim::Profile::Nt32, 0x25, ""},
        {sim::Profile::Nt64, 0x25, ""},
        {sim::Profile::NtNoSetupApi, 0x25, "C:\\WINDOWS\\INF\\oem2.inf"},
        {sim::Profile::NtNoSetupApi, 0x05, "C:\\WINDOWS\\INF\\oem2.inf"},
    };
    for (const Case& c : cases) {
        Machine m(c.profile);
        m.win.writeFile("C:\\WINDOWS\\INF\\oem0.inf", "taken");
        m.win.writeFile("C:\\WINDOWS\\INF\\OEM1.INF", "taken");
        m.place({record(static_cast<unsigned char>(c.byte), "x.inf", kInf, "C:\\d\\x.inf", 5)});
        const std::string where = std::to_string(c.byte) + " on " + profileName(c.profile);
        if (*c.expected) {
            EXPECT_EQ(m.win.readFile(c.expected), kFilteredInf) << where;
            EXPECT_EQ(m.logged("C:\\d\\x.inf"), std::string(c.expected) + ",5") << where;
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

TEST(PlacementTest, InfOnNineXGoesUnderOther) {
    Machine m(sim::Profile::Win9x);
    m.win.makeDirectories("C:\\WINDOWS\\INF\\Other");
    m.place({record(0x25, "x.inf", kInf, "C:\\d\\x.inf", -3),
             record(0x05, "v\\y.inf", kInf, "C:\\d\\y.inf", 0)});
    EXPECT_EQ(m.win.readFile("C:\\WINDOWS\\INF\\Other\\x.inf"), kFilteredInf);
    EXPECT_EQ(m.logged("C:\\d\\x.inf"), "C:\\WINDOWS\\INF\\Other\\x.inf,-3");
    EXPECT_EQ(m.win.readFile(m.job->driversDirectory + "d\\x.inf"), kInf);
    // Code 5 creates no folders: a subfolder under Other that is missing makes a failed copy.
    EXPECT_EQ(m.job->failedCopies, std::vector<std::string>{"C:\\WINDOWS\\INF\\Other\\v\\y.inf"});
}

TEST(PlacementTest, FailedWritesFallBackToTheCurrentDirectoryAndAreListed) {
    Machine m(sim::Profile::Nt32);
    m.win.makeDirectories("C:\\Work");
    ASSERT_TRUE(m.win.platform().files.setCurrentDirectory("C:\\Work"));
    m.win.makeDirectories("C:\\Locked");
    m.place({
        record(0x01, "missing\\a.dll", "A", "C:\\s\\a.dll", 1),     // folder not created
        record(0x02, "ok.dll", "OK", "C:\\s\\ok.dll", 2),
        record(0x01, "nodir\\b.dll", "B", "C:\\s\\b.dll", 3),
    });
    EXPECT_EQ(m.job->failedCopies,
              (std::vector<std::string>{"C:\\WINDOWS\\missing\\a.dll", "C:\\WINDOWS\\nodir\\b.dll"}));
    EXPECT_EQ(m.win.readFile("C:\\Work\\a.dll"), "A");
    EXPECT_EQ(m.win.readFile("C:\\Work\\b.dll"), "B");
    EXPECT_FALSE(m.win.exists("C:\\WINDOWS\\missing"));
    // Logged all the same.
    EXPECT_EQ(m.logged("C:\\s\\a.dll"), "C:\\WINDOWS\\missing\\a.dll,1");
    EXPECT_EQ(m.logged("C:\\s\\ok.dll"), "C:\\WINDOWS\\system32\\ok.dll,2");
}

TEST(PlacementTest, DeniedAndFullDisksAreFailedCopiesNotErrors) {
    Machine m(sim::Profile::Nt32);
    m.win.makeDirectories("C:\\Work");
    ASSERT_TRUE(m.win.platform().files.setCurrentDirectory("C:\\Work"));
    m.win.faults().accessDenied.push_back("C:\\WINDOWS\\system32");
    m.place({record(0x02, "a.dll", "A", "C:\\s\\a.dll", 1),
             record(0x24, "b.sys", "B", "C:\\s\\drv\\b.sys", 2)});
    EXPECT_EQ(m.job->failedCopies, std::vector<std::string>{"C:\\WINDOWS\\system32\\a.dll"});
    EXPECT_EQ(m.win.readFile("C:\\Work\\a.dll"), "A");
    EXPECT_EQ(m.logged("C:\\s\\a.dll"), "C:\\WINDOWS\\system32\\a.dll,1");

    // A disk that fills up part way: the file is not left half written, and what follows on
    // the full disk fails as well, without stopping the phase.
    Machine full(sim::Profile::Nt32);
    full.win.makeDirectories("C:\\Work");
    ASSERT_TRUE(full.win.platform().files.setCurrentDirectory("C:\\Work"));
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

TEST(PlacementTest, DriverCopyFailureFallsBackAndIsNotLogged) {
    Machine m(sim::Profile::Nt32);
    m.win.makeDirectories("C:\\Work");
    ASSERT_TRUE(m.win.platform().files.setCurrentDirectory("C:\\Work"));
    m.place({});
    m.win.faults().accessDenied.push_back(m.job->driversDirectory + "locked");
    m.place({record(0x20, "", "D", "C:\\locked\\d.sys", 4)});
    EXPECT_EQ(m.job->failedCopies,
              std::vector<std::string>{m.job->driversDirectory + "locked\\d.sys"});
    EXPECT_EQ(m.win.readFile("C:\\Work\\d.sys"), "D");
    EXPECT_EQ(m.job->fileLog.entryCount(), 0u);
}

TEST(PlacementTest, ErrorsThatStopThePhase) {
    struct Case {
        const char* name;
        sim::Profile profile;
        Records records;
        std::string deny;  // "T" / "D": the target / drivers directory's parent
        std::string error;
    };
    const Case cases[] = {
        {"invalid code", sim::Profile::Nt32, {record(0x06, "x", "", "C:\\x")}, "",
         "PackageError: Invalid LocMode #06h. The package is probably corrupt."},
        {"flagged invalid code without preinstallation", sim::Profile::NtNoSetupApi,
         {record(0x26, "x", "", "C:\\x")}, "",
         "PackageError: Invalid LocMode #06h. The package is probably corrupt."},
        {"high byte", sim::Profile::Win9x, {record(0xE5, "x", "", "C:\\x")}, "",
         "PackageError: Invalid LocMode #C5h. The package is probably corrupt."},
        {"empty first string", sim::Profile::Nt32, {test::PackageRecord{"", "c", "C:\\x", 0}}, "",
         "PackageError: Missing LocMode. The package is probably corrupt."},
        {"target directory", sim::Profile::Nt32, {}, "T",
         "EFCreateError: Failed to create target directory."},
        {"drivers directory", sim::Profile::Nt32, {}, "D",
         "EFCreateError: Failed to create drivers directory."},
    };
    for (const Case& c : cases) {
        Machine m(c.profile);
        m.target = "C:\\A\\T";
        m.drivers = "C:\\B\\D";
        if (c.deny == "T") m.win.faults().accessDenied.push_back("C:\\A");
        if (c.deny == "D") m.win.faults().accessDenied.push_back("C:\\B");
        try {
            m.place(c.records);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const Error& e) {
            EXPECT_EQ(e.describe(), c.error) << c.name;
        }
    }
}

TEST(PlacementTest, CodeSixteenDirectoryFailureIsFatal) {
    Machine m(sim::Profile::Nt32);
    m.target = "C:\\T";
    m.win.makeDirectories("C:\\T\\locked");
    m.win.faults().accessDenied.push_back("C:\\T\\locked");
    try {
        m.place({record(0x10, "ok\\a.txt", "a", "C:\\a"), record(0x10, "locked\\sub\\b.txt", "b", "C:\\b"),
                 record(0x01, "never.txt", "n", "C:\\n")});
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.message(), "Failed to create directory \"C:\\T\\locked\\sub\\\".");
    }
    EXPECT_EQ(m.win.readFile("C:\\T\\ok\\a.txt"), "a");  // files already written stay
    EXPECT_FALSE(m.win.exists("C:\\WINDOWS\\never.txt"));
    EXPECT_FALSE(m.win.exists("C:\\T\\FileLog.ini"));    // the log is not written by placement
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

TEST(PlacementTest, TruncatedPackageIsAReadError) {
    Machine m(sim::Profile::Nt32);
    EXPECT_THROW(m.place({record(0x01, "a", "A", "C:\\a")}, 2), EReadError);
    EXPECT_EQ(m.win.readFile("C:\\WINDOWS\\a"), "A");
}

TEST(PlacementTest, LogMergesSameSourcesAndEarlierRuns) {
    Machine m(sim::Profile::Nt32);
    m.target = "C:\\T";
    m.win.writeFile("C:\\T\\FileLog.ini",
                    "stray\r\n[Other Vendor]\r\nk=v\r\n\r\n[V File Log - P]\r\nC:\\OLD=x,1\r\n"
                    "C:\\S\\A=old,0\r\n\r\n[START]\r\nV File Log - P=menu\r\n\r\n");
    m.place({record(0x10, "a1", "1", "C:\\s\\a", 1), record(0x10, "a2", "2", "C:\\S\\A", 2)});
    EXPECT_EQ(m.job->fileLog.serialize(),
              "[Other Vendor]\r\nk=v\r\n\r\n[V File Log - P]\r\nC:\\OLD=x,1\r\n"
              "C:\\S\\A=C:\\T\\a2,2\r\n\r\n[START]\r\nV File Log - P=menu\r\n\r\n");
    EXPECT_EQ(m.job->fileLog.path(), "C:\\T\\FileLog.ini");
}

TEST(PlacementTest, ProgressAdvancesPerRecordAndEndsAtTheCount) {
    Machine m(sim::Profile::Nt32);
    m.place({record(0x01, "a", "", "C:\\a"), record(0x00, "b", "", "C:\\b"), record(0x09, "c", "", "C:\\c")});
    EXPECT_EQ(m.progress.calls, (std::vector<std::string>{"pos 1", "paint", "pos 2", "paint",
                                                          "pos 3", "paint", "pos 3", "paint"}));

    Machine empty(sim::Profile::Nt32);
    empty.place({});
    EXPECT_EQ(empty.progress.calls, (std::vector<std::string>{"pos 0", "paint"}));
    EXPECT_TRUE(empty.win.isDirectory(empty.job->targetDirectory));
    EXPECT_TRUE(empty.win.isDirectory(empty.job->driversDirectory));
    EXPECT_EQ(empty.job->fileLog.entryCount(), 0u);

    Machine negative(sim::Profile::Nt32);
    negative.place({}, -4);
    EXPECT_EQ(negative.progress.calls, (std::vector<std::string>{"pos -4", "paint"}));
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
    for (sim::Profile profile : kProfiles) {
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
