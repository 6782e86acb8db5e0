// Owner-drawn directory list: fixed 16-pixel items and the list box's own integral height, so
// it always shows whole items; the folder glyphs are drawn with GDI, no image resources.
#include "views/directory_list_box.h"

#include "views/gui_common.h"
#include "platform/win32/handles.h"

namespace stow::win32 {

namespace {

constexpr int kIndent = 10;      // pixels per level
constexpr int kGlyphWidth = 16;
constexpr int kGlyphGap = 4;     // between glyph and name

constexpr COLORREF kFolderOutline = RGB(128, 96, 0);
constexpr COLORREF kFolderClosed = RGB(255, 214, 90);
constexpr COLORREF kFolderBack = RGB(224, 176, 48);
constexpr COLORREF kFolderFront = RGB(255, 232, 150);

void fillPolygon(HDC dc, const POINT* points, int count, COLORREF fill, COLORREF outline) {
    Pen pen(CreatePen(PS_SOLID, 1, outline));
    Brush brush(CreateSolidBrush(fill));
    SelectedObject use_pen(dc, pen.get());
    SelectedObject use_brush(dc, brush.get());
    Polygon(dc, points, count);
}

}  // namespace

void drawFolderGlyph(HDC dc, int x, int y, bool open) {
    if (!open) {
        const POINT body[] = {{x + 1, y + 13}, {x + 1, y + 4},  {x + 2, y + 3}, {x + 6, y + 3},
                              {x + 7, y + 4},  {x + 14, y + 4}, {x + 14, y + 13}};
        fillPolygon(dc, body, 7, kFolderClosed, kFolderOutline);
        return;
    }
    const POINT back[] = {{x + 1, y + 13}, {x + 1, y + 4},  {x + 2, y + 3}, {x + 6, y + 3},
                          {x + 7, y + 4},  {x + 13, y + 4}, {x + 13, y + 13}};
    fillPolygon(dc, back, 7, kFolderBack, kFolderOutline);
    const POINT front[] = {{x + 1, y + 13}, {x + 4, y + 7}, {x + 15, y + 7}, {x + 12, y + 13}};
    fillPolygon(dc, front, 4, kFolderFront, kFolderOutline);
}

void DirectoryListBox::create(HWND parent, int id, HFONT font) {
    font_ = font;
    // No LBS_NOINTEGRALHEIGHT: the list box trims its height to whole items by itself.
    list_ = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY |
                                LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                            0, 0, 100, 100, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            moduleInstance(), nullptr);
    setUiFont(list_, font);
}

void DirectoryListBox::show(const std::vector<DirectoryItem>& items, int current) {
    items_ = items;
    SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list_, LB_RESETCONTENT, 0, 0);
    // The names are kept as strings too, so typing a letter finds a folder.
    for (const auto& item : items_) {
        SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.name.c_str()));
    }
    SendMessageA(list_, LB_SETCURSEL, static_cast<WPARAM>(current), 0);
    SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

int DirectoryListBox::selectedIndex() const {
    return static_cast<int>(SendMessageA(list_, LB_GETCURSEL, 0, 0));
}

void DirectoryListBox::draw(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    RECT row = item.rcItem;
    FillRect(dc, &row, GetSysColorBrush(COLOR_WINDOW));
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= items_.size()) {
        if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &row);
        return;
    }
    const DirectoryItem& entry = items_[item.itemID];
    int x = row.left + 2 + entry.level * kIndent;
    int glyph_top = row.top + (row.bottom - row.top - 16) / 2;
    drawFolderGlyph(dc, x, glyph_top, entry.open);

    SelectedObject use_font(dc, font_);
    RECT text = row;
    text.left = x + kGlyphWidth + kGlyphGap;
    SIZE extent{};
    GetTextExtentPoint32A(dc, entry.name.c_str(), static_cast<int>(entry.name.size()), &extent);
    // Only the name is highlighted, as folder lists usually do.
    text.right = text.left + extent.cx + 4;
    if (text.right > row.right) text.right = row.right;
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &text, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT label = text;
    label.left += 2;
    DrawTextA(dc, entry.name.c_str(), static_cast<int>(entry.name.size()), &label,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &text);
}

}  // namespace stow::win32
