// The setup service runs on the installer's worker thread, so every step takes the machine's
// lock, except the deliberate delay of a slow service, which must leave the GUI thread free.
// Like Windows it hands back the existing oemN.inf when the same INF is preinstalled again.
#include "platform/sim/sim_setup_service.h"

#include <cstdlib>
#include <cstring>
#include <set>
#include <thread>

namespace stow::sim {
namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// N of a name "oemN.inf", or -1.
long oemNumber(const std::string& name) {
    std::string folded = foldCase(name);
    if (folded.size() < 8 || folded.compare(0, 3, "oem") != 0 ||
        folded.compare(folded.size() - 4, 4, ".inf") != 0) {
        return -1;
    }
    std::string digits = folded.substr(3, folded.size() - 7);
    if (digits.empty() || digits.size() > 6 || (digits.size() > 1 && digits[0] == '0')) return -1;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
    }
    return std::strtol(digits.c_str(), nullptr, 10);
}

}  // namespace

std::vector<std::string> SimSetupService::calls() const {
    Lock lock(context_.mutex);
    return calls_;
}

std::string SimSetupService::placeCopy(const std::string& content) {
    Lock lock(context_.mutex);
    WinPath inf_dir;
    if (!parseWindowsPath(context_.facts.inf_dir, WinPath{}, inf_dir)) return {};
    auto listing = files_.listDirectory(inf_dir);
    if (!listing) return {};
    std::set<long> taken;
    for (const auto& entry : *listing) {
        long n = oemNumber(entry.name);
        if (n < 0 || entry.is_dir) continue;
        taken.insert(n);
        WinPath existing = inf_dir;
        existing.parts.push_back(entry.name);
        if (files_.readWholeFile(existing) == content) return existing.text();
    }
    long n = 0;
    while (taken.count(n) != 0) ++n;
    WinPath copy = inf_dir;
    copy.parts.push_back("oem" + std::to_string(n) + ".inf");
    if (files_.writeWholeFile(copy, content, true) != 0) return {};
    return copy.text();
}

int SimSetupService::copyOEMInf(const char* source, uint32_t, uint32_t, char* destination,
                                uint32_t destination_size, uint32_t* required_size) {
    std::string source_path = source != nullptr ? source : "";
    SetupMode mode;
    std::chrono::milliseconds delay;
    {
        Lock lock(context_.mutex);
        calls_.push_back(source_path);
        mode = context_.faults.setup;
        delay = context_.faults.setupDelay;
        WinPath full;
        bool has_full = files_.normalise(source_path, false, full);
        for (const std::string& rejected : context_.faults.setupRejects) {
            if (equalsNoCase(rejected, source_path) ||
                (has_full && equalsNoCase(rejected, full.text()))) {
                return 0;
            }
        }
    }
    if (mode == SetupMode::Reject) return 0;
    if (mode == SetupMode::Slow) std::this_thread::sleep_for(delay);

    Lock lock(context_.mutex);
    WinPath source_full;
    if (!files_.normalise(source_path, true, source_full)) return 0;
    auto content = files_.readWholeFile(source_full);
    if (!content) return 0;
    std::string placed = placeCopy(*content);
    if (placed.empty()) return 0;

    auto required = static_cast<uint32_t>(placed.size() + 1);
    if (required_size != nullptr) *required_size = required;
    // Without a buffer the caller only asks for the size; a short buffer is an error, though
    // the INF has been copied all the same.
    if (destination == nullptr) return 1;
    if (destination_size < required) return 0;
    std::memcpy(destination, placed.c_str(), required);
    return 1;
}

int SimSetupUninstaller::uninstallOEMInf(const char* inf_name, uint32_t) {
    Lock lock(context_.mutex);
    const std::string name = inf_name != nullptr ? inf_name : "";
    // Like the system's, it takes a bare name and touches nothing outside the INF folder.
    if (name.empty() || name.find_first_of("\\/:") != std::string::npos) return 0;
    WinPath inf;
    if (!parseWindowsPath(context_.facts.inf_dir, WinPath{}, inf)) return 0;
    inf.parts.push_back(name);
    if (files_.removeFileAt(inf) != DeleteResult::Deleted) return 0;
    std::string pnf = name;
    if (pnf.size() > 4) pnf.replace(pnf.size() - 4, 4, ".pnf");
    inf.parts.back() = pnf;
    files_.removeFileAt(inf);
    return 1;
}

}  // namespace stow::sim
