// gpsim's speed on a speed loop: the loop's words assembled by gpasm as a PIC16C54 program and
// run by whole gpsim processes. gpsim counts cycles, not instructions, so a run is asked for
// the loop's PIC cycles per instruction times the instructions wanted.
#pragma once

#include "bench/simulator/speed_loops.hpp"

#include <cstdint>
#include <vector>

namespace kavo::bench {

// gpasm and gpsim are both on PATH.
bool gpsimAvailable();

// Million instructions per second of each run, without gpsim's start-up (a long run less the
// quickest short one); empty when the loop could not be assembled or gpsim failed.
std::vector<double> gpsimRates(const SpeedLoop& loop, double picCyclesPerInstruction,
                               std::uint64_t instructions, unsigned runs);

} // namespace kavo::bench
