// The inspect report. Texts from the package are converted for display and control characters
// escaped, so a damaged package cannot garble the terminal.
#include "stowpack/inspect_command.h"

#include <cstdio>

#include "stowpack/format.h"
#include "stowpack/json_writer.h"
#include "stowpack/uninstaller_record.h"
#include "stowpack/version_info.h"

namespace stow::pack {

namespace {

std::string hex(int64_t value, int digits) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%0*llX", digits,
                  static_cast<unsigned long long>(value) & 0xFFFFFFFFull);
    return text;
}

std::string placementText(const PackageRecord& r) {
    if (!r.hasPlacementByte) return "(no placement byte; the install stops here)";
    const int code = r.placementByte & ~kDriverCopyFlag;
    const bool copy = (r.placementByte & kDriverCopyFlag) != 0;
    std::string text = hex(r.placementByte, 2) + " code " + std::to_string(code);
    text += copy ? " +driver copy" : "";
    text += " (" + describePlacementCode(code);
    if (!isValidPlacementCode(code)) {
        text += copy ? "; the install stops here unless drivers can be preinstalled"
                     : "; the install stops here";
    } else if (copy) {
        text += "; only the driver copy where drivers can be preinstalled";
    }
    return text + ")";
}

// Where the Authenticode certificate table lies relative to the package. Signing after the
// build puts it behind the package, where the loader never reads; anywhere else the signature
// was made before the package was appended, or the file was cut or extended afterwards.
void printSignature(const PackageFile& p, std::ostream& out) {
    if (!p.peImage) return;
    if (!p.isSigned) {
        out << "Signature:     none (the PE header names no certificate table)\n";
        return;
    }
    const int64_t start = p.signatureOffset;
    const int64_t end = start + p.signatureSize;
    out << "Signature:     certificate table at offset " << start << ", " << p.signatureSize
        << " bytes";
    const bool inside_file = end <= p.fileSize;
    if (!inside_file) {
        out << "; it runs past the end of the file (" << p.fileSize
            << " bytes): the file was cut after signing\n";
        return;
    }
    if (p.hasLength && p.packageOffset >= 0) {
        const int64_t package_end = p.packageOffset + p.packageLength;
        if (start >= package_end) {
            out << ", behind the package (" << start - package_end
                << " alignment bytes between)";
        } else {
            out << ", not behind the package: the image was signed before the package was "
                   "appended, so the signature no longer matches";
        }
    }
    if (end < p.fileSize) {
        out << "; " << p.fileSize - end
            << " bytes follow it, so the signature does not cover the file's end";
    }
    out << "\n";
}

// The first record the install stops at whatever the system: one without a placement byte or
// with an invalid code and no driver copy flag. Records after it are never read. 0: none.
int32_t firstStoppingRecord(const PackageFile& p) {
    for (const PackageRecord& r : p.records) {
        if (!r.hasPlacementByte ||
            (!(r.placementByte & kDriverCopyFlag) && !isValidPlacementCode(r.placementByte))) {
            return r.number;
        }
    }
    return 0;
}

}  // namespace

int printPackageReport(const PackageFile& p, const std::string& encoding, std::ostream& out) {
    auto shown = [&](const std::string& bytes) { return fromCodePage(bytes, encoding); };

    out << "Installer:     " << p.file.string() << " (" << p.fileSize << " bytes)\n";
    if (p.locatorOffset < 0) {
        out << "Locator:       none found; this is not a Stowaway installer\n";
        return 1;
    }
    out << "Locator:       at offset " << hex(p.locatorOffset, 8) << ", data";
    for (unsigned char b : p.locatorData) out << ' ' << hex(b, 2).substr(2);
    if (p.hasOffset) {
        out << " (package offset " << p.packageOffset << ")\n";
    } else {
        out << " (\"" << kLocatorUnpatched << "\": no package attached)\n";
    }
    if (p.locatorCount > 1) {
        out << "Note:          the locator literal appears " << p.locatorCount
            << (p.locatorCount >= 16 ? " or more" : "")
            << " times; the first is taken as the installer's own\n";
    }
    if (p.hasLength) {
        out << "Package:       offset " << p.packageOffset << ", length " << p.packageLength
            << " (ends at " << p.packageOffset + p.packageLength << ")\n";
    }

    printSignature(p, out);
    printVersionInfo(p.file, p.hasOffset && p.packageOffset < p.fileSize ? p.packageOffset : p.fileSize,
                     out);

    if (p.loadErrorCode >= 0) {
        std::string text = p.loadErrorText;
        const size_t line_break = text.find("\r\n");
        if (line_break != std::string::npos) text.replace(line_break, 2, " ");
        out << "Start-up:      " << p.loadErrorCaption << ": " << shown(text) << "\n";
        return 1;
    }

    out << "Vendor:        " << shown(p.vendorName) << "\n";
    out << "Package name:  " << shown(p.packageName) << "\n";
    out << "Group:         " << shown(p.startMenuGroup) << "\n";
    out << "Records:       " << p.recordCount << "\n";
    const int32_t stop = firstStoppingRecord(p);
    for (const PackageRecord& r : p.records) {
        out << "  #" << r.number << "  " << placementText(r) << "\n"
            << "      path  " << shown(r.path) << "\n"
            << "      size  " << r.contentSize << " bytes\n"
            << "      key   " << shown(r.key) << "\n"
            << "      time  " << formatDosDateTime(r.timeStamp) << "\n";
        if (r.hasPlacementByte && isUninstallerRecord(p.vendorName, r.placementByte, r.path)) {
            out << "      the uninstaller, named by the uninstall entry's UninstallString\n";
        }
    }
    if (!p.recordError.empty()) {
        out << "Record #" << p.records.size() + 1 << " cannot be read (" << p.recordError << ")";
        out << (stop ? "" : "; the install command would stop there") << "\n";
    }
    if (stop) out << "The install command stops at record #" << stop << "\n";
    out << "Unread inside: " << p.unreadInside << " bytes behind the last record"
        << (p.unreadInside > 0 ? " (padding)" : "") << "\n";
    out << "Behind:        " << p.bytesBehind << " bytes follow the package"
        << (p.bytesBehind > 0 ? " (ignored by the installer, e.g. a signature block)" : "")
        << "\n";
    out << "Start-up:      loads without error\n";
    return p.recordError.empty() && !stop ? 0 : 1;
}

