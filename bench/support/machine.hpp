// What a benchmark reads from the machine around its figures: the wall clock and the load
// average (the machine is shared, so each table says how busy it was).
#pragma once

#include <chrono>
#include <fstream>
#include <string>

namespace kavo::bench {

inline double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The 1, 5 and 15 minute load averages as /proc/loadavg gives them.
inline std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

} // namespace kavo::bench
