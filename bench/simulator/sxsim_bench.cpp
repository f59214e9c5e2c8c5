// Measures the interpreter's speed on the two speed loops (bench/simulator/speed_loops.hpp) and,
// when gpasm and gpsim are on PATH, gpsim's speed on the same words run as a PIC16C54.
// Prints million instructions per second of wall time, the best and the median of several runs,
// with the load average around them.
// Usage: sxsim_bench [instructions per run (default 100 million)] [runs (default 7)].
#include "bench/simulator/core_timing.hpp"
#include "bench/simulator/gpsim_timing.hpp"
#include "bench/support/machine.hpp"
#include "bench/support/rates.hpp"
#include "simulator/core.hpp"

#include <cstdio>
#include <cstdlib>

namespace {

using namespace kavo::bench;

void printRow(const char* simulator, const char* loop, double instructions, const Rates& rates) {
    std::printf("%-7s %-10s %13.0f %10.1f %10.1f\n", simulator, loop, instructions, rates.best,
                rates.median);
}

const sxsim::Device& sx28() {
    static const sxsim::Device device = sxsim::deviceFor(sxsim::DeviceKind::SX28);
    return device;
}

} // namespace

int main(int argc, char** argv) {
    const std::uint64_t instructions = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100'000'000;
    const unsigned runs = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 7;
    if (instructions == 0 || runs == 0) {
        std::fprintf(stderr, "usage: sxsim_bench [instructions per run > 0] [runs > 0]\n");
        return 2;
    }
    std::printf("load average before: %s\n", loadAverage().c_str());
    std::printf("%-7s %-10s %13s %10s %10s\n", "sim", "loop", "instr/run", "best M/s",
                "median M/s");
    for (const SpeedLoop* loop : {&aluLoop(), &callSkipLoop()})
        printRow("sxsim", loop->name, static_cast<double>(instructions),
                 ratesOf(coreRates<sxsim::Core>(sx28(), *loop, instructions, runs)));
    if (!gpsimAvailable()) {
        std::printf("gpsim or gpasm not on PATH: no comparison\n");
        return 0;
    }
    const std::uint64_t gpsimInstructions = instructions / 5;
    for (const SpeedLoop* loop : {&aluLoop(), &callSkipLoop()}) {
        const std::vector<double> rates = gpsimRates(
            *loop, picCyclesPerInstruction<sxsim::Core>(sx28(), *loop), gpsimInstructions, runs);
        if (rates.empty()) {
            std::printf("gpsim %s: did not run\n", loop->name);
            continue;
        }
        printRow("gpsim", loop->name, static_cast<double>(gpsimInstructions), ratesOf(rates));
    }
    std::printf("load average after: %s\n", loadAverage().c_str());
    return 0;
}
