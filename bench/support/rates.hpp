// The best and the median of several timed runs: the best shows the speed when the machine let
// the program have a core to itself, the median what a shared machine gave.
#pragma once

#include <algorithm>
#include <vector>

namespace kavo::bench {

struct Rates {
    double best = 0;
    double median = 0;
};

// Rates of at least one run, in whatever unit they were measured.
inline Rates ratesOf(std::vector<double> rates) {
    if (rates.empty())
        return {};
    std::sort(rates.begin(), rates.end());
    return {rates.back(), rates[rates.size() / 2]};
}

} // namespace kavo::bench
