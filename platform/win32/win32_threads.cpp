// CreateThread with a trampoline into the body. The thread id is asked for because Windows 9x
// fails CreateThread without it; a body that throws ends only its own thread, not the process.

#include "platform/win32/win32_threads.h"

#include <atomic>

#include "base/error.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_message.h"

namespace stow {
namespace {

using win32::UniqueHandle;

class Win32Thread final : public Thread {
public:
    explicit Win32Thread(std::function<void()> body) : body_(std::move(body)) {}

    // Destroying a thread that was never resumed must not wait forever: it is released with
    // the body skipped.
    ~Win32Thread() override {
        if (!handle_) return;
        if (!resumed_) {
            cancelled_ = true;
            ResumeThread(handle_.get());
        }
        WaitForSingleObject(handle_.get(), INFINITE);
    }

    bool start() {
        DWORD id = 0;
        handle_.reset(CreateThread(nullptr, 0, &Win32Thread::run, this, CREATE_SUSPENDED, &id));
        return static_cast<bool>(handle_);
    }

    void resume() override {
        resumed_ = true;
        ResumeThread(handle_.get());
    }

    bool finished() override { return WaitForSingleObject(handle_.get(), 0) == WAIT_OBJECT_0; }

private:
    static DWORD WINAPI run(LPVOID self) {
        auto* thread = static_cast<Win32Thread*>(self);
        if (thread->cancelled_) return 0;
        try {
            thread->body_();
        } catch (...) {
            // The caller reads the body's results after the handle is signalled; an escaped
            // exception would end the whole process instead.
        }
        return 0;
    }

    std::function<void()> body_;
    UniqueHandle handle_;
    bool resumed_ = false;
    std::atomic<bool> cancelled_{false};
};

}  // namespace

std::unique_ptr<Thread> Win32Threads::createSuspended(std::function<void()> body) {
    auto thread = std::make_unique<Win32Thread>(std::move(body));
    if (!thread->start()) {
        throw EThread("Thread creation error: " + win32::systemMessage(GetLastError()));
    }
    return thread;
}

void Win32Threads::sleep(uint32_t milliseconds) {
    Sleep(milliseconds);
}

uint32_t Win32Threads::tickCount() { return GetTickCount(); }

}  // namespace stow
