// The output's safety rules and the all-or-nothing temporary file. Paths of the temporary file
// are kept in a fixed buffer for the signal handler, which may only make async-signal-safe calls.
#include "stowpack/output_file.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>

#include "stowpack/format.h"
#include "stowpack/host_os.h"

namespace stow::pack {

namespace {

namespace fs = std::filesystem;

char g_temp_path[4096];
volatile std::sig_atomic_t g_temp_armed = 0;

extern "C" void removeTemporaryAndStop(int signal_number) {
    if (g_temp_armed) removeFileNow(g_temp_path);
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

void armCleanup(const fs::path& temp) {
    static const bool installed = [] {
        onStopSignals(removeTemporaryAndStop);
        return true;
    }();
    (void)installed;
    const std::string text = temp.string();
    if (text.size() >= sizeof g_temp_path) return;
    g_temp_armed = 0;
    std::memcpy(g_temp_path, text.c_str(), text.size() + 1);
    g_temp_armed = 1;
}

void disarmCleanup() { g_temp_armed = 0; }

std::string reason() { return std::strerror(errno); }

// Creates a new, empty file with a fresh name in folder; never opens an existing one.
fs::path createTemporary(const fs::path& folder, const std::string& stem) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            folder / ("." + stem + "." + std::to_string(random() % 1000000000u) + ".tmp");
        if (createNewFile(candidate)) return candidate;
        if (errno != EEXIST) {
            throw PackError("cannot create a file in " + folder.string() + ": " + reason());
        }
    }
    throw PackError("cannot create a file in " + folder.string() + ": no free name");
}

}  // namespace

void checkOutput(const fs::path& output, const std::vector<BuildInput>& inputs) {
    const std::string name = output.string();
    std::error_code ec;
    const fs::file_status status = fs::status(output, ec);
    if (fs::exists(status)) {
        if (!fs::is_regular_file(status)) {
            const char* kind = fs::is_directory(status)          ? "a folder"
                               : fs::is_character_file(status) ? "a character device"
                               : fs::is_block_file(status)     ? "a block device"
                               : fs::is_fifo(status)           ? "a FIFO"
                                                               : "not a regular file";
            throw PackError("refusing to write " + name + ": it is " + kind +
                            "; the output must be a regular file");
        }
        for (const BuildInput& input : inputs) {
            std::error_code same_ec;
            if (fs::equivalent(output, input.path, same_ec)) {
                throw PackError("refusing to write " + name + ": it is " + input.role + " (" +
                                input.path.string() + "), which the build reads");
            }
        }
    } else if (ec && ec != std::errc::no_such_file_or_directory) {
        throw PackError("cannot check " + name + ": " + ec.message());
    }
    fs::path folder = output.parent_path();
    if (folder.empty()) folder = ".";
    if (!fs::is_directory(folder, ec)) {
        throw PackError("cannot write " + name + ": folder " + folder.string() +
                        " does not exist");
    }
}

OutputFile::OutputFile(const fs::path& target) : target_(target) {
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    temp_ = createTemporary(folder, target.filename().string());
    armCleanup(temp_);
    stream_.open(temp_, std::ios::binary | std::ios::trunc);
    if (!stream_) {
        const std::string why = reason();
        disarmCleanup();
        fs::remove(temp_);
        throw PackError("cannot write " + temp_.string() + ": " + why);
    }
}

OutputFile::~OutputFile() {
    if (committed_) return;
    stream_.close();
    disarmCleanup();
    std::error_code ec;
    fs::remove(temp_, ec);
}

void OutputFile::commit() {
    errno = 0;
    stream_.flush();
    stream_.close();
    if (!stream_) {
        throw PackError("cannot write " + target_.string() + ": " +
                        (errno ? reason() : std::string("write failed (disk full?)")));
    }
    if (!syncToDisk(temp_)) throw PackError("cannot write " + target_.string() + ": " + reason());
    makeExecutable(temp_);
    std::error_code ec;
    fs::rename(temp_, target_, ec);
    if (ec) throw PackError("cannot replace " + target_.string() + ": " + ec.message());
    committed_ = true;
    disarmCleanup();
}

}  // namespace stow::pack
