// Log lines are plain text in the ANSI code page with CR LF ends, the form Notepad and the
// deployment tools that collect such logs read. Lines are written from pieces, not built with
// string concatenation, which keeps the stub small.
#include "engine/install_log.h"

namespace stow {

InstallLog::InstallLog(FileSystem& files, const std::string& path)
    : path_(path), file_(files.openAppend(path)), ok_(file_ != nullptr) {}

void InstallLog::line(std::initializer_list<std::string_view> pieces) {
    if (!file_) return;
    std::string bytes;
    for (std::string_view piece : pieces) bytes.append(piece.data(), piece.size());
    bytes += "\r\n";
    if (!file_->write(bytes.data(), bytes.size())) ok_ = false;
}

void InstallLog::file(const std::string& destination, FileOutcome outcome,
                      const std::string& fallback) {
    static constexpr const char* kLabels[] = {"File written: ", "File failed, fallback copy: ",
                                              "File failed: ",
                                              "File skipped (not for this system): "};
    line({kLabels[static_cast<int>(outcome)], destination,
          outcome == FileOutcome::Fallback ? " -> " : "", fallback});
}

void InstallLog::inf(const std::string& inf_path, InfOutcome outcome,
                     const std::string& system_name) {
    const bool accepted = outcome == InfOutcome::Accepted;
    line({accepted ? "INF preinstalled: " : "INF rejected: ", inf_path, accepted ? " -> " : "",
          system_name,
          outcome == InfOutcome::TimedOut ? " (the setup service did not answer in time)" : ""});
}

void InstallLog::link(const std::string& link_file, const std::string& target) {
    line({"Link: ", link_file, " -> ", target});
}

void InstallLog::linkFailed(const std::string& described_error) {
    line({"Link failed, no further links: ", described_error});
}

void InstallLog::registryValue(const std::string& key, const std::string& name,
                               const std::string& data, bool written) {
    line({written ? "Registry: HKLM\\" : "Registry failed: HKLM\\", key, " [", name, "] = ", data});
}

}  // namespace stow
