// The end of a compilation: which files get what, the summary lines and the outcome.
#include "compiler/pipeline/output_sequence.hpp"

#include "compiler/codegen/emit.hpp"
#include "compiler/pipeline/banner.hpp"
#include "tests/support/capture_io.hpp"
#include "tests/support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace kavo {
namespace {

using testing::readFile;

class OutputSequenceTest : public ::testing::Test {
protected:
    OutputSequenceTest() {
        c.pragmas.set("ROM_END", "511");
        EXPECT_TRUE(c.files.assemblyFile.open("prog.asm"));
        EXPECT_TRUE(c.files.listingFile.open("prog.lst"));
        EXPECT_TRUE(c.files.objectFile.open("prog.obj"));
        c.files.fileName = "prog.obj";
        emit(c, PIC_LABEL, "@@@@@");
        Instruction* load = emit(c, PIC_MOVLW, "10", -1, 4);
        load->resolved = 10;
    }

    testing::TempDir dir;
    CompilerSettings settings;
    testing::CaptureIo io;
    Compilation c{settings, io};
};

TEST_F(OutputSequenceTest, ASuccessfulRunWritesEveryFileAndSaysSo) {
    EXPECT_EQ(writeoutputs(c, {5, 2}), 1);
    EXPECT_TRUE(c.successFlag);
    EXPECT_EQ(io.messages, "Creating assembly code.\n"
                           "Creating object code.\n"
                           "Program memory used: 1 locations.\n"
                           "Register memory used: 5 locations.\n"
                           "Register memory reused: 2 locations.\n"
                           "Creating assembly listing file.\n"
                           "Object file is: prog.obj\n"
                           "Compilation completed successfully.\n");
    EXPECT_EQ(readFile("prog.obj"), ":020000000A0CE8\n:00000001FF\n");
    const std::string assembly = readFile("prog.asm");
    EXPECT_EQ(assembly.substr(0, banner("; ").size()), banner("; "));
    EXPECT_NE(assembly.find("\n      MOV W,#10" + std::string(31, ' ') + "; Line: 4\n"),
              std::string::npos)
        << assembly;
    const std::string margin(14, ' ');
    const std::string listing = readFile("prog.lst");
    EXPECT_EQ(listing.substr(0, banner(margin + "; ").size()), banner(margin + "; "));
    EXPECT_NE(listing.find("\n000- C0A            MOV W,#10"), std::string::npos)
        << "the listing shows the word the object file holds\n"
        << listing;
}

TEST_F(OutputSequenceTest, OneErrorWritesNoObjectCode) {
    c.error("ERROR: earlier\n");
    EXPECT_EQ(writeoutputs(c, {5, 2}), 2);
    EXPECT_FALSE(c.successFlag);
    EXPECT_EQ(io.messages, "ERROR: earlier\n"
                           "Creating assembly code.\n"
                           "Found 1 error.  No code generated.\n"
                           "Creating assembly listing file.\n");
    EXPECT_NE(c.files.assemblyFile.writtenPath(), "") << "written, but not put in place";
    for (const char* name : {"prog.obj", "prog.asm", "prog.lst"})
        EXPECT_FALSE(std::filesystem::exists(name)) << name;
}

TEST_F(OutputSequenceTest, SeveralErrorsArePlural) {
    c.error("a\n");
    c.error("b\n");
    EXPECT_EQ(writeoutputs(c, {}), 2);
    EXPECT_NE(io.messages.find("Found 2 errors.  No code generated.\n"), std::string::npos);
}

TEST_F(OutputSequenceTest, AnInstructionTheEncoderRefusesFailsTheRun) {
    emit(c, PIC_MVFADDR, "x");
    EXPECT_EQ(writeoutputs(c, {}), 2);
    EXPECT_FALSE(c.successFlag);
    EXPECT_NE(io.messages.find("ERROR(C67): Unknown instruction: MVFADDR\n"), std::string::npos);
    EXPECT_EQ(io.messages.find("Compilation completed successfully."), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("prog.obj"));
}

} // namespace
} // namespace kavo
