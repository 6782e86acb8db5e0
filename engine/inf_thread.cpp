// The worker's fields are written by the GUI thread only before resume and read only after the
// thread has finished, so the thread start and its end order every access without a lock.
#include "engine/inf_thread.h"

#include <utility>

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
    InfCopy copy = service_.copyOEMInf(inf_path_);
    inf_path_.clear();
    success_ = copy.accepted;
    destination_inf_name_ = copy.accepted ? std::move(copy.destination) : std::string();
}

}  // namespace stow
