// The install log asked for with /LOG=: one line per step, appended to the named file as it
// happens, so a run that ends early still leaves what it did. A log that cannot be written never
// stops the installation; ok() tells the caller, which reports it in the exit code.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "engine/install_report.h"
#include "platform/file_system.h"

namespace stow {

class InstallLog : public InstallReport {
public:
    InstallLog(FileSystem& files, const std::string& path);

    // False once the file could not be opened or a line did not reach it.
    bool ok() const { return ok_; }
    const std::string& path() const { return path_; }
    // One line made of these pieces; CR LF inside them start further lines of the same entry.
    void line(std::initializer_list<std::string_view> pieces);

    void file(const std::string& destination, FileOutcome outcome,
              const std::string& fallback) override;
    void inf(const std::string& inf_path, InfOutcome outcome,
             const std::string& system_name) override;
    void link(const std::string& link_file, const std::string& target) override;
    void linkFailed(const std::string& described_error) override;
    void registryValue(const std::string& key, const std::string& name, const std::string& data,
                       bool written) override;

private:
    std::string path_;
    std::unique_ptr<File> file_;
    bool ok_;
};

}  // namespace stow
