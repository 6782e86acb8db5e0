// The package body read field by field: the header (vendor, package, record count) and one
// record at a time, each as the installer sees it, from a stream over the installer's file.
#pragma once

#include <cstdint>
#include <string>

#include "package/package_stream.h"

namespace stow {

struct PackageHeader {
    std::string vendorName;
    std::string packageName;
    int32_t recordCount = 0;  // as stored: any value, negative ones included
};

struct PackageRecord {
    std::string placement;  // placement byte + relative path; empty when the record has neither
    ContentRef content;     // where the file's bytes lie
    std::string sourceKey;  // the source path, the file log's key
    int32_t timeStamp = 0;  // packed DOS date-time
};

// Each throws EReadError when the body ends or a length is bad.
PackageHeader readPackageHeader(PackageStream& stream);
PackageRecord readPackageRecord(PackageStream& stream);

}  // namespace stow
