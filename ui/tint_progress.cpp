// The tint bar's property rules, gradient table and paint. The shading depends on single
// precision at two places (the blend weight and the row position); values are forced through a
// 32-bit float there so that x87 builds give the same pixels as SSE builds.
#include "ui/tint_progress.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace stow {
namespace {

// Rounds to the nearest single-precision value; the store keeps x87 excess precision out.
float toSingle(double value) {
    volatile float rounded = static_cast<float>(value);
    return rounded;
}

float floatFromBits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The single-precision thirds the darker table entries are blended with.
const float kOneThird = floatFromBits(0x3EAAAAAB);
const float kTwoThirds = floatFromBits(0x3F2AAAAB);

// num / den to the nearest integer, ties to the even one; den > 0.
int64_t divideRoundEven(int64_t num, int64_t den) {
    int64_t q = num / den;
    int64_t r = num % den;
    if (r < 0) {
        --q;
        r += den;
    }
    if (2 * r > den || (2 * r == den && (q & 1) != 0)) ++q;
    return q;
}

// The ring's top-left corner is shadow, its bottom-right highlight, the other two face colour;
// then the rectangle shrinks by one pixel on every side.
void drawRing(Canvas& canvas, int& l, int& t, int& r, int& b) {
    int x1 = r - 1;
    int y1 = b - 1;
    canvas.setPenColor(kClBtnShadow);
    canvas.moveTo(l, t);
    canvas.lineTo(x1, t);
    canvas.moveTo(l, t + 1);
    canvas.lineTo(l, y1);
    canvas.setPenColor(kClBtnHighlight);
    canvas.moveTo(x1, t + 1);
    canvas.lineTo(x1, y1);
    canvas.moveTo(l + 1, y1);
    canvas.lineTo(x1 + 1, y1);
    canvas.setPixel(l, y1, kClBtnFace);
    canvas.setPixel(x1, t, kClBtnFace);
    l += 1;
    t += 1;
    r = x1;
    b = y1;
}

}  // namespace

Color BlendColors(Color a, Color b, float f) {
    double weight_b = f;
    double weight_a = toSingle(1.0 - weight_b);
    Color result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        double x = weight_a * ((a >> shift) & 0xFF) + weight_b * ((b >> shift) & 0xFF);
        double rounded = std::nearbyint(x);  // the default rounding mode: ties to even
        int64_t whole = std::isfinite(rounded) && std::fabs(rounded) < 1e18
                            ? static_cast<int64_t>(rounded)
                            : 0;
        result |= static_cast<Color>(whole & 0xFF) << shift;
    }
    return result;
}

TTintProgress::TTintProgress(SystemLook& look) : look_(look) {
    height_ = look_.systemMetric(kSmCyVScroll);
    setTint(kDefaultTint);
}

TTintProgress::~TTintProgress() { setParent(nullptr); }

void TTintProgress::requestRepaint() {
    if (parent_) parent_->invalidate(left_, top_, left_ + width_, top_ + height_);
}

void TTintProgress::setParent(ControlHost* parent) {
    if (parent == parent_) return;
    requestRepaint();  // the old parent shows what lay under the bar again
    parent_ = parent;
    requestRepaint();
}

void TTintProgress::setBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    requestRepaint();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    requestRepaint();
}

Color TTintProgress::color() const {
    if (own_color_) return color_;
    return parent_ ? parent_->color() : kClWindow;
}

void TTintProgress::setColor(Color color) {
    bool changed = !own_color_ || color != color_;
    own_color_ = true;
    color_ = color;
    if (changed) requestRepaint();
}

void TTintProgress::setMin(int32_t value) {
    if (value == min_) return;
    min_ = value;
    requestRepaint();
}

void TTintProgress::setMax(int32_t value) {
    if (value == max_) return;
    max_ = value;
    requestRepaint();
}

void TTintProgress::setPosition(int32_t value) {
    if (value < min_)
        value = min_;
    else if (value > max_)
        value = max_;
    if (value == position_) return;
    position_ = value;
    requestRepaint();
}

