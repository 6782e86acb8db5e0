// A simulated Windows for host tests: real files under a host folder (one subfolder per drive
// letter), case-insensitive path lookup, an in-memory registry with 32- and 64-bit views, a setup
// service that copies INFs to oemN.inf, shell links saved as small files, scripted message boxes,
// a settable clock, and switches for the failures real machines produce.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/profiles.h"

namespace stow::sim {

enum class RegistryView { Native, Wow32 };  // Wow32: what a 32-bit process writes on Nt64

// The step of a shell-link creation at which the simulated COM fails.
enum class ComStep { None, CoInitialize, CoCreateInstance, QueryInterface, SetDescription,
                     SetPath, SetWorkingDirectory, Save };

enum class SetupMode { Accept, Reject, Slow };

struct Faults {
    // Host-side paths are not involved: every path here is a Windows path, matched
    // case-insensitively as a prefix (a folder and everything under it).
    std::vector<std::string> accessDenied;   // create/write/createDirectory fail there
    std::optional<int64_t> diskFreeBytes;    // writes fail once this many bytes were written
                                             // (counts down as files, INF copies and links are written)
    std::vector<std::string> fullDisk;       // writes there fail as on a full drive of their own
    bool failFolderQueries = false;          // windows/system/special folder queries answer ""
    std::set<int> failSpecialFolders;        // only these CSIDLs answer ""
    std::optional<std::string> windowsDirectory;    // answered instead of the profile's folder
    std::map<int, std::string> specialFolders;      // CSIDLs answered with these paths instead
    bool setupLookupThrows = false;          // looking for the setup service raises an exception
    bool registryReadOnly = false;           // every openOrCreate under HKLM fails
    std::vector<std::string> registryDenied; // key paths (prefix match) that cannot be opened
    std::optional<int> registryWritesBeforeFailure;  // setString fails after this many writes
    std::vector<std::string> registryUndeletable;  // key paths (prefix match): readable, but
                                                   // their values and keys cannot be deleted
    std::vector<std::string> inUse;          // files (prefix match) open elsewhere: delete fails
    ComStep comFailsAt = ComStep::None;
    HResult comFailure = static_cast<HResult>(0x80004005);  // E_FAIL
    std::optional<int> comLinksBeforeFailure;  // with comFailsAt: links that succeed first
    SetupMode setup = SetupMode::Accept;
    std::set<std::string> setupRejects;      // INF paths the service rejects (case-insensitive)
    std::chrono::milliseconds setupDelay{50};  // SetupMode::Slow
};

// A saved shell link, as the simulated shell writes it.
struct SimLink {
    std::string target;
    std::string workingDirectory;
    std::string description;
};

class SimWindows {
public:
    // host_root must be an empty (or missing) host folder; it is created and owned by the caller.
    // Drive C: is host_root/C. The profile's usual folders are created on the drive.
    SimWindows(Profile profile, const std::filesystem::path& host_root);
    ~SimWindows();
    SimWindows(const SimWindows&) = delete;
    SimWindows& operator=(const SimWindows&) = delete;

    Platform& platform();
    Profile profile() const;
    Faults& faults();

    // Another drive letter, mapped onto host_root/<letter>.
    void addDrive(char letter);

    // --- test-side access to the machine's state (Windows paths, case-insensitive) ---
    // It sees the native file system: no WOW64 redirection and no faults.
    std::filesystem::path hostPath(const std::string& windows_path) const;  // resolved if it exists
    bool exists(const std::string& windows_path) const;
    bool isDirectory(const std::string& windows_path) const;
    std::string readFile(const std::string& windows_path) const;  // throws when missing
    void writeFile(const std::string& windows_path, const std::string& content);  // makes parents
    void makeDirectories(const std::string& windows_path);
    void setAttributes(const std::string& windows_path, uint32_t attributes);  // hidden/system
    std::vector<std::string> listFiles(const std::string& windows_dir) const;  // recursive, relative

    std::optional<std::string> registryValue(RegistryView view, const std::string& key,
                                             const std::string& name) const;
    bool registryKeyExists(RegistryView view, const std::string& key) const;
    std::map<std::string, std::string> registryValues(RegistryView view,
                                                      const std::string& key) const;
    // Every key of the view with its values, as "key" and "key\\name=data" lines, sorted:
    // a snapshot to compare the registry before and after.
    std::vector<std::string> registrySnapshot(RegistryView view) const;
    // The view a 32-bit process writes on this profile.
    RegistryView processView() const;

    std::optional<SimLink> link(const std::string& lnk_path) const;  // nullopt when not a link

    // Files scheduled for deletion at the next restart (MoveFileEx), in order.
    std::vector<std::string> restartDeletes() const;

    // Calls that reached the setup service, in order (source INF paths).
    std::vector<std::string> setupCalls() const;

    void setCommandLine(const std::string& command_line);
    void setExecutablePath(const std::string& windows_path);
    void setLocalTime(const LocalTime& t);
    // Answers for the next message boxes, in order; kIdOk once they run out.
    // Which characters IsDBCSLeadByte accepts (none by default; code page 932's set on request).
    void useDoubleByteCodePage(bool enabled);

    // Whether the calling thread has switched file-system redirection off (Nt64 only matters).
    bool redirectionDisabledForThisThread() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace stow::sim
