// The build subcommand: everything is checked before the output file is begun.
#include "stowpack/build_command.h"

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <map>

#include "stowpack/format.h"
#include "stowpack/stub.h"
#include "stowpack/text_encoding.h"
#include "stowpack/version_info.h"

namespace stow::pack {

namespace {

namespace fs = std::filesystem;

std::string upperAscii(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

int32_t modificationTime(const struct stat& st) {
    std::tm local{};
    const std::time_t t = st.st_mtime;
    if (!localtime_r(&t, &local)) return packDosDateTimeClamped(DateTime{});
    return packDosDateTimeClamped(DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                           local.tm_hour, local.tm_min, local.tm_sec});
}

}  // namespace

PackageContents contentsFromManifest(const Manifest& manifest, std::ostream& warnings) {
    const std::string name = manifest.file.empty() ? "manifest" : manifest.file.string();
    PackageContents contents;
    contents.vendor = toCodePage(manifest.vendor, manifest.encoding, name + ": vendor");
    contents.package = toCodePage(manifest.package, manifest.encoding, name + ": package");

    std::map<std::string, int> driver_copy_keys;  // upper-cased key -> first file number
    int number = 0;
    for (const ManifestFile& file : manifest.files) {
        ++number;
        const std::string where =
            name + ":" + std::to_string(file.line) + ": file #" + std::to_string(number) + ": ";
        struct stat st {};
        if (::stat(file.source.c_str(), &st) != 0) {
            throw PackError(where + "source file " + file.source.string() + " not found");
        }
        if (!S_ISREG(st.st_mode)) {
            throw PackError(where + "source " + file.source.string() + " is not a file");
        }

        PackRecord record;
        record.placementByte = placementByte(file.placement, file.driverCopy);
        record.path = toCodePage(file.path, manifest.encoding, where + "path");
        record.key = toCodePage(file.key, manifest.encoding, where + "key");
        record.timeStamp = file.timeStamp ? *file.timeStamp : modificationTime(st);
        record.contentFile = file.source;
        record.contentSize = static_cast<int64_t>(st.st_size);
        contents.records.push_back(std::move(record));

        if (file.driverCopy) {
            // The copy lands at drivers directory + key without its drive prefix.
            const std::string copy = file.key.substr(3);
            auto [it, fresh] = driver_copy_keys.emplace(upperAscii(copy), number);
            if (!fresh) {
                warnings << "warning: " << where << "driver copy " << copy
                         << " overwrites the one of file #" << it->second << "\n";
            }
            if (endsWith(upperAscii(copy), ".INF") && copy.find('\\') != std::string::npos) {
                warnings << "warning: " << where << "driver copy " << copy
                         << " lies in a subfolder of the drivers directory; only INF files at "
                            "its top are preinstalled\n";
            }
        }
    }
    unpaddedLength(contents);  // refuses an oversized package before anything is written
    return contents;
}

BuildSummary runBuild(const BuildOptions& options, std::ostream& out, std::ostream& warnings) {
    const Manifest manifest = loadManifest(options.manifest);
    const PackageContents contents = contentsFromManifest(manifest, warnings);
    std::string stub = readWholeFile(options.stub, "stub");
    // A stub without version information (one built before it had any) stays without.
    patchVersionInfo(stub, versionTexts(manifest), parseVersion(manifest.version));
    const BuildSummary summary =
        writeInstaller(stub, options.stub.string(), contents, options.output);
    out << "Wrote " << options.output.string() << " (" << summary.fileSize << " bytes): "
        << contents.records.size() << " records, package at offset " << summary.packageOffset
        << ", length " << summary.packageLength;
    if (summary.padding > 0) out << " (" << summary.padding << " bytes of padding)";
    out << "\n";
    return summary;
}

fs::path defaultStubPath(const fs::path& program) {
    if (const char* env = std::getenv("STOWAWAY_STUB"); env && *env) return env;
    return program.parent_path() / "stowaway.exe";
}

}  // namespace stow::pack
