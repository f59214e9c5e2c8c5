// The text of the View Hex Code window: the program memory image up to its last used word,
// eight words a row, each row led by its word address.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kavo::common {

// Rows "[%04X] => " followed by "%03X " per word, each row ending in a line end; words equal
// to erased after the last other one are left out. An image that is all erased shows the
// single word at address 0.
std::string hexViewText(std::span<const std::uint32_t> words, std::uint32_t erased);

} // namespace kavo::common
