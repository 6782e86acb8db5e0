// The destination dialog against the simulated Windows: what the user ends up with, which folders
// exist afterwards, and where the process's current directory is left.
#include "ui/change_dest_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

#include "platform/sim/sim_windows.h"
#include "support/recording_message_boxes.h"
#include "support/temp_dir.h"

namespace stow {
namespace {

// A view whose modal loop plays the user's steps; without a closing step the user cancels.
class ScriptedView : public ChangeDestView {
public:
    using Step = std::function<void()>;

    void showDrives(const std::vector<DriveEntry>& d, int selected) override {
        drives = d;
        selected_drive = selected;
    }
    void showDirectories(const std::vector<DirectoryItem>& i, int current) override {
        items = i;
        current_item = current;
    }
    void setPathText(const std::string& text) override { path_text = text; }
    std::string pathText() override { return path_text; }

    int showModal() override {
        result_ = kModalNone;
        opened_with = path_text;
        for (auto& step : script) {
            step();
            if (result_ != kModalNone) return result_;
        }
        return kModalCancel;
    }
    void endModal(int modal_result) override { result_ = modal_result; }

    std::vector<Step> script;
    std::vector<DriveEntry> drives;
    int selected_drive = -2;
    std::vector<DirectoryItem> items;
    int current_item = -2;
    std::string path_text;
    std::string opened_with;

private:
    int result_ = kModalNone;
};

// Drives as a test wants them, including ones the machine cannot enter.
class ListedDrives : public DriveSource {
public:
    std::vector<DriveEntry> drives() override { return list; }
    std::optional<std::string> currentDirectoryOf(char letter) override {
        auto it = system_dirs.find(letter);
        if (it == system_dirs.end()) return std::nullopt;
        return it->second;
    }
    std::vector<DriveEntry> list;
    std::map<char, std::string> system_dirs;
};

class ChangeDestFormTest : public ::testing::Test {
protected:
    ChangeDestFormTest() : machine(sim::Profile::Nt32, temp.path() / "machine") {
        machine.addDrive('D');
        machine.makeDirectories("C:\\Program Files\\Acme\\Tools");
        machine.makeDirectories("C:\\Data");
        machine.makeDirectories("D:\\Media\\Clips");
        files().setCurrentDirectory("C:\\Data");
        form = std::make_unique<TChangeDestForm>(machine.platform(), view, boxes, drives, "C:\\");
    }

    FileSystem& files() { return machine.platform().files; }
    std::string cwd() { return files().currentDirectory(); }

    // Runs Pick directory with the given user steps; returns the answer and the chosen text.
    std::pair<bool, std::string> pick(const std::string& start,
                                      std::vector<ScriptedView::Step> steps) {
        view.script = std::move(steps);
        std::string chosen = "(unchanged)";
        bool yes = form->pickDirectory(start, chosen);
        return {yes, chosen};
    }

    ScriptedView::Step type(std::string text) { return [this, text] { view.path_text = text; }; }
    ScriptedView::Step clickOk() { return [this] { form->OkButtonClick(); }; }
    ScriptedView::Step openItem(std::string name) {
        return [this, name] {
            auto it = std::find_if(view.items.begin(), view.items.end(),
                                   [&](const DirectoryItem& i) { return i.name == name; });
            ASSERT_NE(it, view.items.end()) << "no item " << name;
            form->DirectoryListBoxDblClick(static_cast<int>(it - view.items.begin()));
        };
    }
    ScriptedView::Step chooseDrive(char letter) {
        return [this, letter] {
            auto it = std::find_if(view.drives.begin(), view.drives.end(),
                                   [&](const DriveEntry& d) { return d.letter == letter; });
            ASSERT_NE(it, view.drives.end()) << "no drive " << letter;
            form->DriveComboBoxChange(static_cast<int>(it - view.drives.begin()));
        };
    }

