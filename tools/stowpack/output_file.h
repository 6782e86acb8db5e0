// The installer being written: refused when it would harm an input, and written to a temporary
// file beside it that is renamed into place only when complete. The temporary file is removed
// when the build fails, and also when the process is stopped by SIGINT, SIGTERM or SIGHUP.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace stow::pack {

// A file the build reads, and what it is in messages ("the stub", "the manifest",
// "the source of file #3").
struct BuildInput {
    std::filesystem::path path;
    std::string role;
};

// Throws PackError when output is one of inputs (the same file, also through another name or
// a link), is not a regular file (a device, folder or FIFO), or lies in a folder that does not
// exist.
void checkOutput(const std::filesystem::path& output, const std::vector<BuildInput>& inputs);

class OutputFile {
public:
    explicit OutputFile(const std::filesystem::path& target);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::ostream& stream() { return stream_; }
    const std::filesystem::path& temporary() const { return temp_; }

    // Flushes to disk, makes the file executable for whoever may read it, and renames it over
    // the target.
    void commit();

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    std::ofstream stream_;
    bool committed_ = false;
};

}  // namespace stow::pack
