#include "compiler/pipeline/banner.hpp"
#include "compiler/pipeline/compiler_entry.hpp"
#include "tests/support/capture_io.hpp"
#include "tests/support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace kavo {
namespace {

namespace fs = std::filesystem;

class CompilerMainTest : public ::testing::Test {
protected:
    CompileOutcome run(std::vector<std::string> argv) { return compile(settings, io, argv); }

    testing::TempDir dir;
    CompilerSettings settings;
    testing::CaptureIo io;
};

TEST_F(CompilerMainTest, BannerLinesAreFramedAndPrefixed) {
    const std::string text = banner("; ");
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "; ");
    EXPECT_EQ(lines[6], "; ");
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(lines[i].size(), 76u) << lines[i];
        EXPECT_EQ(lines[i].substr(0, 4), "; _/");
    }
    EXPECT_NE(lines[3].find("(4.2)"), std::string::npos);
    EXPECT_NE(lines[3].find("C Compiler for Scenix microcontrollers"), std::string::npos);
    EXPECT_EQ(lines[4],
              "; _/_______________________________________________________________________/");
}

TEST_F(CompilerMainTest, OutputsAreNamedAfterTheStemAndOpenedInOrder) {
    testing::writeFile("prog.c", "int x;\n");
    const CompileOutcome outcome = run({"kavo", "prog.c"});
    EXPECT_EQ(outcome.mainResult, 1);
    EXPECT_TRUE(outcome.success) << io.messages;
    for (const char* name : {"prog.pre", "prog.asm", "prog.lst", "prog.obj"})
        EXPECT_TRUE(fs::exists(name)) << name;
    EXPECT_FALSE(fs::exists("prog.map"));
    EXPECT_EQ(io.messages.substr(0, io.messages.find("Compiling")),
              "Preprocessing prog.c\nDone preprocessing prog.c\n");
    EXPECT_EQ(io.out, banner(""));
    const std::string pre = testing::readFile("prog.pre");
    EXPECT_EQ(pre, banner("//") + "#line 0 prog.c\nint x;\n");
}

TEST_F(CompilerMainTest, ANameWithoutDotCompilesTheSourceOfThatStem) {
    testing::writeFile("blink.c", "\n");
    run({"kavo", "blink"});
    EXPECT_TRUE(fs::exists("blink.pre"));
    EXPECT_NE(io.messages.find("Preprocessing blink.c\n"), std::string::npos);
}

TEST_F(CompilerMainTest, TheNameIsCutAtTheFirstDotEvenInADirectory) {
    testing::writeFile("v1.2/prog.c", "\n");
    testing::writeFile("v1.c", "\n");
    run({"kavo", "v1.2/prog.c"});
    EXPECT_TRUE(fs::exists("v1.pre"));
    EXPECT_TRUE(fs::exists("v1.obj"));
    EXPECT_NE(io.messages.find("Preprocessing v1.c\n"), std::string::npos);
}

TEST_F(CompilerMainTest, ALeadingDotGivesAnEmptyStemAndTheParserReadsMm4In) {
    testing::writeFile(".c", "\n");
    const CompileOutcome outcome = run({"kavo", ".hidden.c"});
    EXPECT_TRUE(fs::exists(".pre"));
    EXPECT_EQ(outcome.mainResult, 0);
    EXPECT_NE(io.messages.find("Cannot open mm4.in!... exiting.\n"), std::string::npos);
}

TEST_F(CompilerMainTest, DirectoriesAndExtensionsFromTheCommandLine) {
    fs::create_directories("src");
    fs::create_directories("out");
    testing::writeFile("src/prog.sxc", "\n");
    run({"kavo", "-s", "src", "-c", "sxc", "-o", "out", "-a", "out", "-t", "out", "-x", "hex",
         "prog.sxc"});
    for (const char* name : {"out/prog.pre", "out/prog.asm", "out/prog.lst", "out/prog.hex"})
        EXPECT_TRUE(fs::exists(name)) << name;
    EXPECT_NE(io.messages.find("Preprocessing src/prog.sxc\n"), std::string::npos);
}

