// Writes a package in the layout the installer reads: the length field, the header, the
// records (content in memory or streamed from elsewhere) and the zero padding, to any sink.
// Sizes are the caller's to plan (packageLength of what it will write); nothing is checked here,
// so tests can also write the damaged packages the installer must refuse.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace stow {

class PackageWriter {
public:
    // Receives every byte, in order.
    using Sink = std::function<void(const char* bytes, size_t n)>;
    // Puts a content's bytes into the sink; exactly the size the record was given.
    using ContentSource = std::function<void(const Sink&)>;

    explicit PackageWriter(Sink sink) : sink_(std::move(sink)) {}

    void lengthField(int64_t length);
    void header(const std::string& vendor, const std::string& package, int32_t count);
    void record(const std::string& placement, const std::string& content,
                const std::string& source_key, int32_t time_stamp);
    void record(const std::string& placement, int64_t content_size, const ContentSource& content,
                const std::string& source_key, int32_t time_stamp);
    void padding(int64_t n);

    // Bytes written so far.
    int64_t written() const { return written_; }

private:
    void put(const char* bytes, size_t n);
    void putInt32(int32_t value);
    void putString(const std::string& s);

    Sink sink_;
    int64_t written_ = 0;
};

// Bytes the length field and header take, and one record.
int64_t headerSize(const std::string& vendor, const std::string& package);
int64_t recordSize(size_t placement, int64_t content, size_t source_key);

// The whole package (length field, header, records, padding to the minimum length) as bytes,
// for contents held in memory.
struct PackageEntry {
    std::string placement;
    std::string content;
    std::string sourceKey;
    int32_t timeStamp = 0;
};
std::string packageBytes(const std::string& vendor, const std::string& package,
                         const std::vector<PackageEntry>& entries);

}  // namespace stow
