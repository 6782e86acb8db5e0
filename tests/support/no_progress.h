// Progress sinks and message pumps for tests that drive the engine's phases without a window:
// ones that do nothing, and ones that record what they were told.
#pragma once

#include <string>
#include <vector>

#include "engine/install_state.h"

namespace stow::test {

class NoProgress : public Progress {
public:
    void setMax(int) override {}
    void setPosition(int) override {}
};

class NoPump : public MessagePump {
public:
    void processMessages() override {}
};

// Keeps every call as "max N" or "pos N", in order.
class RecordingProgress : public Progress {
public:
    void setMax(int max) override { calls.push_back("max " + std::to_string(max)); }
    void setPosition(int position) override { calls.push_back("pos " + std::to_string(position)); }
    std::vector<std::string> calls;
};

class CountingPump : public MessagePump {
public:
    void processMessages() override { ++calls; }
    int calls = 0;
};

}  // namespace stow::test
