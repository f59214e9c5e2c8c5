// Puts a HEX image into a core: program words, and FUSE/FUSEX when the image has them.
#pragma once

#include "simulator/core.hpp"
#include "simulator/intel_hex.hpp"

#include <stdexcept>

namespace sxsim {

// The image does not fit the device (a word beyond its program memory, or wider than 12 bits).
class LoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Loads the image and resets the core. Throws LoadError without touching the core.
void loadImage(Core& core, const HexImage& image);

// The smallest device family member the image fits: SX28 unless it uses words above 7FFh.
DeviceKind deviceKindFor(const HexImage& image);

} // namespace sxsim
