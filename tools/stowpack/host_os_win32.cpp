// The operating-system bits on Windows (the static x86_64 build).
#include "stowpack/host_os.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

namespace stow::pack {

namespace fs = std::filesystem;

fs::path runningProgramPath(const char* argv0) {
    wchar_t buffer[32768];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, 32768);
    if (n > 0 && n < 32768) return fs::path(std::wstring(buffer, n));
    return fs::absolute(argv0);
}

bool createNewFile(const fs::path& path) {
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        errno = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? EEXIST
                : error == ERROR_ACCESS_DENIED                              ? EACCES
                                                                            : ENOENT;
        return false;
    }
    CloseHandle(handle);
    return true;
}

bool syncToDisk(const fs::path& file) {
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool synced = FlushFileBuffers(handle) != 0;
    CloseHandle(handle);
    return synced;
}

void makeExecutable(const fs::path&) {}

void useBinaryStandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

void onStopSignals(void (*handler)(int)) {
    for (int signal_number : {SIGINT, SIGTERM, SIGBREAK}) std::signal(signal_number, handler);
}

void removeFileNow(const char* path) { ::_unlink(path); }

}  // namespace stow::pack
