// gpsimAvailable and gpsimRates: gpasm writes the loop, gpsim runs it for a cycle count from a
// command script, and the wall time of the whole process is taken.
#include "bench/simulator/gpsim_timing.hpp"

#include "bench/support/machine.hpp"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace kavo::bench {

namespace {

// Writes the loop as a PIC16C54 program with gpasm; the path of its .cod file, or "" on failure.
std::string assembleForGpsim(const std::filesystem::path& dir, const SpeedLoop& loop) {
    const std::string base = (dir / loop.name).string();
    {
        std::ofstream source(base + ".asm");
        source << "        processor 16c54\n        org 0\n";
        for (std::uint16_t word : loop.words)
            source << "        dw 0x" << std::hex << word << "\n";
        source << "        org 0x1ff\n        goto 0\n        end\n";
    }
    const std::string assemble = "gpasm -q -p 16c54 -o " + base + ".hex " + base + ".asm";
    return std::system(assemble.c_str()) == 0 ? base + ".cod" : "";
}

// Wall time of a whole gpsim process running the program for `cycles` cycles; 0 on failure.
double gpsimSeconds(const std::string& cod, std::uint64_t cycles) {
    const std::string script = cod + "." + std::to_string(cycles) + ".stc";
    std::ofstream(script) << "break c " << cycles << "\nrun\nquit\n";
    const std::string simulate =
        "gpsim -i -S disable -s " + cod + " -c " + script + " >/dev/null 2>&1";
    const double start = wallSeconds();
    const int status = std::system(simulate.c_str());
    return status == 0 ? wallSeconds() - start : 0;
}

} // namespace

bool gpsimAvailable() {
    return std::system("command -v gpasm >/dev/null 2>&1 && command -v gpsim >/dev/null 2>&1") == 0;
}

std::vector<double> gpsimRates(const SpeedLoop& loop, double picCyclesPerInstruction,
                               std::uint64_t instructions, unsigned runs) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("gpsim-speed-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::vector<double> rates;
    const std::string cod = assembleForGpsim(dir, loop);
    if (!cod.empty()) {
        const auto cycles =
            static_cast<std::uint64_t>(static_cast<double>(instructions) * picCyclesPerInstruction);
        double startUp = 1e9;
        for (unsigned run = 0; run < runs; ++run)
            startUp = std::min(startUp, gpsimSeconds(cod, 1000));
        for (unsigned run = 0; run < runs; ++run) {
            const double seconds = gpsimSeconds(cod, cycles) - startUp;
            if (seconds > 0)
                rates.push_back(static_cast<double>(instructions) / seconds / 1e6);
        }
    }
    std::filesystem::remove_all(dir);
    return rates;
}

} // namespace kavo::bench
