// Pieces go to the file as they are: the file system buffers them. The report line that several
// phases share is made here too.
#include "engine/install_log.h"

#include "base/number_text.h"

namespace stow {

void InstallLog::line(std::initializer_list<std::string_view> pieces) {
    if (!file_) return;
    for (std::string_view piece : pieces) {
        if (!file_->write(piece.data(), piece.size())) write_failed_ = true;
    }
    if (!file_->write("\r\n", 2)) write_failed_ = true;
}

void reportRegistryValue(InstallReport* report, const std::string& key, const std::string& name,
                         const std::string& data, bool written) {
    if (report) {
        report->line({written ? "Registry: HKLM\\" : "Registry failed: HKLM\\", key, " [", name,
                      "] = ", data});
    }
}

std::string failureNote(const Failure& failure) {
    switch (failure.kind) {
        case FailureKind::None: return {};
        case FailureKind::AccessDenied: return " (access denied)";
        case FailureKind::DiskFull: return " (disk full)";
        case FailureKind::PathNotFound: return " (path not found)";
        default: return " (error " + decimalText(failure.code) + ")";
    }
}

}  // namespace stow
