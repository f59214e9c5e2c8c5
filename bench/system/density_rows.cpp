// densityRows: the programs of bench/density (the same source for both compilers, globals
// volatile so that both do the same work) compiled by the compiler under test and by SDCC for
// the Padauk pdk14, another one-accumulator 8-bit chip with 14-bit words: the words of each
// whole image side by side, their ratio, and the geometric mean of the ratios. Without sdcc on
// the PATH the comparison column is skipped with a note.
#include "bench/system/bench_rows.hpp"
#include "bench/system/measured_process.hpp"
#include "compiler/base/text_format.hpp"
#include "simulator/intel_hex.hpp"
#include "tests/support/temp_dir.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace kavo::bench {

namespace {

namespace fs = std::filesystem;

constexpr double CompileLimitSeconds = 60;

std::vector<fs::path> corpusPrograms(const fs::path& corpus) {
    std::vector<fs::path> programs;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        fs::copy_file(entry.path(), entry.path().filename(), fs::copy_options::overwrite_existing);
        if (entry.path().extension() == ".c")
            programs.push_back(entry.path().filename());
    }
    std::sort(programs.begin(), programs.end());
    return programs;
}

// Program words of kavo's object file; 0 when it did not compile.
long kavoWords(const BenchOptions& options, const fs::path& program) {
    const ProcessFigures run = runMeasured({options.kavo, program.string()}, CompileLimitSeconds);
    const std::string object = program.stem().string() + ".obj";
    if (run.exitStatus != 0 || !fs::exists(object))
        return 0;
    try {
        return static_cast<long>(sxsim::readIntelHexFile(object).program.size());
    } catch (const sxsim::HexError&) {
        return 0;
    }
}

// Words of SDCC's image: pdk14 words are two bytes each in its Intel HEX file.
long sdccWords(const std::string& sdcc, const fs::path& program) {
    const ProcessFigures run =
        runMeasured({sdcc, "-mpdk14", "--opt-code-size", program.string()}, CompileLimitSeconds);
    std::ifstream hex(program.stem().string() + ".ihx");
    if (run.exitStatus != 0 || !hex)
        return 0;
    long bytes = 0;
    for (std::string line; std::getline(hex, line);) {
        if (line.size() >= 9 && line[0] == ':' && line.substr(7, 2) == "00")
            bytes += std::stol(line.substr(1, 2), nullptr, 16);
    }
    return bytes / 2;
}

// The sdcc program on the PATH; empty when there is none.
std::string sdccProgram() {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin";
    for (std::size_t start = 0; start <= folders.size();) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const fs::path candidate = fs::path(folders.substr(start, end - start)) / "sdcc";
        if (end > start && ::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
        start = end + 1;
    }
    return {};
}

} // namespace

std::vector<BenchRow> densityRows(const BenchOptions& options) {
    kavo::testing::TempDir dir;
    const std::string sdcc = sdccProgram();
    const bool withSdcc = !sdcc.empty();
    std::vector<BenchRow> rows;
    double logSum = 0;
    double worst = 0;
    int compared = 0;
    for (const fs::path& program : corpusPrograms(fs::path(options.sourceDir) / "bench/density")) {
        const long kavo = kavoWords(options, program);
        const long other = withSdcc ? sdccWords(sdcc, program) : 0;
        if (kavo == 0 || other == 0) {
            rows.push_back({"code density", program.string(), kavo ? std::to_string(kavo) : "-",
                            "words", withSdcc ? "did not compile" : "SDCC not installed"});
            continue;
        }
        const double ratio = static_cast<double>(kavo) / static_cast<double>(other);
        logSum += std::log(ratio);
        worst = std::max(worst, ratio);
        ++compared;
        rows.push_back({"code density", program.string(), std::to_string(kavo), "words",
                        strprintf("SDCC pdk14 %ld words, ratio %.2f", other, ratio)});
    }
    if (compared > 0) {
        rows.push_back({"code density", "geometric mean kavo/SDCC",
                        strprintf("%.3f", std::exp(logSum / compared)), "ratio",
                        strprintf("%d programs, the largest ratio %.2f", compared, worst)});
    } else {
        rows.push_back({"code density", "kavo/SDCC", "-", "ratio",
                        "skipped: sdcc is not installed (Debian package sdcc)"});
    }
    return rows;
}

} // namespace kavo::bench
