// The operating-system bits on Linux and other POSIX systems.
#include "stowpack/host_os.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <csignal>

namespace stow::pack {

namespace fs = std::filesystem;

fs::path runningProgramPath(const char* argv0) {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n > 0) return fs::path(std::string(buffer, static_cast<size_t>(n)));
    return fs::absolute(argv0);
}

bool createNewFile(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool syncToDisk(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

void makeExecutable(const fs::path& file) {
    const mode_t mask = ::umask(022);  // reading the mask means setting it
    ::umask(mask);
    ::chmod(file.c_str(), 0755 & ~mask);
}

void useBinaryStandardStreams() {}

void onStopSignals(void (*handler)(int)) {
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal_number, handler);
}

void removeFileNow(const char* path) { ::unlink(path); }

}  // namespace stow::pack
