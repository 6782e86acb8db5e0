// Placement benchmarks, run by bench/run.sh: one large file and many small files placed through
// the simulated Windows (real files on this disk) against `cp` of the same bytes, and the file
// log's cost per entry at two sizes. Prints times and ratios measured in this one run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/file_log.h"
#include "engine/install_job.h"
#include "engine/locations.h"
#include "package/package_records.h"
#include "package/package_writer.h"
#include "platform/sim/sim_windows.h"

namespace fs = std::filesystem;
using namespace stow;

namespace {

using Clock = std::chrono::steady_clock;

double seconds(const std::function<void()>& work) {
    auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The best of several runs: on a shared machine the noise only ever adds time.
double best(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

class NoProgress : public Progress {
public:
    void setMax(int) override {}
    void setPosition(int) override {}
};

// Deterministic, not trivially compressible bytes.
void fillChunk(std::string& chunk, uint64_t seed) {
    uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
    for (size_t i = 0; i + 8 <= chunk.size(); i += 8) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        std::memcpy(&chunk[i], &x, 8);
    }
}

struct PackedFile {
    std::string relative;  // with "\" separators
    int64_t size;
};

// Writes the package body (what the installer streams) to package, and each file's bytes under
// plain_root for cp to copy.
void writeInputs(const fs::path& package, const fs::path& plain_root,
                 const std::vector<PackedFile>& files) {
    std::ofstream out(package, std::ios::binary);
    PackageWriter writer([&out](const char* bytes, size_t n) {
        out.write(bytes, static_cast<std::streamsize>(n));
    });
    writer.header("Bench", "Placement", static_cast<int32_t>(files.size()));
    std::string chunk(1 << 20, '\0');
    for (size_t i = 0; i < files.size(); ++i) {
        const PackedFile& file = files[i];
        fs::path plain = plain_root;
        std::string rel = file.relative;
        std::replace(rel.begin(), rel.end(), '\\', '/');
        plain /= rel;
        fs::create_directories(plain.parent_path());
        std::ofstream copy(plain, std::ios::binary);
        const auto content = [&](const PackageWriter::Sink& sink) {
            for (int64_t done = 0; done < file.size;) {
                size_t n = static_cast<size_t>(std::min<int64_t>(chunk.size(), file.size - done));
                fillChunk(chunk, i * 7919 + static_cast<uint64_t>(done));
                sink(chunk.data(), n);
                copy.write(chunk.data(), static_cast<std::streamsize>(n));
                done += static_cast<int64_t>(n);
            }
        };
        writer.record("\x10" + file.relative, file.size, content, "C:\\src\\" + file.relative,
                      0x5A3C4B21);
    }
}

// Places the package at machine's C:\pkg\body.bin into C:\T<run>.
void place(sim::SimWindows& win, const ComputedLocations& at, int run) {
    FileSystem& files = win.platform().files;
    std::unique_ptr<File> file = files.openRead("C:\\pkg\\body.bin");
    if (!file) throw std::runtime_error("cannot open the package");
    const int64_t size = file->size();
    LoadedPackage package;
    package.stream = std::make_unique<PackageStream>(std::move(file), 0, size);
    const PackageHeader header = readPackageHeader(*package.stream);
    package.vendorName = header.vendorName;
    package.packageName = header.packageName;
    package.recordCount = header.recordCount;
    InstallJob job = makeInstallJob(win.platform(), package, at.locations, at.facts,
                                    "C:\\T" + std::to_string(run), "C:\\D" + std::to_string(run));
    NoProgress progress;
    runPlacement(job, progress);
    if (!job.failedCopies.empty()) throw std::runtime_error("a file failed: " + job.failedCopies[0]);
}

void run(const std::string& command) {
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

// Placement against cp -r of the same files, alternating, best of runs.
void compareWithCp(const fs::path& work, const std::string& title,
                   const std::vector<PackedFile>& files, int runs) {
    const fs::path root = work / title;
    fs::create_directories(root);
    sim::SimWindows win(sim::Profile::Nt32, root / "machine");
    win.makeDirectories("C:\\pkg");
    const fs::path plain = root / "plain";
    writeInputs(win.hostPath("C:\\pkg") / "body.bin", plain, files);
    run("sync");
    const ComputedLocations at = computeInstallLocations(win.platform().system, "Bench", "P");

    std::vector<double> placed, copied;
    for (int i = 0; i < runs; ++i) {
        placed.push_back(seconds([&] { place(win, at, i); }));
        const fs::path dest = root / ("cp" + std::to_string(i));
        copied.push_back(seconds([&] { run("cp -r '" + plain.string() + "' '" + dest.string() + "'"); }));
        fs::remove_all(dest);
        fs::remove_all(win.hostPath("C:\\T" + std::to_string(i)));
        run("sync");
    }
    const double p = best(placed), c = best(copied);
    std::printf("%-28s placement %8.3f s   cp %8.3f s   ratio placement/cp %5.2f (best of %d)\n",
                title.c_str(), p, c, p / c, runs);
    fs::remove_all(root);
}

std::vector<std::string> logKeys(int n) {
    std::vector<std::string> keys;
    keys.reserve(n);
    for (int i = 0; i < n; ++i) {
        keys.push_back("C:\\Build\\Release\\dir" + std::to_string(i / 100) + "\\file" +
                       std::to_string(i) + ".dll");
    }
    return keys;
}

// Builds a log of n entries, writes it out, reads it back and replaces every entry: the work
// two runs of the installer do. Returns microseconds per entry.
double fileLogPerEntry(int n) {
    const std::vector<std::string> keys = logKeys(n);
    const std::string section = "Bench File Log - Placement";
    std::vector<double> times;
    for (int repeat = 0; repeat < 7; ++repeat) {
        times.push_back(seconds([&] {
            FileLog log;
            for (const std::string& k : keys) log.set(section, k, "C:\\T\\" + k.substr(3) + ",1");
            FileLog again = FileLog::parse(log.serialize());
            for (const std::string& k : keys) again.set(section, k, "C:\\T\\" + k.substr(3) + ",2");
            if (again.entryCount() != static_cast<size_t>(n)) throw std::runtime_error("count");
        }));
    }
    return best(times) * 1e6 / n;
}

// The floor for any hashed log: the same keys and values put into a plain hash map twice.
// Its growth from 10,000 to 100,000 entries is the machine's caches, not the algorithm.
double hashMapPerEntry(int n) {
    const std::vector<std::string> keys = logKeys(n);
    std::vector<double> times;
    for (int repeat = 0; repeat < 7; ++repeat) {
        times.push_back(seconds([&] {
            std::unordered_map<std::string, std::string> map;
            for (const std::string& k : keys) map[k] = "C:\\T\\" + k.substr(3) + ",1";
            for (const std::string& k : keys) map[k] = "C:\\T\\" + k.substr(3) + ",2";
            if (map.size() != static_cast<size_t>(n)) throw std::runtime_error("count");
        }));
    }
    return best(times) * 1e6 / n;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: placement_bench WORK_DIR\n");
        return 1;
    }
    const fs::path work = argv[1];
    try {
        compareWithCp(work, "one file of 512 MiB", {{"big.bin", int64_t(512) << 20}}, 3);

        std::vector<PackedFile> small;
        for (int i = 0; i < 20000; ++i) {
            small.push_back({"d" + std::to_string(i / 1000) + "\\f" + std::to_string(i) + ".bin",
                             4096});
        }
        compareWithCp(work, "20000 files of 4 KiB", small, 3);

        const double small_log = fileLogPerEntry(10000);
        const double large_log = fileLogPerEntry(100000);
        std::printf("%-28s %6.3f us/entry at 10,000   %6.3f us/entry at 100,000   ratio %5.2f\n",
                    "file log, two runs' work", small_log, large_log, large_log / small_log);
        const double small_map = hashMapPerEntry(10000);
        const double large_map = hashMapPerEntry(100000);
        std::printf("%-28s %6.3f us/entry at 10,000   %6.3f us/entry at 100,000   ratio %5.2f\n",
                    "plain hash map, same keys", small_map, large_map, large_map / small_map);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "placement_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
