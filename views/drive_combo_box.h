// The drive list widget that Win32 lacks: an owner-drawn drop-down list of the drives with a
// glyph per drive kind, and the drive facts it shows, read from the system.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/change_dest_view.h"

namespace stow::win32 {

// Drives from GetLogicalDrives and GetDriveTypeA; each drive's current directory from
// GetFullPathNameA("X:"), which never touches the drive itself.
class Win32DriveSource : public DriveSource {
public:
    std::vector<DriveEntry> drives() override;
    std::optional<std::string> currentDirectoryOf(char letter) override;
};

class DriveComboBox {
public:
    static constexpr int kItemHeight = 16;
    static constexpr int kFieldHeight = 15;  // the closed combo box is then 21 high

    // Creates the combo box as a child of parent (which then owns and destroys it).
    void create(HWND parent, int id, HFONT font, int x, int y, int width);
    HWND handle() const { return combo_; }

    void show(const std::vector<DriveEntry>& drives, int selected);
    int selectedIndex() const;
    bool droppedDown() const;

    // The parent forwards WM_DRAWITEM for this control.
    void draw(const DRAWITEMSTRUCT& item) const;

private:
    HWND combo_ = nullptr;
    HFONT font_ = nullptr;
    std::vector<DriveEntry> drives_;
};

// Draws a 16 x 16 glyph for the kind of drive with its top-left corner at x, y.
void drawDriveGlyph(HDC dc, int x, int y, DriveKind kind);

}  // namespace stow::win32
