// The pieces sxprog is made of: its command line, the HEX text of a chip read, the oscillator
// class taken from FUSE, and the console host's progress and verify lines.
#include "compiler/base/text_format.hpp"
#include "programmer/configuration_words.hpp"
#include "programmer/console_host.hpp"
#include "programmer/object_file_writer.hpp"
#include "programmer/sxprog_options.hpp"
#include "simulator/intel_hex.hpp"
#include "tests/programmer/driver_rig.hpp"
#include "tests/support/temp_dir.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace kavo::testing {
namespace {

using ::testing::HasSubstr;

ParsedSxprogOptions parse(std::vector<std::string_view> args) {
    return parseSxprogOptions(args);
}

TEST(SxprogOptions, DefaultsAndChoices) {
    const auto plain = parse({"--port", "COM2:", "--erase"});
    ASSERT_TRUE(plain.options) << plain.error;
    EXPECT_EQ(plain.options->port, "COM2:");
    EXPECT_EQ(plain.options->programmerType, "SX-Blitz");
    EXPECT_EQ(plain.options->memoryWords, 2048u);
    EXPECT_EQ(plain.options->action, SxprogAction::Erase);

    const auto full = parse(
        {"--device", "sx48", "--programmer", "isp", "--read", "a.hex", "--port", "/dev/ttyS1"});
    ASSERT_TRUE(full.options) << full.error;
    EXPECT_EQ(full.options->programmerType, "Lumadesk");
    EXPECT_EQ(full.options->memoryWords, 4096u);
    EXPECT_EQ(full.options->action, SxprogAction::Read);
    EXPECT_EQ(full.options->file, "a.hex");
}

TEST(SxprogOptions, MistakesAreNamed) {
    EXPECT_EQ(parse({"--erase"}).error, "--port DEVICE is required");
    EXPECT_EQ(parse({"--port", "x"}).error,
              "give exactly one of --read, --write, --verify, --erase, --blank-check");
    EXPECT_EQ(parse({"--port", "x", "--erase", "--write", "f"}).error,
              "give exactly one of --read, --write, --verify, --erase, --blank-check");
    EXPECT_EQ(parse({"--port", "x", "--verify"}).error, "option --verify needs a value");
    EXPECT_EQ(parse({"--port", "x", "--erase", "--fast"}).error, "unknown argument '--fast'");
    EXPECT_THAT(parse({"--port", "x", "--device", "sx30", "--erase"}).error,
                HasSubstr("unknown device 'sx30'"));
    EXPECT_TRUE(parse({"--help", "--nonsense"}).options->help);
}

TEST(ObjectFileText, RecordsOfEightWordsWithTheConfigurationWordsAndChecksums) {
    ProgramImage image;
    image.words[0] = 0x123;
    image.words[9] = 0xA05;
    image.words[4095] = 0x001;
    image.fuse = 0xF7B;
    image.fusex = 0xBFF;
    const std::string text = objectFileText(image, 2048);
    EXPECT_EQ(text, ":100000002301FF0FFF0FFF0FFF0FFF0FFF0FFF0F6A\n"
                    ":10001000FF0F050AFF0FFF0FFF0FFF0FFF0FFF0F6F\n"
                    ":022020007B0F34\n"
                    ":02202200FF0BB2\n"
                    ":00000001FF\n");
    // The simulator checks every checksum; the object file reader gives back the image.
    const sxsim::HexImage hex = sxsim::parseIntelHex(text);
    EXPECT_EQ(hex.program.at(9), 0xA05);
    EXPECT_EQ(hex.fusex, 0xBFF);
    TempDir dir;
    writeFile("chip.hex", text);
    ProgramImage back;
    ASSERT_TRUE(readObjectFile("chip.hex", back));
    image.words[4095] = ErasedWord; // beyond the 2048 words asked for
    EXPECT_EQ(back.words, image.words);
    EXPECT_EQ(back.fuse, 0xF7Bu);
}

TEST(ObjectFileText, ABlankChipHasOnlyItsConfigurationWords) {
    ProgramImage image;
    EXPECT_EQ(objectFileText(image, 4096), ":02202000FF0FB0\n:02202200FF0FAE\n:00000001FF\n");
}

// sxprog knows only the file's words: an external RC oscillator has the FUSE bits of an
// external clock input and gets its class 3.
TEST(FuseOscillatorClass, InternalSpeedsExternalOscillatorsAnd32KHz) {
    EXPECT_EQ(oscillatorClass(optionsFromConfigurationWords(0xF1B, 0xFFF, {})), 1); // 4 MHz
    EXPECT_EQ(oscillatorClass(optionsFromConfigurationWords(0xF3B, 0xFFF, {})), 1); // 1 MHz
    EXPECT_EQ(oscillatorClass(optionsFromConfigurationWords(0xF5B, 0xFFF, {})), 1); // 128 kHz
    EXPECT_EQ(oscillatorClass(optionsFromConfigurationWords(0xF7B, 0xFFF, {})), 3); // 32 kHz
    EXPECT_EQ(oscillatorClass(optionsFromConfigurationWords(0xFFF, 0xFFF, {})),
              3); // external input (or RC)
    EXPECT_EQ(oscillatorClass(optionsFromConfigurationWords(0xFDC, 0xFFF, {})), 3); // LP1
}

TEST(ConsoleHost, ProgressLineMessagesAndPartsThatDiffered) {
    std::ostringstream out;
    ConsoleProgrammerHost host(out, {0xF1B, 0xBFF, 1});
    EXPECT_EQ(host.configurationFromControls().fuse, 0xF1Bu);
    host.openProgress(ProgressKind::Verify, 5);
    host.setProgressAddress("001");
    host.setProgressPosition(2);
    host.setProgressPosition(2);
    host.tickVerified(VerifiedPart::Fuse);
    host.tickVerified(VerifiedPart::Fusex);
    host.tickVerified(VerifiedPart::Device);
    host.finishProgress();
    host.message(MessageIcon::Error, "Verify Results", "Verify Failed!");
    EXPECT_EQ(out.str(), "\rVerifying 001 40%   \n"
                         "sxprog: verify: program memory differs\n"
                         "sxprog: error: Verify Results: Verify Failed!\n");
}

TEST(ConsoleHost, InALogProgressIsALineAQuarter) {
    std::ostringstream out;
    ConsoleProgrammerHost host(out, {}, false);
    host.openProgress(ProgressKind::Read, 2049);
    for (int position = 1; position <= 2049; ++position) {
        host.setProgressAddress(strprintf("%03X", position - 1));
        host.setProgressPosition(position);
    }
    host.closeProgress();
    EXPECT_EQ(out.str(), "Reading 000 0%\nReading 200 25%\nReading 400 50%\nReading 600 75%\n"
                         "Reading 800 100%\n");
}

} // namespace
} // namespace kavo::testing
