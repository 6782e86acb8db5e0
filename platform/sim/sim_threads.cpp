// A suspended thread is only its body until resume() starts a real thread, so tests see the
// same interleaving freedom as on Windows; the destructor joins, as the handle's owner waits.
#include "platform/sim/sim_threads.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace stow::sim {
namespace {

class SimThread final : public Thread {
public:
    explicit SimThread(std::function<void()> body) : body_(std::move(body)) {}
    ~SimThread() override {
        if (thread_.joinable()) thread_.join();
    }
    SimThread(const SimThread&) = delete;
    SimThread& operator=(const SimThread&) = delete;

    void resume() override {
        if (thread_.joinable() || finished_) return;
        thread_ = std::thread([this] {
            // An escaping exception would end the whole test program; a Windows thread
            // just ends.
            try {
                body_();
            } catch (...) {
            }
            finished_ = true;
        });
    }

    bool finished() override { return finished_; }

private:
    std::function<void()> body_;
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

}  // namespace

std::unique_ptr<Thread> SimThreads::createSuspended(std::function<void()> body) {
    return std::make_unique<SimThread>(std::move(body));
}

void SimThreads::sleep(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

uint32_t SimThreads::tickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace stow::sim
