// TTintProgress: the installer's windowless progress bar. It paints on its parent's surface: a
// sunken border of one-pixel rings and a fill whose rows are shaded from the tint through white
// to darker tint. BlendColors is the colour mix every shade comes from.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "ui/canvas.h"

namespace stow {

enum class TProgressBarOrientation : uint8_t { pbHorizontal = 0, pbVertical = 1 };

// The windowed control that a windowless control lives on and paints on.
class ControlHost {
public:
    virtual ~ControlHost() = default;
    // Marks (left, top, right, bottom) of the host's client area for a later paint.
    virtual void invalidate(int left, int top, int right, int bottom) = 0;
    // The host's own Color, which may name a system colour.
    virtual Color color() = 0;
    // A canvas on the host's surface with its origin at (left, top) and clipped to width x height;
    // nullptr when the host cannot be drawn on now.
    virtual std::unique_ptr<Canvas> canvasAt(int left, int top, int width, int height) = 0;
};

// The colour between a (f = 0) and b (f = 1), channel by channel: w = 1 - f taken to single
// precision, then w*a + f*b rounded to the nearest integer with ties to even; low 8 bits kept.
Color BlendColors(Color a, Color b, float f);

class TTintProgress {
public:
    static constexpr Color kDefaultTint = kClBlue;

    // Width 150, height of a scroll bar arrow, Min 0, Max 100, Position 0, one ring, blue tint.
    explicit TTintProgress(SystemLook& look);
    ~TTintProgress();
    TTintProgress(const TTintProgress&) = delete;
    TTintProgress& operator=(const TTintProgress&) = delete;

    // Without a parent the bar neither paints nor asks for repaints.
    void setParent(ControlHost* parent);
    ControlHost* parent() const { return parent_; }

    int left() const { return left_; }
    int top() const { return top_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void setBounds(int left, int top, int width, int height);

    // The background: the bar's own colour once set, else its parent's, else clWindow.
    Color color() const;
    void setColor(Color color);

    int32_t min() const { return min_; }
    int32_t max() const { return max_; }
    int32_t position() const { return position_; }
    TProgressBarOrientation orientation() const { return orientation_; }
    int32_t borderWidth() const { return border_width_; }
    // The resolved tint: never a system-colour value.
    Color tint() const { return gradient_[2]; }
    const std::array<Color, 5>& gradient() const { return gradient_; }

    void setMin(int32_t value);
    void setMax(int32_t value);
    // Below Min gives Min, else above Max gives Max; no other write re-clamps it.
    void setPosition(int32_t value);
    // Swaps width and height when the orientation changes.
    void setOrientation(TProgressBarOrientation value);
    void setBorderWidth(int32_t value);
    // Rebuilds the gradient table; always asks for a repaint, also for an unchanged value.
    void setTint(Color value);

    // Draws the whole bar on the parent's surface at once, without waiting for a paint message.
    void Paint();
    // Draws the whole bar on canvas, whose origin is the bar's top-left corner.
    void paintTo(Canvas& canvas) const;
    // Where the fill ends, in pixels from the bar's left edge; 0 when there is no fill.
    int fillEnd() const;

    // The colour of row i of a fill of rows rows.
    Color rowColor(int i, int rows) const;

private:
    // Where a paint draws: the rings that fit and the fill's rectangle, if there is a fill.
    struct Geometry {
        int rings = 0;
        bool fill = false;
        int fillLeft = 0, fillTop = 0, fillRight = 0, fillBottom = 0;
    };

    Geometry geometry() const;
    void draw(Canvas& canvas, const Geometry& g) const;
    void requestRepaint();

    SystemLook& look_;
    ControlHost* parent_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 150;
    int height_ = 0;
    bool own_color_ = false;
    Color color_ = kClWindow;
    int32_t min_ = 0;
    int32_t max_ = 100;
    int32_t position_ = 0;
    TProgressBarOrientation orientation_ = TProgressBarOrientation::pbHorizontal;
    int32_t border_width_ = 1;
    std::array<Color, 5> gradient_{};
};

}  // namespace stow
