// The simulated machine put together: one shared context, the platform parts over it, the
// profile's folders made on the drive, and the test-side view of files, keys and links. The
// test-side view sees the native file system: no WOW64 redirection, no faults.
#include "platform/sim/sim_windows.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "platform/sim/sim_context.h"
#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_setup_service.h"
#include "platform/sim/sim_shell_links.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_threads.h"

namespace stow::sim {

struct SimWindows::State {
    State(Profile profile, const std::filesystem::path& host_root)
        : context(profile),
          files(context, host_root),
          registry(context),
          setup(context, files),
          uninstaller(context, files),
          shell(context, files),
          system(context, &setup, &uninstaller),
          platform{files, registry, system, shell, threads} {}

    SimContext context;
    SimFileSystem files;
    SimRegistry registry;
    SimSetupService setup;
    SimSetupUninstaller uninstaller;
    SimShellLinks shell;
    SimSystem system;
    SimThreads threads;
    Platform platform;

    // A test-side path; throws on one no Windows call would accept, so a typo fails loudly.
    WinPath path(const std::string& windows_path) const {
        WinPath p;
        if (!files.normalise(windows_path, false, p)) {
            throw std::invalid_argument("not a usable Windows path: \"" + windows_path + "\"");
        }
        return p;
    }
};

SimWindows::SimWindows(Profile profile, const std::filesystem::path& host_root)
    : state_(std::make_unique<State>(profile, host_root)) {
    for (const std::string& folder : state_->context.facts.folders) makeDirectories(folder);
}

SimWindows::~SimWindows() = default;

Platform& SimWindows::platform() { return state_->platform; }

Profile SimWindows::profile() const { return state_->context.profile; }

Faults& SimWindows::faults() { return state_->context.faults; }

void SimWindows::addDrive(char letter) { state_->files.addDrive(letter); }

std::filesystem::path SimWindows::hostPath(const std::string& windows_path) const {
    return state_->files.hostPathFor(state_->path(windows_path));
}

bool SimWindows::exists(const std::string& windows_path) const {
    WinPath p;
    return state_->files.normalise(windows_path, false, p) && state_->files.lookup(p).exists;
}

bool SimWindows::isDirectory(const std::string& windows_path) const {
    WinPath p;
    if (!state_->files.normalise(windows_path, false, p)) return false;
    auto found = state_->files.lookup(p);
    return found.exists && found.isDir;
}

std::string SimWindows::readFile(const std::string& windows_path) const {
    auto content = state_->files.readWholeFile(state_->path(windows_path));
    if (!content) throw std::runtime_error("no such file: \"" + windows_path + "\"");
    return *content;
}

void SimWindows::writeFile(const std::string& windows_path, const std::string& content) {
    WinPath p = state_->path(windows_path);
    if (p.isRoot()) throw std::invalid_argument("cannot write a drive root");
    WinPath parent = p;
    parent.parts.pop_back();
    makeDirectories(parent.text());
    if (state_->files.writeWholeFile(p, content, false) != 0) {
        throw std::runtime_error("cannot write \"" + windows_path + "\"");
    }
}

void SimWindows::makeDirectories(const std::string& windows_path) {
    WinPath p = state_->path(windows_path);
    WinPath step;
    step.drive = p.drive;
    for (const std::string& part : p.parts) {
        step.parts.push_back(part);
        auto found = state_->files.lookup(step);
        if (found.exists && found.isDir) continue;
        if (state_->files.createDirectoryAt(step, false) != 0) {
            throw std::runtime_error("cannot make \"" + step.text() + "\"");
        }
    }
}

void SimWindows::setAttributes(const std::string& windows_path, uint32_t attributes) {
    state_->files.setExtraAttributes(state_->path(windows_path), attributes);
}

std::vector<std::string> SimWindows::listFiles(const std::string& windows_dir) const {
    std::vector<std::string> out;
    std::function<void(const WinPath&, const std::string&)> walk = [&](const WinPath& dir,
                                                                     const std::string& prefix) {
        auto listing = state_->files.listDirectory(dir);
        if (!listing) return;
        for (const auto& entry : *listing) {
            WinPath child = dir;
            child.parts.push_back(entry.name);
            if (entry.isDir) {
                walk(child, prefix + entry.name + "\\");
            } else {
                out.push_back(prefix + entry.name);
            }
        }
    };
    walk(state_->path(windows_dir), "");
    return out;
}

std::optional<std::string> SimWindows::registryValue(RegistryView view, const std::string& key,
                                                     const std::string& name) const {
    return state_->registry.value(view, key, name);
}

bool SimWindows::registryKeyExists(RegistryView view, const std::string& key) const {
    return state_->registry.keyExists(view, key);
}

std::map<std::string, std::string> SimWindows::registryValues(RegistryView view,
                                                              const std::string& key) const {
    return state_->registry.values(view, key);
}

std::vector<std::string> SimWindows::registrySnapshot(RegistryView view) const {
    return state_->registry.snapshot(view);
}

RegistryView SimWindows::processView() const { return state_->registry.processView(); }

std::optional<SimLink> SimWindows::link(const std::string& lnk_path) const {
    return state_->shell.read(lnk_path);
}

std::vector<std::string> SimWindows::restartDeletes() const {
    return state_->files.restartDeletes();
}

std::vector<std::string> SimWindows::setupCalls() const { return state_->setup.calls(); }

void SimWindows::setCommandLine(const std::string& command_line) {
    state_->system.setCommandLine(command_line);
}

void SimWindows::setExecutablePath(const std::string& windows_path) {
    state_->system.setExecutablePath(windows_path);
}

void SimWindows::setLocalTime(const LocalTime& t) { state_->system.setLocalTime(t); }


void SimWindows::useDoubleByteCodePage(bool enabled) {
    state_->system.useDoubleByteCodePage(enabled);
}

bool SimWindows::redirectionDisabledForThisThread() const {
    return state_->context.redirectionDisabled();
}

}  // namespace stow::sim
