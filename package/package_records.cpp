// The body's fields in the order the installer reads them.
#include "package/package_records.h"

namespace stow {

PackageHeader readPackageHeader(PackageStream& stream) {
    PackageHeader header;
    header.vendorName = stream.readString();
    header.packageName = stream.readString();
    header.recordCount = stream.readInt32();
    return header;
}

PackageRecord readPackageRecord(PackageStream& stream) {
    PackageRecord record;
    record.placement = stream.readString();
    record.content = stream.skipString();
    record.sourceKey = stream.readString();
    record.timeStamp = stream.readInt32();
    return record;
}

}  // namespace stow
