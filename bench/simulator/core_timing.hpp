// The speed of an SX core (the interpreter or the reference core) on a speed loop.
#pragma once

#include "bench/simulator/speed_loops.hpp"
#include "bench/support/machine.hpp"

#include <cstdint>
#include <vector>

namespace kavo::bench {

// Million instructions per second of wall time of one run of `instructions` on a fresh core.
template <class Core, class Device>
double coreRate(const Device& device, const SpeedLoop& loop, std::uint64_t instructions) {
    Core core(device);
    loadLoop(core, loop);
    const double start = wallSeconds();
    const auto result = core.run(instructions);
    return static_cast<double>(result.steps) / (wallSeconds() - start) / 1e6;
}

template <class Core, class Device>
std::vector<double> coreRates(const Device& device, const SpeedLoop& loop,
                              std::uint64_t instructions, unsigned runs) {
    std::vector<double> rates;
    for (unsigned run = 0; run < runs; ++run)
        rates.push_back(coreRate<Core>(device, loop, instructions));
    return rates;
}

} // namespace kavo::bench
