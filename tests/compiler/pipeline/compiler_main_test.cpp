#include "compiler/pipeline/banner.hpp"
#include "compiler/pipeline/compiler_entry.hpp"
#include "tests/support/capture_io.hpp"
#include "tests/support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <algorithm>
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
    testing::writeFile("blink.c", "int x;\n");
    run({"kavo", "blink"});
    EXPECT_TRUE(fs::exists("blink.pre"));
    EXPECT_NE(io.messages.find("Preprocessing blink.c\n"), std::string::npos);
}

// The extension starts at the first dot of the file's own name: the dots of ./, ../ and of
// directories are kept, as is the dot that leads a hidden file's name.
TEST_F(CompilerMainTest, TheExtensionIsCutFromTheFileNameOnly) {
    const struct {
        const char* given;
        const char* object;
    } cases[] = {{"v1.2/prog.c", "v1.2/prog.obj"},
                 {"./dot.c", "dot.obj"},
                 {"v1.2/../up.c", "up.obj"},
                 {".hidden.c", ".hidden.obj"},
                 {"two.dots.c", "two.obj"}};
    for (const char* source : {"v1.2/prog.c", "dot.c", "up.c", ".hidden.c", "two.c"})
        testing::writeFile(source, "int x;\n");
    for (const auto& c : cases) {
        const CompileOutcome outcome = run({"kavo", c.given});
        EXPECT_EQ(outcome.mainResult, 1) << c.given << io.messages;
        EXPECT_TRUE(fs::exists(c.object)) << c.given << io.messages;
    }
}

TEST_F(CompilerMainTest, DirectoriesAndExtensionsFromTheCommandLine) {
    fs::create_directories("src");
    fs::create_directories("out");
    testing::writeFile("src/prog.sxc", "int x;\n");
    run({"kavo", "-s", "src", "-c", "sxc", "-o", "out", "-a", "out", "-t", "out", "-x", "hex",
         "prog.sxc"});
    for (const char* name : {"out/prog.pre", "out/prog.asm", "out/prog.lst", "out/prog.hex"})
        EXPECT_TRUE(fs::exists(name)) << name;
    EXPECT_NE(io.messages.find("Preprocessing src/prog.sxc\n"), std::string::npos);
}

TEST_F(CompilerMainTest, TheMapFileIsOpenedOnlyWhenEnabled) {
    fs::create_directories("maps");
    testing::writeFile("prog.c", "int x;\n");
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
    EXPECT_FALSE(fs::exists("prog.asm")) << "a run that stops keeps none of its outputs";
}

// Every output is written beside its target and takes its place only when the compilation
// succeeds: a failed one leaves the folder as it found it, less the object file it would have
// replaced, so that no stale image is ever programmed.
TEST_F(CompilerMainTest, AFailedCompilationLeavesNoOutputAndNoOldObjectFile) {
    const std::string header = "#pragma BANK_START_00 16\n#pragma BANK_END_00 31\n";
    testing::writeFile("prog.c", header + "char c;\nvoid main(void) { c = 1; }\n");
    ASSERT_TRUE(run({"kavo", "prog.c"}).success) << io.messages;
    const std::string listing = testing::readFile("prog.lst");

    testing::writeFile("prog.c", header + "char c;\nvoid main(void) { c = 1; break; }\n");
    EXPECT_FALSE(run({"kavo", "prog.c"}).success);
    EXPECT_FALSE(fs::exists("prog.obj"));
    EXPECT_EQ(testing::readFile("prog.lst"), listing) << "the older outputs stay whole";
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator("."))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"prog.asm", "prog.c", "prog.lst", "prog.pre"}))
        << "no temporary file is left behind";
}

// Without the device header there is no RAM: one error says what to include, and nothing
// follows it about the program's own names.
TEST_F(CompilerMainTest, AProgramWithoutItsDeviceHeaderGetsOneErrorSayingSo) {
    testing::writeFile("prog.c", "char c, d;\nvoid main(void) { c = 1; d = c + 1; }\n");
    const CompileOutcome outcome = run({"kavo", "prog.c"});
    EXPECT_EQ(outcome.errors, 1) << io.messages;
    EXPECT_NE(io.messages.find("ERROR(C301): The chip's memory layout is missing: include its "
                               "device header (#include <sx28.h> or #include <sx52.h>) before "
                               "the program.\n"),
              std::string::npos)
        << io.messages;
    EXPECT_NE(io.messages.find("Found 1 error.  No code generated.\n"), std::string::npos);
}

// Two files of one run under one name would overwrite each other: refused before anything
// is written, the source included.
TEST_F(CompilerMainTest, OptionsThatGiveTwoFilesOneNameAreRefused) {
    const struct {
        std::vector<std::string> options;
        std::string message;
    } cases[] = {
        {{"-v", "ab", "-x", "ab"}, "The assembly file and the object file would both be prog.ab"},
        {{"-p", "c"}, "The source file and the preprocess file would both be prog.c"},
        {{"-a", "out", "-o", "./out/", "-l", "obj"},
         "The listing file and the object file would both be ./out/prog.obj"},
    };
    fs::create_directories("out");
    for (const auto& c : cases) {
        testing::writeFile("prog.c", "int x;\n");
        io.messages.clear();
        settings = {};
        std::vector<std::string> argv = {"kavo"};
        argv.insert(argv.end(), c.options.begin(), c.options.end());
        argv.push_back("prog.c");
        const CompileOutcome outcome = run(argv);
        EXPECT_EQ(outcome.mainResult, 0);
        EXPECT_EQ(io.messages, "ERROR(C300): " + c.message +
                                   ": give them different extensions or folders.\n");
        EXPECT_EQ(testing::readFile("prog.c"), "int x;\n");
        EXPECT_FALSE(fs::exists("prog.ab") || fs::exists("prog.pre") || fs::exists("out/prog.obj"));
    }
}

TEST_F(CompilerMainTest, AMissingSourceIsReportedOnStandardErrorAndCounted) {
    const CompileOutcome outcome = run({"kavo", "absent.c"});
    EXPECT_EQ(io.err, "Cannot open file absent.c to preprocess.\n");
    EXPECT_GE(outcome.errors, 1);
    EXPECT_FALSE(outcome.success);
}

TEST_F(CompilerMainTest, WithoutArgumentsTheFileNameIsAskedFor) {
    testing::writeFile("asked.c", "int x;\n");
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
    testing::writeFile("b.c", "#ifdef A\nint yes;\n#endif\n#pragma X 2\nint b;\n");
    run({"kavo", "a.c"});
    io.messages.clear();
    run({"kavo", "b.c"});
    EXPECT_EQ(io.messages.find("redefined"), std::string::npos) << io.messages;
    EXPECT_EQ(testing::readFile("b.pre"), banner("//") + "#line 0 b.c\n\n\n\n\nint b;\n");
}

} // namespace
} // namespace kavo
