// Files and directories as the installer uses them: 8-bit ANSI paths with "\" separators,
// drive letters, case-insensitive names. Backends: win32 (the real API) and sim (a host folder).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace stow {

// File attribute bits, with the values Windows uses.
enum : uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrVolumeId = 0x08,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
    kAttrNormal = 0x80,
};

// Why a call failed, in the terms the installer tells apart, with the system's own number.
enum class FailureKind {
    None,
    AccessDenied,
    DiskFull,
    PathNotFound,
    FileNotFound,
    InUse,  // open elsewhere without the sharing asked for, or locked
    Other,
};

struct Failure {
    FailureKind kind = FailureKind::None;
    uint32_t code = 0;  // the Win32 error code (GetLastError), 0 when none
};

// Win32 error codes as every backend reports them; the Win32 backend passes GetLastError.
inline Failure failureOf(uint32_t code) {
    switch (code) {
        case 0: return {FailureKind::None, 0};
        case 2: return {FailureKind::FileNotFound, code};
        case 3: return {FailureKind::PathNotFound, code};
        case 5: return {FailureKind::AccessDenied, code};
        case 32:    // sharing violation
        case 33:    // lock violation
        case 1224:  // a mapped section: a running image
            return {FailureKind::InUse, code};
        case 39:    // handle disk full
        case 112:   // disk full
            return {FailureKind::DiskFull, code};
        default: return {FailureKind::Other, code};
    }
}

// Where a failing call leaves its reason: read it right after the call, on the same thread.
// Calls that never fail (or only answer "not there") leave it as it was; clearFailure() first
// tells a stale reason from none.
// Polymorphic itself, so that it sits first in File and FileSystem as a plain single base.
class FailureSlot {
public:
    virtual ~FailureSlot() = default;
    Failure lastFailure() const { return failureOf(last_error_); }
    void clearFailure() { last_error_ = 0; }

protected:
    void noteFailure(uint32_t code) { last_error_ = code; }

private:
    uint32_t last_error_ = 0;
};

// An open file. Reads and writes move one position; the owner closes it by destroying it.
class File : public FailureSlot {
public:
    virtual ~File() = default;
    // Reads up to n bytes; returns how many were read (0 at the end or on error).
    virtual size_t read(void* buffer, size_t n) = 0;
    // Writes all n bytes; false when fewer could be written (disk full, I/O error), with the
    // reason in lastFailure().
    virtual bool write(const void* data, size_t n) = 0;
    virtual bool seek(int64_t offset) = 0;
    // Size in bytes, or -1 when it cannot be read.
    virtual int64_t size() = 0;
};

// One entry of a directory enumeration, as find-first/find-next return it.
struct FindEntry {
    std::string name;  // the entry's own name, no directory part
    uint32_t attributes = 0;
};

// What deleting a file came to.
enum class DeleteResult {
    Deleted,
    Missing,  // nothing there to delete
    InUse,    // open or running elsewhere: it can go at the next restart
    Failed,   // refused for another reason (access denied, a read-only file)
};

// A failed DeleteFileA by its reason. Access denied is what NT answers for a running program's
// image; a read-only file has had its attribute cleared by the caller.
inline DeleteResult deleteResultFor(const Failure& failure) {
    switch (failure.kind) {
        case FailureKind::FileNotFound:
        case FailureKind::PathNotFound:
            return DeleteResult::Missing;
        case FailureKind::InUse:
        case FailureKind::AccessDenied:
            return DeleteResult::InUse;
        default:
            return DeleteResult::Failed;
    }
}

// A running enumeration; closed when destroyed.
class Finder {
public:
    virtual ~Finder() = default;
    // Fills the next entry; false when there are no more.
    virtual bool next(FindEntry& entry) = 0;
};

// Failing calls of create, openRead, openAppend, createDirectory and deleteFile leave their
// reason in lastFailure().
class FileSystem : public FailureSlot {
public:
    virtual ~FileSystem() = default;

    // Opens for reading, sharing with other readers and writers. nullptr when it cannot be opened.
    virtual std::unique_ptr<File> openRead(const std::string& path) = 0;
    // Creates the file, or empties an existing one, for writing. nullptr on failure.
    virtual std::unique_ptr<File> create(const std::string& path) = 0;
    // Opens for writing at the end, creating the file when missing; readers may share it.
    // nullptr on failure, and from backends that cannot append.
    virtual std::unique_ptr<File> openAppend(const std::string& /*path*/) { return nullptr; }
    // Creates one directory whose parent exists. False on failure (also when it exists).
    virtual bool createDirectory(const std::string& path) = 0;
    // The attribute bits, or kInvalidAttributes when the path names nothing readable.
    virtual uint32_t attributes(const std::string& path) = 0;
    // Starts an enumeration of pattern (a path whose last component may hold * and ?).
    // Returns every entry, hidden and system ones included, in the platform's own order;
    // nullptr when nothing matches or the directory does not exist.
    virtual std::unique_ptr<Finder> findFirst(const std::string& pattern) = 0;

    // The process's current directory, as GetCurrentDirectoryA reports it.
    virtual std::string currentDirectory() = 0;
    virtual bool setCurrentDirectory(const std::string& path) = 0;

    // Removal, for the uninstaller. A backend without it answers failure, so nothing is removed.
    virtual DeleteResult deleteFile(const std::string&) { return DeleteResult::Failed; }
    // Removes an empty directory; false otherwise.
    virtual bool removeDirectory(const std::string&) { return false; }
    // SetFileAttributesA; used to clear the read-only bit before a delete.
    virtual bool setAttributes(const std::string&, uint32_t) { return false; }
    // MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT): NT only; false on the 9x family.
    virtual bool deleteAtRestart(const std::string&) { return false; }
    // GetShortPathNameA (the 8.3 form WININIT.INI needs); the path itself when there is none.
    virtual std::string shortPath(const std::string& path) { return path; }

    static constexpr uint32_t kInvalidAttributes = 0xFFFFFFFFu;
};

}  // namespace stow
