// The oscillator class the RS232 ISP programmer enters programming mode with, when only the
// FUSE word is known (a command line, an object file) rather than the window's option controls.
#pragma once

#include <cstdint>

namespace kavo::programmer {

// FUSE bit 7 clear selects the internal oscillator, bits 6..5 its speed: 4 MHz, 1 MHz and
// 128 kHz give class 1, 32 kHz class 3. Bit 7 set (an external oscillator) gives class 3.
// An external RC oscillator (class 2 in the window) has the FUSE bits of an external clock
// input and cannot be told from it here.
int oscillatorClassOfFuse(std::uint32_t fuse);

} // namespace kavo::programmer
