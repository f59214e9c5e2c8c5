// Parse speed on a generated 20,000-line program. Not a test: it prints its figures.
//   frontend_parse_bench [lines]
#include "bench/frontend/generated_program.hpp"
#include "compiler/frontend/front_end.hpp"
#include "compiler/pipeline/compiler_entry.hpp"
#include "compiler/run/compilation.hpp"
#include "tests/support/capture_io.hpp"
#include "tests/support/temp_dir.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct ParseFigures {
    double milliseconds = 0;
    std::size_t nodes = 0;
    int result = 0;
};

// The parser alone over a preprocess file, as the compiler main runs it.
ParseFigures parseOnly(const std::string& preprocessFile) {
    kavo::CompilerSettings settings;
    kavo::testing::CaptureIo io;
    kavo::Compilation c(settings, io);
    c.files.parserInput.reset(std::fopen(preprocessFile.c_str(), "rb"));
    ParseFigures figures;
    const auto start = Clock::now();
    kavo::frontend::FrontEnd frontEnd(c);
    figures.result = frontEnd.parse();
    figures.milliseconds = millisecondsSince(start);
    for (const kavo::Node* n = c.nodes.head(); n != nullptr; n = n->next)
        ++figures.nodes;
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::atoi(argv[1]) : 20000;
    kavo::testing::TempDir dir;
    const std::string program = kavo::bench::generatedProgram(lines);
    kavo::testing::writeFile("bench.c", program);

    // The whole run: preprocessor, parser and whatever the back end does with the program.
    kavo::CompilerSettings settings;
    kavo::testing::CaptureIo io;
    const auto start = Clock::now();
    const kavo::CompileOutcome outcome = kavo::compile(settings, io, {"kavo", "bench.c"});
    const double wholeRun = millisecondsSince(start);

    // The same program with a syntax error on its last line: the driver preprocesses and
    // parses all of it, then stops before the back end.
    kavo::testing::writeFile("front.c", program + "int stop here;\n");
    kavo::CompilerSettings frontSettings;
    kavo::testing::CaptureIo frontIo;
    const auto frontStart = Clock::now();
    const kavo::CompileOutcome frontOutcome =
        kavo::compile(frontSettings, frontIo, {"kavo", "front.c"});
    const double frontRun = millisecondsSince(frontStart);

    const ParseFigures full = parseOnly("bench.pre");
    // A second, half-sized program shows whether the parse time grows linearly.
    kavo::testing::writeFile("small.c", kavo::bench::generatedProgram(lines / 2));
    kavo::CompilerSettings smallSettings;
    kavo::testing::CaptureIo smallIo;
    kavo::compile(smallSettings, smallIo, {"kavo", "small.c"});
    const ParseFigures small = parseOnly("small.pre");

    std::printf("program: %d lines, %zu bytes\n", lines, program.size());
    std::printf("whole run (preprocess, parse, back end): %.1f ms, %d errors%s\n", wholeRun,
                outcome.errors, outcome.fatal ? ", ended in a fatal stop" : "");
    std::printf("driver, preprocess and parse only (syntax error on the last line): %.1f ms, "
                "%d errors\n",
                frontRun, frontOutcome.errors);
    std::printf("parse alone: %.1f ms, %zu nodes, result %d\n", full.milliseconds, full.nodes,
                full.result);
    std::printf("parse alone, half the program: %.1f ms, %zu nodes (ratio %.2f)\n",
                small.milliseconds, small.nodes,
                small.milliseconds > 0 ? full.milliseconds / small.milliseconds : 0.0);
    return full.result == 0 ? 0 : 1;
}
