// Shell links as the simulated shell stores them: a text file with one "key=value" line per
// property under a "[SimLink]" header. The COM failure switch can hit any step, after a
// number of links have been saved successfully.
#include "platform/sim/sim_shell_links.h"

#include <sstream>

namespace stow::sim {
namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

constexpr HResult kEUnexpected = static_cast<HResult>(0x8000FFFFu);
constexpr HResult kCoENotInitialized = static_cast<HResult>(0x800401F0u);
constexpr const char* kHeader = "[SimLink]";

// Values stay on one line.
std::string escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '%') out += "%25";
        else if (c == '\n') out += "%0A";
        else if (c == '\r') out += "%0D";
        else out += c;
    }
    return out;
}

std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            std::string code = text.substr(i + 1, 2);
            if (code == "25") { out += '%'; i += 2; continue; }
            if (code == "0A") { out += '\n'; i += 2; continue; }
            if (code == "0D") { out += '\r'; i += 2; continue; }
        }
        out += text[i];
    }
    return out;
}

class SimShellLinkObject final : public ShellLinkObject {
public:
    explicit SimShellLinkObject(SimShellLinks& shell) : shell_(shell) {}

    HResult queryPersistFile() override {
        HResult fault = shell_.faultAt(ComStep::QueryInterface);
        if (fault != kSOk) return fault;
        has_persist_file_ = true;
        return kSOk;
    }
    HResult setDescription(const std::string& text) override {
        return set(ComStep::SetDescription, link_.description, text);
    }
    HResult setPath(const std::string& target) override {
        return set(ComStep::SetPath, link_.target, target);
    }
    HResult setWorkingDirectory(const std::string& directory) override {
        return set(ComStep::SetWorkingDirectory, link_.workingDirectory, directory);
    }
    HResult save(const std::u16string& path) override {
        // Save belongs to IPersistFile; without it the caller holds no such interface.
        if (!has_persist_file_) return kEUnexpected;
        return shell_.save(path, link_);
    }

private:
    HResult set(ComStep step, std::string& field, const std::string& value) {
        HResult fault = shell_.faultAt(step);
        if (fault != kSOk) return fault;
        field = value;
        return kSOk;
    }

    SimShellLinks& shell_;
    SimLink link_;
    bool has_persist_file_ = false;
};

}  // namespace

HResult SimShellLinks::faultAt(ComStep step) const {
    Lock lock(context_.mutex);
    const Faults& f = context_.faults;
    if (f.comFailsAt != step || step == ComStep::None) return kSOk;
    if (f.comLinksBeforeFailure && *f.comLinksBeforeFailure > 0) return kSOk;
    return f.comFailure;
}

HResult SimShellLinks::coInitialize() {
    Lock lock(context_.mutex);
    HResult fault = faultAt(ComStep::CoInitialize);
    if (fault != kSOk) return fault;
    int& count = context_.comInitCount[std::this_thread::get_id()];
    return ++count == 1 ? kSOk : kSFalse;
}

void SimShellLinks::coUninitialize() {
    Lock lock(context_.mutex);
    auto found = context_.comInitCount.find(std::this_thread::get_id());
    if (found == context_.comInitCount.end()) return;
    if (--found->second <= 0) context_.comInitCount.erase(found);
}

HResult SimShellLinks::createShellLink(std::unique_ptr<ShellLinkObject>& link) {
    Lock lock(context_.mutex);
    link.reset();
    if (context_.comInitCount.count(std::this_thread::get_id()) == 0) return kCoENotInitialized;
    HResult fault = faultAt(ComStep::CoCreateInstance);
    if (fault != kSOk) return fault;
    link = std::make_unique<SimShellLinkObject>(*this);
    return kSOk;
}

HResult SimShellLinks::save(const std::u16string& path, const SimLink& link) {
    Lock lock(context_.mutex);
    HResult fault = faultAt(ComStep::Save);
    if (fault != kSOk) return fault;
    // Back to the 8-bit code page the file names of this machine live in.
    std::string narrow;
    for (char16_t unit : path) {
        if (unit == 0) break;
        if (unit > 0xFF) return hresultFromWin32(kErrorInvalidName);
        narrow += static_cast<char>(unit);
    }
    WinPath where;
    if (!files_.normalise(narrow, true, where)) return hresultFromWin32(kErrorInvalidName);
    std::ostringstream content;
    content << kHeader << "\n"
            << "Target=" << escape(link.target) << "\n"
            << "WorkingDirectory=" << escape(link.workingDirectory) << "\n"
            << "Description=" << escape(link.description) << "\n";
    uint32_t error = files_.writeWholeFile(where, content.str(), true);
    if (error != 0) return hresultFromWin32(error);
    auto& before_failure = context_.faults.comLinksBeforeFailure;
    if (before_failure && *before_failure > 0) --*before_failure;
    return kSOk;
}

std::optional<SimLink> SimShellLinks::read(const std::string& windows_path) const {
    WinPath where;
    if (!files_.normalise(windows_path, false, where)) return std::nullopt;
    auto content = files_.readWholeFile(where);
    if (!content) return std::nullopt;
    std::istringstream in(*content);
    std::string line;
    if (!std::getline(in, line) || line != kHeader) return std::nullopt;
    SimLink link;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq);
        std::string value = unescape(line.substr(eq + 1));
        if (key == "Target") link.target = value;
        else if (key == "WorkingDirectory") link.workingDirectory = value;
        else if (key == "Description") link.description = value;
    }
    return link;
}

std::string SimShellLinks::errorText(HResult code) {
    switch (static_cast<uint32_t>(code)) {
        case 0x80004005u: return "Unspecified error";
        case 0x80070005u: return "Access is denied.";
        case 0x80070003u: return "The system cannot find the path specified.";
        case 0x80070070u: return "There is not enough space on the disk.";
        case 0x8007007Bu:
            return "The filename, directory name, or volume label syntax is incorrect.";
        case 0x800401F0u: return "CoInitialize has not been called.";
        default: return "";
    }
}

}  // namespace stow::sim
