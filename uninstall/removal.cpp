// The removal, in the order that keeps a half-finished run repeatable: links and files first,
// then the file log and the installed-packages value (kept while a file of the package could
// not be removed, so a second run finds it again), then what the vendor's installations share.
#include "uninstall/removal.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "engine/directories.h"
#include "engine/drivers.h"
#include "base/error.h"
#include "engine/file_log.h"
#include "engine/find_files.h"
#include "engine/link_rules.h"
#include "engine/locations.h"
#include "base/paths.h"
#include "engine/placement.h"
#include "engine/registration.h"
#include "engine/shortcuts.h"
#include "uninstall/inf_references.h"
#include "uninstall/restart_delete.h"
#include "uninstall/uninstall_paths.h"

namespace stow {

namespace {

const char kLogName[] = "FileLog.ini";
// Where the system keeps the catalogs of preinstalled drivers, below the system directory.
const char kCatalogStore[] = "catroot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\";

bool isSignedDecimal(const std::string& text) {
    size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    if (i >= text.size() || text.size() - i > 10) return false;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

std::string registryName(const std::string& key, const std::string& value = {}) {
    return "HKLM\\" + key + (value.empty() ? std::string() : "\\" + value);
}

class Removal {
public:
    Removal(UninstallMachine& machine, const std::vector<Installation>& all,
            const std::vector<bool>& selected, Progress* progress)
        : m_(machine), files_(machine.platform.files), all_(all), selected_(selected),
          progress_(progress) {}

    UninstallReport run();

private:
    struct Prune {
        std::string dir;   // ends in "\"
        std::string root;  // the walk stops here
        bool inclusive;    // the root goes too when empty
    };

    void noteRemaining();
    void removeInstallation(const Installation& inst);
    void removeLinks(const FileLog& log, const std::string& section, const Installation& inst);
    bool removeLoggedFile(const Installation& inst, const std::string& key,
                          const std::string& value);
    void removeDrivers();
    void removeVendorEntries();
    void pruneAll();
    void listLeftovers(const std::string& dir, const std::string& reason);

    // Deletes one file; false only when it is still there and not scheduled.
    bool deleteOne(const std::string& path);
    void deleteKeyIfEmpty(const std::string& key);
    const std::string* rootFor(const std::string& path, const std::string& target) const;
    bool isProtectedDirectory(const std::string& dir) const;
    void step();

    UninstallMachine& m_;
    FileSystem& files_;
    const std::vector<Installation>& all_;
    const std::vector<bool>& selected_;
    Progress* progress_;
    UninstallReport report_;

    std::set<std::string> shared_files_;   // upper-cased paths other installations list
    std::set<std::string> shared_groups_;  // upper-cased group folders of other installations
    std::set<std::string> shared_logs_;    // upper-cased "target|package" of other installations
    std::set<std::string> other_targets_;  // upper-cased target directories of other installations
    std::vector<Prune> prunes_;
    std::vector<std::string> groups_;      // group folders whose links were removed
    std::vector<std::string> leftover_dirs_;  // listed after pruning when they still exist
    bool kept_selected_ = false;           // a chosen installation stays registered
    std::string self_;                     // the uninstaller, when a chosen log lists it
    int position_ = 0;
};

UninstallReport Removal::run() {
    noteRemaining();
    int total = 0;
    for (size_t i = 0; i < all_.size(); ++i) {
        if (!selected_[i] || !all_[i].usable) continue;
        total += static_cast<int>(
            FileLog::open(files_, all_[i].targetDirectory + kLogName)
                .entries(fileLogSection(m_.vendor, all_[i].packageName))
                .size());
    }
    if (progress_) {
        progress_->setMax(total);
        progress_->setPosition(0);
    }

    for (size_t i = 0; i < all_.size(); ++i) {
        if (!selected_[i]) continue;
        if (all_[i].usable) {
            removeInstallation(all_[i]);
        } else {
            report_.add(Outcome::KeptUnknown,
                        registryName(installedPackagesKeyPath(m_.vendor), all_[i].valueName),
                        "not a package name and target directory: \"" + all_[i].data + "\"");
        }
    }
    const bool none_left = other_targets_.empty() && !kept_selected_;
    if (none_left) {
        removeDrivers();
        // Made instead of the uninstall entry; it goes before the group is pruned.
        for (const std::string& group : groups_) {
            deleteOne(group + replaceChar("Uninstall " + m_.vendor + " Software", '/', '-') + ".lnk");
        }
    }
    pruneAll();
    // Each folder once: one inside another that is listed anyway is skipped.
    std::sort(leftover_dirs_.begin(), leftover_dirs_.end(),
              [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    std::vector<std::string> listed;
    for (const std::string& dir : leftover_dirs_) {
        bool covered = false;
        for (const std::string& done : listed) {
            covered = covered || samePath(dir, done) || isInsideDirectory(dir, done);
        }
        if (covered) continue;
        listed.push_back(dir);
        listLeftovers(dir, "not put there by the installer, or not known to be");
    }
    if (none_left) {
        removeVendorEntries();
        if (!self_.empty()) deleteOne(self_);  // last: the program itself
    }
    if (progress_) {
        progress_->setPosition(total);
    }
    return report_;
}

void Removal::noteRemaining() {
    for (size_t i = 0; i < all_.size(); ++i) {
        if (selected_[i] || !all_[i].usable) continue;
        const Installation& inst = all_[i];
        const std::string section = fileLogSection(m_.vendor, inst.packageName);
        const FileLog log = FileLog::open(files_, inst.targetDirectory + kLogName);
        for (const auto& [key, value] : log.entries(section)) {
            shared_files_.insert(upperAscii(value.substr(0, value.rfind(','))));
        }
        if (const auto group = log.find("START", section)) {
            shared_groups_.insert(upperAscii(asDirectory(*group)));
        }
        shared_logs_.insert(upperAscii(inst.targetDirectory + "|" + inst.packageName));
        other_targets_.insert(upperAscii(inst.targetDirectory));
    }
}

void Removal::step() {
    if (!progress_) return;
    progress_->setPosition(++position_);
}

void Removal::removeInstallation(const Installation& inst) {
    const std::string& target = inst.targetDirectory;
    const std::string section = fileLogSection(m_.vendor, inst.packageName);
    const std::string log_path = target + kLogName;
    const std::string value = registryName(installedPackagesKeyPath(m_.vendor), inst.valueName);

    if (shared_logs_.count(upperAscii(target + "|" + inst.packageName)) != 0) {
        // The same package in the same folder is registered again: its files stay for that one.
        report_.add(Outcome::KeptShared, target, "the same package is installed there again");
    } else if (!directoryExists(files_, target)) {
        // Nothing left to remove there; the registration alone goes.
    } else {
        FileLog log = FileLog::open(files_, log_path);
        if (!log.hasSection(section)) {
            report_.add(Outcome::KeptUnknown, target,
                        "its " + std::string(kLogName) + " does not list the package's files");
            kept_selected_ = true;
            return;
        }
        removeLinks(log, section, inst);
        std::vector<std::pair<std::string, std::string>> failed;
        for (const auto& [key, entry] : log.entries(section)) {
            if (!removeLoggedFile(inst, key, entry)) failed.emplace_back(key, entry);
            step();
        }
        log.removeSection(section);
        if (failed.empty()) {
            log.removeEntry("START", section);
            if (log.entries("START").empty()) log.removeSection("START");
        } else {
            // Keep what could not be removed on record for the next run.
            for (const auto& [key, entry] : failed) log.set(section, key, entry);
            kept_selected_ = true;
        }
        if (log.sectionCount() == 0) {
            deleteOne(log_path);
        } else {
            try {
                log.save(files_, log_path);
            } catch (const Error& e) {
                report_.add(Outcome::Failed, log_path, "cannot be rewritten: " + e.describe());
            }
        }
        // A target that is, or holds, a system folder keeps its folders and is not listed.
        if (other_targets_.count(upperAscii(target)) == 0 && !isProtectedDirectory(target)) {
            prunes_.push_back(Prune{target, target, true});
            leftover_dirs_.push_back(target);
        }
        if (!failed.empty()) return;
    }

    if (m_.platform.registry.deleteValue(installedPackagesKeyPath(m_.vendor), inst.valueName)) {
        report_.add(Outcome::Removed, value);
    } else {
        report_.add(Outcome::Failed, value, "the registry refused to delete it");
        kept_selected_ = true;
    }
}

void Removal::removeLinks(const FileLog& log, const std::string& section,
                          const Installation& inst) {
    const auto start = log.find("START", section);
    if (!start) return;  // no links were recorded
    const std::string group = asDirectory(*start);
    if (!isPlainAbsolutePath(group) || !isInsideDirectory(group, m_.locations.programsPath)) {
        report_.add(Outcome::KeptUnknown, group, "the Start-menu group the file log names lies "
                                                 "outside the programs folder");
        return;
    }
    if (shared_groups_.count(upperAscii(group)) != 0) {
        report_.add(Outcome::KeptShared, group, "the Start-menu group of another installation");
        return;
    }

    // What the package put at the top of its target directory, and one level below.
    struct Top {
        std::string name;
        bool directory = false;
        std::vector<std::string> children;
    };
    std::vector<Top> tops;
    std::map<std::string, size_t> by_name;
    const std::string& target = inst.targetDirectory;
    for (const auto& [key, entry] : log.entries(section)) {
        const std::string destination = entry.substr(0, entry.rfind(','));
        if (entry.find(',') == std::string::npos || !isPlainAbsolutePath(destination) ||
            !isInsideDirectory(destination, target)) {
            continue;
        }
        const std::string relative = destination.substr(target.size());
        const size_t cut = relative.find('\\');
        const std::string name = relative.substr(0, cut);
        auto [it, added] = by_name.emplace(upperAscii(name), tops.size());
        if (added) tops.push_back(Top{name, false, {}});
        if (cut == std::string::npos) continue;
        Top& top = tops[it->second];
        top.directory = true;
        const std::string rest = relative.substr(cut + 1);
        const std::string child = rest.substr(0, rest.find('\\'));
        bool known = false;
        for (const std::string& c : top.children) known = known || samePath(c, child);
        if (!known) top.children.push_back(child);
    }

    for (const Top& top : tops) {
        const LinkDecision decision = decideLink(top.name, top.directory, m_.vendor);
        if (decision.action == LinkAction::Link) {
            deleteOne(group + replaceChar(decision.linkName, '/', '-') + ".lnk");
        } else if (decision.action == LinkAction::SubGroup) {
            const std::string sub = group + decision.linkName + "\\";
            for (const std::string& child : top.children) {
                if (!child.empty() && child[0] != '.') {
                    deleteOne(sub + replaceChar(child, '/', '-') + ".lnk");
                }
            }
            prunes_.push_back(Prune{sub, group, true});
            leftover_dirs_.push_back(sub);
        }
    }
    prunes_.push_back(Prune{group, group, true});
    leftover_dirs_.push_back(group);
    groups_.push_back(group);
}

bool Removal::removeLoggedFile(const Installation& inst, const std::string& key,
                               const std::string& entry) {
    const size_t comma = entry.rfind(',');
    if (comma == std::string::npos || !isSignedDecimal(entry.substr(comma + 1))) {
        report_.add(Outcome::KeptUnknown, key + "=" + entry, "a file-log entry that cannot be read");
        return true;
    }
    const std::string destination = entry.substr(0, comma);
    if (destination.size() >= kMaxAnsiPath) {
        report_.add(Outcome::KeptUnknown, destination, "longer than Windows paths may be");
        return true;
    }
    if (!isPlainAbsolutePath(destination) || destination.back() == '\\') {
        report_.add(Outcome::KeptUnknown, destination, "a file-log entry that cannot be read");
        return true;
    }
    const std::string* root = rootFor(destination, inst.targetDirectory);
    if (root == nullptr) {
        report_.add(Outcome::KeptUnknown, destination,
                    "outside the folders the installer writes to");
        return true;
    }
    if (shared_files_.count(upperAscii(destination)) != 0) {
        report_.add(Outcome::KeptShared, destination, "listed by another installation");
        return true;
    }
    if (samePath(destination, m_.programPath)) {
        self_ = destination;
        return true;
    }
    const bool removed = deleteOne(destination);
    prunes_.push_back(Prune{directoryPart(destination), *root, root == &inst.targetDirectory});
    return removed;
}

const std::string* Removal::rootFor(const std::string& path, const std::string& target) const {
    if (isInsideDirectory(path, target)) return &target;
    const InstallLocations& l = m_.locations;
    for (const std::string* dir : {&l.driverPath, &l.dllPath, &l.systemPath, &l.windowsPath}) {
        if (isPlainAbsolutePath(*dir) && isInsideDirectory(path, *dir)) return dir;
    }
    return nullptr;
}

bool Removal::isProtectedDirectory(const std::string& dir) const {
    const InstallLocations& l = m_.locations;
    for (const std::string* location :
         {&l.windowsPath, &l.systemPath, &l.dllPath, &l.driverPath, &l.programsPath}) {
        // The system's own folders and every folder that holds one of them.
        if (samePath(dir, *location) || isInsideDirectory(*location, dir)) return true;
    }
    // Folders directly in the Windows directory (INF, Help, Fonts, ...) are the system's.
    if (samePath(parentDirectory(dir), l.windowsPath)) return true;
    return samePath(dir, l.windowsPath + "INF\\Other\\") || parentDirectory(dir).empty();
}

bool Removal::deleteOne(const std::string& path) {
    const uint32_t attributes = files_.attributes(path);
    if (attributes == FileSystem::kInvalidAttributes) return true;  // already gone
    if ((attributes & kAttrDirectory) != 0) {
        report_.add(Outcome::KeptUnknown, path, "a folder stands where the file was");
        return true;
    }
    if ((attributes & kAttrReadOnly) != 0) {
        files_.setAttributes(path, attributes & ~static_cast<uint32_t>(kAttrReadOnly));
    }
    switch (files_.deleteFile(path)) {
        case DeleteResult::Deleted:
            report_.add(Outcome::Removed, path);
            return true;
        case DeleteResult::Missing:
            return true;
        case DeleteResult::InUse:
            if (scheduleDeleteAtRestart(files_, m_.nt, m_.locations.windowsPath, path)) {
                report_.add(Outcome::Scheduled, path, "in use");
                return true;
            }
            report_.add(Outcome::Failed, path, "in use, and it cannot be scheduled for restart");
            break;
        case DeleteResult::Failed:
            report_.add(Outcome::Failed, path, "access denied");
            break;
    }
    if ((attributes & kAttrReadOnly) != 0) files_.setAttributes(path, attributes);
    return false;
}

void Removal::removeDrivers() {
    Registry& registry = m_.platform.registry;
    const std::string key = infKeyPath(m_.vendor);
    auto listing = registry.list(key);
    if (!listing) return;
    SetupUninstaller* service = m_.platform.system.findSetupUninstaller();
    const std::string inf_dir = m_.locations.windowsPath + "INF\\";
    for (const auto& [inf_path, oem_name] : listing->values) {
        const std::string dir = directoryPart(inf_path);
        if (!isPlainAbsolutePath(inf_path) || inf_path.back() == '\\' ||
            parentDirectory(dir).empty() || isProtectedDirectory(dir)) {
            report_.add(Outcome::KeptUnknown, registryName(key, inf_path),
                        "does not name an INF in a drivers directory");
            continue;
        }
        bool ok = true;
        // The system's copy: a bare name in the INF folder.
        if (oem_name.empty() || oem_name.find_first_of("\\/:") != std::string::npos ||
            oem_name == "." || oem_name == "..") {
            report_.add(Outcome::KeptUnknown, registryName(key, inf_path),
                        "its data \"" + oem_name + "\" is not a name in the INF folder");
            continue;
        }
        const std::string oem_path = inf_dir + oem_name;
        if (service != nullptr) {
            if (service->uninstallOEMInf(oem_name)) {
                report_.add(Outcome::Removed, oem_path);
            } else if (fileExists(files_, oem_path)) {
                report_.add(Outcome::Failed, oem_path, "the setup service refused to remove it");
                ok = false;
            }
        } else {
            ok = deleteOne(oem_path);
        }
        // The system's precompiled form of the same INF, where the service left it.
        const std::string pnf = withoutExtension(oem_path) + ".pnf";
        if (ok && fileExists(files_, pnf)) ok = deleteOne(pnf);

        // The driver copies: the INF and the files it names beside itself.
        std::string text;
        if (auto file = files_.openRead(inf_path)) {
            char buffer[4096];
            while (size_t n = file->read(buffer, sizeof buffer)) text.append(buffer, n);
        }
        const InfReferences refs = infReferences(text);
        // The system's copy of the INF's catalog: its store is the system's own, so a copy the
        // service left there is only named in the report.
        for (const std::string& catalog : refs.catalogs) {
            for (const std::string* dir : {&m_.locations.systemPath, &m_.locations.dllPath}) {
                const std::string copy = *dir + kCatalogStore + catalog;
                if (fileExists(files_, copy) && !report_.mentions(copy)) {
                    report_.add(Outcome::KeptUnknown, copy,
                                "the system's copy of the driver catalog, which the setup service "
                                "keeps");
                }
            }
        }
        for (const std::string& relative : refs.files) {
            ok = deleteOne(dir + relative) && ok;
            prunes_.push_back(Prune{directoryPart(dir + relative), dir, true});
        }
        for (const std::string& refused : refs.refused) {
            report_.add(Outcome::KeptUnknown, refused, "named by " + inf_path + " outside its folder");
        }
        ok = deleteOne(inf_path) && ok;
        prunes_.push_back(Prune{dir, dir, true});
        leftover_dirs_.push_back(dir);
        if (!ok) continue;  // the record stays for the next run
        if (registry.deleteValue(key, inf_path)) {
            report_.add(Outcome::Removed, registryName(key, inf_path));
        } else {
            report_.add(Outcome::Failed, registryName(key, inf_path),
                        "the registry refused to delete it");
        }
    }
}

void Removal::removeVendorEntries() {
    Registry& registry = m_.platform.registry;
    const std::string uninstall = uninstallKeyPath(m_.vendor);
    if (auto entry = registry.list(uninstall)) {
        // The entry names the uninstaller: it goes with the entry, even when no log is left
        // that lists it.
        for (const auto& [name, data] : entry->values) {
            if (upperAscii(name) == "UNINSTALLSTRING" && samePath(data, m_.programPath)) {
                self_ = m_.programPath;
            }
        }
        if (registry.deleteTree(uninstall)) {
            report_.add(Outcome::Removed, registryName(uninstall));
        } else {
            report_.add(Outcome::Failed, registryName(uninstall), "the registry refused to delete it");
        }
    }
    deleteKeyIfEmpty(installedPackagesKeyPath(m_.vendor));
    deleteKeyIfEmpty(infKeyPath(m_.vendor));
    deleteKeyIfEmpty("Software\\" + m_.vendor);
    // Driver copies that no INF record names stay, and are listed.
    if (!m_.defaultDriversDirectory.empty()) {
        bool listed = false;
        for (const std::string& dir : leftover_dirs_) listed = listed || samePath(dir, m_.defaultDriversDirectory);
        if (!listed) listLeftovers(m_.defaultDriversDirectory, "no preinstalled INF names it");
    }
}

void Removal::deleteKeyIfEmpty(const std::string& key) {
    auto listing = m_.platform.registry.list(key);
    if (!listing || !listing->values.empty() || !listing->subkeys.empty()) return;
    if (m_.platform.registry.deleteTree(key)) {
        report_.add(Outcome::Removed, registryName(key));
    } else {
        report_.add(Outcome::Failed, registryName(key), "the registry refused to delete it");
    }
}

void Removal::pruneAll() {
    // Deepest first, so a parent is tried once its children are gone.
    std::stable_sort(prunes_.begin(), prunes_.end(),
                     [](const Prune& a, const Prune& b) { return a.dir.size() > b.dir.size(); });
    for (const Prune& p : prunes_) {
        for (std::string dir = p.dir;
             isInsideDirectory(dir, p.root) || (p.inclusive && samePath(dir, p.root));
             dir = parentDirectory(dir)) {
            if (isProtectedDirectory(dir)) break;
            // One already gone (an earlier walk) lets the walk go on to its parent.
            if (directoryExists(files_, dir) && !files_.removeDirectory(dir)) break;
            if (samePath(dir, p.root)) break;
        }
    }
}

void Removal::listLeftovers(const std::string& dir, const std::string& reason) {
    if (!directoryExists(files_, dir)) return;
    std::function<void(const std::string&, int)> walk = [&](const std::string& d, int depth) {
        if (depth > 32) return;
        for (const FindEntry& e : findFiles(files_, d + "*", kFindAnyFile)) {
            if (e.name == "." || e.name == "..") continue;
            if ((e.attributes & kAttrDirectory) != 0) {
                walk(d + e.name + "\\", depth + 1);
            } else {
                report_.add(Outcome::KeptUnknown, d + e.name, reason);
            }
        }
    };
    walk(dir, 0);
}

}  // namespace

UninstallMachine describeMachine(Platform& platform, const std::string& vendor) {
    // The package name plays no part in the locations; redirection goes off as in the installer.
    const ComputedLocations computed = computeInstallLocations(platform.system, vendor, "");
    auto lead = [&platform](unsigned char b) { return platform.system.isLeadByte(b); };
    return UninstallMachine{platform,
                            vendor,
                            computed.locations,
                            computed.facts.nt,
                            platform.system.executablePath(),
                            addTrailingSeparator(computed.directories.drivers, lead)};
}

UninstallReport removeInstallations(UninstallMachine& machine, const std::vector<Installation>& all,
                                    const std::vector<bool>& selected, Progress* progress) {
    return Removal(machine, all, selected, progress).run();
}

}  // namespace stow
