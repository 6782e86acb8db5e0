// The canvas of custom-painted controls on a GDI device context: solid brushes for rectangles,
// a one-pixel solid pen with MoveToEx/LineTo for runs (LineTo leaves out its end point),
// SetPixelV for single pixels. It draws into an off-screen bitmap of the control's size and
// copies that to the device context in one piece when it goes, so the screen never shows half a
// picture (a bar painted after every file would otherwise flash its background).
#pragma once

#include <windows.h>

#include <memory>

#include "platform/win32/handles.h"
#include "ui/canvas.h"

namespace stow::win32 {

class GdiCanvas : public Canvas {
public:
    // Draws on dc with the origin moved to (left, top) and clipping to width x height there.
    GdiCanvas(HDC dc, int left, int top, int width, int height);
    // Draws on window's DC (GetDC), for painting outside WM_PAINT.
    GdiCanvas(HWND window, int left, int top, int width, int height);
    ~GdiCanvas() override;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    // False when nothing can be drawn (no device context, or an empty control).
    bool valid() const { return static_cast<bool>(dc_); }

    void fillRect(int left, int top, int right, int bottom, Color color) override;
    void setPenColor(Color color) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void setPixel(int x, int y, Color color) override;
    Color sysColor(int index) override;

private:
    void enter(int left, int top, int width, int height);

    std::unique_ptr<WindowDc> window_dc_;
    HDC target_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    MemoryDc dc_;  // the off-screen DC that the operations draw on
    Bitmap bitmap_;
    HGDIOBJ original_bitmap_ = nullptr;
    HGDIOBJ original_pen_ = nullptr;
    Pen pen_;
    COLORREF pen_color_ = 0;
};

}  // namespace stow::win32
