// TINFThread: one setup-service call off the GUI thread. It gets its INF path before it starts
// and hands back plain values (success, the destination name); it touches nothing else.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/setup_service.h"
#include "platform/threads.h"

namespace stow {

class TINFThread {
public:
    // Created suspended; the service is not called before resume().
    TINFThread(Threads& threads, SetupService& service, std::string inf_path);
    // Waits for a running body to return; a thread never resumed is let go without the call.
    ~TINFThread();
    TINFThread(const TINFThread&) = delete;
    TINFThread& operator=(const TINFThread&) = delete;

    void resume();
    // True once Execute has returned; only then may the outputs be read.
    bool finished();

    // The worker body: the single service call.
    void Execute();

    const std::string& infPath() const { return inf_path_; }
    const std::string& destinationInfName() const { return destination_inf_name_; }
    bool success() const { return success_; }

private:
    Threads& threads_;
    SetupService& service_;
    std::string inf_path_;              // in; cleared by Execute
    std::string destination_inf_name_;  // out; never holds a NUL
    bool success_ = false;              // out
    bool cancelled_ = false;            // set before the body can run, read by it
    bool resumed_ = false;
    std::unique_ptr<Thread> thread_;
};

}  // namespace stow
