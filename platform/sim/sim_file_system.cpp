// The simulated file system over host folders. Every host folder the simulation looks into gets
// a case-insensitive name index, kept current on the simulation's own creates and rebuilt when
// the folder's modification time shows that something else changed it, so that lookups in a
// folder of many thousands of files stay cheap. A name the host adds in another letter case
// within the same clock tick as the simulation's last change there is found only once the
// folder changes again; names the host adds in the case they are asked for are always found.
#include "platform/sim/sim_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace stow::sim {
namespace fs = std::filesystem;
namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

bool writeFully(int fd, const char* data, size_t n) {
    size_t done = 0;
    while (done < n) {
        ssize_t put = ::write(fd, data + done, n - done);
        if (put <= 0) return false;
        done += static_cast<size_t>(put);
    }
    return true;
}

class SimFile final : public File {
public:
    SimFile(SimFileSystem& owner, int fd, std::string windows_path, bool writable)
        : owner_(owner), fd_(fd), windows_path_(std::move(windows_path)), writable_(writable) {}
    ~SimFile() override { ::close(fd_); }
    SimFile(const SimFile&) = delete;
    SimFile& operator=(const SimFile&) = delete;

    size_t read(void* buffer, size_t n) override {
        auto* out = static_cast<char*>(buffer);
        size_t done = 0;
        while (done < n) {
            ssize_t got = ::read(fd_, out + done, n - done);
            if (got <= 0) break;
            done += static_cast<size_t>(got);
        }
        return done;
    }

    bool write(const void* data, size_t n) override {
        if (!writable_ || owner_.denied(windows_path_)) {
            noteFailure(kErrorAccessDenied);
            return false;
        }
        size_t allowed = owner_.onFullDisk(windows_path_) ? 0 : owner_.takeDiskSpace(n);
        if (writeFully(fd_, static_cast<const char*>(data), allowed) && allowed == n) return true;
        noteFailure(kErrorDiskFull);
        return false;
    }

    bool seek(int64_t offset) override {
        return offset >= 0 && ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) == offset;
    }

    int64_t size() override {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
    }

private:
    SimFileSystem& owner_;
    int fd_;
    std::string windows_path_;
    bool writable_;
};

class SimFinder final : public Finder {
public:
    explicit SimFinder(std::vector<FindEntry> entries) : entries_(std::move(entries)) {}
    bool next(FindEntry& entry) override {
        if (position_ >= entries_.size()) return false;
        entry = entries_[position_++];
        return true;
    }

private:
    std::vector<FindEntry> entries_;
    size_t position_ = 0;
};

// The folder's stamp, or false when it is not a folder.
template <typename Stamp>
bool folderStamp(const fs::path& dir, Stamp& stamp) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    stamp.seconds = static_cast<int64_t>(st.st_mtim.tv_sec);
    stamp.nanoseconds = st.st_mtim.tv_nsec;
    return true;
}

bool pathExists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

}  // namespace

SimFileSystem::SimFileSystem(SimContext& context, const fs::path& host_root)
    : context_(context), host_root_(host_root) {
    addDrive('C');
}

void SimFileSystem::addDrive(char letter) {
    Lock lock(context_.mutex);
    char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    fs::path root = host_root_ / std::string(1, drive);
    fs::create_directories(root);
    drives_[drive] = root;
}

bool SimFileSystem::normalise(const std::string& text, bool redirect, WinPath& out) const {
    Lock lock(context_.mutex);
    if (!parseWindowsPath(text, current_, out)) return false;
    const ProfileFacts& facts = context_.facts;
    if (redirect && !facts.redirectFrom.empty() && !context_.redirectionDisabled() &&
        isUnderNoCase(out.text(), facts.redirectFrom)) {
        WinPath from, to;
        parseWindowsPath(facts.redirectFrom, WinPath{}, from);
        parseWindowsPath(facts.redirectTo, WinPath{}, to);
        to.parts.insert(to.parts.end(), out.parts.begin() + static_cast<long>(from.parts.size()),
                        out.parts.end());
        out = std::move(to);
    }
    return true;
}

