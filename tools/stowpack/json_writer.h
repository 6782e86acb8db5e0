// A small streaming JSON writer for the machine-readable outputs. Texts must be UTF-8 (callers
// convert code-page bytes first); control characters and non-ASCII bytes that do not form UTF-8
// are escaped, so the output is always valid JSON.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace stow::pack {

class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    // The key of the next value inside an object.
    JsonWriter& key(const std::string& name);
    JsonWriter& value(const std::string& text);
    JsonWriter& value(const char* text) { return value(std::string(text)); }
    JsonWriter& value(int64_t number);
    JsonWriter& value(int number) { return value(static_cast<int64_t>(number)); }
    JsonWriter& value(bool flag);
    JsonWriter& null();
    // Ends the document with a line break.
    void finish() { out_ << "\n"; }

private:
    void separate();
    void indent();

    std::ostream& out_;
    std::vector<bool> first_;  // per open container: no element written yet
    bool after_key_ = false;
};

}  // namespace stow::pack
