// One write per line, so that a log cut short by a full disk ends between lines where it can.
// The report line that several phases share is made here too.
#include "engine/install_log.h"

namespace stow {

void InstallLog::line(std::initializer_list<std::string_view> pieces) {
    if (!file_) return;
    std::string bytes;
    for (std::string_view piece : pieces) bytes.append(piece.data(), piece.size());
    bytes += "\r\n";
    if (!file_->write(bytes.data(), bytes.size())) write_failed_ = true;
}

void reportRegistryValue(InstallReport* report, const std::string& key, const std::string& name,
                         const std::string& data, bool written) {
    if (report) {
        report->line({written ? "Registry: HKLM\\" : "Registry failed: HKLM\\", key, " [", name,
                      "] = ", data});
    }
}

}  // namespace stow
