#pragma once

#include <cstdint>
#include <string_view>

namespace kavo {

// The compiler's number reader: "0x"/"0X" and hexadecimal digits, a leading "0" and octal
// digits, otherwise decimal. It stops at the first character that is not a digit of the base;
// no sign; empty or non-numeric text reads as 0. Overflow wraps modulo 2^32.
std::uint32_t readCompilerNumber(std::string_view text);

} // namespace kavo