    test::TempDir temp;
    sim::SimWindows machine;
    ScriptedView view;
    test::RecordingMessageBoxes boxes;
    FileSystemDriveSource drives{machine.platform().files};
    ListedDrives listed;
    std::unique_ptr<TChangeDestForm> form;
};

test::MessageBoxCall ask(const std::string& folder) {
    return {"The folder " + folder + " does not exist. Create the new folder?",
            "Change Destination", 0x34};
}
const test::MessageBoxCall kInvalid{"Invalid folder name. Please try again.", "Error", 0x10};

TEST_F(ChangeDestFormTest, StartsOnTheProcessCurrentDirectory) {
    EXPECT_EQ(view.path_text, "C:\\Data");
    ASSERT_EQ(view.drives.size(), 2u);
    EXPECT_EQ(view.drives[0].letter, 'C');
    EXPECT_EQ(view.drives[1].letter, 'D');
    EXPECT_EQ(view.selected_drive, 0);
}

TEST_F(ChangeDestFormTest, OkAndCancelGiveTheAnswerAndLeaveTheCurrentDirectory) {
    machine.faults().accessDenied.push_back("C:\\Locked");
    // An existing folder, Yes and No to a missing one, an empty path with Yes and cancel after
    // browsing are the Wine dialog scenarios' (target and drivers).
    const struct {
        const char* name;
        std::string start;
        std::vector<ScriptedView::Step> steps;
        std::vector<int> answers;            // to the boxes, in order
        std::optional<std::string> chosen;   // none: the dialog stays open, then is cancelled
        std::vector<test::MessageBoxCall> shown;
        std::string text;                    // the path text at the end
        std::string cwd;
        const char* absent = nullptr;        // a folder that must not have been made
    } cases[] = {
        {"a typed folder is taken as typed; typing does not move the list", "C:\\Data",
         {type("c:\\program files\\acme\\tools"), clickOk()}, {}, "c:\\program files\\acme\\tools",
         {}, "c:\\program files\\acme\\tools", "C:\\Data"},
        {"a folder that cannot be made is an error, the text left to correct", "C:\\Data",
         {type("C:\\Locked\\Inner"), clickOk()}, {kIdYes}, std::nullopt,
         {ask("C:\\Locked\\Inner"), kInvalid}, "C:\\Locked\\Inner", "C:\\Data", "C:\\Locked"},
        {"an empty path with No closes with the empty text", "C:\\Data", {type(""), clickOk()},
         {kIdNo}, "", {ask("")}, "", "C:\\Data"},
        {"opening a folder of the path moves up", "C:\\Program Files\\Acme\\Tools",
         {openItem("Program Files"), clickOk()}, {}, "C:\\Program Files", {}, "C:\\Program Files",
         "C:\\Program Files"},
        {"list moves overwrite typed text", "C:\\Data", {type("C:\\typed"), openItem("C:\\")}, {},
         std::nullopt, {}, "C:\\", "C:\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        files().setCurrentDirectory("C:\\Data");
        boxes.calls.clear();
        boxes.answers.assign(c.answers.begin(), c.answers.end());
        bool stayed_open = false;
        std::vector<ScriptedView::Step> steps = c.steps;
        steps.push_back([&] { stayed_open = true; });
        auto [yes, chosen] = pick(c.start, steps);
        EXPECT_EQ(view.opened_with, c.start);
        EXPECT_EQ(yes, c.chosen.has_value());
        EXPECT_EQ(stayed_open, !yes);
        EXPECT_EQ(chosen, c.chosen.value_or("(unchanged)"));
        EXPECT_EQ(boxes.calls, c.shown);
        EXPECT_EQ(view.path_text, c.text);
        EXPECT_EQ(cwd(), c.cwd);
        if (c.absent) { EXPECT_FALSE(machine.exists(c.absent)); }
    }
}

TEST_F(ChangeDestFormTest, ChoosingADriveGoesToWhereTheListLastWasOnIt) {
    std::vector<std::string> seen;
    auto note = [&] { seen.push_back(view.path_text); };
    pick("C:\\Program Files\\Acme",
         {chooseDrive('D'), note, openItem("Media"), note, chooseDrive('C'), note, chooseDrive('D'),
          note});
    // D: never visited shows its root; C: shows where the list last was there.
    EXPECT_EQ(seen, (std::vector<std::string>{"D:\\", "D:\\Media", "C:\\Program Files\\Acme",
                                              "D:\\Media"}));
    EXPECT_EQ(view.drives[static_cast<size_t>(view.selected_drive)].letter, 'D');
    EXPECT_EQ(cwd(), "D:\\Media");

    // A remembered folder that is gone falls back to the root.
    pick("D:\\Media\\Clips", {chooseDrive('C')});
    std::filesystem::remove_all(machine.hostPath("D:\\Media"));
    pick("C:\\Data", {chooseDrive('D')});
    EXPECT_EQ(view.path_text, "D:\\");
    EXPECT_EQ(cwd(), "D:\\");
}

TEST_F(ChangeDestFormTest, AStartThatIsNoFolderOpensOnTheFallback) {
    machine.writeFile("C:\\Data\\notes.txt", "x");
    struct Case {
        const char* start;
        const char* fallback;
        const char* opened;    // where the list opens, and the current directory after
    } const cases[] = {
        {"C:\\Data\\missing.txt", "D:\\", "D:\\"},
        {"C:\\Data\\notes.txt", "D:\\", "D:\\"},
        // An unusable fallback leaves the list where the row before left it.
        {"C:\\Nowhere", "Q:\\", "D:\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        form->setFallbackDirectory(c.fallback);
        auto [yes, chosen] = pick(c.start, {});
        EXPECT_FALSE(yes);
        EXPECT_EQ(view.opened_with, c.opened);
        EXPECT_EQ(cwd(), c.opened);
    }
}

TEST_F(ChangeDestFormTest, ListShowsThePathFromTheRootAndTheVisibleSubfolders) {
    machine.makeDirectories("C:\\Program Files\\Acme\\beta");
    machine.makeDirectories("C:\\Program Files\\Acme\\Alpha");
    machine.makeDirectories("C:\\Program Files\\Acme\\Secret");
    machine.setAttributes("C:\\Program Files\\Acme\\Secret", kAttrHidden);
    machine.writeFile("C:\\Program Files\\Acme\\readme.txt", "x");
    const struct {
        std::string start;
        std::vector<DirectoryItem> items;
        int current;
        std::map<int, std::string> paths;  // some items' full paths
    } cases[] = {
        {"C:\\Program Files\\Acme",
         {{"C:\\", 0, true}, {"Program Files", 1, true}, {"Acme", 2, true}, {"Alpha", 3, false},
          {"beta", 3, false}, {"Tools", 3, false}},
         2,
         {{0, "C:\\"}, {1, "C:\\Program Files"}, {4, "C:\\Program Files\\Acme\\beta"}}},
        // A root lists its folders one level down.
        {"D:\\", {{"D:\\", 0, true}, {"Media", 1, false}}, 0, {{1, "D:\\Media"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        pick(c.start, {});
        EXPECT_EQ(view.items, c.items);
        EXPECT_EQ(view.current_item, c.current);
        for (const auto& [index, path] : c.paths) {
            EXPECT_EQ(form->directoryList().itemPath(index), path);
        }
    }
}

TEST_F(ChangeDestFormTest, FolderThatVanishedReportsAndRefreshes) {
    pick("C:\\Program Files\\Acme", {[&] {
             std::filesystem::remove_all(machine.hostPath("C:\\Program Files\\Acme\\Tools"));
         },
                                      openItem("Tools")});
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].caption, "Error");
    EXPECT_EQ(view.items.size(), 3u);  // Tools is gone from the list
    EXPECT_EQ(cwd(), "C:\\Program Files\\Acme");
}

// Over drives as the test lists them: one the machine cannot enter, one with a system directory.
TEST_F(ChangeDestFormTest, ListedDrivesThatCannotBeEnteredOrKeepASystemDirectory) {
    machine.addDrive('E');
    machine.makeDirectories("E:\\Work\\Here");
    listed.list = {{'A', DriveKind::Removable, ""},
                   {'C', DriveKind::Fixed, "SYSTEM"},
                   {'E', DriveKind::Fixed, ""}};
    listed.system_dirs['E'] = "E:\\Work\\Here";
    form = std::make_unique<TChangeDestForm>(machine.platform(), view, boxes, listed, "C:\\");
    // A: cannot be entered: the list stays where it was.
    pick("C:\\Data", {[&] { form->DriveComboBoxChange(0); }});
    EXPECT_EQ(view.selected_drive, 1);
    EXPECT_EQ(view.path_text, "C:\\Data");
    EXPECT_EQ(boxes.calls, (std::vector<test::MessageBoxCall>{
                               {"The drive A: cannot be opened.", "Error", 0x10}}));
    EXPECT_EQ(cwd(), "C:\\Data");
    // E:, where the list has not been, opens on the system's current directory there.
    pick("C:\\", {[&] { form->DriveComboBoxChange(2); }});
    EXPECT_EQ(view.path_text, "E:\\Work\\Here");
}

TEST(SplitPathTest, CutsRootAndFolders) {
    // Code page 932's lead bytes, enough for these cases.
    auto lead = [](unsigned char b) { return b >= 0x81 && b <= 0x9F; };
    auto no_lead = [](unsigned char) { return false; };
    struct Case {
        std::string path;
        std::string root;
        std::vector<std::string> folders;
        bool dbcs = false;
    };
    const Case cases[] = {
        {"C:\\", "C:\\", {}},
        {"c:\\Program Files\\Acme", "C:\\", {"Program Files", "Acme"}},
        {"C:\\A\\B\\", "C:\\", {"A", "B"}},
        {"\\\\server\\share", "\\\\server\\share\\", {}},
        {"\\\\server\\share\\Dir\\Sub", "\\\\server\\share\\", {"Dir", "Sub"}},
        {"\\\\server", "", {}},
        {"relative\\dir", "", {}},
        {"", "", {}},
        // 0x95 0x5C is one character: its trail backslash is no separator.
        {"C:\\\x95\\\\Sub", "C:\\", {"\x95\\", "Sub"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        SplitPath split = c.dbcs ? splitPath(c.path, lead) : splitPath(c.path, no_lead);
        EXPECT_EQ(split.root, c.root);
        EXPECT_EQ(split.folders, c.folders);
    }
}

TEST(DriveTextTest, UpperCaseLetterAndVolume) {
    EXPECT_EQ(driveText({'c', DriveKind::Fixed, ""}), "C:");
    EXPECT_EQ(driveText({'D', DriveKind::CdRom, "Disc 1"}), "D: [Disc 1]");
    EXPECT_EQ(driveLetterOf("e:\\x"), 'E');
    EXPECT_EQ(driveLetterOf("\\\\srv\\x"), 0);
    EXPECT_EQ(driveLetterOf("1:"), 0);
}

}  // namespace
}  // namespace stow
