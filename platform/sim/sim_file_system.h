// The simulated file system: drive letters mapped onto host folders, names looked up without
// regard to case through a cached index per host folder, WOW64 redirection per thread, extra
// attribute bits, and the access-denied and disk-full faults.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/file_system.h"
#include "platform/sim/sim_context.h"
#include "platform/sim/sim_paths.h"

namespace stow::sim {

class SimFileSystem final : public FileSystem {
public:
    SimFileSystem(SimContext& context, const std::filesystem::path& host_root);

    void addDrive(char letter);

    std::unique_ptr<File> openRead(const std::string& path) override;
    std::unique_ptr<File> create(const std::string& path) override;
    std::unique_ptr<File> openAppend(const std::string& path) override;
    bool createDirectory(const std::string& path) override;
    uint32_t attributes(const std::string& path) override;
    std::unique_ptr<Finder> findFirst(const std::string& pattern) override;
    std::string currentDirectory() override;
    bool setCurrentDirectory(const std::string& path) override;
    DeleteResult deleteFile(const std::string& path) override;
    bool removeDirectory(const std::string& path) override;
    bool setAttributes(const std::string& path, uint32_t attributes) override;
    bool deleteAtRestart(const std::string& path) override;

    // Removes a file as DeleteFileA would, without the fault switches (the setup service's).
    DeleteResult removeFileAt(const WinPath& path);
    std::vector<std::string> restartDeletes() const;

    // --- shared with the shell, the setup service and the test-side view ---

    // A full path for text: against the current directory, and for platform calls (redirect)
    // with the calling thread's WOW64 redirection applied.
    bool normalise(const std::string& text, bool redirect, WinPath& out) const;

    struct Lookup {
        bool parentExists = false;  // the folder that would hold the leaf exists
        std::filesystem::path parentHost;
        bool exists = false;
        bool isDir = false;
        std::filesystem::path host;  // when it exists
    };
    Lookup lookup(const WinPath& path);

    // Makes or empties the file; returns the open descriptor or -1 with a Win32 error.
    // With faults, denied folders refuse.
    int createFileAt(const WinPath& path, bool faults, uint32_t& error, bool append = false);
    uint32_t createDirectoryAt(const WinPath& path, bool faults);
    // Writes a whole file, as one create and write; a short write removes the file.
    uint32_t writeWholeFile(const WinPath& path, const std::string& content, bool faults);
    std::optional<std::string> readWholeFile(const WinPath& path);
    uint32_t attributesAt(const WinPath& path);
    void setExtraAttributes(const WinPath& path, uint32_t attributes);

    struct DirEntry {
        std::string name;
        bool isDir = false;
    };
    // A folder's entries in case-insensitive name order; nullopt when it is not a folder.
    std::optional<std::vector<DirEntry>> listDirectory(const WinPath& path);
    // The host path for a Windows path: existing components resolved, the rest as given.
    std::filesystem::path hostPathFor(const WinPath& path);

    // Takes up to n bytes of the free-space budget; returns how many may be written.
    size_t takeDiskSpace(size_t n);
    bool denied(const std::string& windows_path) const;
    bool onFullDisk(const std::string& windows_path) const;

private:
    struct IndexEntry {
        std::string name;
        bool isDir = false;
    };
    // A host folder's modification time, to the nanosecond the host keeps.
    struct Stamp {
        int64_t seconds = 0;
        long nanoseconds = 0;
        bool operator==(const Stamp& o) const {
            return seconds == o.seconds && nanoseconds == o.nanoseconds;
        }
    };
    struct DirIndex {
        Stamp stamp;
        std::unordered_map<std::string, IndexEntry> byFolded;
    };

    // nullptr, or result, with error noted as the call's reason.
    std::unique_ptr<File> failed(uint32_t error);
    DeleteResult failedDelete(uint32_t error, DeleteResult result);

    DirIndex* indexOf(const std::filesystem::path& host_dir);
    const IndexEntry* findIn(DirIndex& index, const std::filesystem::path& host_dir,
                             const std::string& name);
    void noteCreated(const std::filesystem::path& host_dir, const std::string& name, bool is_dir);
    void noteRemoved(const std::filesystem::path& host_dir, const std::filesystem::path& host,
                     const std::string& name);
    uint32_t extraAttributes(const std::filesystem::path& host) const;

    SimContext& context_;
    std::filesystem::path host_root_;
    std::map<char, std::filesystem::path> drives_;
    std::unordered_map<std::string, DirIndex> indexes_;
    std::unordered_map<std::string, uint32_t> extra_attributes_;  // by host path
    WinPath current_;
    std::vector<std::string> restart_deletes_;
};

}  // namespace stow::sim