SimFileSystem::DirIndex* SimFileSystem::indexOf(const fs::path& host_dir) {
    const std::string& key = host_dir.native();
    Stamp stamp;
    if (!folderStamp(host_dir, stamp)) {
        indexes_.erase(key);
        return nullptr;
    }
    auto found = indexes_.find(key);
    if (found != indexes_.end() && found->second.stamp == stamp) return &found->second;

    DirIndex index;
    index.stamp = stamp;
    std::error_code ec;
    fs::directory_iterator it(host_dir, ec), end;
    if (ec) return nullptr;
    for (; it != end; it.increment(ec)) {
        if (ec) break;
        std::string name = it->path().filename().string();
        std::error_code type_ec;
        index.byFolded[foldCase(name)] = IndexEntry{name, it->is_directory(type_ec)};
    }
    return &(indexes_[key] = std::move(index));
}

const SimFileSystem::IndexEntry* SimFileSystem::findIn(DirIndex& index, const fs::path& host_dir,
                                                        const std::string& name) {
    std::string folded = foldCase(name);
    auto found = index.byFolded.find(folded);
    if (found != index.byFolded.end()) {
        // Something outside the simulation may have removed it within the folder's time tick.
        if (pathExists(host_dir / found->second.name)) return &found->second;
        index.byFolded.erase(found);
        return nullptr;
    }
    // Written by the host under exactly this name within the folder's time tick.
    fs::path exact = host_dir / name;
    if (!pathExists(exact)) return nullptr;
    std::error_code ec;
    return &(index.byFolded[folded] = IndexEntry{name, fs::is_directory(exact, ec)});
}

void SimFileSystem::noteCreated(const fs::path& host_dir, const std::string& name, bool is_dir) {
    auto found = indexes_.find(host_dir.native());
    if (found == indexes_.end()) return;
    found->second.byFolded[foldCase(name)] = IndexEntry{name, is_dir};
    folderStamp(host_dir, found->second.stamp);
}

void SimFileSystem::noteRemoved(const fs::path& host_dir, const fs::path& host,
                                const std::string& name) {
    extra_attributes_.erase(host.native());
    indexes_.erase(host.native());
    auto found = indexes_.find(host_dir.native());
    if (found == indexes_.end()) return;
    found->second.byFolded.erase(foldCase(name));
    folderStamp(host_dir, found->second.stamp);
}

SimFileSystem::Lookup SimFileSystem::lookup(const WinPath& path) {
    Lock lock(context_.mutex);
    Lookup result;
    auto drive = drives_.find(path.drive);
    if (drive == drives_.end()) return result;
    fs::path current = drive->second;
    if (path.isRoot()) {
        std::error_code ec;
        result.exists = result.isDir = fs::is_directory(current, ec);
        result.host = current;
        return result;
    }
    for (size_t i = 0; i < path.parts.size(); ++i) {
        DirIndex* index = indexOf(current);
        if (index == nullptr) return result;
        const IndexEntry* entry = findIn(*index, current, path.parts[i]);
        if (i + 1 == path.parts.size()) {
            result.parentExists = true;
            result.parentHost = current;
            if (entry != nullptr) {
                result.exists = true;
                result.isDir = entry->isDir;
                result.host = current / entry->name;
            }
            return result;
        }
        if (entry == nullptr || !entry->isDir) return result;
        current /= entry->name;
    }
    return result;
}

fs::path SimFileSystem::hostPathFor(const WinPath& path) {
    Lock lock(context_.mutex);
    auto drive = drives_.find(path.drive);
    if (drive == drives_.end()) return {};
    fs::path current = drive->second;
    bool resolving = true;
    for (const std::string& part : path.parts) {
        const IndexEntry* entry = nullptr;
        if (resolving) {
            DirIndex* index = indexOf(current);
            if (index != nullptr) entry = findIn(*index, current, part);
        }
        if (entry == nullptr) resolving = false;
        current /= entry != nullptr ? entry->name : part;
    }
    return current;
}

bool SimFileSystem::denied(const std::string& windows_path) const {
    Lock lock(context_.mutex);
    for (const std::string& prefix : context_.faults.accessDenied) {
        if (isUnderNoCase(windows_path, prefix)) return true;
    }
    return false;
}

