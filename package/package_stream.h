// The package body as a forward stream over the installer file: length-prefixed strings and
// little-endian int32, read through a bounded buffer. Nothing is read beyond the body's end, and
// no length is trusted before it has been checked against what remains.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace stow {

// Where one string's bytes lie in the file; lets a record's content be copied (more than once)
// without holding it in memory.
struct ContentRef {
    int64_t offset = 0;
    int64_t length = 0;
};

class PackageStream {
public:
    // Streams the bytes [begin, end) of file.
    PackageStream(std::unique_ptr<File> file, int64_t begin, int64_t end);

    // Each throws EReadError on a short read or a bad length.
    int32_t readInt32();
    std::string readString();
    // Reads a string's length and steps over its bytes, returning where they lie.
    ContentRef skipString();

    // Reads ref's bytes in chunks into sink; stops early and returns false when sink does.
    // Throws EReadError when the file yields fewer bytes than ref promises.
    bool copyContent(const ContentRef& ref, const std::function<bool(const char*, size_t)>& sink);
    // Reads ref's bytes whole (for the one kind of content that is filtered in memory).
    std::string readContent(const ContentRef& ref);

    int64_t position() const { return position_; }
    int64_t remaining() const { return end_ - position_; }

    static constexpr size_t kBufferSize = 64 * 1024;
    static constexpr size_t kChunkSize = 1024 * 1024;

private:
    int32_t readLength();
    void readExact(void* out, size_t n);
    // Refills the buffer from offset with as much as it holds; at least needed bytes must come.
    void fillBuffer(int64_t offset, size_t needed);
    bool buffered(int64_t offset, int64_t length) const;
    void seekTo(int64_t offset);
    // Reads up to n bytes at offset and returns how many came; fewer than needed is an error.
    size_t readUpTo(int64_t offset, char* out, size_t n, size_t needed);
    void readAt(int64_t offset, char* out, size_t n);

    std::unique_ptr<File> file_;
    int64_t end_;
    int64_t position_;          // next byte of the stream
    int64_t file_position_ = -1;  // where the file handle stands; -1 unknown
    std::vector<char> buffer_;
    int64_t buffer_offset_ = 0;   // file offset of buffer_[0]
    size_t buffer_size_ = 0;      // valid bytes in buffer_
    std::vector<char> chunk_;
};

}  // namespace stow
