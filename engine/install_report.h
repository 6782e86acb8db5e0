// What the install command tells an observer as it goes: every file and its outcome, every INF
// handed to the setup service, every link and registry value. The install log listens; a job
// without a listener holds nullptr. Observers must not throw.
#pragma once

#include <string>

namespace stow {

enum class FileOutcome {
    Written,   // at its destination
    Fallback,  // not at its destination; a copy in the current directory
    Failed,    // neither
    Skipped,   // the record's placement does not apply on this system
};

enum class InfOutcome { Accepted, Rejected, TimedOut };

class InstallReport {
public:
    virtual ~InstallReport() = default;
    // fallback: where the fallback copy went (Fallback only).
    virtual void file(const std::string& /*destination*/, FileOutcome /*outcome*/,
                      const std::string& /*fallback*/) {}
    // system_name: the bare name the setup service gave the copy (Accepted only).
    virtual void inf(const std::string& /*inf_path*/, InfOutcome /*outcome*/,
                     const std::string& /*system_name*/) {}
    virtual void link(const std::string& /*link_file*/, const std::string& /*target*/) {}
    // A link that could not be made; it ends the link phase.
    virtual void linkFailed(const std::string& /*described_error*/) {}
    virtual void registryValue(const std::string& /*key*/, const std::string& /*name*/,
                               const std::string& /*data*/, bool /*written*/) {}
};

}  // namespace stow