bool SimFileSystem::onFullDisk(const std::string& windows_path) const {
    Lock lock(context_.mutex);
    for (const std::string& prefix : context_.faults.fullDisk) {
        if (isUnderNoCase(windows_path, prefix)) return true;
    }
    return false;
}

size_t SimFileSystem::takeDiskSpace(size_t n) {
    Lock lock(context_.mutex);
    auto& free_bytes = context_.faults.diskFreeBytes;
    if (!free_bytes) return n;
    auto take = static_cast<size_t>(std::min<int64_t>(std::max<int64_t>(*free_bytes, 0),
                                                      static_cast<int64_t>(n)));
    *free_bytes -= static_cast<int64_t>(take);
    return take;
}

uint32_t SimFileSystem::extraAttributes(const fs::path& host) const {
    auto found = extra_attributes_.find(host.native());
    return found == extra_attributes_.end() ? 0 : found->second;
}

int SimFileSystem::createFileAt(const WinPath& path, bool faults, uint32_t& error, bool append) {
    Lock lock(context_.mutex);
    error = 0;
    if (path.isRoot()) {
        error = kErrorAccessDenied;
        return -1;
    }
    const std::string& leaf = path.parts.back();
    if (!isValidName(leaf)) {
        error = kErrorInvalidName;
        return -1;
    }
    if (faults && denied(path.text())) {
        error = kErrorAccessDenied;
        return -1;
    }
    Lookup found = lookup(path);
    if (!found.parentExists) {
        error = kErrorPathNotFound;
        return -1;
    }
    if (found.exists && (found.isDir || (extraAttributes(found.host) & kAttrReadOnly) != 0)) {
        error = kErrorAccessDenied;
        return -1;
    }
    fs::path host = found.exists ? found.host : found.parentHost / leaf;
    int fd = ::open(host.c_str(), O_RDWR | O_CREAT | (append ? O_APPEND : O_TRUNC) | O_CLOEXEC,
                    0644);
    if (fd < 0) {
        error = kErrorAccessDenied;
        return -1;
    }
    if (!found.exists) {
        extra_attributes_.erase(host.native());
        noteCreated(found.parentHost, leaf, false);
    }
    return fd;
}

uint32_t SimFileSystem::createDirectoryAt(const WinPath& path, bool faults) {
    Lock lock(context_.mutex);
    if (path.isRoot()) return kErrorAccessDenied;
    const std::string& leaf = path.parts.back();
    if (!isValidName(leaf)) return kErrorInvalidName;
    if (faults && denied(path.text())) return kErrorAccessDenied;
    Lookup found = lookup(path);
    if (!found.parentExists) return kErrorPathNotFound;
    if (found.exists) return kErrorAlreadyExists;
    fs::path host = found.parentHost / leaf;
    std::error_code ec;
    if (!fs::create_directory(host, ec) || ec) return kErrorAccessDenied;
    extra_attributes_.erase(host.native());
    noteCreated(found.parentHost, leaf, true);
    return 0;
}

uint32_t SimFileSystem::writeWholeFile(const WinPath& path, const std::string& content,
                                       bool faults) {
    Lock lock(context_.mutex);
    uint32_t error = 0;
    int fd = createFileAt(path, faults, error);
    if (fd < 0) return error;
    bool written = false;
    {
        SimFile file(*this, fd, path.text(), true);
        written = faults ? file.write(content.data(), content.size())
                         : writeFully(fd, content.data(), content.size());
    }
    if (written) return 0;
    // Nothing half-written stays behind.
    Lookup found = lookup(path);
    if (found.exists) {
        std::error_code ec;
        fs::remove(found.host, ec);
        auto index = indexes_.find(found.parentHost.native());
        if (index != indexes_.end()) index->second.byFolded.erase(foldCase(path.parts.back()));
    }
    return kErrorDiskFull;
}

