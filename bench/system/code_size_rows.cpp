// codeSizeRows: every examples/*.c compiled by the compiler under test, with its default
// settings, in a scratch copy of examples/; the words of its object file below the
// configuration area are counted (the reset jump at the top of memory included, FUSE and
// FUSEX not).
#include "bench/system/bench_rows.hpp"
#include "bench/system/measured_process.hpp"
#include "compiler/base/text_format.hpp"
#include "simulator/intel_hex.hpp"
#include "tests/support/temp_dir.hpp"

#include <algorithm>
#include <filesystem>

namespace kavo::bench {

namespace {

namespace fs = std::filesystem;

constexpr double CompileLimitSeconds = 60;

std::vector<fs::path> examplePrograms(const fs::path& examples) {
    std::vector<fs::path> programs;
    for (const auto& entry : fs::directory_iterator(examples)) {
        if (entry.path().extension() == ".c")
            programs.push_back(entry.path());
    }
    std::sort(programs.begin(), programs.end());
    return programs;
}

void copyExamples(const fs::path& examples) {
    for (const auto& entry : fs::directory_iterator(examples)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".c" || extension == ".h")
            fs::copy_file(entry.path(), entry.path().filename(),
                          fs::copy_options::overwrite_existing);
    }
}

// The first line of the compiler's output that names an error, for a program that failed.
std::string firstError(const std::string& output) {
    const std::size_t at = output.find("ERROR");
    if (at == std::string::npos)
        return "";
    return output.substr(at, output.find('\n', at) - at);
}

BenchRow sizeRow(const BenchOptions& options, const fs::path& program) {
    const std::string name = program.filename().string();
    const ProcessFigures run = runMeasured({options.kavo, name}, CompileLimitSeconds);
    const std::string object = program.stem().string() + ".obj";
    if (run.exitStatus != 0 || !fs::exists(object))
        return {"code size", name, "-", "words",
                strprintf("exit %d, no object file %s", run.exitStatus,
                          firstError(run.output).c_str())};
    try {
        const sxsim::HexImage image = sxsim::readIntelHexFile(object);
        return {"code size", name, std::to_string(image.program.size()), "words",
                "program words of " + object + ", reset jump included, FUSE/FUSEX not"};
    } catch (const sxsim::HexError& error) {
        return {"code size", name, "-", "words", std::string("unreadable: ") + error.what()};
    }
}

} // namespace

std::vector<BenchRow> codeSizeRows(const BenchOptions& options) {
    const fs::path examples = fs::path(options.sourceDir) / "examples";
    kavo::testing::TempDir dir;
    copyExamples(examples);
    std::vector<BenchRow> rows;
    for (const fs::path& program : examplePrograms(examples))
        rows.push_back(sizeRow(options, program));
    return rows;
}

} // namespace kavo::bench
