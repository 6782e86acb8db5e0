// The main window's controller against a recording view, scripted phases and the simulated
// Windows: creation and load errors, every state of the install command, F1 and the Change
// buttons.
#include "ui/main_unit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "base/error.h"
#include "support/installer_machine.h"

namespace stow {
namespace {

using sim::Profile;
using test::FakeMainView;
using test::kFrameHeight;

enum class Phase { Placement, Drivers, Links, Registration };

// What the window showed when a phase began.
struct PhaseVisit {
    Phase phase;
    std::string heading;
    Color tint;
    std::optional<Color> go_color;
    std::string target, drivers;
};

class ScriptedPhases : public InstallPhases {
public:
    void placement(InstallJob& job, Progress& progress) override {
        visit(Phase::Placement, job);
        progress.setMax(job.package.recordCount);
        for (int k = 1; k <= job.package.recordCount + 1; ++k) {
            progress.setPosition(std::min(k, job.package.recordCount));
            if (after_placement_step) after_placement_step();
        }
    }
    void drivers(InstallJob& job, Progress& progress, MessagePump& pump) override {
        visit(Phase::Drivers, job);
        progress.setMax(2);
        progress.setPosition(0);
        for (int i = 1; i <= 2; ++i) {
            pump.processMessages();
            progress.setPosition(i);
        }
    }
    void links(InstallJob& job) override { visit(Phase::Links, job); }
    std::string registration(InstallJob& job) override {
        visit(Phase::Registration, job);
        return "REPORT";
    }

    FakeMainView* view = nullptr;
    std::optional<Phase> fail_in;
    std::function<void()> after_placement_step;
    std::vector<PhaseVisit> visits;

private:
    // Notes what the window shows, then fails at the end of the phase when asked to.
    void visit(Phase phase, InstallJob& job) {
        visits.push_back({phase, view->texts[MainControl::HeadLabel],
                          view->bar ? view->bar->tint() : 0, view->go_color, job.targetDirectory,
                          job.driversDirectory});
        if (fail_in == phase) throw EFCreateError("Failed to create target directory.");
    }
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
    // A fresh machine, view and script; the phases' failure stays as set.
    void makeMachine(Profile profile, const std::vector<test::PackageRecord>& records = {}) {
        m.emplace(profile, records);
        scripted.view = &m->view;
        scripted.visits.clear();
    }
    TMainForm& create(InstallPhases* phases = nullptr) {
        return m->create(phases ? *phases : scripted);
    }
    FakeMainView& view() { return m->view; }
    std::string heading() { return m->heading(); }
    // The report's state: the bar gone, the package closed. The controls it hides and shows
    // and GoPanel's colour are the Wine scenarios' end-state checks.
    void expectReportShown() {
        EXPECT_EQ(view().head_layout, HeadLayout::ClientTop);
        EXPECT_EQ(view().bar, nullptr);
        EXPECT_EQ(m->form->package().stream, nullptr);
        EXPECT_FALSE(m->form->installing());
    }

