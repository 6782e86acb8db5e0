// The worker's fields are written by the GUI thread only before resume and read only after the
// thread has finished, so the thread start and its end order every access without a lock.
#include "engine/inf_thread.h"

#include <algorithm>

namespace stow {

TINFThread::TINFThread(Threads& threads, SetupService& service, std::string inf_path)
    : threads_(threads), service_(service), inf_path_(std::move(inf_path)) {
    thread_ = threads_.createSuspended([this] { Execute(); });
}

TINFThread::~TINFThread() {
    if (!thread_) return;
    if (!resumed_) {
        // A suspended thread cannot simply be dropped; let it run to an empty body.
        cancelled_ = true;
        thread_->resume();
    }
    while (!thread_->finished()) threads_.sleep(1);
}

void TINFThread::resume() {
    resumed_ = true;
    thread_->resume();
}

bool TINFThread::finished() { return thread_->finished(); }

void TINFThread::Execute() {
    if (cancelled_) return;
    std::string buffer(kInfNameBufferSize, '\0');
    uint32_t size = kInfNameBufferSize;
    success_ = service_.copyOEMInf(inf_path_.c_str(), kSpostPath, 0, &buffer[0],
                                   kInfNameBufferSize, &size) != 0;
    inf_path_.clear();
    // The name ends at its first NUL whatever size says; size counts the terminating NUL.
    std::string name = buffer.substr(0, buffer.find('\0'));
    if (success_ && size != 0) name.resize(std::min<size_t>(name.size(), size - 1));
    destination_inf_name_ = success_ ? name : std::string();
}

}  // namespace stow
