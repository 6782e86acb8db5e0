// The tint bar as a phase's progress. The GUI thread handles no paint messages while a phase
// runs, so the bar is drawn at once, but only when its fill has changed length: a bar a few
// hundred pixels wide advanced once per file would otherwise draw the same pixels again and again.
#pragma once

#include <optional>

#include "engine/install_state.h"
#include "ui/tint_progress.h"

namespace stow {

class BarProgress : public Progress {
public:
    explicit BarProgress(TTintProgress& bar) : bar_(bar) {}

    // A new maximum shows with the next position.
    void setMax(int max) override { bar_.setMax(max); }
    void setPosition(int position) override {
        bar_.setPosition(position);
        const int end = bar_.fillEnd();
        if (drawn_end_ == end) return;
        bar_.Paint();
        drawn_end_ = end;
    }

private:
    TTintProgress& bar_;
    std::optional<int> drawn_end_;  // nothing drawn yet
};

}  // namespace stow
