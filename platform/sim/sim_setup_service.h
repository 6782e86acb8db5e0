// The simulated SetupCopyOEMInfA: copies an INF into the INF folder as oemN.inf, answers with
// the copy's full path, and can be told to reject INFs or to take its time.
#pragma once

#include <string>
#include <vector>

#include "platform/setup_service.h"
#include "platform/sim/sim_context.h"
#include "platform/sim/sim_file_system.h"

namespace stow::sim {

class SimSetupService final : public SetupService {
public:
    SimSetupService(SimContext& context, SimFileSystem& files) : context_(context), files_(files) {}

    InfCopy copyOEMInf(const std::string& source) override;

    std::vector<std::string> calls() const;

private:
    // The INF folder's name for source's content: an identical oemN.inf already there, or a
    // fresh copy under the smallest free N. Empty when the copy cannot be made.
    std::string placeCopy(const std::string& content);

    SimContext& context_;
    SimFileSystem& files_;
    std::vector<std::string> calls_;
};

// The simulated SetupUninstallOEMInfA: removes a bare-named INF and its .pnf from the INF folder.
class SimSetupUninstaller final : public SetupUninstaller {
public:
    SimSetupUninstaller(SimContext& context, SimFileSystem& files)
        : context_(context), files_(files) {}
    bool uninstallOEMInf(const std::string& inf_name) override;

private:
    SimContext& context_;
    SimFileSystem& files_;
};

}  // namespace stow::sim
