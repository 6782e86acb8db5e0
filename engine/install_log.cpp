// Log lines are plain text in the ANSI code page with CR LF ends, the form Notepad and the
// deployment tools that collect such logs read.
#include "engine/install_log.h"

namespace stow {

InstallLog::InstallLog(FileSystem& files, const std::string& path)
    : path_(path), file_(files.openAppend(path)), ok_(file_ != nullptr) {}

void InstallLog::line(const std::string& text) {
    if (!file_) return;
    const std::string bytes = text + "\r\n";
    if (!file_->write(bytes.data(), bytes.size())) ok_ = false;
}

void InstallLog::file(const std::string& destination, FileOutcome outcome,
                      const std::string& fallback) {
    switch (outcome) {
        case FileOutcome::Written:
            line("File written: " + destination);
            break;
        case FileOutcome::Fallback:
            line("File failed, fallback copy: " + destination + " -> " + fallback);
            break;
        case FileOutcome::Failed:
            line("File failed: " + destination);
            break;
        case FileOutcome::Skipped:
            line("File skipped (not for this system): " + destination);
            break;
    }
}

void InstallLog::inf(const std::string& inf_path, InfOutcome outcome,
                     const std::string& system_name) {
    switch (outcome) {
        case InfOutcome::Accepted:
            line("INF preinstalled: " + inf_path + " -> " + system_name);
            break;
        case InfOutcome::Rejected:
            line("INF rejected: " + inf_path);
            break;
        case InfOutcome::TimedOut:
            line("INF rejected: " + inf_path + " (the setup service did not answer in time)");
            break;
    }
}

void InstallLog::link(const std::string& link_file, const std::string& target) {
    line("Link: " + link_file + " -> " + target);
}

void InstallLog::linkFailed(const std::string& described_error) {
    line("Link failed, no further links: " + described_error);
}

void InstallLog::registryValue(const std::string& key, const std::string& name,
                               const std::string& data, bool written) {
    line(std::string(written ? "Registry: " : "Registry failed: ") + "HKLM\\" + key + " [" + name +
         "] = " + data);
}

}  // namespace stow
