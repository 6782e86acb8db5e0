// One worker thread at a time, polled by the GUI thread: created suspended, resumed,
// waited on with a zero time-out between 1 ms sleeps.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace stow {

class Thread {
public:
    virtual ~Thread() = default;  // the body must have finished; closes the handle
    virtual void resume() = 0;
    // WaitForSingleObject(handle, 0): true once the body has returned.
    virtual bool finished() = 0;
};

class Threads {
public:
    virtual ~Threads() = default;
    // A suspended thread that runs body once resumed.
    virtual std::unique_ptr<Thread> createSuspended(std::function<void()> body) = 0;
    virtual void sleep(uint32_t milliseconds) = 0;
    // Milliseconds since some fixed moment, wrapping at 2^32 (GetTickCount): for time bounds.
    virtual uint32_t tickCount() = 0;
};

}  // namespace stow
