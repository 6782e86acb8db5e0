// Maps whatever a top-level handler caught onto the "ClassName: message" form.
#include "base/error.h"

#include <new>

#include "base/number_text.h"

namespace stow {

LoadError::LoadError(int code) : LoadError(code, std::string()) {}

LoadError::LoadError(int code, const std::string& detail)
    : Error("LoadError", loadErrorText(code, detail)), code_(code) {}

std::string LoadError::caption() const {
    return "Load Error " + hexText(static_cast<unsigned>(code_) & 0xFFu, 2) + "h";
}

std::string LoadError::loadErrorText(int code, const std::string& detail) {
    switch (code) {
        case 0x00:
            return "No package is attached. Please contact the factory for assistance.";
        case 0x01:
            return "This file is corrupted. Please contact the factory for assistance.";
        case 0x02:
            return "This file is truncated. Try downloading it again, or contact the factory for "
                   "assistance.";
        case 0x03:
            return "The package is corrupted. Please contact the factory for assistance.";
        case 0x04:
            return "The package is truncated. Try downloading it again, or contact the factory "
                   "for assistance.";
        default:
            return "An exception occurred while loading. Please contact the factory for "
                   "assistance. Details are as follows:\r\n" +
                   detail;
    }
}

std::string describeCurrentException() {
    try {
        throw;
    } catch (const Error& e) {
        return e.describe();
    } catch (const std::bad_alloc&) {
        return EOutOfMemory().describe();
    } catch (const std::exception& e) {
        return std::string("Exception: ") + e.what();
    } catch (...) {
        return "Exception: unknown error";
    }
}

}  // namespace stow
