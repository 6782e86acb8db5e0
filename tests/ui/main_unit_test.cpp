// The main window's controller against a recording view, scripted phases and the simulated
// Windows: creation and load errors, every state of the install command, F1 and the Change
// buttons.
#include "ui/main_unit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "base/error.h"
#include "platform/sim/sim_windows.h"
#include "support/fake_main_view.h"
#include "support/package_builder.h"
#include "support/recording_message_boxes.h"
#include "support/temp_dir.h"
#include "ui/pixel_canvas.h"
#include "ui/tint_progress.h"

namespace stow {
namespace {

using sim::Profile;
using sim::SimWindows;

using test::FakeMainView;
using test::kFrameHeight;

enum class Phase { Placement, Drivers, Links, Registration };

// What the window showed when a phase began.
struct PhaseVisit {
    Phase phase;
    std::string heading;
    Color tint = 0;
    std::optional<Color> go_color;
    std::string target, drivers;
};

class ScriptedPhases : public InstallPhases {
public:
    explicit ScriptedPhases(FakeMainView& view) : view_(view) {}

    void placement(InstallJob& job, Progress& progress) override {
        visit(Phase::Placement, job);
        progress.setMax(job.package.recordCount);
        for (int k = 1; k <= job.package.recordCount + 1; ++k) {
            progress.setPosition(std::min(k, job.package.recordCount));
            if (after_placement_step) after_placement_step();
        }
        failIf(Phase::Placement);
    }
    void drivers(InstallJob& job, Progress& progress, MessagePump& pump) override {
        visit(Phase::Drivers, job);
        progress.setMax(2);
        progress.setPosition(0);
        for (int i = 1; i <= 2; ++i) {
            pump.processMessages();
            progress.setPosition(i);
        }
        failIf(Phase::Drivers);
    }
    void links(InstallJob& job) override {
        visit(Phase::Links, job);
        failIf(Phase::Links);
    }
    std::string registration(InstallJob& job) override {
        visit(Phase::Registration, job);
        failIf(Phase::Registration);
        for (const auto& f : failed_copies) job.failedCopies.push_back(f);
        return "REPORT";
    }

    std::optional<Phase> fail_in;
    std::function<void()> after_placement_step;
    std::vector<std::string> failed_copies;
    std::vector<PhaseVisit> visits;

private:
    void visit(Phase phase, InstallJob& job) {
        PhaseVisit v;
        v.phase = phase;
        v.heading = view_.texts[MainControl::HeadLabel];
        if (view_.bar) {
            v.tint = view_.bar->tint();
        }
        v.go_color = view_.go_color;
        v.target = job.targetDirectory;
        v.drivers = job.driversDirectory;
        visits.push_back(v);
    }
    void failIf(Phase phase) {
        if (fail_in == phase) throw EFCreateError("Failed to create target directory.");
    }
    FakeMainView& view_;
};

class ScriptedPicker : public DirectoryPicker {
public:
    bool pickDirectory(const std::string& start, std::string& chosen) override {
        starts.push_back(start);
        if (answer) chosen = choice;
        return answer;
    }
    bool answer = false;
    std::string choice;
    std::vector<std::string> starts;
};

class MainUnitTest : public ::testing::Test {
public:
    void makeMachine(Profile profile, const std::vector<test::PackageRecord>& records = {},
                     const std::string& package_name = "DAQ Suite") {
        machine = std::make_unique<SimWindows>(profile, temp.path() / "machine");
        machine->writeFile("C:\\stowaway.exe",
                           std::string(4096, 'M') + test::appendedPackage("ZYLOR", package_name,
                                                                          records));
        setLocator(test::le32(4096));
    }
    void setLocator(const std::string& bytes) { std::memcpy(locator, bytes.data(), 4); }
    TMainForm& create(InstallPhases* phases = nullptr) {
        form = std::make_unique<TMainForm>(machine->platform(), view, boxes,
                                           phases ? *phases : scripted, look, locator);
        form->FormCreate();
        return *form;
    }
    std::string heading() { return view.texts[MainControl::HeadLabel]; }

