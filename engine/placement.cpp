// Reads every record once, in order, and puts its file (and its driver copy) where the placement
// rule says. Content is streamed from the installer to the destination; only INFs that are
// filtered are held in memory. A file that cannot be written never stops the phase: it falls
// back to the current directory and is listed as failed.
#include "engine/placement.h"

#include <functional>

#include "engine/directories.h"
#include "base/error.h"
#include "engine/inf_filter.h"
#include "engine/install_job.h"
#include "base/paths.h"
#include "engine/placement_rule.h"
#include "package/package_records.h"

namespace stow {

namespace {

// Writes one file's bytes into an open file; false when any byte did not reach it.
using ContentWriter = std::function<bool(File&)>;

// Creates path (emptying an existing file) and writes the content. A write that stops part way
// (a full disk) is a failure like a failed create; the file is then emptied again so that no
// truncated file is left looking installed. why gets the reason of a failure.
bool writeFile(FileSystem& files, const std::string& path, const ContentWriter& write,
               Failure& why) {
    bool written = false;
    {
        std::unique_ptr<File> file = files.create(path);
        if (!file) {
            why = files.lastFailure();
            return false;
        }
        try {
            written = write(*file);
            if (!written) why = file->lastFailure();
        } catch (...) {
            // The package itself failed to read; that stops the phase, but not with half a file.
            file.reset();
            files.create(path);
            throw;
        }
    }
    if (!written) files.create(path);
    return written;
}

class Placer {
public:
    Placer(InstallJob& job) : job_(job), files_(job.platform.files) {}

    // Writes to path; on failure writes the same bytes under the bare file name into the current
    // directory (a failure there is ignored) and lists path as failed.
    void placeOrFallBack(const std::string& path, const ContentWriter& write) {
        Failure why;
        if (writeFile(files_, path, write, why)) {
            if (job_.report) job_.report->line({"File written: ", path});
            return;
        }
        const std::string name = fileNamePart(path);
        std::string fallback;
        if (!name.empty()) {
            std::string here = files_.currentDirectory();
            if (!here.empty()) here = addTrailingSeparator(here, leadByte());
            Failure ignored;
            if (writeFile(files_, here + name, write, ignored)) fallback = here + name;
        }
        job_.failedCopies.push_back(path);
        if (job_.report) {
            job_.report->line({"File failed: ", path, failureNote(why),
                               fallback.empty() ? "" : ", fallback copy: ", fallback});
        }
    }

    // Makes a directory's missing levels; a failure goes to the report with the reason of the
    // level that could not be made.
    bool makeDirectory(DirectoryMaker& directories, const std::string& path) {
        files_.clearFailure();
        if (directories.force(path)) return true;
        if (job_.report) {
            job_.report->line({"Directory failed: ", path, failureNote(files_.lastFailure())});
        }
        return false;
    }

private:
    LeadBytePredicate leadByte() {
        System& system = job_.platform.system;
        return [&system](unsigned char b) { return system.isLeadByte(b); };
    }

    InstallJob& job_;
    FileSystem& files_;
};

}  // namespace

std::string fileLogSection(const std::string& vendor_name, const std::string& package_name) {
    return vendor_name + " File Log - " + package_name;
}

std::string nextFreeGeneratedInf(FileSystem& files, const std::string& inf_directory) {
    for (unsigned n = 0;; ++n) {
        std::string candidate = inf_directory + generatedInfName(n);
        if (files.attributes(candidate) == FileSystem::kInvalidAttributes) return candidate;
    }
}

void runPlacement(InstallJob& job, Progress& progress) {
    const int32_t count = job.package.recordCount;
    progress.setMax(count);
    FileSystem& files = job.platform.files;
    DirectoryMaker directories(files);
    Placer placer(job);
    if (!placer.makeDirectory(directories, job.targetDirectory)) {
        throw EFCreateError("Failed to create target directory.");
    }
    if (!placer.makeDirectory(directories, job.driversDirectory)) {
        throw EFCreateError("Failed to create drivers directory.");
    }
    job.fileLog = FileLog::open(files, job.targetDirectory + "FileLog.ini");

    if (count > 0 && !job.package.stream) throw EReadError();
    const std::string section = fileLogSection(job.package.vendorName, job.package.packageName);
    const PlacementContext context{job.facts, job.locations, job.targetDirectory,
                                   job.driversDirectory};

    for (int32_t k = 1; k <= count; ++k) {
        PackageStream& stream = *job.package.stream;
        const PackageRecord record = readPackageRecord(stream);
        const std::string& first = record.placement;
        const ContentRef& content = record.content;
        const std::string& source = record.sourceKey;
        const int32_t stamp = record.timeStamp;

        const ContentWriter streamed = [&stream, &content](File& file) {
            return stream.copyContent(content, [&file](const char* bytes, size_t n) {
                return file.write(bytes, n);
            });
        };

        const PlacementDecision decision = decidePlacement(first, source, context);
        if (decision.driverCopy) {
            placer.makeDirectory(directories, directoryPart(*decision.driverCopy));
            placer.placeOrFallBack(*decision.driverCopy, streamed);
        }
        if (decision.error) throw PackageError(*decision.error);

        if (decision.kind == DestinationKind::None && !decision.driverCopy && job.report) {
            // The placement byte is there: an empty first field has stopped the phase above.
            job.report->line({"File skipped (not for this system): ",
                              std::string_view(first.data() + 1, first.size() - 1)});
        }
        if (decision.kind != DestinationKind::None) {
            std::string destination = decision.destination;
            if (decision.kind == DestinationKind::GeneratedInf) {
                destination = nextFreeGeneratedInf(files, decision.destination);
            }
            const std::string directory = directoryPart(destination);
            if (decision.directories == DirectoryRule::CreateFatal &&
                !placer.makeDirectory(directories, directory)) {
                throw EFCreateError("Failed to create directory \"" + directory + "\".");
            }
            if (decision.directories == DirectoryRule::CreateIgnore) {
                placer.makeDirectory(directories, directory);
            }

            if (decision.filtered) {
                const std::string text = filterInf(stream.readContent(content));
                placer.placeOrFallBack(destination, [&text](File& file) {
                    return text.empty() || file.write(text.data(), text.size());
                });
            } else {
                placer.placeOrFallBack(destination, streamed);
            }
            job.fileLog.set(section, source, destination + "," + std::to_string(stamp));
        }

        progress.setPosition(k);
    }
    progress.setPosition(count);
}

}  // namespace stow