void TTintProgress::setOrientation(TProgressBarOrientation value) {
    if (value == orientation_) return;
    orientation_ = value;
    setBounds(left_, top_, height_, width_);
}

void TTintProgress::setBorderWidth(int32_t value) {
    if (value == border_width_) return;
    border_width_ = value;
    requestRepaint();
}

void TTintProgress::setTint(Color value) {
    value = resolveColor(look_, value);
    gradient_[0] = value;
    gradient_[1] = kClWhite;
    gradient_[2] = value;
    gradient_[3] = BlendColors(value, 0, kOneThird);
    gradient_[4] = BlendColors(value, 0, kTwoThirds);
    requestRepaint();
}

Color TTintProgress::rowColor(int i, int rows) const {
    // A single row has no spread to shade over: it takes the tint, like the top row of any fill.
    if (rows < 2) return gradient_[0];
    float t = toSingle(4.0 * i / (rows - 1));
    int k = std::clamp(static_cast<int>(std::floor(t)), 0, 4);
    float f = toSingle(static_cast<double>(t) - k);
    if (f == 0.0f || k == 4) return gradient_[k];
    return BlendColors(gradient_[k], gradient_[k + 1], f);
}

TTintProgress::Geometry TTintProgress::geometry() const {
    Geometry g;
    int l = 0, t = 0, r = width_, b = height_;

    // Past max(width, height) + 1 rings every further ring lies wholly outside the bar, and the
    // interior is empty: stop drawing there rather than loop over a huge border width.
    int64_t visible_rings = static_cast<int64_t>(std::max(width_, height_)) + 1;
    if (border_width_ > 0) {
        g.rings = static_cast<int>(std::min<int64_t>(border_width_, visible_rings));
        if (border_width_ > g.rings) return g;
        // Each ring moves every side one pixel inwards.
        l += g.rings;
        t += g.rings;
        r -= g.rings;
        b -= g.rings;
    }

    if (position_ <= min_) return g;
    // A vertical bar shows its border only; the installer never turns a bar upright.
    if (orientation_ != TProgressBarOrientation::pbHorizontal) return g;

    if (position_ < max_) {
        int64_t w = static_cast<int64_t>(r) - l;
        if (w <= 0) return g;
        int64_t n;
        if (max_ > 0 && position_ >= 0) {
            n = divideRoundEven(static_cast<int64_t>(position_) * w, max_);
        } else {
            // Only a negative Min gets here; measure from Min so the length stays in 0..w.
            n = divideRoundEven((static_cast<int64_t>(position_) - min_) * w,
                                static_cast<int64_t>(max_) - min_);
        }
        if (n == 0)
            n = 1;
        else if (n == w)
            n = w - 1;
        r = static_cast<int>(l + n);
    }

    if (b - t <= 0) return g;
    g.fill = true;
    g.fillLeft = l;
    g.fillTop = t;
    g.fillRight = r;
    g.fillBottom = b;
    return g;
}

void TTintProgress::Paint() {
    if (!parent_) return;
    std::unique_ptr<Canvas> canvas = parent_->canvasAt(left_, top_, width_, height_);
    if (canvas) draw(*canvas, geometry());
}

void TTintProgress::paintTo(Canvas& canvas) const { draw(canvas, geometry()); }

int TTintProgress::fillEnd() const {
    const Geometry g = geometry();
    return g.fill ? g.fillRight : 0;
}

void TTintProgress::draw(Canvas& canvas, const Geometry& g) const {
    int l = 0, t = 0, r = width_, b = height_;
    canvas.fillRect(l, t, r, b, color());
    for (int i = 0; i < g.rings; ++i) drawRing(canvas, l, t, r, b);
    if (!g.fill) return;

    int h = g.fillBottom - g.fillTop;
    for (int i = 0; i < h; ++i) {
        canvas.setPenColor(rowColor(i, h));
        canvas.moveTo(g.fillLeft, g.fillTop + i);
        canvas.lineTo(g.fillRight, g.fillTop + i);
    }
}

}  // namespace stow
