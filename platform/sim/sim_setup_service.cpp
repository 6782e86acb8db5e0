// The setup service runs on the installer's worker thread, so every step takes the machine's
// lock, except the deliberate delay of a slow service, which must leave the GUI thread free.
// Like Windows it hands back the existing oemN.inf when the same INF is preinstalled again.
#include "platform/sim/sim_setup_service.h"

#include <cstdlib>
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
    if (!parseWindowsPath(context_.facts.infDir, WinPath{}, inf_dir)) return {};
    auto listing = files_.listDirectory(inf_dir);
    if (!listing) return {};
    std::set<long> taken;
    for (const auto& entry : *listing) {
        long n = oemNumber(entry.name);
        if (n < 0 || entry.isDir) continue;
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

InfCopy SimSetupService::copyOEMInf(const std::string& source_path) {
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
                return {};
            }
        }
    }
    if (mode == SetupMode::Reject) return {};
    if (mode == SetupMode::Slow) std::this_thread::sleep_for(delay);

    Lock lock(context_.mutex);
    WinPath source_full;
    if (!files_.normalise(source_path, true, source_full)) return {};
    auto content = files_.readWholeFile(source_full);
    if (!content) return {};
    std::string placed = placeCopy(*content);
    if (placed.empty()) return {};
    return {true, placed};
}

bool SimSetupUninstaller::uninstallOEMInf(const std::string& name) {
    Lock lock(context_.mutex);
    // Like the system's, it takes a bare name and touches nothing outside the INF folder.
    if (name.empty() || name.find_first_of("\\/:") != std::string::npos) return false;
    WinPath inf;
    if (!parseWindowsPath(context_.facts.infDir, WinPath{}, inf)) return false;
    inf.parts.push_back(name);
    if (files_.removeFileAt(inf) != DeleteResult::Deleted) return false;
    std::string pnf = name;
    if (pnf.size() > 4) pnf.replace(pnf.size() - 4, 4, ".pnf");
    inf.parts.back() = pnf;
    files_.removeFileAt(inf);
    return true;
}

}  // namespace stow::sim
