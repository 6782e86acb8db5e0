// Decimal and hexadecimal digits for messages and registry values. The stub formats numbers with
// these instead of the C library's printf family, whose formatter (with its floating-point
// conversion) would be linked in whole for a handful of integers.
#pragma once

#include <cstdint>
#include <string>

namespace stow {

// Like printf's "%.Nd": a "-" for negative values, then at least min_digits digits, padded
// with leading zeros.
std::string decimalText(int64_t value, int min_digits = 1);

// Like printf's "%.NX" (upper) or "%.Nx": at least min_digits hexadecimal digits.
std::string hexText(uint64_t value, int min_digits = 1, bool upper = true);

}  // namespace stow
