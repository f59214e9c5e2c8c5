#pragma once

// The pragma lines that describe an SX28 to the compiler, pasted in front of test programs.

#include <string>

namespace kavo::testing {

// An SX28: 2048 words, eight 16-byte banks, scratch bytes at 0x0C.
inline const std::string Sx28 =
    "#pragma ROM_START 0\n#pragma ROM_END 0x7FF\n#pragma RESET_LOC 0x7FF\n"
    "#pragma CCTEMP_LOC 0x0C\n#pragma PAGEBITS_LOC 0x03\n"
    "#pragma BANK_START_00 0x10\n#pragma BANK_END_00 0x1F\n"
    "#pragma BANK_START_01 0x30\n#pragma BANK_END_01 0x3F\n"
    "#pragma BANK_START_02 0x50\n#pragma BANK_END_02 0x5F\n"
    "#pragma COMMON_BANK_START_0 0x08\n#pragma COMMON_BANK_END_0 0x0B\n";

// The number of lines Sx28 adds in front of a program's first line.
inline constexpr int Sx28Lines = 13;

} // namespace kavo::testing
