// The text of the View Hex Code window: the program memory image up to its last used word,
// eight words a row, each row led by its word address.
#pragma once

#include "programmer/program_image.hpp"

#include <string>

namespace kavo::ide {

// Rows "[%04X] => " followed by "%03X " per word, each row ending in a line end. An image
// that is all erased shows the single word at address 0.
std::string hexViewText(const programmer::ProgramImage& image);

} // namespace kavo::ide
