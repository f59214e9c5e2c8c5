// #loadasm: an SX assembly file arrives as the function "__asm_N" around one rasm block, its
// data lines become names, and the program that calls into it runs on the SX core model.
#include "compiler/preprocessor/preprocessor.hpp"
#include "compiler/run/compilation.hpp"
#include "compiler/symbols/symbols.hpp"
#include "tests/support/capture_io.hpp"
#include "tests/support/compiled_program.hpp"
#include "tests/support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace kavo {
namespace {

class AssemblyInclusion : public ::testing::Test {
protected:
    // Preprocesses main.c, with the assembly file part.asm beside it.
    std::string run(const std::string& source, const std::string& assembly) {
        testing::writeFile("part.asm", assembly);
        testing::writeFile("main.c", source);
        settings.vpExtension = "asm";
        OutputStream out;
        EXPECT_TRUE(out.open("main.pre"));
        Preprocessor(c, out).preprocess("main.c");
        out.close();
        return testing::readFile("main.pre");
    }

    std::string defineOf(const std::string& name) const {
        for (const auto& entry : c.defines.entries()) {
            if (entry.name == name)
                return entry.value;
        }
        return "?";
    }

    testing::TempDir dir;
    CompilerSettings settings;
    testing::CaptureIo io;
    Compilation c{settings, io};
};

TEST_F(AssemblyInclusion, ACommentOnlyFileIsAnEmptyFunctionWithEveryLineKept) {
    EXPECT_EQ(run("int a;\n#loadasm part\nint b;\n", "; nothing here\n\n   ; still nothing\n"),
              "int a;\n__asm_1() { \nrasm(\n#line 0 part.asm\n\n\n   \n);\n}\n#line 1 main.c\n\n"
              "int b;\n");
    EXPECT_EQ(io.messages, "Line 2: Loaded assembly file part.asm\n");
}

TEST_F(AssemblyInclusion, TwoFilesMakeTwoFunctions) {
    const std::string out = run("#loadasm part\n#loadasm part\n", "  NOP\n");
    EXPECT_NE(out.find("__asm_1() { \n"), std::string::npos);
    EXPECT_NE(out.find("__asm_2() { \n"), std::string::npos);
}

TEST_F(AssemblyInclusion, DataLinesBecomeNamesAndTheCounterFollowsTheCode) {
    const std::string out = run("#loadasm part\nint x = table + size;\n", "buf  DS 4\n"
                                                                          "     DEVICE SX28\n"
                                                                          "size EQU 12   ; bytes\n"
                                                                          "     MOV W,#1\n"
                                                                          "     CJA buf,size,far\n"
                                                                          "table DW 5,6\n"
                                                                          "far  NOP\n");
    ASSERT_EQ(c.asmDataSymbols.size(), 1u);
    EXPECT_EQ(c.asmDataSymbols[0].name, "buf");
    EXPECT_EQ(c.asmDataSymbols[0].address, 0);
    // DS moved the counter to 4, MOV takes a word and the compare-and-jump four.
    EXPECT_EQ(defineOf("table"), "9");
    EXPECT_EQ(defineOf("size"), "12") << "the comment is not part of it";
    EXPECT_NE(out.find("\n PROGLOC 5 PROGLOC 6\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("DEVICE"), std::string::npos);
    EXPECT_NE(out.find("int x = 9 + 12;"), std::string::npos) << out;
}

TEST_F(AssemblyInclusion, RedefinitionWarnsAndAMissingFileIsVp100) {
    run("#define size 1\n#loadasm part\n#loadasm nothing\n", "size = 2\n");
    EXPECT_NE(io.messages.find("WARNING(VP219): size redefined.\n"), std::string::npos);
    EXPECT_EQ(defineOf("size"), "2");
    EXPECT_NE(io.messages.find("ERROR(VP100): Line 3: Cannot open assembly file nothing.asm\n"),
              std::string::npos)
        << io.messages;
    EXPECT_EQ(c.errors(), 1);
}

// The included code sits at the start of program memory; C calls its label and reads W.
TEST(AssemblyInclusionProgram, CCodeCallsTheIncludedRoutine) {
    std::ifstream header(std::string(KAVO_EXAMPLES_DIR) + "/sx28.h");
    const std::string sx28(std::istreambuf_iterator<char>(header), {});
    testing::InProcessCompile run;
    run.wholeBackEnd = true;
    run.settings.vpExtension = "asm";
    testing::writeFile("answer.asm", "value EQU 42\nget   MOV W,#value\n      RET\n");
    run.run(sx28 + "#loadasm answer\nunsigned char result;\n"
                   "void main(void)\n{\n    asm(\n        CALL get\n        MOV result,W\n    );\n"
                   "    result = result + 1;\n}\n");
    ASSERT_TRUE(run.c.successFlag) << run.io.messages;
    const sxsim::HexImage image = sxsim::readIntelHexFile("prog.obj");
    sxsim::Core core(sxsim::deviceFor(sxsim::DeviceKind::SX28));
    sxsim::loadImage(core, image);
    EXPECT_EQ(core.word(0), 0xC2Au) << "the routine starts program memory";
    EXPECT_EQ(core.run(100000).reason, sxsim::StopReason::SelfJump);
    const Symbol* result = findsymin(run.c, "result", "_GLOBAL_");
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(core.readFlat(static_cast<unsigned>(result->addr)), 43u);
}

} // namespace
} // namespace kavo
