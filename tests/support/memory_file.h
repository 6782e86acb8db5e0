// A File over bytes in memory, for tests and fuzzers that feed the readers directly.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/file_system.h"

namespace stow::test {

class MemoryFile : public File {
public:
    explicit MemoryFile(std::string bytes) : bytes_(std::move(bytes)) {}
    size_t read(void* buffer, size_t n) override {
        if (position_ >= bytes_.size()) return 0;
        size_t take = std::min(n, bytes_.size() - position_);
        std::memcpy(buffer, bytes_.data() + position_, take);
        position_ += take;
        return take;
    }
    bool write(const void* data, size_t n) override {
        if (position_ + n > bytes_.size()) bytes_.resize(position_ + n);
        std::memcpy(&bytes_[position_], data, n);
        position_ += n;
        return true;
    }
    bool seek(int64_t offset) override {
        if (offset < 0) return false;
        position_ = static_cast<size_t>(offset);
        return true;
    }
    int64_t size() override { return static_cast<int64_t>(bytes_.size()); }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
    size_t position_ = 0;
};

}  // namespace stow::test
