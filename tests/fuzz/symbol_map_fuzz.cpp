// libFuzzer target: sxsim's reader of map, EQU and plain symbol files, then the check that
// the variables lie in RAM.
#include "simulator/state_report.hpp"
#include "simulator/symbol_map.hpp"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto variables =
        sxsim::parseSymbolText(std::string_view(reinterpret_cast<const char*>(data), size));
    const sxsim::Core core(sxsim::deviceFor(sxsim::DeviceKind::SX28));
    try {
        sxsim::checkVariablesInRam(core, variables);
    } catch (const std::runtime_error&) {
    }
    return 0;
}
