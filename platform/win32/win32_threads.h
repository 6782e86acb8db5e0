// Worker threads over CreateThread: created suspended, resumed once, polled with a zero
// time-out. The body runs on the new thread; nothing else is shared with it.
#pragma once

#include "platform/threads.h"

namespace stow {

class Win32Threads final : public Threads {
public:
    // Throws stow::EThread when the system cannot create the thread.
    std::unique_ptr<Thread> createSuspended(std::function<void()> body) override;
    void sleep(uint32_t milliseconds) override;
    uint32_t tickCount() override;
};

}  // namespace stow
