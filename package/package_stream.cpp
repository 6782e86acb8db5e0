// Forward reader over the package body. Lengths are checked against the bytes that remain
// before anything is allocated, so no input can ask for more memory than the body holds.
#include "package/package_stream.h"

#include <algorithm>
#include <cstring>

#include "base/error.h"
#include "package/format.h"

namespace stow {

PackageStream::PackageStream(std::unique_ptr<File> file, int64_t begin, int64_t end)
    : file_(std::move(file)), end_(end), position_(begin), buffer_(kBufferSize) {}

void PackageStream::seekTo(int64_t offset) {
    if (file_position_ == offset) return;
    if (!file_->seek(offset)) throw EReadError();
    file_position_ = offset;
}

size_t PackageStream::readUpTo(int64_t offset, char* out, size_t n, size_t needed) {
    seekTo(offset);
    size_t got = 0;
    while (got < n) {
        size_t r = file_->read(out + got, n - got);
        if (r == 0) break;
        got += r;
    }
    file_position_ += static_cast<int64_t>(got);
    if (got < needed) {
        file_position_ = -1;
        throw EReadError();
    }
    return got;
}

void PackageStream::readAt(int64_t offset, char* out, size_t n) { readUpTo(offset, out, n, n); }

void PackageStream::fillBuffer(int64_t offset, size_t needed) {
    // Bytes from offset that the buffer already holds move to its front; the rest follows them
    // in the file, so the read goes on where the file handle stands, without a seek.
    size_t kept = 0;
    const int64_t buffer_end = buffer_offset_ + static_cast<int64_t>(buffer_size_);
    if (offset >= buffer_offset_ && offset < buffer_end) {
        kept = static_cast<size_t>(buffer_end - offset);
        std::memmove(buffer_.data(), buffer_.data() + (offset - buffer_offset_), kept);
    }
    buffer_offset_ = offset;
    buffer_size_ = kept;
    const auto n = static_cast<size_t>(std::min<int64_t>(kBufferSize, end_ - offset));
    if (kept >= n) return;
    buffer_size_ += readUpTo(offset + static_cast<int64_t>(kept), buffer_.data() + kept, n - kept,
                             needed > kept ? needed - kept : 0);
}

bool PackageStream::buffered(int64_t offset, int64_t length) const {
    return offset >= buffer_offset_ &&
           offset + length <= buffer_offset_ + static_cast<int64_t>(buffer_size_);
}

void PackageStream::readExact(void* out, size_t n) {
    if (static_cast<int64_t>(n) > remaining()) throw EReadError();
    char* dest = static_cast<char*>(out);
    while (n > 0) {
        int64_t in_buffer = buffer_offset_ + static_cast<int64_t>(buffer_size_) - position_;
        if (position_ < buffer_offset_ || in_buffer <= 0) {
            fillBuffer(position_, 1);
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
    return decodeInt32(bytes);
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
    // A small content that runs past the buffer comes in now, with the fields behind it, so the
    // file is read in order instead of seeking back to the content later.
    if (n > 0 && n <= static_cast<int32_t>(kBufferSize) && !buffered(ref.offset, n)) {
        fillBuffer(ref.offset, static_cast<size_t>(n));
    }
    position_ += n;
    return ref;
}

bool PackageStream::copyContent(const ContentRef& ref,
                                const std::function<bool(const char*, size_t)>& sink) {
    if (ref.length == 0) return true;
    // A small file's bytes usually came in with the buffer that held its record; otherwise the
    // buffer is refilled from them, and the records behind them come in with it.
    if (ref.length <= static_cast<int64_t>(kBufferSize)) {
        if (!buffered(ref.offset, ref.length)) {
            fillBuffer(ref.offset, static_cast<size_t>(ref.length));
        }
        return sink(buffer_.data() + (ref.offset - buffer_offset_), static_cast<size_t>(ref.length));
    }
    // Grown to the largest content so far, up to one chunk.
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
