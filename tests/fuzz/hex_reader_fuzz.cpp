// libFuzzer target: the simulator's Intel HEX reader on any text. A malformed file must end
// in a HexError, never a crash, a hang or undefined behaviour.
#include "simulator/intel_hex.hpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        sxsim::parseIntelHex(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const sxsim::HexError&) {
    }
    return 0;
}
