#include "compiler/pipeline/options.hpp"
#include "compiler/run/compilation.hpp"
#include "tests/support/capture_io.hpp"
#include "tests/support/temp_dir.hpp"

#include <gtest/gtest.h>

namespace kavo {
namespace {

class CommandLineTest : public ::testing::Test {
protected:
    bool read(std::vector<std::string> argv) { return readCommandLine(c, argv); }

    testing::TempDir dir;
    CompilerSettings settings;
    testing::CaptureIo io;
    Compilation c{settings, io};
};

TEST_F(CommandLineTest, DirectoriesGetASeparatorAndBackslashesBecomeSlashes) {
    ASSERT_TRUE(read({"kavo", "-o", "out", "-s", "src/", "-t", "tmp\\work", "-a", "", "f.c"}));
    EXPECT_EQ(settings.objDir, "out/");
    EXPECT_EQ(settings.srcDir, "src/");
    EXPECT_EQ(settings.tmpDir, "tmp/work/");
    EXPECT_EQ(settings.asmDir, "") << "an empty value means the current directory";
    EXPECT_EQ(c.errors(), 0);
}

TEST_F(CommandLineTest, IncludeDirectoryBecomesAPragma) {
    ASSERT_TRUE(read({"kavo", "-I", "inc", "f.c"}));
    EXPECT_EQ(c.pragmas.get("INCLUDE_DIR"), "inc/");
}

TEST_F(CommandLineTest, ExtensionsAndReuse) {
    ASSERT_TRUE(read(
        {"kavo", "-x", "hex", "-c", "sxc", "-p", "i", "-l", "lis", "-v", "src", "-m", "0x1", "f"}));
    EXPECT_EQ(settings.objExtension, "hex");
    EXPECT_EQ(settings.srcExtension, "sxc");
    EXPECT_EQ(settings.preExtension, "i");
    EXPECT_EQ(settings.lstExtension, "lis");
    EXPECT_EQ(settings.asmExtension, "src");
    EXPECT_EQ(c.flags.reuseMemory, 1u);
}

TEST_F(CommandLineTest, AnOverlongExtensionIsACommandLineError) {
    EXPECT_FALSE(read({"kavo", "-x", "hexa", "f.c"}));
    EXPECT_EQ(io.messages, "Command line error near \"hexa\"\n");
    EXPECT_EQ(settings.objExtension, "obj");
    EXPECT_EQ(c.errors(), 1);
}

TEST_F(CommandLineTest, AnUnknownLetterIsNamed) {
    EXPECT_FALSE(read({"kavo", "-o", "d", "-q", "x", "f.c"}));
    EXPECT_EQ(io.messages, "Command line error near \"-q\"\n");
    EXPECT_EQ(c.errors(), 1);
}

TEST_F(CommandLineTest, TheLastTwoElementsAreNeverOptions) {
    // "-q" is second to last: never read as an option, but it is left where the walk stopped.
    EXPECT_FALSE(read({"kavo", "-q", "f.c"}));
    EXPECT_EQ(io.messages, "Command line error near \"-q\"\n");
}

TEST_F(CommandLineTest, AnOptionWithoutValueBeforeTheFileName) {
    EXPECT_FALSE(read({"kavo", "-m", "1", "-o", "f.c"}));
    EXPECT_EQ(io.messages, "Command line error near \"-o\"\n");
}

TEST_F(CommandLineTest, AnOptionFollowedByAnotherOptionIsSkipped) {
    ASSERT_TRUE(read({"kavo", "-o", "-a", "asm", "x", "f.c"}));
    EXPECT_EQ(settings.objDir, "");
    EXPECT_EQ(settings.asmDir, "asm/");
}

TEST_F(CommandLineTest, HelpHasNoEffectAndTakesNoValue) {
    EXPECT_TRUE(read({"kavo", "-h", "-o", "d", "f.c"}));
    EXPECT_EQ(settings.objDir, "d/");
    EXPECT_TRUE(read({"kavo", "x", "-h", "f.c"}));
}

TEST_F(CommandLineTest, WordsThatAreNotOptionsAreSkipped) {
    EXPECT_TRUE(read({"kavo", "stray", "-o", "d", "f.c"}));
    EXPECT_EQ(settings.objDir, "d/");
}

TEST_F(CommandLineTest, RedirectWritesTheBannerOrReportsF01) {
    ASSERT_TRUE(read({"kavo", "-e", "log.txt", "f.c"}));
    EXPECT_EQ(io.redirectedTo, "log.txt");
    EXPECT_NE(io.out.find("C Compiler for Scenix microcontrollers"), std::string::npos);

    testing::CaptureIo failing;
    failing.redirectResult = CompilerIo::Redirect::CannotOpen;
    Compilation other(settings, failing);
    ASSERT_TRUE(readCommandLine(other, {"kavo", "-e", "/nope/log", "-o", "d", "f.c"}));
    EXPECT_EQ(failing.messages, "ERROR(F01): Cannot open redirect output file: \"/nope/log\"\n");
    EXPECT_EQ(failing.out, "");
    EXPECT_EQ(settings.objDir, "d/") << "the reader goes on after F01";
}

TEST_F(CommandLineTest, ConfigFileOptionStartsFromItsDefaults) {
    settings.objDir = "old/";
    ASSERT_TRUE(read({"kavo", "-f", "x", "f.c"}));
    EXPECT_EQ(settings.objExtension, "hex") << "no kavoconf.cfg here";
    EXPECT_EQ(settings.objDir, "");
    EXPECT_EQ(io.messages, "") << "a missing configuration file is silent";

    testing::writeFile("kavoconf.cfg", "OBJ_EXTENSION obj\n");
    ASSERT_TRUE(read({"kavo", "-f", "x", "f.c"}));
    EXPECT_EQ(settings.objExtension, "obj");
}

TEST_F(CommandLineTest, ConfigFileSettingsAndMessages) {
    testing::writeFile("kavoconf.cfg", "// compiler settings\n"
                                       "\n"
                                       "ASM_EXTENSION asmx\n"
                                       "LST_EXTENSION lis\r\n"
                                       "MAP_DIR maps\\\n"
                                       "PRINT_SCOPE 1 2\n"
                                       "INCLUDE_DIR inc\n"
                                       "REMAP_FLAG 0x1\n"
                                       "DEBUG_FORM 02\n"
                                       "UNKNOWN_KEY 1\n"
                                       "VP_DIR vp\n");
    ASSERT_TRUE(readConfigFile(c));
    EXPECT_EQ(io.messages,
              "ASM_EXTENSION: In config file \"kavoconf.cfg\" Extensions are limited to 3 "
              "characters.\n"
              "Line 6 in config file kavoconf.cfg ignored.\n");
    EXPECT_EQ(settings.asmExtension, "asm");
    EXPECT_EQ(settings.lstExtension, "lis");
    EXPECT_EQ(settings.mapDir, "maps/");
    EXPECT_TRUE(c.flags.mapFileEnabled);
    EXPECT_EQ(c.flags.printScope, 0u);
    EXPECT_EQ(c.pragmas.get("INCLUDE_DIR"), "inc") << "stored as written, like #pragma";
    EXPECT_EQ(c.flags.remapFlag, 1u);
    EXPECT_EQ(c.flags.debugForm, 2u);
    EXPECT_EQ(settings.vpDir, "vp/");
}

// The message style comes from --diagnostics= anywhere before the file name (taken out before
// the options are read) or from the configuration file; an unknown style is refused.
TEST_F(CommandLineTest, TheDiagnosticsStyleIsChosenByOptionOrConfigFile) {
    std::vector<std::string> argv = {"kavo", "--diagnostics=gcc", "f.c"};
    ASSERT_TRUE(takeLongOptions(c, argv));
    EXPECT_EQ(argv, (std::vector<std::string>{"kavo", "f.c"}));
    EXPECT_EQ(c.diagnostics.style(), DiagnosticStyle::Gcc);

    std::vector<std::string> wrong = {"kavo", "--diagnostics=xml", "f.c"};
    EXPECT_FALSE(takeLongOptions(c, wrong));
    EXPECT_EQ(io.messages, "Command line error near \"--diagnostics=xml\"\n");

    io.messages.clear();
    testing::writeFile("kavoconf.cfg", "DIAGNOSTICS kavo\nDIAGNOSTICS json\n");
    ASSERT_TRUE(readConfigFile(c));
    EXPECT_EQ(c.diagnostics.style(), DiagnosticStyle::Kavo);
    EXPECT_EQ(io.messages, "DIAGNOSTICS: In config file \"kavoconf.cfg\" the value is gcc or "
                           "kavo.\n");
}

} // namespace
} // namespace kavo
