// The destination dialog's logic: the drive and directory lists that move the process's current
// directory as the user browses, Pick directory, and the OK button that may create a folder.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/message_boxes.h"
#include "platform/platform.h"
#include "ui/change_dest_view.h"
#include "ui/directory_picker.h"

namespace stow {

// A path cut into its root ("C:\" or "\\server\share\") and the folders below it, for the
// directory list. A path without a recognisable root gives an empty root and no folders.
struct SplitPath {
    std::string root;
    std::vector<std::string> folders;
};
SplitPath splitPath(const std::string& path, const std::function<bool(unsigned char)>& is_lead_byte);

// The drive letter of a path ("c:\x" -> 'C'), 0 when it does not start with one.
char driveLetterOf(const std::string& path);

// What the drive list shows for a drive: "C:" with the volume name in brackets when known.
std::string driveText(const DriveEntry& drive);

// Drives found by asking the file system for the roots A:\ to Z:\. The system keeps no
// per-drive directory here, so the list's own memory of each drive decides.
class FileSystemDriveSource : public DriveSource {
public:
    explicit FileSystemDriveSource(FileSystem& files) : files_(files) {}
    std::vector<DriveEntry> drives() override;
    std::optional<std::string> currentDirectoryOf(char) override { return std::nullopt; }

private:
    FileSystem& files_;
};

// The directory list: its current directory is always the process's current directory as the
// system reported it when the list last moved.
class DirectoryListModel {
public:
    explicit DirectoryListModel(Platform& platform) : platform_(platform) {}

    // Takes the process's current directory as it is, without moving.
    void syncWithProcess();
    // Enters path (an Error when it cannot be entered), reads the result back from the system,
    // rebuilds the items and raises the change event. An empty path changes nothing.
    void setDirectory(const std::string& path);
    // Opens item index: a folder of the path or a subfolder.
    void openItem(size_t index);
    // Reads the subfolders again without moving.
    void rebuild();

    const std::string& directory() const { return directory_; }
    const std::vector<DirectoryItem>& items() const { return items_; }
    int currentIndex() const { return current_index_; }
    // The full path that item index stands for.
    std::string itemPath(size_t index) const;

    std::function<void()> onChange;

private:
    Platform& platform_;
    std::string directory_;
    SplitPath split_;
    std::vector<DirectoryItem> items_;
    int current_index_ = -1;
};

// The drive list, linked to the directory list: choosing a drive moves the directory list to
// that drive's current directory. It remembers the last directory the list showed on each drive.
class DriveListModel {
public:
    DriveListModel(Platform& platform, DriveSource& source, DirectoryListModel& list)
        : platform_(platform), source_(source), list_(list) {}

    void refresh();
    // Moves the list to letter's current directory; an Error when the drive cannot be entered.
    // Choosing the drive the list is on changes nothing.
    void setDrive(char letter);
    // Called whenever the list has moved, so the selection and the memory follow it.
    void followList();

    const std::vector<DriveEntry>& drives() const { return drives_; }
    int selectedIndex() const;

private:
    Platform& platform_;
    DriveSource& source_;
    DirectoryListModel& list_;
    std::vector<DriveEntry> drives_;
    std::map<char, std::string> remembered_;
};

class TChangeDestForm : public DirectoryPicker {
public:
    // boxes: owned by the dialog.
    TChangeDestForm(Platform& platform, ChangeDestView& view, MessageBoxes& boxes,
                    DriveSource& drives, std::string fallback_directory);

    // Opens the dialog on start (or on the fallback directory when start does not exist).
    bool pickDirectory(const std::string& start, std::string& chosen) override;
    void setFallbackDirectory(const std::string& directory) { fallback_directory_ = directory; }

    // Handlers, called by the view.
    void OkButtonClick();
    void DirectoryListBoxChange();
    void DirectoryListBoxDblClick(int index);
    void DriveComboBoxChange(int index);

    const DirectoryListModel& directoryList() const { return directory_list_box_; }
    const DriveListModel& driveList() const { return drive_combo_box_; }

private:
    void showDirectories();
    void showDrives();
    void showError(const std::string& text);

    Platform& platform_;
    ChangeDestView& view_;
    MessageBoxes& boxes_;
    std::string fallback_directory_;
    DirectoryListModel directory_list_box_;
    DriveListModel drive_combo_box_;
};

}  // namespace stow
