// compileRows: each generated program is compiled by the compiler under test in its own process
// in a scratch directory. Programs of these sizes do not fit the chip, so the compiler ends with
// errors; their codes (and the words the program needed) go in the notes, and the whole run is
// timed all the same. Register reuse (-m 1) is on: without it the temporaries of a few hundred
// functions exhaust the RAM long before the code is placed.
#include "bench/system/bench_rows.hpp"
#include "bench/system/generated_sx_program.hpp"
#include "bench/system/measured_process.hpp"
#include "compiler/base/text_format.hpp"
#include "tests/support/temp_dir.hpp"

#include <map>
#include <regex>

namespace kavo::bench {

namespace {

constexpr int Sizes[] = {1000, 5000, 20000, 50000};

// "exit 1; C70 needs 28176 words; C250 x200": what the compiler said, by error code.
std::string outcomeNotes(const ProcessFigures& run) {
    if (!run.started)
        return run.output;
    if (run.timedOut)
        return "stopped at the time limit";
    std::string notes = strprintf("exit %d", run.exitStatus);
    static const std::regex needs(
        R"(ERROR\(C70\): Memory limit exceeded \(pragma ROM_END = \d+ needs (\d+)\))");
    std::smatch match;
    if (std::regex_search(run.output, match, needs))
        notes += "; C70 needs " + match[1].str() + " words";
    static const std::regex anyError(R"(ERROR\((C\d+)\))");
    std::map<std::string, int> errors;
    for (auto it = std::sregex_iterator(run.output.begin(), run.output.end(), anyError);
         it != std::sregex_iterator(); ++it)
        ++errors[(*it)[1].str()];
    for (const auto& [code, count] : errors) {
        if (code != "C70" || count > 1)
            notes += strprintf("; %s x%d", code.c_str(), count);
    }
    return notes;
}

struct CompileRun {
    int lines = 0;
    int functions = 0;
    ProcessFigures figures;
};

CompileRun compileGenerated(const BenchOptions& options, int lines) {
    const GeneratedProgram program =
        generatedSxProgram(lines, options.sourceDir + "/examples/sx52.h");
    const std::string name = strprintf("lines%d.c", lines);
    kavo::testing::writeFile(name, program.text);
    return {program.lines, program.functions,
            runMeasured({options.kavo, "-m", "1", name}, options.compileLimitSeconds)};
}

// Time ratio over line ratio from the previous size: 1.0 is linear growth.
std::string growthNote(const CompileRun& run, const CompileRun* previous) {
    if (previous == nullptr || previous->figures.wallSeconds <= 0 || run.figures.timedOut)
        return "";
    const double growth = (run.figures.wallSeconds / previous->figures.wallSeconds) /
                          (static_cast<double>(run.lines) / previous->lines);
    return strprintf("growth %.2f from %d lines; ", growth, previous->lines);
}

void addRowsOf(std::vector<BenchRow>& rows, const CompileRun& run, const CompileRun* previous) {
    const std::string what = strprintf("%d lines, %d functions", run.lines, run.functions);
    const std::string time = run.figures.timedOut
                                 ? strprintf(">%s", figureText(run.figures.wallSeconds).c_str())
                                 : figureText(run.figures.wallSeconds);
    rows.push_back({"compile", what + ": wall time", time, "s",
                    growthNote(run, previous) + outcomeNotes(run.figures)});
    rows.push_back({"compile", what + ": peak memory",
                    figureText(static_cast<double>(run.figures.maxRssKilobytes) / 1024.0), "MiB",
                    run.figures.timedOut ? "max RSS of the kavo process when it was stopped"
                                         : "max RSS of the kavo process"});
}

} // namespace

std::vector<BenchRow> compileRows(const BenchOptions& options) {
    std::vector<BenchRow> rows;
    rows.push_back({"compile", "compiler under test", "-", "",
                    options.kavo + " -m 1, a generated program of functions all called by main"});
    kavo::testing::TempDir dir;
    std::vector<CompileRun> runs;
    for (int lines : Sizes) {
        if (lines > options.maxLines)
            break;
        if (!runs.empty() && (runs.back().figures.timedOut || !runs.back().figures.started)) {
            rows.push_back({"compile", strprintf("%d lines", lines), "-", "s",
                            "not run: the previous size did not finish"});
            continue;
        }
        runs.push_back(compileGenerated(options, lines));
        addRowsOf(rows, runs.back(), runs.size() > 1 ? &runs[runs.size() - 2] : nullptr);
    }
    return rows;
}

} // namespace kavo::bench
