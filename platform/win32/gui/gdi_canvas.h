// The canvas of custom-painted controls on a GDI device context: solid brushes for rectangles,
// a one-pixel solid pen with MoveToEx/LineTo for runs (LineTo leaves out its end point),
// SetPixelV for single pixels. The DC's state is saved on entry and restored on exit.
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

    bool valid() const { return dc_ != nullptr; }

    void fillRect(int left, int top, int right, int bottom, Color color) override;
    void setPenColor(Color color) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void setPixel(int x, int y, Color color) override;
    Color sysColor(int index) override;

private:
    void enter(int left, int top, int width, int height);

    std::unique_ptr<WindowDc> window_dc_;
    HDC dc_ = nullptr;
    int saved_ = 0;
    Pen pen_;
    COLORREF pen_color_ = 0;
};

}  // namespace stow::win32
