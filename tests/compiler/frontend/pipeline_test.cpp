// The front end inside a whole compiler run: preprocessor, then parser, then the back end only
// when the parse succeeded.
#include "compiler/pipeline/compiler_entry.hpp"
#include "tests/support/capture_io.hpp"
#include "tests/support/temp_dir.hpp"

#include <gtest/gtest.h>

namespace kavo::testing {
namespace {

using std::string;

class FrontEndPipeline : public ::testing::Test {
protected:
    CompileOutcome compileFile(const string& name, const string& text) {
        writeFile(name, text);
        io = CaptureIo{};
        CompilerSettings settings;
        return compile(settings, io, {"kavo", name});
    }
    // Everything the run said after it started compiling.
    string afterCompiling(const string& name) const {
        const string marker = "Compiling " + name + "\n";
        const auto at = io.messages.find(marker);
        return at == string::npos ? "<no Compiling line>" : io.messages.substr(at + marker.size());
    }

    TempDir dir;
    CaptureIo io;
};

TEST_F(FrontEndPipeline, ASyntaxErrorStopsTheRunWithNothingButItsMessage) {
    const CompileOutcome outcome = compileFile("bad.c", "int a;\n\nint b c;\nint d;\n");
    EXPECT_EQ(afterCompiling("bad.c"), "ERROR(C01): Line:   3 Syntax error.  Unknown construct.\n");
    EXPECT_EQ(outcome.errors, 1);
    EXPECT_EQ(outcome.mainResult, 1);
    EXPECT_FALSE(outcome.success);
    EXPECT_FALSE(outcome.fatal);
}

TEST_F(FrontEndPipeline, LinesCountFromTheSourceFileThroughThePreprocessor) {
    compileFile("lines.c", "#define N 3\n/* two\n   lines */\nint a = N;\nint b = ;\n");
    EXPECT_EQ(afterCompiling("lines.c"),
              "ERROR(C01): Line:   5 Syntax error.  Unknown construct.\n");
}

TEST_F(FrontEndPipeline, AnEmptySourceIsASyntaxError) {
    const CompileOutcome outcome = compileFile("empty.c", "");
    EXPECT_EQ(afterCompiling("empty.c"),
              "ERROR(C01): Line:   1 Syntax error.  Unknown construct.\n");
    EXPECT_EQ(outcome.errors, 1);
}

TEST_F(FrontEndPipeline, AValidProgramGetsPastTheParser) {
    const CompileOutcome outcome =
        compileFile("good.c", "int x @ 0x10;\nvoid main() {\n  x = 1;\n  while (x) x--;\n}\n");
    EXPECT_EQ(io.messages.find("ERROR(C01)"), string::npos) << io.messages;
    EXPECT_EQ(outcome.mainResult, 1);
}

TEST_F(FrontEndPipeline, EachRunReadsOnlyItsOwnInput) {
    // The first run stops in the middle of its input; the second must not see the rest.
    compileFile("first.c", "int a b;\nint c;\n" + string(20000, ' ') + "\nint d;\n");
    EXPECT_EQ(afterCompiling("first.c"),
              "ERROR(C01): Line:   1 Syntax error.  Unknown construct.\n");
    compileFile("second.c", "int e;\n");
    EXPECT_EQ(io.messages.find("ERROR(C01)"), string::npos) << io.messages;
    compileFile("third.c", "int f g;\n");
    EXPECT_EQ(afterCompiling("third.c"),
              "ERROR(C01): Line:   1 Syntax error.  Unknown construct.\n");
}

TEST_F(FrontEndPipeline, AsmBlocksSurviveThePreprocessor) {
    compileFile("inline.c", "void main() {\n  asm(\nloop  mov w, #1\n        jmp loop\n  );\n}\n");
    EXPECT_EQ(io.messages.find("ERROR(C01)"), string::npos) << io.messages;
}

} // namespace
} // namespace kavo::testing
