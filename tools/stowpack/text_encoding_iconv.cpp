// iconv-based conversion; each call opens its own converter, so there is no shared state.
#include "stowpack/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "stowpack/format.h"

namespace stow::pack {

namespace {

class Converter {
public:
    Converter(const std::string& to, const std::string& from)
        : handle_(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter() {
        if (ok()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // False when the input holds a sequence the target cannot represent.
    bool convert(const std::string& in, std::string& out) {
        out.clear();
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        std::string buffer(in.size() * 4 + 16, '\0');
        char* src = const_cast<char*>(in.data());
        size_t src_left = in.size();
        char* dst = &buffer[0];
        size_t dst_left = buffer.size();
        if (iconv(handle_, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1)) {
            return false;
        }
        if (iconv(handle_, nullptr, nullptr, &dst, &dst_left) == static_cast<size_t>(-1)) {
            return false;
        }
        out.assign(buffer.data(), buffer.size() - dst_left);
        return true;
    }

private:
    iconv_t handle_;
};

}  // namespace

void checkEncoding(const std::string& encoding) {
    if (!Converter(encoding, "UTF-8").ok()) {
        throw PackError("unknown encoding \"" + encoding + "\" (try CP1252, CP1250 or CP932)");
    }
}

std::string toCodePage(const std::string& utf8, const std::string& encoding,
                       const std::string& what) {
    Converter converter(encoding, "UTF-8");
    if (!converter.ok()) checkEncoding(encoding);
    std::string out;
    if (!converter.convert(utf8, out)) {
        throw PackError(what + " \"" + utf8 + "\" holds characters that code page " + encoding +
                        " cannot represent");
    }
    return out;
}

std::string fromCodePage(const std::string& bytes, const std::string& encoding) {
    Converter converter("UTF-8", encoding);
    std::string converted;
    const bool whole = converter.ok() && converter.convert(bytes, converted);
    return escapedForDisplay(whole ? converted : bytes, whole);
}

}  // namespace stow::pack
