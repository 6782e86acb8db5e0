// The drawing surface that custom-painted controls use: solid rectangles, one-pixel pen runs,
// single pixels and the system colours. A GDI canvas backs it on Windows, a pixel buffer on the
// host, so both draw exactly the same pixels.
#pragma once

#include <cstdint>

namespace stow {

// A colour in the 0x00BBGGRR layout; a non-zero top byte names a system colour by the index in
// the low byte (0x80000000 + index).
using Color = uint32_t;

constexpr Color kClBlack = 0x000000;
constexpr Color kClWhite = 0xFFFFFF;
constexpr Color kClBlue = 0xFF0000;
constexpr Color kClWindow = 0x80000005;
constexpr Color kClBtnFace = 0x8000000F;
constexpr Color kClBtnShadow = 0x80000010;
constexpr Color kClBtnHighlight = 0x80000014;

constexpr int kColorWindow = 5;
constexpr int kColorBtnFace = 15;
constexpr int kColorBtnShadow = 16;
constexpr int kColorBtnHighlight = 20;
constexpr int kSmCyVScroll = 20;

inline bool isSystemColor(Color c) { return (c >> 24) != 0; }

// System colours and metrics: GetSysColor and GetSystemMetrics on Windows, a fixed table on
// the host.
class SystemLook {
public:
    virtual ~SystemLook() = default;
    // The RGB value of system colour index (top byte 0).
    virtual Color sysColor(int index) = 0;
    virtual int systemMetric(int index) = 0;
};

// Resolves a colour value that may name a system colour into plain RGB.
inline Color resolveColor(SystemLook& look, Color c) {
    return isSystemColor(c) ? (look.sysColor(static_cast<int>(c & 0xFF)) & 0xFFFFFF) : c;
}

// Coordinates are relative to the painted control's top-left corner; the canvas clips to it.
class Canvas {
public:
    virtual ~Canvas() = default;
    // Left and top inclusive, right and bottom exclusive; an empty rectangle fills nothing.
    virtual void fillRect(int left, int top, int right, int bottom, Color color) = 0;
    virtual void setPenColor(Color color) = 0;
    virtual void moveTo(int x, int y) = 0;
    // Draws from the current point towards (x, y) in the pen colour, leaving out (x, y) itself,
    // and makes (x, y) the current point.
    virtual void lineTo(int x, int y) = 0;
    virtual void setPixel(int x, int y, Color color) = 0;
    virtual Color sysColor(int index) = 0;
};

}  // namespace stow