    test::TempDir temp;
    std::unique_ptr<SimWindows> machine;
    FakeMainView view;
    ScriptedPhases scripted{view};
    test::RecordingMessageBoxes boxes;
    TableSystemLook look;
    unsigned char locator[4] = {'X', 'X', 'X', 'X'};
    std::unique_ptr<TMainForm> form;
};

TEST_F(MainUnitTest, CreationShowsTheReadyState) {
    makeMachine(Profile::Nt32);
    TMainForm& f = create();
    EXPECT_FALSE(f.terminated());
    EXPECT_FALSE(view.terminated);
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(view.events, &f);
    EXPECT_EQ(view.title, "DAQ Suite Installer");
    EXPECT_EQ(view.application_title, "DAQ Suite Installer");
    EXPECT_EQ(heading(), "This program will install the DAQ Suite package\r\nto this directory:");
    EXPECT_EQ(view.texts[MainControl::PathPanel], "C:\\Program Files\\ZYLOR\\DAQ Suite");
    EXPECT_EQ(view.texts[MainControl::DriverPathPanel], "C:\\Program Files\\ZYLOR\\Common Drivers");
    EXPECT_EQ(view.client_height, 157);
    EXPECT_EQ(view.min_height, 157 + kFrameHeight);
    EXPECT_EQ(view.max_height, 157 + kFrameHeight);
    EXPECT_TRUE(view.buttons_right);
    EXPECT_EQ(f.fallbackDirectory(), "C:\\");
    EXPECT_EQ(f.locations().windowsPath, "C:\\WINDOWS\\");
    EXPECT_TRUE(f.facts().driverPreinstallPossible);
    EXPECT_TRUE(view.visible(MainControl::InstallButton));
    EXPECT_FALSE(view.visible(MainControl::OKButton));
}

TEST_F(MainUnitTest, FirstArgumentIsTheTargetDirectoryUnchanged) {
    makeMachine(Profile::Nt64);
    machine->setCommandLine("\"C:\\stowaway.exe\" \"D:\\Data\\My Pkg\" ignored");
    create();
    EXPECT_EQ(view.texts[MainControl::PathPanel], "D:\\Data\\My Pkg");
    EXPECT_EQ(view.texts[MainControl::DriverPathPanel],
              "C:\\Program Files (x86)\\ZYLOR\\Common Drivers");
}

TEST_F(MainUnitTest, LoadErrorsShowTheirBoxAndTerminate) {
    struct Case {
        const char* name;
        std::function<void(MainUnitTest&)> prepare;
        std::string caption;
        std::string text;   // a part of the box's text
        std::string title;  // "" when nothing past loading happened
    } const cases[] = {
        {"no package attached", [](MainUnitTest& t) { t.setLocator(kLocatorUnpatched); }, "Load Error 00h",
         "No package is attached.", ""},
        {"offset too small", [](MainUnitTest& t) { t.setLocator(test::le32(4091)); },
         "Load Error 01h", "", ""},
        {"offset past the file", [](MainUnitTest& t) { t.setLocator(test::le32(0x100000)); },
         "Load Error 02h", "", ""},
        {"executable missing",
         [](MainUnitTest& t) { t.machine->setExecutablePath("C:\\gone.exe"); }, "Load Error FFh",
         "\r\nEFOpenError: ", ""},
        // The title was already set when the error came.
        {"error later in creation",
         [](MainUnitTest& t) { t.view.on_client_height = [] { throw EOutOfMemory(); }; },
         "Load Error FFh",
         "An exception occurred while loading. Please contact the factory for assistance. "
         "Details are as follows:\r\nEOutOfMemory: Out of memory",
         "DAQ Suite Installer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view = FakeMainView();
        boxes.calls.clear();
        makeMachine(Profile::Nt32);
        c.prepare(*this);
        TMainForm& f = create();
        EXPECT_TRUE(f.terminated());
        EXPECT_TRUE(view.terminated);
        ASSERT_EQ(boxes.calls.size(), 1u);
        EXPECT_EQ(boxes.calls[0].caption, c.caption);
        EXPECT_NE(boxes.calls[0].text.find(c.text), std::string::npos);
        EXPECT_EQ(boxes.calls[0].flags, kMbOk | kMbIconExclamation);
        EXPECT_EQ(view.title, c.title);
        EXPECT_EQ(view.max_height, 0);  // no size limits
        // A click that still reached the window installs nothing.
        f.InstallButtonClick();
        EXPECT_TRUE(view.visible(MainControl::PathPanel));
        EXPECT_TRUE(scripted.visits.empty());
    }
}

TEST_F(MainUnitTest, InstallRunsEveryPhaseWithItsHeading) {
    makeMachine(Profile::Nt32, {test::record(16, "a.txt", "a", "C:\\src\\a.txt"),
                                test::record(16, "b.txt", "b", "C:\\src\\b.txt"),
                                test::record(16, "c.txt", "c", "C:\\src\\c.txt")});
    TMainForm& f = create();
    view.texts[MainControl::PathPanel] = "E:\\Target";
    f.InstallButtonClick();

    ASSERT_EQ(scripted.visits.size(), 4u);
    const PhaseVisit& placement = scripted.visits[0];
    EXPECT_EQ(placement.heading, "Installing DAQ Suite package...");
    EXPECT_EQ(placement.tint, 0xFF0000u);
    EXPECT_EQ(placement.go_color, std::optional<Color>(0));
    EXPECT_EQ(placement.target, "E:\\Target\\");
    EXPECT_EQ(placement.drivers, "C:\\Program Files\\ZYLOR\\Common Drivers\\");
    EXPECT_EQ(scripted.visits[1].phase, Phase::Drivers);
    EXPECT_EQ(scripted.visits[1].heading, "All files copied,\r\npreinstalling drivers...");
    EXPECT_EQ(scripted.visits[2].phase, Phase::Links);
    EXPECT_EQ(scripted.visits[2].heading, "All files copied,\r\ncreating links...");
    EXPECT_EQ(scripted.visits[3].phase, Phase::Registration);

    // The window was repainted with the installing heading before placement began.
    EXPECT_EQ(view.repaint_headings, std::vector<std::string>{"Installing DAQ Suite package..."});
    // Every step of both phases that changed the bar was painted at once with its position;
    // the closing Position := Max after the last record leaves the full bar as it was.
    const std::vector<std::pair<int, int>> expected_paints = {
        {3, 1}, {3, 2}, {3, 3}, {2, 0}, {2, 1}, {2, 2}};
    EXPECT_EQ(view.paints, expected_paints);
    EXPECT_EQ(view.pumps, 2);

    // End state.
    EXPECT_EQ(heading(), "REPORT");
    EXPECT_EQ(view.head_layout, HeadLayout::ClientTop);
    EXPECT_EQ(view.bar, nullptr);
    EXPECT_FALSE(view.go_color.has_value());
    EXPECT_TRUE(view.visible(MainControl::OKButton));
    for (auto c : {MainControl::PathPanel, MainControl::DriverLabel, MainControl::DriverPathPanel,
                   MainControl::InstallButton})
        EXPECT_FALSE(view.visible(c));
    EXPECT_FALSE(view.enabled(MainControl::InstallButton));
    EXPECT_EQ(view.max_height, view.min_height);  // no failed copies: still locked
    EXPECT_EQ(f.package().stream, nullptr);
    EXPECT_FALSE(f.installing());

    // The command runs once: a second click finds the button disabled.
    f.InstallButtonClick();
    EXPECT_EQ(scripted.visits.size(), 4u);
}

TEST_F(MainUnitTest, DriverPhaseRunsOnlyWhenPreinstallationIsPossible) {
    for (Profile profile : {Profile::Win9x, Profile::NtNoSetupApi}) {
        view = FakeMainView();
        scripted.visits.clear();
        makeMachine(profile);
        create().InstallButtonClick();
        ASSERT_EQ(scripted.visits.size(), 3u);
        EXPECT_EQ(scripted.visits[0].phase, Phase::Placement);
        // The driver heading shows anyway, then gives way to the links heading.
        EXPECT_EQ(scripted.visits[1].phase, Phase::Links);
        EXPECT_EQ(heading(), "REPORT");
        EXPECT_EQ(view.pumps, 0);
    }
}

TEST_F(MainUnitTest, AnErrorInAPhaseSkipsTheRestAndShowsTheErrorReport) {
    struct Case {
        Phase phase;
        size_t phases_run;
    } const cases[] = {
        {Phase::Placement, 1}, {Phase::Drivers, 2}, {Phase::Links, 3}, {Phase::Registration, 4}};
    for (const auto& c : cases) {
        view = FakeMainView();
        scripted.visits.clear();
        scripted.fail_in = c.phase;
        makeMachine(Profile::Nt32, {test::record(16, "a.txt", "a", "C:\\src\\a.txt")});
        TMainForm& f = create();
        f.InstallButtonClick();
        EXPECT_EQ(scripted.visits.size(), c.phases_run);
        EXPECT_EQ(heading(),
                  "An unexpected error occurred. Details are as follows:\r\n"
                  "EFCreateError: Failed to create target directory.");
        EXPECT_EQ(view.head_layout, HeadLayout::ClientTop);
        EXPECT_EQ(view.bar, nullptr);
        EXPECT_FALSE(view.go_color.has_value());
        EXPECT_TRUE(view.visible(MainControl::OKButton));
        EXPECT_EQ(f.package().stream, nullptr);
        EXPECT_EQ(view.max_height, view.min_height);
    }
}

TEST_F(MainUnitTest, FailedCopiesLiftTheHeightLimit) {
    makeMachine(Profile::Nt32);
    scripted.failed_copies = {"C:\\WINDOWS\\x.dll"};
    create().InstallButtonClick();
    EXPECT_EQ(view.min_height, 157 + kFrameHeight);
    EXPECT_EQ(view.max_height, 0);
}

TEST_F(MainUnitTest, ZeroRecordsRunThroughTheRealPhases) {
    makeMachine(Profile::Nt32);
    EnginePhases engine;
    TMainForm& f = create(&engine);
    f.InstallButtonClick();
    EXPECT_EQ(heading(), "Installation complete!\r\nSamples and docs are linked from the Start menu.");
    // Placement goes straight to its maximum of 0; the empty drivers folder gives 0 again.
    ASSERT_FALSE(view.paints.empty());
    EXPECT_EQ(view.paints.front(), std::make_pair(0, 0));
    EXPECT_EQ(view.paints.back(), std::make_pair(0, 0));
    EXPECT_TRUE(machine->isDirectory("C:\\Program Files\\ZYLOR\\DAQ Suite"));
    EXPECT_TRUE(machine->exists("C:\\Program Files\\ZYLOR\\DAQ Suite\\FileLog.ini"));
    EXPECT_TRUE(view.visible(MainControl::OKButton));
}

TEST_F(MainUnitTest, RealPlacementAdvancesTheBarPerRecord) {
    makeMachine(Profile::Win9x, {test::record(16, "a.txt", "aaa", "C:\\src\\a.txt"),
                                 test::record(16, "sub\\b.txt", "bb", "C:\\src\\sub\\b.txt")});
    EnginePhases engine;
    create(&engine).InstallButtonClick();
    // The closing Position := Max repeats the last record's full bar: nothing to paint.
    const std::vector<std::pair<int, int>> expected = {{2, 1}, {2, 2}};
    EXPECT_EQ(view.paints, expected);
    EXPECT_EQ(machine->readFile("C:\\Program Files\\ZYLOR\\DAQ Suite\\sub\\b.txt"), "bb");
}

TEST_F(MainUnitTest, ManyRecordsPaintOnlyTheStepsThatChangeTheBar) {
    // More records than the 399-pixel interior has columns: most steps leave every pixel alone.
    constexpr int kRecords = 1500;
    std::vector<test::PackageRecord> records;
    for (int k = 0; k < kRecords; ++k) {
        const std::string name = "f" + std::to_string(k) + ".txt";
        records.push_back(test::record(16, name, "x", "C:\\src\\" + name));
    }
    makeMachine(Profile::Win9x, records);
    create();

    // After every step GoPanel must show what a bar freshly painted at that step shows.
    int steps = 0, mismatched_steps = 0;
    scripted.after_placement_step = [&] {
        ++steps;
        TTintProgress reference(look);
        reference.setParent(&view);
        reference.setBounds(0, 0, 401, 25);
        reference.setTint(view.bar->tint());
        reference.setMax(view.bar->max());
        reference.setPosition(view.bar->position());
        PixelCanvas fresh(401, 25, look);
        reference.paintTo(fresh);
        reference.setParent(nullptr);
        bool same = true;
        for (int y = 0; y < 25 && same; ++y)
            for (int x = 0; x < 401 && same; ++x) same = fresh.pixel(x, y) == view.screen->pixel(x, y);
        if (!same) ++mismatched_steps;
    };
    form->InstallButtonClick();

    EXPECT_EQ(steps, kRecords + 1);
    EXPECT_EQ(mismatched_steps, 0);
    // One paint per fill length at most (1 to 398 pixels, then full), not one per record.
    std::vector<std::pair<int, int>> placement_paints;
    for (const auto& p : view.paints)
        if (p.first == kRecords) placement_paints.push_back(p);
    EXPECT_LE(placement_paints.size(), 399u);
    EXPECT_GE(placement_paints.size(), 300u);
    // The last record itself fills the bar; the closing Position := Max adds nothing.
    ASSERT_FALSE(placement_paints.empty());
    EXPECT_EQ(placement_paints.back(), std::make_pair(kRecords, kRecords));
    EXPECT_NE(placement_paints[placement_paints.size() - 2].second, kRecords);
}

TEST_F(MainUnitTest, F1OpensTheDiagnosticsOnlyWithoutModifiers) {
    makeMachine(Profile::Nt64);
    TMainForm& f = create();
    struct Case {
        uint16_t key;
        ShiftState shift;
        bool opens;
    } const cases[] = {
        {kVkF1, 0, true},
        {kVkF1, kShiftLeftButton | kShiftRightButton | kShiftMiddleButton, true},
        {kVkF1, kShiftShift, false},
        {kVkF1, kShiftAlt, false},
        {kVkF1, kShiftCtrl, false},
        {kVkF1, kShiftCtrl | kShiftShift, false},
        {113, 0, false},
        {'P', 0, false},
    };
    for (const auto& c : cases) {
        view.diagnostics.clear();
        f.FormKeyDown(c.key, c.shift);
        EXPECT_EQ(view.diagnostics.size(), c.opens ? 1u : 0u) << c.key << " " << c.shift;
    }
    view.diagnostics.clear();
    f.FormKeyDown(kVkF1, 0);
    const std::vector<std::string> expected = {
        "WindowsPath = C:\\WINDOWS\\",
        "SystemPath = C:\\WINDOWS\\system32\\",
        "ProgramsPath = C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\",
        "DLLPath = C:\\WINDOWS\\SysWOW64\\",
        "DriverPath = C:\\WINDOWS\\system32\\Drivers\\",
    };
    ASSERT_EQ(view.diagnostics.size(), 1u);
    EXPECT_EQ(view.diagnostics[0], expected);
}

TEST_F(MainUnitTest, F1WorksWhileDriversArePreinstalledAndAtTheEnd) {
    makeMachine(Profile::Nt32);
    TMainForm& f = create();
    view.on_pump = [&] { view.events->FormKeyDown(kVkF1, 0); };
    f.InstallButtonClick();
    EXPECT_EQ(view.diagnostics.size(), 2u);  // once per pump of the driver phase
    f.FormKeyDown(kVkF1, 0);
    EXPECT_EQ(view.diagnostics.size(), 3u);
}

TEST_F(MainUnitTest, ChangeButtonsTakeTheDialogsAnswer) {
    makeMachine(Profile::Nt32);
    TMainForm& f = create();
    ScriptedPicker picker;
    f.ChDestButtonClick();  // no dialog yet: nothing happens
    f.setDirectoryPicker(&picker);

    struct Case {
        void (TMainForm::*click)();
        MainControl panel;
        bool answer;
        std::string before, after;
    } const cases[] = {
        {&TMainForm::ChDestButtonClick, MainControl::PathPanel, false, "C:\\Program Files\\ZYLOR\\DAQ Suite",
         "C:\\Program Files\\ZYLOR\\DAQ Suite"},
        {&TMainForm::ChDestButtonClick, MainControl::PathPanel, true, "C:\\Program Files\\ZYLOR\\DAQ Suite",
         "D:\\New"},
        {&TMainForm::ChDriverButtonClick, MainControl::DriverPathPanel, false,
         "C:\\Program Files\\ZYLOR\\Common Drivers", "C:\\Program Files\\ZYLOR\\Common Drivers"},
        {&TMainForm::ChDriverButtonClick, MainControl::DriverPathPanel, true,
         "C:\\Program Files\\ZYLOR\\Common Drivers", ""},
    };
    for (const auto& c : cases) {
        view.texts[c.panel] = c.before;
        picker.answer = c.answer;
        picker.choice = c.after;
        picker.starts.clear();
        (f.*c.click)();
        ASSERT_EQ(picker.starts.size(), 1u);
        EXPECT_EQ(picker.starts[0], c.before);
        EXPECT_EQ(view.texts[c.panel], c.after);
    }
    // The other panel is never touched.
    view.texts[MainControl::PathPanel] = "keep";
    picker.answer = true;
    picker.choice = "X:\\";
    f.ChDriverButtonClick();
    EXPECT_EQ(view.texts[MainControl::PathPanel], "keep");
}

TEST_F(MainUnitTest, FinishAndCloseRequests) {
    makeMachine(Profile::Nt32);
    TMainForm& f = create();
    EXPECT_TRUE(f.FormCloseQuery());

    // A close asked for while the driver phase pumps messages waits for the command's end.
    bool answer = true;
    view.on_pump = [&] {
        answer = view.events->FormCloseQuery();
        EXPECT_FALSE(view.closed);
    };
    f.InstallButtonClick();
    EXPECT_FALSE(answer);
    EXPECT_TRUE(view.closed);

    view.closed = false;
    f.OKButtonClick();
    EXPECT_TRUE(view.closed);
}

}  // namespace
}  // namespace stow
