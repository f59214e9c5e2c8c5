// simulatorRows: the two speed loops on the interpreter sxsim runs, on the reference core (the
// interpreter as it was before it was rebuilt for speed) and on gpsim as a PIC16C54. Each figure
// is the best of several runs; the median is in the notes.
#include "bench/simulator/core_timing.hpp"
#include "bench/simulator/gpsim_timing.hpp"
#include "bench/support/rates.hpp"
#include "bench/system/bench_rows.hpp"
#include "compiler/base/text_format.hpp"
#include "simulator/core.hpp"
#include "tests/simulator/reference_core/reference_core.hpp"

namespace kavo::bench {

namespace {

constexpr unsigned Runs = 5;
constexpr std::uint64_t FastCoreInstructions = 200'000'000;
constexpr std::uint64_t ReferenceCoreInstructions = 50'000'000;
constexpr std::uint64_t GpsimInstructions = 20'000'000;
constexpr unsigned GpsimRuns = 3;

const sxsim::Device& sx28() {
    static const sxsim::Device device = sxsim::deviceFor(sxsim::DeviceKind::SX28);
    return device;
}

BenchRow rateRow(const std::string& simulator, const SpeedLoop& loop,
                 const std::vector<double>& rates, std::uint64_t instructions) {
    const Rates r = ratesOf(rates);
    return {"simulator", simulator + ", " + loop.name + " loop", figureText(r.best), "M instr/s",
            strprintf("best of %zu runs of %.0f M instructions, median %s", rates.size(),
                      static_cast<double>(instructions) / 1e6, figureText(r.median).c_str())};
}

} // namespace

std::vector<BenchRow> simulatorRows() {
    std::vector<BenchRow> rows;
    const bool gpsim = gpsimAvailable();
    for (const SpeedLoop* loop : {&aluLoop(), &callSkipLoop()}) {
        rows.push_back(rateRow("sxsim core", *loop,
                               coreRates<sxsim::Core>(sx28(), *loop, FastCoreInstructions, Runs),
                               FastCoreInstructions));
        rows.push_back(rateRow("previous core (reference)", *loop,
                               coreRates<sxsim::reference::ReferenceCore>(
                                   sx28(), *loop, ReferenceCoreInstructions, Runs),
                               ReferenceCoreInstructions));
        const std::vector<double> rates =
            gpsim ? gpsimRates(*loop, picCyclesPerInstruction<sxsim::Core>(sx28(), *loop),
                               GpsimInstructions, GpsimRuns)
                  : std::vector<double>{};
        if (rates.empty())
            rows.push_back({"simulator", std::string("gpsim PIC16C54, ") + loop->name + " loop",
                            "-", "M instr/s",
                            gpsim ? "gpsim did not run" : "gpasm or gpsim not on PATH"});
        else
            rows.push_back(rateRow("gpsim PIC16C54", *loop, rates, GpsimInstructions));
    }
    return rows;
}

} // namespace kavo::bench
