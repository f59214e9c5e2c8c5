// A program run as its own process with its wall time and peak memory taken from the kernel's
// account of it (wait4's rusage), its standard output and error kept in a file.
#pragma once

#include <string>
#include <vector>

namespace kavo::bench {

struct ProcessFigures {
    bool started = false;  // false: the program could not be run (the output says why)
    bool timedOut = false; // killed at the time limit
    int exitStatus = -1;   // -1 when it did not exit normally
    double wallSeconds = 0;
    long maxRssKilobytes = 0;
    std::string output; // standard output and error
};

// Runs argv[0] (a path) with the arguments in the current directory; a run longer than
// limitSeconds is killed and marked timedOut.
ProcessFigures runMeasured(const std::vector<std::string>& argv, double limitSeconds);

} // namespace kavo::bench
