// `make bench`: the system's figures in one markdown table on standard output, rows grouped by
// area (compile time and memory, simulator speed, programming throughput, code size, code
// density beside SDCC's), with the
// load average before and after. Not a test: it measures, it does not judge.
//   kavo_bench [--kavo PATH] [--max-lines N] [--only AREAS] [--compile-limit SECONDS]
#include "bench/support/machine.hpp"
#include "bench/system/bench_options.hpp"
#include "bench/system/bench_rows.hpp"

#include <cstdio>
#include <filesystem>

namespace {

using namespace kavo::bench;

// The compiler of this build, beside this program in the build's bin directory.
BenchOptions buildDefaults() {
    BenchOptions defaults;
    defaults.kavo =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "kavo").string();
    defaults.sourceDir = KAVO_SOURCE_DIR;
    return defaults;
}

void append(std::vector<BenchRow>& rows, std::vector<BenchRow> more) {
    rows.insert(rows.end(), more.begin(), more.end());
}

BenchRow loadRow(const char* when) {
    return {"machine", std::string("load average ") + when, loadAverage(), "1/5/15 min",
            "the machine is shared"};
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = parseBenchOptions(argc, argv, buildDefaults(), error);
    if (!options) {
        std::fprintf(stderr,
                     "kavo_bench: %s\nusage: kavo_bench [--kavo PATH] [--max-lines N] "
                     "[--only compile,simulator,programming,size,density] [--compile-limit S]\n",
                     error.c_str());
        return 2;
    }
    if ((options->measures("compile") || options->measures("size") ||
         options->measures("density")) &&
        !std::filesystem::exists(options->kavo)) {
        std::fprintf(stderr, "kavo_bench: no compiler at %s\n", options->kavo.c_str());
        return 2;
    }
    std::vector<BenchRow> rows = {loadRow("before")};
    if (options->measures("compile"))
        append(rows, compileRows(*options));
    if (options->measures("simulator"))
        append(rows, simulatorRows());
    if (options->measures("programming"))
        append(rows, programmingRows());
    if (options->measures("size"))
        append(rows, codeSizeRows(*options));
    if (options->measures("density"))
        append(rows, densityRows(*options));
    rows.push_back(loadRow("after"));
    std::fputs(markdownTable(rows).c_str(), stdout);
    return 0;
}
