// Worker threads for the simulation: real std::threads that start only when resumed.
#pragma once

#include "platform/threads.h"

namespace stow::sim {

class SimThreads final : public Threads {
public:
    std::unique_ptr<Thread> createSuspended(std::function<void()> body) override;
    void sleep(uint32_t milliseconds) override;
    uint32_t tickCount() override;
};

}  // namespace stow::sim