std::optional<std::string> SimFileSystem::readWholeFile(const WinPath& path) {
    Lookup found = lookup(path);
    if (!found.exists || found.isDir) return std::nullopt;
    std::ifstream in(found.host, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

uint32_t SimFileSystem::attributesAt(const WinPath& path) {
    Lock lock(context_.mutex);
    Lookup found = lookup(path);
    if (!found.exists) return kInvalidAttributes;
    return (found.isDir ? kAttrDirectory : kAttrArchive) | extraAttributes(found.host);
}

void SimFileSystem::setExtraAttributes(const WinPath& path, uint32_t attributes) {
    Lock lock(context_.mutex);
    Lookup found = lookup(path);
    if (!found.exists) return;
    extra_attributes_[found.host.native()] =
        attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem);
}

std::optional<std::vector<SimFileSystem::DirEntry>> SimFileSystem::listDirectory(
    const WinPath& path) {
    Lock lock(context_.mutex);
    Lookup found = lookup(path);
    if (!found.exists || !found.isDir) return std::nullopt;
    DirIndex* index = indexOf(found.host);
    if (index == nullptr) return std::nullopt;
    std::vector<DirEntry> entries;
    entries.reserve(index->byFolded.size());
    for (const auto& [folded, entry] : index->byFolded) {
        entries.push_back(DirEntry{entry.name, entry.isDir});
    }
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return lessNoCase(a.name, b.name); });
    return entries;
}

// --- FileSystem ---

