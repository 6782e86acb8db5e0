// The install command's phases as the main window runs them; tests substitute fakes to drive
// every state of the window without touching the engine.
#pragma once

#include <string>

#include "engine/install_job.h"

namespace stow {

class InstallPhases {
public:
    virtual ~InstallPhases() = default;
    virtual void placement(InstallJob& job, Progress& progress) = 0;
    virtual void drivers(InstallJob& job, Progress& progress, MessagePump& pump) = 0;
    virtual void links(InstallJob& job) = 0;
    // Returns the completion report.
    virtual std::string registration(InstallJob& job) = 0;
};

// The real phases of the engine.
class EnginePhases : public InstallPhases {
public:
    void placement(InstallJob& job, Progress& progress) override { runPlacement(job, progress); }
    void drivers(InstallJob& job, Progress& progress, MessagePump& pump) override {
        runDriverPhase(job, progress, pump);
    }
    void links(InstallJob& job) override { runLinkPhase(job); }
    std::string registration(InstallJob& job) override { return runRegistration(job); }
};

}  // namespace stow
