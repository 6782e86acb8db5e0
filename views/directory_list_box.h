// The directory list widget that Win32 lacks: an owner-drawn list box showing the folders of
// the current path as open folders, indented by level, and below them the subfolders, closed.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/change_dest_view.h"

namespace stow::win32 {

class DirectoryListBox {
public:
    static constexpr int kItemHeight = 16;

    // Creates the list as a child of parent (which then owns and destroys it).
    void create(HWND parent, int id, HFONT font);
    HWND handle() const { return list_; }

    void show(const std::vector<DirectoryItem>& items, int current);
    int selectedIndex() const;

    // The parent forwards WM_DRAWITEM for this control.
    void draw(const DRAWITEMSTRUCT& item) const;

private:
    HWND list_ = nullptr;
    HFONT font_ = nullptr;
    std::vector<DirectoryItem> items_;
};

// Draws a 16 x 16 folder glyph with its top-left corner at x, y.
void drawFolderGlyph(HDC dc, int x, int y, bool open);

}  // namespace stow::win32