std::unique_ptr<File> SimFileSystem::openRead(const std::string& path) {
    Lock lock(context_.mutex);
    WinPath p;
    if (!normalise(path, true, p)) return failed(kErrorInvalidName);
    Lookup found = lookup(p);
    if (!found.exists) return failed(found.parentExists ? kErrorFileNotFound : kErrorPathNotFound);
    int fd = found.isDir ? -1 : ::open(found.host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return failed(kErrorAccessDenied);
    return std::make_unique<SimFile>(*this, fd, p.text(), false);
}

std::unique_ptr<File> SimFileSystem::create(const std::string& path) {
    Lock lock(context_.mutex);
    WinPath p;
    if (!normalise(path, true, p)) return failed(kErrorInvalidName);
    uint32_t error = 0;
    int fd = createFileAt(p, true, error);
    if (fd < 0) return failed(error);
    return std::make_unique<SimFile>(*this, fd, p.text(), true);
}

std::unique_ptr<File> SimFileSystem::openAppend(const std::string& path) {
    Lock lock(context_.mutex);
    WinPath p;
    if (!normalise(path, true, p)) return failed(kErrorInvalidName);
    uint32_t error = 0;
    int fd = createFileAt(p, true, error, true);
    if (fd < 0) return failed(error);
    return std::make_unique<SimFile>(*this, fd, p.text(), true);
}

bool SimFileSystem::createDirectory(const std::string& path) {
    WinPath p;
    const uint32_t error =
        normalise(path, true, p) ? createDirectoryAt(p, true) : kErrorInvalidName;
    if (error == 0) return true;
    noteFailure(error);
    return false;
}

uint32_t SimFileSystem::attributes(const std::string& path) {
    WinPath p;
    if (!normalise(path, true, p)) return kInvalidAttributes;
    return attributesAt(p);
}

std::unique_ptr<Finder> SimFileSystem::findFirst(const std::string& pattern) {
    Lock lock(context_.mutex);
    size_t cut = pattern.find_last_of("\\/:");
    std::string folder = cut == std::string::npos ? std::string() : pattern.substr(0, cut + 1);
    std::string name_pattern = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
    if (name_pattern.empty()) return nullptr;
    for (char c : name_pattern) {
        if (c != '*' && c != '?' && isForbiddenNameChar(c)) return nullptr;
    }
    WinPath dir;
    if (folder.empty()) {
        if (!normalise(".", true, dir)) return nullptr;
    } else if (!normalise(folder, true, dir)) {
        return nullptr;
    }
    auto listing = listDirectory(dir);
    if (!listing) return nullptr;
    Lookup where = lookup(dir);

    std::vector<FindEntry> entries;
    // Every folder but a drive root lists itself and its parent first.
    if (!dir.isRoot()) {
        for (const char* dots : {".", ".."}) {
            if (matchesPattern(name_pattern, dots)) entries.push_back(FindEntry{dots, kAttrDirectory});
        }
    }
    for (const DirEntry& entry : *listing) {
        if (!matchesPattern(name_pattern, entry.name)) continue;
        uint32_t attributes = (entry.isDir ? kAttrDirectory : kAttrArchive) |
                              extraAttributes(where.host / entry.name);
        entries.push_back(FindEntry{entry.name, attributes});
    }
    if (entries.empty()) return nullptr;
    return std::make_unique<SimFinder>(std::move(entries));
}

std::string SimFileSystem::currentDirectory() {
    Lock lock(context_.mutex);
    return current_.text();
}

bool SimFileSystem::setCurrentDirectory(const std::string& path) {
    Lock lock(context_.mutex);
    WinPath as_given, resolved;
    if (!normalise(path, false, as_given) || !normalise(path, true, resolved)) return false;
    Lookup found = lookup(resolved);
    if (!found.exists || !found.isDir) return false;
    current_ = std::move(as_given);
    return true;
}

DeleteResult SimFileSystem::removeFileAt(const WinPath& path) {
    Lock lock(context_.mutex);
    if (path.isRoot()) return DeleteResult::Failed;
    Lookup found = lookup(path);
    if (!found.exists) return DeleteResult::Missing;
    // A folder, or a file marked read-only, is refused as DeleteFileA refuses it.
    if (found.isDir || (extraAttributes(found.host) & kAttrReadOnly) != 0) {
        return DeleteResult::Failed;
    }
    std::error_code ec;
    if (!fs::remove(found.host, ec) || ec) return DeleteResult::Failed;
    noteRemoved(found.parentHost, found.host, path.parts.back());
    return DeleteResult::Deleted;
}

DeleteResult SimFileSystem::deleteFile(const std::string& path) {
    Lock lock(context_.mutex);
    WinPath p;
    if (!normalise(path, true, p)) return failedDelete(kErrorInvalidName, DeleteResult::Failed);
    if (!lookup(p).exists) return failedDelete(kErrorFileNotFound, DeleteResult::Missing);
    for (const std::string& prefix : context_.faults.inUse) {
        if (isUnderNoCase(p.text(), prefix)) {
            return failedDelete(kErrorSharingViolation, DeleteResult::InUse);
        }
    }
    // The access-denied switch stands for a refusal that no restart lifts (as a read-only file).
    if (denied(p.text())) return failedDelete(kErrorAccessDenied, DeleteResult::Failed);
    const DeleteResult result = removeFileAt(p);
    if (result == DeleteResult::Failed) noteFailure(kErrorAccessDenied);
    return result;
}

bool SimFileSystem::removeDirectory(const std::string& path) {
    Lock lock(context_.mutex);
    WinPath p;
    if (!normalise(path, true, p) || p.isRoot() || denied(p.text())) return false;
    Lookup found = lookup(p);
    if (!found.exists || !found.isDir) return false;
    std::error_code ec;
    if (!fs::is_empty(found.host, ec) || ec) return false;
    if (!fs::remove(found.host, ec) || ec) return false;
    noteRemoved(found.parentHost, found.host, p.parts.back());
    return true;
}

bool SimFileSystem::setAttributes(const std::string& path, uint32_t attributes) {
    Lock lock(context_.mutex);
    WinPath p;
    if (!normalise(path, true, p) || denied(p.text())) return false;
    if (!lookup(p).exists) return false;
    setExtraAttributes(p, attributes);
    return true;
}

bool SimFileSystem::deleteAtRestart(const std::string& path) {
    Lock lock(context_.mutex);
    // MoveFileExA is not implemented on the 9x family.
    if (context_.facts.platformId != kPlatformWin32Nt) return false;
    WinPath p;
    if (!normalise(path, true, p) || !lookup(p).exists) return false;
    restart_deletes_.push_back(p.text());
    return true;
}

std::unique_ptr<File> SimFileSystem::failed(uint32_t error) {
    noteFailure(error);
    return nullptr;
}

DeleteResult SimFileSystem::failedDelete(uint32_t error, DeleteResult result) {
    noteFailure(error);
    return result;
}

std::vector<std::string> SimFileSystem::restartDeletes() const {
    Lock lock(context_.mutex);
    return restart_deletes_;
}

}  // namespace stow::sim