TEST_F(CompilerMainTest, TheMapFileIsOpenedOnlyWhenEnabled) {
    fs::create_directories("maps");
    testing::writeFile("prog.c", "\n");
    testing::writeFile("kavoconf.cfg", "MAP_DIR maps\\\n");
    run({"kavo", "-f", "x", "prog.c"});
    EXPECT_TRUE(fs::exists("maps/prog.map"));
    EXPECT_TRUE(fs::exists("prog.hex")) << "-f makes the object extension hex";
}

TEST_F(CompilerMainTest, UnopenableOutputsStopTheRunWithTheirMessage) {
    testing::writeFile("prog.c", "\n");
    CompileOutcome outcome = run({"kavo", "-t", "missing", "prog.c"});
    EXPECT_EQ(outcome.mainResult, 0);
    EXPECT_NE(io.messages.find("Cannot open preprocess file missing/prog.pre!...(2 - 2)\n"),
              std::string::npos);

    io.messages.clear();
    settings = {};
    outcome = run({"kavo", "-a", "missing", "prog.c"});
    EXPECT_EQ(outcome.mainResult, 0);
    EXPECT_NE(io.messages.find("Cannot open assembler output file missing/prog.asm!... exiting.\n"),
              std::string::npos);
    EXPECT_EQ(io.messages.find("Compiling"), std::string::npos);

    io.messages.clear();
    settings = {};
    outcome = run({"kavo", "-o", "missing", "prog.c"});
    EXPECT_NE(io.messages.find("Cannot open object output file missing/prog.obj!... exiting.\n"),
              std::string::npos);
    EXPECT_TRUE(fs::exists("prog.asm")) << "streams opened before the failure stay";
}

TEST_F(CompilerMainTest, AMissingSourceIsReportedOnStandardErrorAndCounted) {
    const CompileOutcome outcome = run({"kavo", "absent.c"});
    EXPECT_EQ(io.err, "Cannot open file absent.c to preprocess.\n");
    EXPECT_GE(outcome.errors, 1);
    EXPECT_FALSE(outcome.success);
}

TEST_F(CompilerMainTest, WithoutArgumentsTheFileNameIsAskedFor) {
    testing::writeFile("asked.c", "\n");
    io.input = {"asked.c"};
    const CompileOutcome outcome = run({"kavo"});
    EXPECT_EQ(outcome.mainResult, 1);
    EXPECT_EQ(io.out, banner("") + "Enter File to compile [file.c]: ");
    EXPECT_TRUE(fs::exists("asked.pre"));
}

TEST_F(CompilerMainTest, NoAnswerToThePromptIsAClearError) {
    const CompileOutcome outcome = run({"kavo"});
    EXPECT_EQ(outcome.mainResult, 0);
    EXPECT_EQ(outcome.errors, 1);
    EXPECT_EQ(io.messages, "No file name given: nothing to compile.\n");
}

TEST_F(CompilerMainTest, ACommandLineErrorCompilesNothing) {
    testing::writeFile("prog.c", "\n");
    const CompileOutcome outcome = run({"kavo", "-q", "1", "prog.c"});
    EXPECT_EQ(outcome.mainResult, 0);
    EXPECT_FALSE(fs::exists("prog.pre"));
}

TEST_F(CompilerMainTest, EveryRunStartsFromAFreshState) {
    testing::writeFile("a.c", "#define A 1\n#pragma X 1\n");
    testing::writeFile("b.c", "#ifdef A\nyes\n#endif\n#pragma X 2\n");
    run({"kavo", "a.c"});
    io.messages.clear();
    run({"kavo", "b.c"});
    EXPECT_EQ(io.messages.find("redefined"), std::string::npos) << io.messages;
    EXPECT_EQ(testing::readFile("b.pre"), banner("//") + "#line 0 b.c\n\n\n\n\n");
}

} // namespace
} // namespace kavo
