// The one table `make bench` prints: a row per figure, grouped by area, as markdown.
#pragma once

#include <string>
#include <vector>

namespace kavo::bench {

struct BenchRow {
    std::string area;
    std::string what; // the case measured
    std::string figure;
    std::string unit;
    std::string notes;
};

// The rows in the order given; the area is written on the first row of each run of rows of
// one area only, so the groups stand out. A "|" inside a cell is escaped.
std::string markdownTable(const std::vector<BenchRow>& rows);

// A number with as many decimals as its size deserves: 3 below 1, 2 below 10, 1 below 1000,
// none above.
std::string figureText(double value);

} // namespace kavo::bench
