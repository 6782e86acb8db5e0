// A progress sink and a message pump that do nothing, for tests that drive the engine's phases
// without a window.
#pragma once

#include "engine/install_state.h"

namespace stow::test {

class NoProgress : public Progress {
public:
    void setMax(int) override {}
    void setPosition(int) override {}
    void paint() override {}
};

class NoPump : public MessagePump {
public:
    void processMessages() override {}
};

}  // namespace stow::test
