// The standard library's error paths for the stub. libstdc++ raises its container and string
// errors through these functions; its own versions throw std::length_error and its kin, whose
// text lives in the older std::string, and so bring a second string implementation, a printf
// engine and std::random_device into the image (about 60 KB). Defined here, they throw an
// exception with the same what() text; every handler in the installer catches std::exception or
// something more specific that these never were, so what a user sees stays the same.
#include <cstdarg>
#include <cstddef>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

class LibraryError final : public std::exception {
public:
    const char* what() const noexcept override { return text_; }

    void append(const char* s) {
        while (*s && size_ + 1 < sizeof text_) text_[size_++] = *s++;
        text_[size_] = '\0';
    }
    void appendNumber(unsigned long long n) {
        char digits[24];
        int count = 0;
        do {
            digits[count++] = static_cast<char>('0' + n % 10);
            n /= 10;
        } while (n != 0);
        char reversed[24];
        for (int i = 0; i < count; ++i) reversed[i] = digits[count - 1 - i];
        reversed[count] = '\0';
        append(reversed);
    }

private:
    char text_[256] = {};
    size_t size_ = 0;
};

[[noreturn]] void raise(const char* text) {
    LibraryError error;
    error.append(text ? text : "");
    throw error;
}

}  // namespace

namespace std {

void __throw_bad_exception() { throw std::bad_exception(); }
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_array_new_length(); }
void __throw_bad_cast() { throw std::bad_cast(); }
void __throw_bad_typeid() { throw std::bad_typeid(); }
void __throw_logic_error(const char* s) { raise(s); }
void __throw_domain_error(const char* s) { raise(s); }
void __throw_invalid_argument(const char* s) { raise(s); }
void __throw_length_error(const char* s) { raise(s); }
void __throw_out_of_range(const char* s) { raise(s); }
void __throw_runtime_error(const char* s) { raise(s); }
void __throw_range_error(const char* s) { raise(s); }
void __throw_overflow_error(const char* s) { raise(s); }
void __throw_underflow_error(const char* s) { raise(s); }

// The library's messages use %zu, %lu and %s only ("basic_string::substr: __pos (which is %zu)
// > this->size() (which is %zu)"); anything else is copied as it stands.
void __throw_out_of_range_fmt(const char* format, ...) {
    LibraryError error;
    va_list args;
    va_start(args, format);
    char one[2] = {};
    for (const char* p = format ? format : ""; *p; ++p) {
        if (p[0] == '%' && p[1] == 'z' && p[2] == 'u') {
            error.appendNumber(va_arg(args, size_t));
            p += 2;
        } else if (p[0] == '%' && p[1] == 'l' && p[2] == 'u') {
            error.appendNumber(va_arg(args, unsigned long));
            p += 2;
        } else if (p[0] == '%' && p[1] == 's') {
            const char* s = va_arg(args, const char*);
            error.append(s ? s : "(null)");
            p += 1;
        } else if (p[0] == '%' && p[1] == '%') {
            error.append("%");
            p += 1;
        } else {
            one[0] = *p;
            error.append(one);
        }
    }
    va_end(args);
    throw error;
}

}  // namespace std
