// Driver preinstallation: the worker's handling of the service's answer, the enumeration mask,
// and whole driver phases on a simulated machine with an accepting, rejecting or slow service.
#include "engine/drivers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "engine/find_files.h"
#include "engine/inf_thread.h"
#include "platform/sim/sim_windows.h"
#include "support/install_fixture.h"
#include "support/no_progress.h"
#include "support/thrown.h"

namespace stow {
namespace {

// Answers with a fixed result and remembers what it was handed.
class ScriptedService : public SetupService {
public:
    InfCopy answer{true, ""};
    int calls = 0;
    std::string source;

    InfCopy copyOEMInf(const std::string& src) override {
        ++calls;
        source = src;
        return answer;
    }
};

// The worker on the simulated machine's threads, over a scripted service.
using InfThread = test::InstallJobTest;

TEST_F(InfThread, MakesTheOneCallAndHandsBackOnlyAnAcceptedName) {
    const struct {
        InfCopy answer;
        bool success;
        const char* name;
    } cases[] = {
        {{true, "C:\\WINDOWS\\INF\\oem7.inf"}, true, "C:\\WINDOWS\\INF\\oem7.inf"},
        {{false, "partial"}, false, ""},
    };
    Threads& threads = win.platform().threads;
    for (const auto& c : cases) {
        ScriptedService service;
        service.answer = c.answer;
        TINFThread thread(threads, service, "D:\\Drivers\\card.inf");
        EXPECT_EQ(service.calls, 0) << "created suspended";
        thread.resume();
        while (!thread.finished()) threads.sleep(1);
        EXPECT_EQ(service.calls, 1);
        EXPECT_EQ(service.source, "D:\\Drivers\\card.inf");
        EXPECT_EQ(thread.success(), c.success);
        EXPECT_EQ(thread.destinationInfName(), c.name);
        EXPECT_EQ(thread.infPath(), "");
    }
    ScriptedService service;
    { TINFThread never(threads, service, "a.inf"); }
    EXPECT_EQ(service.calls, 0) << "a thread never resumed";
}

TEST(FindMask, SpecialBitsNeedTheMaskToAdmitThem) {
    struct Case {
        uint32_t attributes, mask;
        bool admitted;
    };
    const std::vector<Case> cases = {
        {kAttrArchive, 0, true},
        {kAttrReadOnly | kAttrArchive | kAttrNormal, 0, true},
        {kAttrDirectory, 0, false},
        {kAttrDirectory, kFindDirectory, true},
        {kAttrDirectory | kAttrHidden, kFindDirectory, false},
        {kAttrHidden, kFindDirectory, false},
        {kAttrSystem | kAttrArchive, kFindDirectory, false},
        {kAttrVolumeId, kFindDirectory, false},
        {kAttrHidden | kAttrSystem | kAttrDirectory, kFindAnyFile, true},
        {kAttrVolumeId, kFindAnyFile, true},
        {kAttrHidden, kAttrHidden, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(attributesAdmitted(c.attributes, c.mask), c.admitted)
            << std::hex << c.attributes << " under " << c.mask;
    }
}

// --- whole driver phases on a simulated machine ---

class DriverPhase : public test::InstallJobTest {
protected:
    DriverPhase() { win.makeDirectories(kDrivers); }
    void run() {
        InstallJob job = makeJob();
        runDriverPhase(job, bar, pump);
    }
    std::map<std::string, std::string> infValues() const { return values("Software\\Acme\\INF"); }
    bool infKeyExists() const { return win.registryKeyExists(win.processView(), "Software\\Acme\\INF"); }

    static constexpr const char* kDrivers = "C:\\Acme\\Drivers\\";
    test::RecordingProgress bar;
    test::CountingPump pump;
};

// The system's names start past those already taken, and a second run keeps them.
TEST_F(DriverPhase, RecordsTheSystemsNameForEveryAcceptedTopLevelInf) {
    win.writeFile("C:\\WINDOWS\\INF\\oem0.inf", "someone else's");
    win.writeFile("C:\\Acme\\Drivers\\card.inf", "[Version]\r\nCard\r\n");
    win.writeFile("C:\\Acme\\Drivers\\Usb.INF", "[Version]\r\n");
    win.writeFile("C:\\Acme\\Drivers\\card.cat", "catalog");
    win.writeFile("C:\\Acme\\Drivers\\.inf", "[Version]\r\n");
    win.writeFile("C:\\Acme\\Drivers\\x64\\nested.inf", "[Version]\r\n");
    win.makeDirectories("C:\\Acme\\Drivers\\sub.inf");
    run();

    // The service saw the listing in enumeration order, the directory with its "\".
    const std::vector<std::string> listed =
        listDirectory(win.platform().files, std::string(kDrivers) + "*.inf");
    EXPECT_EQ(win.setupCalls(), listed);
    std::vector<std::string> sorted = listed;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"C:\\Acme\\Drivers\\Usb.INF",
                                                "C:\\Acme\\Drivers\\card.inf",
                                                "C:\\Acme\\Drivers\\sub.inf\\"}));
    const std::map<std::string, std::string> names = {
        {"C:\\Acme\\Drivers\\card.inf", "oem1.inf"}, {"C:\\Acme\\Drivers\\Usb.INF", "oem2.inf"}};
    EXPECT_EQ(infValues(), names);
    EXPECT_EQ(win.readFile("C:\\WINDOWS\\INF\\oem1.inf"), "[Version]\r\nCard\r\n");
    EXPECT_EQ(bar.calls, (std::vector<std::string>{"max 3", "pos 0", "pos 1", "pos 2", "pos 3"}));
    run();
    EXPECT_EQ(infValues(), names);
}

