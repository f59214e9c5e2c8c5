#pragma once

#include <cstddef>
#include <cstdint>

namespace kavo {

// The program memory image: 4096 words, 0xFFF marking a free word.
constexpr std::size_t ProgramImageWords = 4096;
constexpr std::uint32_t FreeWord = 0xFFF;

} // namespace kavo
