// Two-space indented JSON, one member per line, so that diffs of saved outputs stay readable.
#include "stowpack/json_writer.h"

#include <cstdio>

namespace stow::pack {

namespace {

// Length of the UTF-8 sequence starting at text[i], or 0 when it is not a valid one.
size_t utf8Length(const std::string& text, size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t n = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (n == 0 || lead >= 0xF5 || i + n > text.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    }
    return n;
}

}  // namespace

void JsonWriter::indent() { out_ << "\n" << std::string(first_.size() * 2, ' '); }

void JsonWriter::separate() {
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (first_.empty()) return;
    if (!first_.back()) out_ << ",";
    first_.back() = false;
    indent();
}

JsonWriter& JsonWriter::beginObject() {
    separate();
    out_ << "{";
    first_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    const bool empty = first_.back();
    first_.pop_back();
    if (!empty) indent();
    out_ << "}";
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    separate();
    out_ << "[";
    first_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    const bool empty = first_.back();
    first_.pop_back();
    if (!empty) indent();
    out_ << "]";
    return *this;
}

JsonWriter& JsonWriter::key(const std::string& name) {
    value(name);
    out_ << ": ";
    after_key_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(const std::string& text) {
    separate();
    out_ << '"';
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out_ << '\\' << text[i];
        } else if (c >= 0x20 && c < 0x7F) {
            out_ << text[i];
        } else if (c >= 0x80 && utf8Length(text, i) > 0) {
            const size_t n = utf8Length(text, i);
            out_ << text.substr(i, n);
            i += n - 1;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out_ << escaped;
        }
    }
    out_ << '"';
    return *this;
}

JsonWriter& JsonWriter::value(int64_t number) {
    separate();
    out_ << number;
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
    separate();
    out_ << (flag ? "true" : "false");
    return *this;
}

JsonWriter& JsonWriter::null() {
    separate();
    out_ << "null";
    return *this;
}

}  // namespace stow::pack
