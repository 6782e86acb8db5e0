// Forward reader over the package body. Lengths are checked against the bytes that remain
// before anything is allocated, so no input can ask for more memory than the body holds.
#include "engine/package_stream.h"

#include <algorithm>
#include <cstring>

#include "base/error.h"

namespace stow {

PackageStream::PackageStream(std::unique_ptr<File> file, int64_t begin, int64_t end)
    : file_(std::move(file)), end_(end), position_(begin), buffer_(kBufferSize) {}

void PackageStream::readAt(int64_t offset, char* out, size_t n) {
    if (file_position_ != offset) {
        if (!file_->seek(offset)) throw EReadError();
        file_position_ = offset;
    }
    size_t got = 0;
    while (got < n) {
        size_t r = file_->read(out + got, n - got);
        if (r == 0) {
            file_position_ = -1;
            throw EReadError();
        }
        got += r;
    }
    file_position_ += static_cast<int64_t>(n);
}

void PackageStream::fillBuffer() {
    size_t n = static_cast<size_t>(std::min<int64_t>(kBufferSize, end_ - position_));
    readAt(position_, buffer_.data(), n);
    buffer_offset_ = position_;
    buffer_size_ = n;
}

void PackageStream::readExact(void* out, size_t n) {
    if (static_cast<int64_t>(n) > remaining()) throw EReadError();
    char* dest = static_cast<char*>(out);
    while (n > 0) {
        int64_t in_buffer = buffer_offset_ + static_cast<int64_t>(buffer_size_) - position_;
        if (position_ < buffer_offset_ || in_buffer <= 0) {
            fillBuffer();
            continue;
        }
        size_t take = std::min(n, static_cast<size_t>(in_buffer));
        std::memcpy(dest, buffer_.data() + (position_ - buffer_offset_), take);
        dest += take;
        n -= take;
        position_ += static_cast<int64_t>(take);
    }
}

int32_t PackageStream::readInt32() {
    unsigned char bytes[4];
    readExact(bytes, 4);
    uint32_t v = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                 static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return static_cast<int32_t>(v);
}

int32_t PackageStream::readLength() {
    int32_t n = readInt32();
    if (n < 0 || n > remaining()) throw EReadError();
    return n;
}

std::string PackageStream::readString() {
    int32_t n = readLength();
    std::string s(static_cast<size_t>(n), '\0');
    if (n > 0) readExact(&s[0], static_cast<size_t>(n));
    return s;
}

ContentRef PackageStream::skipString() {
    int32_t n = readLength();
    ContentRef ref{position_, n};
    position_ += n;
    return ref;
}

bool PackageStream::copyContent(const ContentRef& ref,
                                const std::function<bool(const char*, size_t)>& sink) {
    // Grown to the largest content so far, up to one chunk: small files need no megabyte.
    const auto needed = static_cast<size_t>(std::min<int64_t>(kChunkSize, ref.length));
    if (chunk_.size() < needed) chunk_.resize(needed);
    int64_t done = 0;
    while (done < ref.length) {
        size_t n = static_cast<size_t>(std::min<int64_t>(kChunkSize, ref.length - done));
        readAt(ref.offset + done, chunk_.data(), n);
        if (!sink(chunk_.data(), n)) return false;
        done += static_cast<int64_t>(n);
    }
    return true;
}

std::string PackageStream::readContent(const ContentRef& ref) {
    std::string s(static_cast<size_t>(ref.length), '\0');
    if (ref.length > 0) readAt(ref.offset, &s[0], s.size());
    return s;
}

}  // namespace stow
