// Files and directories over the Win32 ANSI API. 64-bit positions go through SetFilePointer and
// GetFileSize with their high parts, because the *Ex variants do not exist on the 9x family.

#include "platform/win32/win32_file_system.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/handles.h"

namespace stow {
namespace {

using win32::FindHandle;
using win32::UniqueHandle;

// Keeps every single ReadFile/WriteFile well inside what a DWORD count can report.
constexpr size_t kMaxChunk = size_t{1} << 30;

class Win32File final : public File {
public:
    explicit Win32File(UniqueHandle handle) : handle_(std::move(handle)) {}

    size_t read(void* buffer, size_t n) override {
        auto* out = static_cast<char*>(buffer);
        size_t total = 0;
        while (total < n) {
            DWORD got = 0;
            DWORD want = static_cast<DWORD>(std::min(n - total, kMaxChunk));
            if (!ReadFile(handle_.get(), out + total, want, &got, nullptr) || got == 0) break;
            total += got;
        }
        return total;
    }

    bool write(const void* data, size_t n) override {
        const auto* in = static_cast<const char*>(data);
        size_t total = 0;
        while (total < n) {
            DWORD put = 0;
            DWORD want = static_cast<DWORD>(std::min(n - total, kMaxChunk));
            if (!WriteFile(handle_.get(), in + total, want, &put, nullptr) || put == 0) {
                // A write that takes nothing without an error code still failed: the disk is full.
                const DWORD error = GetLastError();
                noteFailure(error != NO_ERROR ? error : ERROR_DISK_FULL);
                return false;
            }
            total += put;
        }
        return true;
    }

    bool seek(int64_t offset) override {
        if (offset < 0) return false;
        LONG high = static_cast<LONG>(offset >> 32);
        // A low part of 0xFFFFFFFF is also a valid position: only the error code tells.
        SetLastError(NO_ERROR);
        DWORD low = SetFilePointer(handle_.get(), static_cast<LONG>(offset & 0xFFFFFFFF), &high,
                                   FILE_BEGIN);
        return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
    }

    int64_t size() override {
        DWORD high = 0;
        SetLastError(NO_ERROR);
        DWORD low = GetFileSize(handle_.get(), &high);
        if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return -1;
        return (static_cast<int64_t>(high) << 32) | low;
    }

private:
    UniqueHandle handle_;
};

FindEntry entryOf(const WIN32_FIND_DATAA& data) {
    FindEntry entry;
    entry.name.assign(data.cFileName, strnlen(data.cFileName, sizeof data.cFileName));
    entry.attributes = data.dwFileAttributes;
    return entry;
}

// FindFirstFileA already delivered the first entry; next() hands it out before asking for more.
class Win32Finder final : public Finder {
public:
    Win32Finder(FindHandle handle, const WIN32_FIND_DATAA& first)
        : handle_(std::move(handle)), data_(first) {}

    bool next(FindEntry& entry) override {
        if (done_) return false;
        if (!pending_ && !FindNextFileA(handle_.get(), &data_)) {
            done_ = true;
            return false;
        }
        pending_ = false;
        entry = entryOf(data_);
        return true;
    }

private:
    FindHandle handle_;
    WIN32_FIND_DATAA data_;
    bool pending_ = true;
    bool done_ = false;
};

}  // namespace

std::unique_ptr<File> Win32FileSystem::opened(UniqueHandle handle) {
    if (!handle) {
        noteFailure(GetLastError());
        return nullptr;
    }
    return std::make_unique<Win32File>(std::move(handle));
}

std::unique_ptr<File> Win32FileSystem::openRead(const std::string& path) {
    return opened(UniqueHandle(CreateFileA(path.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

std::unique_ptr<File> Win32FileSystem::create(const std::string& path) {
    return opened(UniqueHandle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

std::unique_ptr<File> Win32FileSystem::openAppend(const std::string& path) {
    UniqueHandle handle(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (handle) SetFilePointer(handle.get(), 0, nullptr, FILE_END);
    return opened(std::move(handle));
}

bool Win32FileSystem::createDirectory(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    noteFailure(GetLastError());
    return false;
}

uint32_t Win32FileSystem::attributes(const std::string& path) {
    return GetFileAttributesA(path.c_str());
}

std::unique_ptr<Finder> Win32FileSystem::findFirst(const std::string& pattern) {
    WIN32_FIND_DATAA data;
    FindHandle handle(FindFirstFileA(pattern.c_str(), &data));
    if (!handle) return nullptr;
    return std::make_unique<Win32Finder>(std::move(handle), data);
}

std::string Win32FileSystem::currentDirectory() {
    char buffer[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(MAX_PATH, buffer);
    if (n == 0) return {};
    if (n < MAX_PATH) return std::string(buffer, n);
    // Too long for the usual buffer: n is the size needed, NUL included. Another thread may
    // change the directory in between, so ask again a few times before giving up.
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::string text(n, '\0');
        DWORD got = GetCurrentDirectoryA(n, &text[0]);
        if (got == 0) return {};
        if (got < n) {
            text.resize(got);
            return text;
        }
        n = got;
    }
    return {};
}

bool Win32FileSystem::setCurrentDirectory(const std::string& path) {
    return SetCurrentDirectoryA(path.c_str()) != 0;
}

DeleteResult Win32FileSystem::deleteFile(const std::string& path) {
    if (DeleteFileA(path.c_str())) return DeleteResult::Deleted;
    noteFailure(GetLastError());
    return deleteResultFor(lastFailure());
}

bool Win32FileSystem::removeDirectory(const std::string& path) {
    return RemoveDirectoryA(path.c_str()) != 0;
}

bool Win32FileSystem::setAttributes(const std::string& path, uint32_t attributes) {
    return SetFileAttributesA(path.c_str(), attributes) != 0;
}

bool Win32FileSystem::deleteAtRestart(const std::string& path) {
    return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

std::string Win32FileSystem::shortPath(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return path;
    return std::string(buffer, n);
}

}  // namespace stow