TEST_F(DriverPhase, NothingHappensWhenPreinstallationIsNotPossible) {
    win.writeFile("C:\\Acme\\Drivers\\card.inf", "[Version]\r\n");
    facts.driverPreinstallPossible = false;
    run();
    EXPECT_TRUE(win.setupCalls().empty());
    EXPECT_TRUE(bar.calls.empty());
    EXPECT_FALSE(infKeyExists());
}

TEST_F(DriverPhase, EmptyOrMissingDriversDirectoryEmptiesTheBar) {
    run();
    EXPECT_EQ(bar.calls, (std::vector<std::string>{"max 0", "pos 0"}));
    EXPECT_FALSE(infKeyExists());

    bar.calls.clear();
    InstallJob job = makeJob("C:\\Acme", "C:\\Nowhere");
    runDriverPhase(job, bar, pump);
    EXPECT_EQ(bar.calls, (std::vector<std::string>{"max 0", "pos 0"}));
}

TEST_F(DriverPhase, RejectedInfsAreSkippedWithoutARecord) {
    win.writeFile("C:\\Acme\\Drivers\\a.inf", "[Version]\r\n");
    win.writeFile("C:\\Acme\\Drivers\\b.inf", "[Version]\r\n");
    win.faults().setupRejects.insert("c:\\acme\\drivers\\A.INF");
    run();
    EXPECT_EQ(win.setupCalls().size(), 2u);
    const auto values = infValues();
    EXPECT_EQ(values.size(), 1u);
    EXPECT_EQ(values.count("C:\\Acme\\Drivers\\b.inf"), 1u);
    EXPECT_EQ(bar.calls.back(), "pos 2");
}

TEST_F(DriverPhase, AnUnwritableInfKeyEndsThePhaseWithARegistryError) {
    win.writeFile("C:\\Acme\\Drivers\\a.inf", "[Version]\r\n");
    win.writeFile("C:\\Acme\\Drivers\\b.inf", "[Version]\r\n");
    win.faults().registryDenied.push_back("Software\\Acme\\INF");
    const std::string first =
        listDirectory(win.platform().files, std::string(kDrivers) + "*.inf").front();
    const std::string error = "ERegistryException: Failed to set data for '" + first + "'";
    EXPECT_EQ(test::thrown([&] { run(); }), error);
    EXPECT_EQ(win.setupCalls().size(), 1u) << "the remaining INFs are not handled";
    EXPECT_EQ(bar.calls, (std::vector<std::string>{"max 2", "pos 0"}));
    // A value write that fails in a key that opened is the same error.
    win.faults().registryDenied.clear();
    win.faults().registryWritesBeforeFailure = 0;
    EXPECT_EQ(test::thrown([&] { run(); }), error);
}

}  // namespace
}  // namespace stow
