// Simulated COM shell links: per-thread CoInitialize counting, the ShellLink object's setters,
// and IPersistFile::Save writing a small text file that the tests read back.
#pragma once

#include <optional>
#include <string>

#include "platform/shell_link.h"
#include "platform/sim/sim_context.h"
#include "platform/sim/sim_file_system.h"

namespace stow::sim {

class SimShellLinks final : public ShellLinks {
public:
    SimShellLinks(SimContext& context, SimFileSystem& files) : context_(context), files_(files) {}

    HResult coInitialize() override;
    void coUninitialize() override;
    HResult createShellLink(std::unique_ptr<ShellLinkObject>& link) override;
    std::string errorText(HResult code) override;

    // The failure the step answers with now, or kSOk.
    HResult faultAt(ComStep step) const;
    HResult save(const std::u16string& path, const SimLink& link);
    std::optional<SimLink> read(const std::string& windows_path) const;

private:
    SimContext& context_;
    SimFileSystem& files_;
};

}  // namespace stow::sim
