// The destination dialog's logic. Every move of the directory list goes through the process's
// current directory and reads it back, so the list always shows the system's form of the path.
#include "ui/change_dest_form.h"

#include <algorithm>
#include <cctype>

#include "engine/directories.h"
#include "base/error.h"
#include "base/paths.h"

namespace stow {

namespace {

char upperLetter(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool lessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return upperLetter(x) < upperLetter(y);
    });
}

// Finds the next single-byte "\" at or after from, stepping over double-byte characters.
size_t nextSeparator(const std::string& text, size_t from,
                     const std::function<bool(unsigned char)>& is_lead_byte) {
    size_t i = from;
    while (i < text.size()) {
        if (text[i] == '\\') return i;
        i += is_lead_byte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    }
    return std::string::npos;
}

Error cannotEnter(const std::string& path) {
    return EInOutError("Cannot enter directory \"" + path + "\".");
}

}  // namespace

char driveLetterOf(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        return upperLetter(path[0]);
    }
    return 0;
}

SplitPath splitPath(const std::string& path, const std::function<bool(unsigned char)>& is_lead_byte) {
    SplitPath split;
    size_t rest = 0;
    if (driveLetterOf(path) != 0) {
        split.root = std::string(1, upperLetter(path[0])) + ":\\";
        rest = 2;
    } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
        // \\server\share is the root of a network path.
        size_t server_end = nextSeparator(path, 2, is_lead_byte);
        if (server_end == std::string::npos) return split;
        size_t share_end = nextSeparator(path, server_end + 1, is_lead_byte);
        split.root = path.substr(0, share_end) + "\\";
        if (share_end == std::string::npos) return split;
        rest = share_end;
    } else {
        return split;
    }
    while (rest < path.size()) {
        if (path[rest] == '\\') {
            ++rest;
            continue;
        }
        size_t end = nextSeparator(path, rest, is_lead_byte);
        if (end == std::string::npos) end = path.size();
        split.folders.push_back(path.substr(rest, end - rest));
        rest = end;
    }
    return split;
}

std::string driveText(const DriveEntry& drive) {
    std::string text = std::string(1, upperLetter(drive.letter)) + ":";
    if (!drive.volume.empty()) text += " [" + drive.volume + "]";
    return text;
}

std::vector<DriveEntry> FileSystemDriveSource::drives() {
    std::vector<DriveEntry> found;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (directoryExists(files_, std::string(1, letter) + ":\\")) {
            found.push_back(DriveEntry{letter, DriveKind::Fixed, ""});
        }
    }
    return found;
}

// --- directory list ---

void DirectoryListModel::syncWithProcess() {
    directory_ = platform_.files.currentDirectory();
    rebuild();
}

void DirectoryListModel::setDirectory(const std::string& path) {
    if (path.empty()) return;
    // Entered even when it is the directory shown already: the process's current directory may
    // have moved since, and the subfolders may have changed.
    if (!platform_.files.setCurrentDirectory(path)) throw cannotEnter(path);
    directory_ = platform_.files.currentDirectory();
    rebuild();
    if (onChange) onChange();
}

void DirectoryListModel::openItem(size_t index) {
    if (index >= items_.size()) return;
    setDirectory(itemPath(index));
}

void DirectoryListModel::rebuild() {
    auto is_lead = [this](unsigned char b) { return platform_.system.isLeadByte(b); };
    split_ = splitPath(directory_, is_lead);
    items_.clear();
    if (split_.root.empty()) {
        // Not a path the list can take apart: show it whole.
        items_.push_back(DirectoryItem{directory_, 0, true});
    } else {
        items_.push_back(DirectoryItem{split_.root, 0, true});
        for (size_t i = 0; i < split_.folders.size(); ++i) {
            items_.push_back(DirectoryItem{split_.folders[i], static_cast<int>(i + 1), true});
        }
    }
    current_index_ = static_cast<int>(items_.size()) - 1;

    std::vector<std::string> subfolders;
    if (!directory_.empty()) {
        auto finder = platform_.files.findFirst(addTrailingSeparator(directory_, is_lead) + "*");
        FindEntry entry;
        while (finder && finder->next(entry)) {
            if ((entry.attributes & kAttrDirectory) == 0) continue;
            // Hidden and system folders are the system's business, not install targets.
            if ((entry.attributes & (kAttrHidden | kAttrSystem)) != 0) continue;
            if (entry.name == "." || entry.name == "..") continue;
            subfolders.push_back(entry.name);
        }
    }
    std::sort(subfolders.begin(), subfolders.end(), lessIgnoringCase);
    int level = current_index_ + 1;
    for (const auto& name : subfolders) items_.push_back(DirectoryItem{name, level, false});
}

std::string DirectoryListModel::itemPath(size_t index) const {
    auto is_lead = [this](unsigned char b) { return platform_.system.isLeadByte(b); };
    if (index >= items_.size()) return std::string();
    if (static_cast<int>(index) > current_index_) {
        return addTrailingSeparator(directory_, is_lead) + items_[index].name;
    }
    if (split_.root.empty()) return directory_;
    std::string path = split_.root;
    for (size_t i = 0; i < index; ++i) {
        if (i > 0) path += '\\';
        path += split_.folders[i];
    }
    return path;
}

// --- drive list ---

