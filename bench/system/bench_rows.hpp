// The four groups of rows of `make bench`, each measured when its area is asked for.
#pragma once

#include "bench/system/bench_options.hpp"
#include "bench/system/bench_table.hpp"

#include <vector>

namespace kavo::bench {

// Wall time and peak memory of the compiler on generated programs of growing size.
std::vector<BenchRow> compileRows(const BenchOptions& options);
// Million instructions per second of the interpreter, the reference core and gpsim.
std::vector<BenchRow> simulatorRows();
// Words per second programming and verifying 2048 words through the programmer models.
std::vector<BenchRow> programmingRows();
// Program words of each example compiled by the compiler under test.
std::vector<BenchRow> codeSizeRows(const BenchOptions& options);
// Words of each program of bench/density beside SDCC's for the pdk14, and the ratios' mean.
std::vector<BenchRow> densityRows(const BenchOptions& options);

} // namespace kavo::bench