// Where the record's fields lie in the file, for tools that damage installers on purpose: each
// string is a 32-bit count and its bytes, the placement byte leads the first, a 32-bit time
// stamp ends the record.
void writeRecordLayout(JsonWriter& json, const PackageRecord& r) {
    const int64_t first = r.hasPlacementByte ? 1 + static_cast<int64_t>(r.path.size()) : 0;
    const int64_t start = r.contentOffset - 4 - first - 4;
    const int64_t key_count = r.contentOffset + r.contentSize;
    const int64_t stamp = key_count + 4 + static_cast<int64_t>(r.key.size());
    json.key("offset").value(start).key("countOffsets").beginArray();
    json.value(start).value(r.contentOffset - 4).value(key_count).endArray();
    json.key("placementByteOffset");
    if (r.hasPlacementByte) {
        json.value(start + 4);
    } else {
        json.null();
    }
    json.key("timeStampOffset").value(stamp).key("end").value(stamp + 4);
}

int printPackageJson(const PackageFile& p, const std::string& encoding, std::ostream& out) {
    auto shown = [&](const std::string& bytes) { return fromCodePage(bytes, encoding); };
    JsonWriter json(out);
    json.beginObject().key("installer").value(p.file.u8string()).key("fileSize").value(p.fileSize);
    json.key("locator");
    if (p.locatorOffset < 0) {
        json.null();
    } else {
        json.beginObject().key("offset").value(p.locatorOffset).key("count").value(p.locatorCount);
        json.key("dataOffset").value(p.locatorOffset + kLocatorDataOffset);
        json.key("patched").value(p.hasOffset).endObject();
    }
    json.key("package");
    if (p.hasLength) {
        json.beginObject().key("offset").value(p.packageOffset).key("length").value(p.packageLength);
        // The vendor name's count follows the length field.
        json.key("vendorOffset").value(p.packageOffset + 4).endObject();
    } else {
        json.null();
    }
    json.key("signature");
    if (p.peImage && p.isSigned) {
        json.beginObject().key("offset").value(p.signatureOffset).key("size").value(p.signatureSize);
        json.key("behindPackage")
            .value(p.hasLength && p.signatureOffset >= p.packageOffset + p.packageLength);
        json.endObject();
    } else {
        json.null();
    }
    json.key("loadError");
    if (p.loadErrorCode >= 0) {
        json.beginObject().key("code").value(p.loadErrorCode).key("caption").value(p.loadErrorCaption);
        json.key("text").value(shown(p.loadErrorText)).endObject();
    } else if (p.locatorOffset < 0) {
        json.beginObject().key("code").null().key("caption").value("no locator");
        json.key("text").value("this is not a Stowaway installer").endObject();
    } else {
        json.null();
    }
    const bool loads = p.loadErrorCode < 0 && p.locatorOffset >= 0;
    const int32_t stop = loads ? firstStoppingRecord(p) : 0;
    if (loads) {
        json.key("vendor").value(shown(p.vendorName)).key("packageName").value(shown(p.packageName));
        json.key("startMenuGroup").value(shown(p.startMenuGroup));
        json.key("recordCount").value(p.recordCount);
        json.key("records").beginArray();
        for (const PackageRecord& r : p.records) {
            json.beginObject().key("number").value(r.number).key("placementByte");
            if (r.hasPlacementByte) {
                json.value(static_cast<int>(r.placementByte));
            } else {
                json.null();
            }
            json.key("path").value(shown(r.path)).key("size").value(r.contentSize);
            json.key("contentOffset").value(r.contentOffset).key("key").value(shown(r.key));
            json.key("timeStamp").value(static_cast<int64_t>(r.timeStamp));
            json.key("time").value(formatDosDateTime(r.timeStamp));
            writeRecordLayout(json, r);
            json.endObject();
        }
        json.endArray();
        json.key("recordError");
        if (p.recordError.empty()) {
            json.null();
        } else {
            json.value(shown(p.recordError));
        }
        json.key("installStopsAt");
        if (stop) {
            json.value(stop);
        } else if (!p.recordError.empty()) {
            json.value(static_cast<int64_t>(p.records.size()) + 1);
        } else {
            json.null();
        }
        json.key("unreadInside").value(p.unreadInside).key("bytesBehind").value(p.bytesBehind);
    }
    json.endObject().finish();
    return loads && p.recordError.empty() && !stop ? 0 : 1;
}

int runInspect(const InspectOptions& options, std::ostream& out) {
    checkEncoding(options.encoding);
    const PackageFile file = readPackageFile(options.file);
    return options.json ? printPackageJson(file, options.encoding, out)
                        : printPackageReport(file, options.encoding, out);
}

}  // namespace stow::pack
