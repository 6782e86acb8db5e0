// What a call throws, in the form every report shows, for tests that check an error's class and
// text without a try block of their own.
#pragma once

#include <string>

#include "base/error.h"

namespace stow::test {

// "ClassName: message" of what body throws; "no error" when it returns.
template <typename Body>
std::string thrown(Body&& body) {
    try {
        body();
    } catch (...) {
        return describeCurrentException();
    }
    return "no error";
}

}  // namespace stow::test
