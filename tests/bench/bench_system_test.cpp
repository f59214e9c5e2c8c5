#include "bench/system/bench_options.hpp"
#include "bench/system/generated_sx_program.hpp"
#include "bench/system/measured_process.hpp"
#include "tests/support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <iterator>
#include <regex>
#include <string>

namespace kavo::bench {
namespace {

// ---- The generated program ----

TEST(GeneratedProgram, HasAboutTheLinesAskedForAndCallsEveryFunction) {
    const GeneratedProgram program = generatedSxProgram(20000, "/x/sx52.h");
    EXPECT_LE(program.lines, 20000);
    EXPECT_GT(program.lines, 19990);
    EXPECT_NE(program.text.find("    f" + std::to_string(program.functions - 1) + "();\n"),
              std::string::npos);
    EXPECT_EQ(program.text.find("f" + std::to_string(program.functions) + "("), std::string::npos);
}

// At a size that fits the chip, the compiler the bench measures takes the program without a
// message, and every function's code is in the output: none was removed as unused.
TEST(GeneratedProgram, CompilesWithoutErrorsWhenItFits) {
    kavo::testing::TempDir dir;
    const std::string header = std::string(KAVO_SOURCE_DIR) + "/examples/sx52.h";
    const GeneratedProgram program = generatedSxProgram(300, header);
    ASSERT_EQ(program.functions, 29);
    kavo::testing::writeFile("fits.c", program.text);
    const ProcessFigures run = runMeasured({KAVO_PATH, "-m", "1", "fits.c"}, 60);
    EXPECT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_EQ(run.output.find("ERROR"), std::string::npos) << run.output;
    // Each function's code starts at its label "Af<n>" (its call vector holds "f<n>").
    const std::string assembly = kavo::testing::readFile("fits.asm");
    const std::regex functionStart(R"(\nAf\d+ )");
    EXPECT_EQ(std::distance(std::sregex_iterator(assembly.begin(), assembly.end(), functionStart),
                            std::sregex_iterator()),
              program.functions);
}

// ---- The process measurement ----

TEST(MeasuredProcess, KeepsTheExitStatusAndTheOutput) {
    const ProcessFigures run =
        runMeasured({"/bin/sh", "-c", "echo said; echo err >&2; exit 3"}, 10);
    EXPECT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 3);
    EXPECT_EQ(run.output, "said\nerr\n");
}

TEST(MeasuredProcess, PeakMemoryIsTheChildsOwn) {
    // dd fills a 64 MiB buffer; this test process stays far below that.
    const ProcessFigures run =
        runMeasured({"/bin/dd", "if=/dev/zero", "of=/dev/null", "bs=64M", "count=1"}, 30);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_GE(run.maxRssKilobytes, 64 * 1024);
    EXPECT_LT(run.maxRssKilobytes, 256 * 1024);
}

TEST(MeasuredProcess, ARunPastTheLimitIsStoppedAndAMissingProgramSaysSo) {
    const ProcessFigures slow = runMeasured({"/bin/sleep", "20"}, 0.2);
    EXPECT_TRUE(slow.timedOut);
    EXPECT_LT(slow.wallSeconds, 5);
    EXPECT_EQ(slow.exitStatus, -1);

    const ProcessFigures missing = runMeasured({"/no/such/kavo"}, 10);
    EXPECT_FALSE(missing.started);
    EXPECT_NE(missing.output.find("cannot run /no/such/kavo"), std::string::npos);
}

// ---- Options ----

TEST(BenchOptions, ReadsEachOptionAndRefusesWhatItDoesNotKnow) {
    auto parse = [](std::vector<const char*> args, std::string& error) {
        args.insert(args.begin(), "kavo_bench");
        return parseBenchOptions(static_cast<int>(args.size()), const_cast<char**>(args.data()),
                                 BenchOptions{}, error);
    };
    std::string error;
    const auto options =
        parse({"--kavo", "/old/kavo", "--max-lines", "5000", "--only", "compile,size"}, error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->kavo, "/old/kavo");
    EXPECT_EQ(options->maxLines, 5000);
    EXPECT_TRUE(options->measures("size"));
    EXPECT_FALSE(options->measures("simulator"));

    EXPECT_FALSE(parse({"--only", "compile,speed"}, error));
    EXPECT_EQ(error, "bad option --only compile,speed");
    EXPECT_FALSE(parse({"--max-lines", "0"}, error));
    EXPECT_FALSE(parse({"--kavo"}, error));
    EXPECT_EQ(error, "missing value after --kavo");
}

} // namespace
} // namespace kavo::bench
