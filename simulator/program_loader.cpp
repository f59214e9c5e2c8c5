#include "simulator/program_loader.hpp"

#include <cstdio>
#include <string>

namespace sxsim {

namespace {

std::string hex3(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%03X", value);
    return text;
}

void checkFits(const Device& device, const HexImage& image) {
    for (const auto& [address, word] : image.program) {
        if (address >= device.programWords) {
            throw LoadError("word address " + hex3(address) + "h is beyond the " +
                            std::to_string(device.programWords) + " words of the " +
                            std::string(device.name) + " (try --device sx52)");
        }
        if (word > 0x0FFF) {
            throw LoadError("word at " + hex3(address) + "h is " + std::to_string(word) +
                            ", wider than 12 bits");
        }
    }
}

} // namespace

void loadImage(Core& core, const HexImage& image) {
    checkFits(core.device(), image);
    for (unsigned address = 0; address < core.device().programWords; ++address) {
        core.setWord(address, ERASED_WORD);
    }
    for (const auto& [address, word] : image.program) {
        core.setWord(address, word);
    }
    core.setFuses(image.fuse.value_or(ERASED_WORD), image.fusex.value_or(ERASED_WORD));
    core.reset();
}

DeviceKind deviceKindFor(const HexImage& image) {
    const bool big = !image.program.empty() && image.program.rbegin()->first >= 0x800;
    return big ? DeviceKind::SX52 : DeviceKind::SX28;
}

} // namespace sxsim
