// The build subcommand, in steps: read the manifest, measure the sources, check what would fail
// at install time, check the stub and the output, then write. Nothing is written before every
// check has passed.
#include "stowpack/build_command.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "stowpack/format.h"
#include "stowpack/install_checks.h"
#include "stowpack/output_file.h"
#include "stowpack/stub.h"
#include "stowpack/text_encoding.h"
#include "stowpack/uninstaller_record.h"
#include "stowpack/version_info.h"

namespace stow::pack {

namespace {

namespace fs = std::filesystem;

// Days since 1970-01-01 to a civil date (proleptic Gregorian), without the C library's time
// zone machinery.
DateTime civilFromUnix(int64_t seconds) {
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t doe = days - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    return DateTime{static_cast<int>(year), static_cast<int>(month), static_cast<int>(day),
                    static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                    static_cast<int>(rest % 60)};
}

std::string displayName(const Manifest& manifest) {
    return manifest.file.empty() ? std::string("manifest") : manifest.file.string();
}

PackRecord recordOf(const ManifestFile& file, int number, const Manifest& manifest,
                    const BuildClock& clock) {
    const std::string what = "record #" + std::to_string(number) + ": ";
    struct stat st {};
    if (::stat(file.source.string().c_str(), &st) != 0) {
        throw PackError(file.location, what + "cannot read source file " + file.source.string() +
                                           ": " + std::strerror(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        throw PackError(file.location, what + "source " + file.source.string() +
                                           " is not a file");
    }
    PackRecord record;
    record.placementByte = placementByte(file.placement, file.driverCopy);
    try {
        record.path = toCodePage(file.path, manifest.encoding, what + "path");
        record.key = toCodePage(file.key, manifest.encoding, what + "key");
    } catch (const PackError& e) {
        throw PackError(file.location, e.what());
    }
    int64_t seconds = static_cast<int64_t>(st.st_mtime);
    if (clock.sourceDateEpoch && seconds > *clock.sourceDateEpoch) seconds = *clock.sourceDateEpoch;
    record.timeStamp = file.timeStamp ? *file.timeStamp : dosTimeFromUnix(seconds);
    record.contentFile = file.source;
    record.contentSize = static_cast<int64_t>(st.st_size);
    return record;
}

void printFinding(std::ostream& out, const Warning& w, const char* kind) {
    out << (w.location.empty() ? std::string("stowpack") : w.location) << ": " << kind << ": "
        << w.message << "\n";
}

// Prints every finding; throws when one stops the build.
void reportFindings(const Findings& found, bool werror, std::ostream& diagnostics) {
    for (const Warning& e : found.errors) printFinding(diagnostics, e, "error");
    for (const Warning& w : found.warnings) printFinding(diagnostics, w, werror ? "error" : "warning");
    const size_t stopping = found.errors.size() + (werror ? found.warnings.size() : 0);
    if (stopping > 0) {
        throw PackError(std::to_string(stopping) + (stopping == 1 ? " problem" : " problems") +
                        " found in the manifest; nothing was written");
    }
}

// Every file the build reads, which the output must never be.
std::vector<BuildInput> buildInputs(const BuildOptions& options, const Manifest& manifest) {
    std::vector<BuildInput> inputs{{options.stub, "the stub"}, {options.manifest, "the manifest"}};
    int number = 0;
    for (const ManifestFile& file : manifest.files) {
        inputs.push_back({file.source, "the source of record #" + std::to_string(++number)});
    }
    return inputs;
}

std::string readStub(const fs::path& stub) {
    std::error_code ec;
    if (!fs::exists(stub, ec)) {
        throw PackError("no installer stub at " + stub.string() +
                        ": give one with --stub FILE or set STOWAWAY_STUB (the default is "
                        "stowaway.exe beside stowpack, where cmake --install puts it)");
    }
    return readWholeFile(stub, "stub");
}

void printSummary(std::ostream& out, const BuildOptions& options, const PackageContents& contents,
                  const BuildSummary& summary) {
    out << "Wrote " << options.output.string() << " (" << summary.fileSize << " bytes): "
        << contents.records.size() << " records, package at offset " << summary.packageOffset
        << ", length " << summary.packageLength;
    if (summary.padding > 0) out << " (" << summary.padding << " bytes of padding)";
    out << "\n";
}

}  // namespace

BuildClock buildClockFromEnvironment() {
    BuildClock clock;
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (!epoch || !*epoch) return clock;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(epoch, &end, 10);
    if (*end != '\0' || errno != 0 || value < 0) {
        throw PackError(std::string("SOURCE_DATE_EPOCH \"") + epoch +
                        "\" is not a number of seconds since 1970");
    }
    clock.sourceDateEpoch = value;
    return clock;
}

int32_t dosTimeFromUnix(int64_t seconds) {
    return packDosDateTimeClamped(civilFromUnix(seconds));
}

PackageContents contentsFromManifest(const Manifest& manifest, const BuildClock& clock) {
    PackageContents contents;
    const std::string name = displayName(manifest);
    try {
        contents.vendor = toCodePage(manifest.vendor, manifest.encoding, "vendor");
        contents.package = toCodePage(manifest.package, manifest.encoding, "package");
    } catch (const PackError& e) {
        throw PackError(manifest.vendorLocation.empty() ? name : manifest.vendorLocation, e.what());
    }
    int number = 0;
    for (const ManifestFile& file : manifest.files) {
        contents.records.push_back(recordOf(file, ++number, manifest, clock));
    }
    unpaddedLength(contents);  // refuses an oversized package before anything is written
    return contents;
}

BuildSummary runBuild(const BuildOptions& options, std::ostream& out, std::ostream& diagnostics) {
    const Manifest manifest = loadManifest(options.manifest);
    const BuildClock clock = buildClockFromEnvironment();
    PackageContents contents = contentsFromManifest(manifest, clock);
    fs::path uninstaller;
    if (manifest.uninstaller) {
        uninstaller =
            options.uninstaller.empty() ? defaultUninstallerPath(options.stub) : options.uninstaller;
        contents.records.push_back(uninstallerRecord(contents.vendor, uninstaller,
                                                     manifest.timeStamp, clock));
        unpaddedLength(contents);
    }
    reportFindings(checkInstallTime(manifest, contents), options.werror, diagnostics);
    std::string stub = readStub(options.stub);
    // A stub without version information (one built before it had any) stays without.
    patchVersionInfo(stub, versionTexts(manifest), parseVersion(manifest.version));
    std::vector<BuildInput> inputs = buildInputs(options, manifest);
    if (!uninstaller.empty()) inputs.push_back({uninstaller, "the uninstaller"});
    checkOutput(options.output, inputs);
    const BuildSummary summary =
        writeInstaller(stub, options.stub.string(), contents, options.output);
    printSummary(out, options, contents, summary);
    return summary;
}

fs::path defaultStubPath(const fs::path& program) {
    if (const char* env = std::getenv("STOWAWAY_STUB"); env && *env) return env;
    return program.parent_path() / "stowaway.exe";
}

}  // namespace stow::pack
