// The install log asked for with /LOG=: one line per step, appended to the named file as it
// happens, so a run that ends early still leaves what it did. A log that cannot be written never
// stops the installation; ok() tells the caller, which reports it in the exit code.
#pragma once

#include <memory>
#include <string>

#include "engine/install_report.h"
#include "platform/file_system.h"

namespace stow {

class InstallLog final : public InstallReport {
public:
    void open(FileSystem& files, const std::string& path) { file_ = files.openAppend(path); }

    // False once the file could not be opened or a line did not reach it.
    bool ok() const { return file_ && !write_failed_; }
    // Plain text in the ANSI code page with CR LF ends, as Notepad and deployment tools read it.
    void line(std::initializer_list<std::string_view> pieces) override;

private:
    std::unique_ptr<File> file_;
    bool write_failed_ = false;
};

}  // namespace stow
