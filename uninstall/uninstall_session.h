// One run of the uninstaller as the window and /S share it: the vendor from the program's own
// name, the machine, the recorded installations, whether anything can be done at all, the
// removal, and the report appended to a log file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "uninstall/removal.h"

namespace stow {

class UninstallSession {
public:
    explicit UninstallSession(Platform& platform);

    // Non-empty when nothing can be done (exit code 2): no vendor in the program's name, no
    // installed package, or a registry the program may not write.
    Platform& platform() { return platform_; }
    const std::string& problem() const { return problem_; }
    const std::string& vendor() const { return vendor_; }
    const std::vector<Installation>& installations() const { return installations_; }

    UninstallReport remove(const std::vector<bool>& selected, Progress* progress);

private:
    Platform& platform_;
    std::string vendor_;
    std::string problem_;
    std::unique_ptr<UninstallMachine> machine_;
    std::vector<Installation> installations_;
};

// Appends text to path (created when missing); false when it cannot be written.
bool appendToLogFile(FileSystem& files, const std::string& path, const std::string& text);

}  // namespace stow