void DriveListModel::refresh() { drives_ = source_.drives(); }

int DriveListModel::selectedIndex() const {
    char letter = driveLetterOf(list_.directory());
    for (size_t i = 0; i < drives_.size(); ++i) {
        if (upperLetter(drives_[i].letter) == letter) return static_cast<int>(i);
    }
    return -1;
}

void DriveListModel::setDrive(char letter) {
    letter = upperLetter(letter);
    if (letter == driveLetterOf(list_.directory())) return;
    // Where the list last was on that drive, else where the system says, else its root; a
    // remembered folder that has gone since falls back to the next.
    std::vector<std::string> candidates;
    auto it = remembered_.find(letter);
    if (it != remembered_.end()) candidates.push_back(it->second);
    if (auto system_dir = source_.currentDirectoryOf(letter)) {
        if (driveLetterOf(*system_dir) == letter) candidates.push_back(*system_dir);
    }
    candidates.push_back(std::string(1, letter) + ":\\");
    for (const auto& candidate : candidates) {
        try {
            list_.setDirectory(candidate);
            return;
        } catch (const Error&) {
        }
    }
    throw EInOutError(std::string("Cannot open drive ") + letter + ":.");
}

void DriveListModel::followList() {
    char letter = driveLetterOf(list_.directory());
    if (letter != 0) remembered_[letter] = list_.directory();
}

// --- the dialog ---

TChangeDestForm::TChangeDestForm(Platform& platform, ChangeDestView& view, MessageBoxes& boxes,
                                 DriveSource& drives, std::string fallback_directory)
    : platform_(platform),
      view_(view),
      boxes_(boxes),
      fallback_directory_(std::move(fallback_directory)),
      directory_list_box_(platform),
      drive_combo_box_(platform, drives, directory_list_box_) {
    directory_list_box_.onChange = [this] {
        drive_combo_box_.followList();
        showDrives();
        showDirectories();
        DirectoryListBoxChange();
    };
    // A new list starts where the process is.
    directory_list_box_.syncWithProcess();
    drive_combo_box_.followList();
    drive_combo_box_.refresh();
    showDrives();
    showDirectories();
    view_.setPathText(directory_list_box_.directory());
}

bool TChangeDestForm::pickDirectory(const std::string& start, std::string& chosen) {
    std::string directory = start;
    if (!directoryExists(platform_.files, directory)) directory = fallback_directory_;

    drive_combo_box_.refresh();
    try {
        // Only a path that starts with a drive letter names a drive to switch to.
        if (char letter = driveLetterOf(directory)) drive_combo_box_.setDrive(letter);
        directory_list_box_.setDirectory(directory);
    } catch (const std::exception&) {
        // The dialog opens wherever the list ended up, showing what is there now.
        directory_list_box_.rebuild();
    }
    showDrives();
    showDirectories();
    view_.setPathText(directory_list_box_.directory());

    if (view_.showModal() != kModalOk) return false;
    chosen = view_.pathText();
    return true;
}

void TChangeDestForm::OkButtonClick() {
    const std::string text = view_.pathText();
    try {
        if (directoryExists(platform_.files, text)) {
            view_.endModal(kModalOk);
            return;
        }
        int answer = boxes_.show(
            "The folder " + text + " does not exist. Create the new folder?", "Change Destination",
            kMbYesNo | kMbIconExclamation);
        if (answer == kIdYes) {
            if (text.empty()) throw EInOutError("Unable to create directory");
            // A directory that could not be created shows as the list failing to enter it.
            forceDirectories(platform_.files, text);
            directory_list_box_.setDirectory(text);
        }
        view_.endModal(kModalOk);
    } catch (const std::exception&) {
        showError("Invalid folder name. Please try again.");
    }
}

void TChangeDestForm::DirectoryListBoxChange() { view_.setPathText(directory_list_box_.directory()); }

void TChangeDestForm::DirectoryListBoxDblClick(int index) {
    if (index < 0 || static_cast<size_t>(index) >= directory_list_box_.items().size()) return;
    std::string path = directory_list_box_.itemPath(static_cast<size_t>(index));
    try {
        directory_list_box_.openItem(static_cast<size_t>(index));
    } catch (const std::exception&) {
        // The folder may have gone or be locked: say so and show what is there now.
        directory_list_box_.rebuild();
        showDirectories();
        showError("The folder " + path + " cannot be opened.");
    }
}

void TChangeDestForm::DriveComboBoxChange(int index) {
    const auto& drives = drive_combo_box_.drives();
    if (index < 0 || static_cast<size_t>(index) >= drives.size()) return;
    char letter = drives[static_cast<size_t>(index)].letter;
    try {
        drive_combo_box_.setDrive(letter);
    } catch (const std::exception&) {
        // The selection goes back to the drive the list is still on.
        showDrives();
        showError(std::string("The drive ") + letter + ": cannot be opened.");
    }
}

void TChangeDestForm::showDirectories() {
    view_.showDirectories(directory_list_box_.items(), directory_list_box_.currentIndex());
}

void TChangeDestForm::showDrives() {
    view_.showDrives(drive_combo_box_.drives(), drive_combo_box_.selectedIndex());
}

void TChangeDestForm::showError(const std::string& text) {
    boxes_.show(text, "Error", kMbOk | kMbIconHand);
}

}  // namespace stow