    ScriptedPhases scripted;
    std::optional<test::InstallerMachine> m;
};

// The window's texts, layout and height lock are the ready and layout scenarios' under Wine.
TEST_F(MainUnitTest, CreationShowsTheReadyState) {
    makeMachine(Profile::Nt32);
    TMainForm& f = create();
    EXPECT_FALSE(f.terminated());
    EXPECT_TRUE(m->boxes.calls.empty());
    EXPECT_EQ(view().application_title, "DAQ Suite Installer");
    EXPECT_EQ(view().min_height, 157 + kFrameHeight);
    EXPECT_EQ(f.fallbackDirectory(), "C:\\");
}

TEST_F(MainUnitTest, LoadErrorsShowTheirBoxAndTerminate) {
    struct Case {
        const char* name;
        std::function<void(MainUnitTest&)> prepare;
        std::string text;   // a part of the box's text
        std::string title;  // "" when nothing past loading happened
    } const cases[] = {
        // The loader's tests and the Wine load-error scenario take the codes; here the two
        // ways an exception reaches its box.
        {"executable missing",
         [](MainUnitTest& t) { t.m->windows.setExecutablePath("C:\\gone.exe"); },
         "\r\nEFOpenError: ", ""},
        // The title was already set when the error came.
        {"error later in creation",
         [](MainUnitTest& t) { t.view().on_client_height = [] { throw EOutOfMemory(); }; },
         "An exception occurred while loading. Please contact the factory for assistance. "
         "Details are as follows:\r\nEOutOfMemory: Out of memory",
         "DAQ Suite Installer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        makeMachine(Profile::Nt32);
        c.prepare(*this);
        TMainForm& f = create();
        EXPECT_TRUE(f.terminated());
        EXPECT_TRUE(view().terminated);
        ASSERT_EQ(m->boxes.calls.size(), 1u);
        EXPECT_EQ(m->boxes.calls[0].caption, "Load Error FFh");
        EXPECT_NE(m->boxes.calls[0].text.find(c.text), std::string::npos);
        EXPECT_EQ(m->boxes.calls[0].flags, kMbOk | kMbIconExclamation);
        EXPECT_EQ(view().title, c.title);
        EXPECT_EQ(view().max_height, 0);  // no size limits
        // A click that still reached the window installs nothing.
        f.InstallButtonClick();
        EXPECT_TRUE(view().visible(MainControl::PathPanel));
        EXPECT_TRUE(scripted.visits.empty());
    }
}

TEST_F(MainUnitTest, InstallRunsEveryPhaseWithItsHeading) {
    makeMachine(Profile::Nt32, {test::record(16, "a.txt", "a", "C:\\src\\a.txt"),
                                test::record(16, "b.txt", "b", "C:\\src\\b.txt"),
                                test::record(16, "c.txt", "c", "C:\\src\\c.txt")});
    TMainForm& f = create();
    FakeMainView& v = view();
    v.texts[MainControl::PathPanel] = "E:\\Target";
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
    EXPECT_EQ(v.repaint_headings, std::vector<std::string>{"Installing DAQ Suite package..."});
    // Every step of both phases that changed the bar was painted at once with its position;
    // the closing Position := Max after the last record leaves the full bar as it was.
    const std::vector<std::pair<int, int>> expected_paints = {
        {3, 1}, {3, 2}, {3, 3}, {2, 0}, {2, 1}, {2, 2}};
    EXPECT_EQ(v.paints, expected_paints);
    EXPECT_EQ(v.pumps, 2);

    EXPECT_EQ(heading(), "REPORT");
    expectReportShown();

    // The command runs once: a second click finds the button disabled.
    f.InstallButtonClick();
    EXPECT_EQ(scripted.visits.size(), 4u);
}

TEST_F(MainUnitTest, DriverPhaseRunsOnlyWhenPreinstallationIsPossible) {
    for (Profile profile : {Profile::Win9x, Profile::NtNoSetupApi}) {
        makeMachine(profile);
        create().InstallButtonClick();
        ASSERT_EQ(scripted.visits.size(), 3u);
        EXPECT_EQ(scripted.visits[0].phase, Phase::Placement);
        // The driver heading shows anyway, then gives way to the links heading.
        EXPECT_EQ(scripted.visits[1].phase, Phase::Links);
        EXPECT_EQ(heading(), "REPORT");
        EXPECT_EQ(view().pumps, 0);
    }
}

TEST_F(MainUnitTest, AnErrorInAPhaseSkipsTheRestAndShowsTheErrorReport) {
    for (Phase phase : {Phase::Placement, Phase::Drivers, Phase::Links, Phase::Registration}) {
        makeMachine(Profile::Nt32, {test::record(16, "a.txt", "a", "C:\\src\\a.txt")});
        scripted.fail_in = phase;
        create().InstallButtonClick();
        EXPECT_EQ(scripted.visits.size(), static_cast<size_t>(phase) + 1);
        EXPECT_EQ(heading(),
                  "An unexpected error occurred. Details are as follows:\r\n"
                  "EFCreateError: Failed to create target directory.");
        expectReportShown();
    }
}

TEST_F(MainUnitTest, RealPhasesPaintEachChangeOfTheBar) {
    const struct {
        Profile profile;
        std::vector<test::PackageRecord> records;
        std::vector<std::pair<int, int>> paints;
    } cases[] = {
        // Placement goes straight to its maximum of 0; the empty drivers folder's 0 of 0 then
        // changes no pixel.
        {Profile::Nt32, {}, {{0, 0}}},
        // The closing Position := Max repeats the last record's full bar: nothing to paint.
        {Profile::Win9x,
         {test::record(16, "a.txt", "aaa", "C:\\src\\a.txt"),
          test::record(16, "sub\\b.txt", "bb", "C:\\src\\sub\\b.txt")},
         {{2, 1}, {2, 2}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.records.size());
        makeMachine(c.profile, c.records);
        EnginePhases engine;
        create(&engine).InstallButtonClick();
        EXPECT_EQ(view().paints, c.paints);
        expectReportShown();
    }
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
    TMainForm& f = create();
    FakeMainView& v = view();

    // After every step GoPanel must show what a bar freshly painted at that step shows.
    int steps = 0, mismatched_pixels = 0;
    scripted.after_placement_step = [&] {
        ++steps;
        TTintProgress reference(m->look);
        reference.setParent(&v);
        reference.setBounds(0, 0, 401, 25);
        reference.setTint(v.bar->tint());
        reference.setMax(v.bar->max());
        reference.setPosition(v.bar->position());
        PixelCanvas fresh(401, 25, m->look);
        reference.paintTo(fresh);
        reference.setParent(nullptr);
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 401; ++x)
                mismatched_pixels += fresh.pixel(x, y) != v.screen->pixel(x, y);
    };
    f.InstallButtonClick();

    EXPECT_EQ(steps, kRecords + 1);
    EXPECT_EQ(mismatched_pixels, 0);
    // One paint per fill length at most (1 to 398 pixels, then full), not one per record.
    std::vector<std::pair<int, int>> placement_paints;
    for (const auto& p : v.paints)
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
    const struct {
        uint16_t key;
        ShiftState shift;
        bool opens;
    } cases[] = {
        {kVkF1, 0, true},
        {kVkF1, kShiftLeftButton | kShiftRightButton | kShiftMiddleButton, true},
        // Shift, Ctrl and Alt alone are the Wine layout scenario's.
        {kVkF1, kShiftCtrl | kShiftShift, false},
        {113, 0, false},
        {'P', 0, false},
    };
    for (const auto& c : cases) {
        view().diagnostics.clear();
        f.FormKeyDown(c.key, c.shift);
        EXPECT_EQ(view().diagnostics.size(), c.opens ? 1u : 0u) << c.key << " " << c.shift;
    }
}

// F1 and Finish once the report shows are the Wine window-install scenario's.
TEST_F(MainUnitTest, F1AndCloseRequestsWhileDriversArePreinstalled) {
    makeMachine(Profile::Nt32);
    TMainForm& f = create();
    FakeMainView& v = view();
    EXPECT_TRUE(f.FormCloseQuery());
    // A close asked for while the driver phase pumps messages waits for the command's end.
    bool answer = true;
    v.on_pump = [&] {
        v.events->FormKeyDown(kVkF1, 0);
        answer = v.events->FormCloseQuery();
        EXPECT_FALSE(v.closed);
    };
    f.InstallButtonClick();
    EXPECT_EQ(v.diagnostics.size(), 2u);  // once per pump of the driver phase
    EXPECT_FALSE(answer);
    EXPECT_TRUE(v.closed);
}

TEST_F(MainUnitTest, ChangeButtonsTakeTheDialogsAnswer) {
    makeMachine(Profile::Nt32);
    TMainForm& f = create();
    ScriptedPicker picker;
    f.ChDestButtonClick();  // no dialog yet: nothing happens
    f.setDirectoryPicker(&picker);

    const std::string target = "C:\\Program Files\\ZYLOR\\DAQ Suite";
    const std::string drivers = "C:\\Program Files\\ZYLOR\\Common Drivers";
    // Cancel on the drivers and a folder taken for the target are the Wine dialog scenarios'.
    const struct {
        void (TMainForm::*click)();
        MainControl panel, other;
        bool answer;
        std::string before, after;
    } cases[] = {
        {&TMainForm::ChDestButtonClick, MainControl::PathPanel, MainControl::DriverPathPanel,
         false, target, target},
        {&TMainForm::ChDriverButtonClick, MainControl::DriverPathPanel, MainControl::PathPanel,
         true, drivers, ""},
    };
    for (const auto& c : cases) {
        view().texts[c.panel] = c.before;
        view().texts[c.other] = "keep";  // the other panel is never touched
        picker.answer = c.answer;
        picker.choice = c.after;
        picker.starts.clear();
        (f.*c.click)();
        EXPECT_EQ(picker.starts, std::vector<std::string>{c.before});
        EXPECT_EQ(view().texts[c.panel], c.after);
        EXPECT_EQ(view().texts[c.other], "keep");
    }
}

}  // namespace
}  // namespace stow
