// Shell links made one at a time, each inside its own COM initialisation, so a failure leaves
// no half-initialised apartment behind and the links made before it stay as they are.
#include "engine/shortcuts.h"


#include "engine/directories.h"
#include "base/error.h"
#include "base/number_text.h"
#include "engine/find_files.h"
#include "engine/link_rules.h"
#include "base/paths.h"

namespace stow {

namespace {

const char kFallbackFolder[] = "RozeDi\\";

// CoInitialize on construction (S_FALSE counts as success), CoUninitialize on destruction.
class ComApartment {
public:
    explicit ComApartment(ShellLinks& shell) : shell_(shell) {
        HResult hr = shell_.coInitialize();
        if (hr < 0) throw oleError(shell_, hr);
    }
    ~ComApartment() { shell_.coUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    ShellLinks& shell_;
};

void check(ShellLinks& shell, HResult hr) {
    if (hr < 0) throw oleError(shell, hr);
}

// Holds the start-menu group extended by a sub-group and puts the old value back however the
// scope is left.
class GroupExtension {
public:
    GroupExtension(std::string& group, const std::string& sub_group)
        : group_(group), saved_(group) {
        group_ = saved_ + "\\" + sub_group;
    }
    ~GroupExtension() { group_ = saved_; }
    GroupExtension(const GroupExtension&) = delete;
    GroupExtension& operator=(const GroupExtension&) = delete;

private:
    std::string& group_;
    std::string saved_;
};

}  // namespace

std::string replaceChar(std::string text, char from, char to) {
    for (char& c : text) {
        if (c == from) c = to;
    }
    return text;
}

EOleSysError oleError(ShellLinks& shell, HResult code) {
    std::string text = shell.errorText(code);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        text = "OLE error " + hexText(static_cast<unsigned>(code), 8, false);
    }
    return EOleSysError(text, code);
}

void createShellLink(ShellLinks& shell, System& system, const std::string& target,
                     const std::string& link_file) {
    ComApartment apartment(shell);
    std::unique_ptr<ShellLinkObject> link;  // released before the apartment ends
    check(shell, shell.createShellLink(link));
    if (!link) throw oleError(shell, static_cast<HResult>(0x80004003u));  // E_POINTER
    check(shell, link->queryPersistFile());
    check(shell, link->setDescription(""));
    check(shell, link->setPath(target));
    check(shell, link->setWorkingDirectory(directoryPart(target)));

    // The save takes a NUL-terminated path from a fixed buffer: a longer path (or one the
    // conversion would cut at an embedded NUL) must fail rather than save somewhere else.
    std::u16string wide = system.toUtf16(link_file);
    if (wide.size() + 1 > kMaxLinkPathUnits || wide.find(u'\0') != std::u16string::npos ||
        (wide.empty() && !link_file.empty())) {
        throw oleError(shell, kLinkPathTooLong);
    }
    check(shell, link->save(wide));
}

void createLinkInGroup(InstallJob& job, const std::string& target, const std::string& link_name) {
    FileSystem& files = job.platform.files;
    const std::string name = replaceChar(link_name, '/', '-');
    const std::string& programs = job.locations.programsPath;

    // Checked for every link: a folder removed meanwhile is made again.
    std::string folder = programs + job.package.startMenuGroup + "\\";
    if (!directoryExists(files, folder) && !forceDirectories(files, folder)) {
        folder = programs + kFallbackFolder;
        // A failure here surfaces as the failing save.
        if (!directoryExists(files, folder)) forceDirectories(files, folder);
    }
    System& system = job.platform.system;
    folder = addTrailingSeparator(folder, [&system](unsigned char b) { return system.isLeadByte(b); });
    createShellLink(job.platform.shell, system, target, folder + name + ".lnk");
    if (job.report) job.report->line({"Link: ", folder, name, ".lnk -> ", target});
}

void createSubGroupLinks(InstallJob& job, const std::string& directory,
                         const std::string& sub_group) {
    GroupExtension extension(job.package.startMenuGroup, sub_group);
    for (const FindEntry& entry : findFiles(job.platform.files, directory + "*.*", kFindDirectory)) {
        if (entry.name.empty() || entry.name[0] == '.') continue;
        createLinkInGroup(job, directory + entry.name, entry.name);
    }
}

void runLinkPhase(InstallJob& job) {
    const std::string& target_dir = job.targetDirectory;
    try {
        for (const FindEntry& entry :
             findFiles(job.platform.files, target_dir + "*.*", kFindAnyFile)) {
            const bool is_directory = (entry.attributes & kAttrDirectory) != 0;
            LinkDecision decision = decideLink(entry.name, is_directory, job.package.vendorName);
            switch (decision.action) {
                case LinkAction::None:
                    break;
                case LinkAction::Link:
                    createLinkInGroup(job, target_dir + entry.name, decision.linkName);
                    break;
                case LinkAction::SubGroup:
                    createSubGroupLinks(job, target_dir + entry.name + "\\", decision.linkName);
                    break;
            }
        }
    } catch (const EOleSysError& error) {
        if (job.report) {
            job.report->line({"Link failed, no further links: ", error.className(), ": ",
                              error.what()});
        }
        // A link that cannot be made ends the phase; the links made so far stay.
    }
}

}  // namespace stow
