// The few things stowpack asks of the operating system beyond standard C++: where it runs from,
// flushing a file to disk, the executable bit, binary standard streams and the stop signals.
// host_os_posix.cpp and host_os_win32.cpp implement it; the build picks one.
#pragma once

#include <filesystem>

namespace stow::pack {

// The running program's path; argv0 made absolute when the system cannot say.
std::filesystem::path runningProgramPath(const char* argv0);

// Creates path as a new, empty file; false (errno EEXIST) when something has that name already.
bool createNewFile(const std::filesystem::path& path);

// Flushes a closed file's bytes to the disk; false with errno set on failure.
bool syncToDisk(const std::filesystem::path& file);

// Makes a new file executable for whoever may read it (where files have such a bit).
void makeExecutable(const std::filesystem::path& file);

// Standard output and error pass bytes unchanged (no CR added before line breaks).
void useBinaryStandardStreams();

// Calls handler on Ctrl-C, termination and hang-up requests. The handler may only make
// async-signal-safe calls, such as removeFileNow.
void onStopSignals(void (*handler)(int));

// Removes a file from a signal handler.
void removeFileNow(const char* path);

}  // namespace stow::pack
