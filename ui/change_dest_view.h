// The destination dialog as its controller sees it: a drive list, a directory list, the path
// text and a modal loop. The Win32 window implements it; host tests drive a scripted fake.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace stow {

// Modal results, with the values the dialog's callers and buttons use.
constexpr int kModalNone = 0;
constexpr int kModalOk = 1;
constexpr int kModalCancel = 2;

enum class DriveKind { Unknown, Removable, Fixed, Remote, CdRom, RamDisk };

struct DriveEntry {
    char letter = 'C';  // upper case
    DriveKind kind = DriveKind::Fixed;
    std::string volume;  // volume label or share name; empty when unknown
};

// One line of the directory list: the folders of the current path from the root down (open
// folders, indented one step per level), then the current folder's subfolders (closed).
struct DirectoryItem {
    std::string name;  // the root as "C:\", every other folder by its own name
    int level = 0;
    bool open = false;

    bool operator==(const DirectoryItem& other) const {
        return name == other.name && level == other.level && open == other.open;
    }
};

class ChangeDestView {
public:
    virtual ~ChangeDestView() = default;

    // selected: index into drives, or -1 when the list's directory has no drive letter.
    virtual void showDrives(const std::vector<DriveEntry>& drives, int selected) = 0;
    // current: index of the list's current directory among items.
    virtual void showDirectories(const std::vector<DirectoryItem>& items, int current) = 0;
    virtual void setPathText(const std::string& text) = 0;
    virtual std::string pathText() = 0;

    // Shows the dialog and returns its modal result once endModal was called or the user
    // cancelled (Cancel, Esc, close box: kModalCancel).
    virtual int showModal() = 0;
    virtual void endModal(int modal_result) = 0;
};

// Which drives exist, and where the system keeps each drive's current directory.
class DriveSource {
public:
    virtual ~DriveSource() = default;
    virtual std::vector<DriveEntry> drives() = 0;
    // The system's current directory of the drive, nullopt when it keeps none.
    virtual std::optional<std::string> currentDirectoryOf(char letter) = 0;
};

}  // namespace stow
