// Owner-drawn drive combo box and the system's drive facts. Volume labels are read only for fixed
// drives and RAM disks, so filling the list never waits for a floppy or a disc.
#include "views/drive_combo_box.h"

#include <algorithm>

#include "views/gui_common.h"
#include "platform/win32/handles.h"
#include "ui/change_dest_form.h"

namespace stow::win32 {

namespace {

constexpr int kGlyphWidth = 16;
constexpr int kGlyphGap = 4;

constexpr COLORREF kOutline = RGB(64, 64, 64);
constexpr COLORREF kCase = RGB(200, 200, 200);
constexpr COLORREF kLight = RGB(0, 192, 0);
constexpr COLORREF kDisk = RGB(40, 60, 110);
constexpr COLORREF kLabel = RGB(255, 255, 255);

void fillRect(HDC dc, int left, int top, int right, int bottom, COLORREF fill, COLORREF outline) {
    Pen pen(CreatePen(PS_SOLID, 1, outline));
    Brush brush(CreateSolidBrush(fill));
    SelectedObject use_pen(dc, pen.get());
    SelectedObject use_brush(dc, brush.get());
    Rectangle(dc, left, top, right, bottom);
}

void fillEllipse(HDC dc, int left, int top, int right, int bottom, COLORREF fill, COLORREF outline) {
    Pen pen(CreatePen(PS_SOLID, 1, outline));
    Brush brush(CreateSolidBrush(fill));
    SelectedObject use_pen(dc, pen.get());
    SelectedObject use_brush(dc, brush.get());
    Ellipse(dc, left, top, right, bottom);
}

DriveKind kindOf(UINT type) {
    switch (type) {
        case DRIVE_REMOVABLE: return DriveKind::Removable;
        case DRIVE_FIXED: return DriveKind::Fixed;
        case DRIVE_REMOTE: return DriveKind::Remote;
        case DRIVE_CDROM: return DriveKind::CdRom;
        case DRIVE_RAMDISK: return DriveKind::RamDisk;
        default: return DriveKind::Unknown;
    }
}

}  // namespace

std::vector<DriveEntry> Win32DriveSource::drives() {
    std::vector<DriveEntry> found;
    DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if ((mask & (1u << i)) == 0) continue;
        DriveEntry drive;
        drive.letter = static_cast<char>('A' + i);
        const char root[] = {drive.letter, ':', '\\', '\0'};
        drive.kind = kindOf(GetDriveTypeA(root));
        if (drive.kind == DriveKind::Fixed || drive.kind == DriveKind::RamDisk) {
            char label[MAX_PATH + 1] = {};
            if (GetVolumeInformationA(root, label, sizeof label, nullptr, nullptr, nullptr,
                                      nullptr, 0)) {
                drive.volume = label;
            }
        }
        found.push_back(drive);
    }
    return found;
}

std::optional<std::string> Win32DriveSource::currentDirectoryOf(char letter) {
    const char drive[] = {letter, ':', '\0'};
    char full[MAX_PATH + 1] = {};
    DWORD n = GetFullPathNameA(drive, sizeof full, full, nullptr);
    if (n == 0 || n > MAX_PATH) return std::nullopt;
    return std::string(full, n);
}

void drawDriveGlyph(HDC dc, int x, int y, DriveKind kind) {
    switch (kind) {
        case DriveKind::Removable:
            fillRect(dc, x + 2, y + 2, x + 14, y + 14, kDisk, kOutline);
            fillRect(dc, x + 5, y + 2, x + 11, y + 6, kCase, kOutline);
            fillRect(dc, x + 4, y + 9, x + 12, y + 14, kLabel, kOutline);
            break;
        case DriveKind::CdRom:
            fillEllipse(dc, x + 1, y + 1, x + 15, y + 15, kCase, kOutline);
            fillEllipse(dc, x + 6, y + 6, x + 10, y + 10, kLabel, kOutline);
            break;
        case DriveKind::Remote: {
            fillRect(dc, x + 1, y + 2, x + 15, y + 9, kCase, kOutline);
            fillRect(dc, x + 11, y + 5, x + 13, y + 7, kLight, kLight);
            Pen pen(CreatePen(PS_SOLID, 1, kOutline));
            SelectedObject use_pen(dc, pen.get());
            MoveToEx(dc, x + 8, y + 9, nullptr);
            LineTo(dc, x + 8, y + 13);
            MoveToEx(dc, x + 3, y + 13, nullptr);
            LineTo(dc, x + 14, y + 13);
            break;
        }
        default:
            fillRect(dc, x + 1, y + 5, x + 15, y + 12, kCase, kOutline);
            fillRect(dc, x + 11, y + 8, x + 13, y + 10, kLight, kLight);
            break;
    }
}

void DriveComboBox::create(HWND parent, int id, HFONT font, int x, int y, int width) {
    font_ = font;
    // The height includes the dropped-down list: room for every drive letter.
    combo_ = CreateWindowExA(0, "COMBOBOX", "",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST |
                                 CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                             x, y, width, 26 * kItemHeight / 2, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             moduleInstance(), nullptr);
    setUiFont(combo_, font);
}

void DriveComboBox::show(const std::vector<DriveEntry>& drives, int selected) {
    if (drives.size() != drives_.size() ||
        !std::equal(drives.begin(), drives.end(), drives_.begin(), [](const auto& a, const auto& b) {
            return a.letter == b.letter && a.kind == b.kind && a.volume == b.volume;
        })) {
        drives_ = drives;
        SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
        for (const auto& drive : drives_) {
            std::string text = driveText(drive);
            SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
    }
    SendMessageA(combo_, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int DriveComboBox::selectedIndex() const {
    return static_cast<int>(SendMessageA(combo_, CB_GETCURSEL, 0, 0));
}

bool DriveComboBox::droppedDown() const {
    return SendMessageA(combo_, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void DriveComboBox::draw(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    RECT row = item.rcItem;
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &row, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID != static_cast<UINT>(-1) && item.itemID < drives_.size()) {
        const DriveEntry& drive = drives_[item.itemID];
        int glyph_top = row.top + (row.bottom - row.top - 16) / 2;
        drawDriveGlyph(dc, row.left + 2, glyph_top, drive.kind);
        SelectedObject use_font(dc, font_);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        RECT text = row;
        text.left += 2 + kGlyphWidth + kGlyphGap;
        std::string label = driveText(drive);
        DrawTextA(dc, label.c_str(), static_cast<int>(label.size()), &text,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &row);
}

}  // namespace stow::win32
