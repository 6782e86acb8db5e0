// Progress sinks and a message pump for tests that drive the engine's phases without a window:
// one that does nothing, one that notes each report as "max N" or "pos N".
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

class RecordingProgress : public Progress {
public:
    void setMax(int max) override { events.push_back("max " + std::to_string(max)); }
    void setPosition(int position) override { events.push_back("pos " + std::to_string(position)); }
    std::vector<std::string> events;
};

class NoPump : public MessagePump {
public:
    void processMessages() override {}
};

}  // namespace stow::test
