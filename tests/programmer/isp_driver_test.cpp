// The RS232 ISP driver against a model programmer on a pseudo-terminal. The protocol's pauses
// (15 ms before each argument byte, 400 ms and 4000 ms settling) are divided away in most
// tests; one round trip runs at real speed.
#include "tests/programmer/driver_rig.hpp"
#include "tests/programmer/isp_model.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace kavo::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr int NoWaits = 1000;

struct IspRig : DriverRig {
    explicit IspRig(std::size_t words = 2048) : DriverRig(IspProgrammer, words) {
        options.timing.waitDivisor = NoWaits;
        host.words = {0xF1B, 0xBFF, 1};
    }
};

std::vector<std::uint32_t> imageWords(const ProgramImage& image, std::size_t words) {
    return {image.words.begin(), image.words.begin() + static_cast<std::ptrdiff_t>(words)};
}

class IspRoundTrip : public ::testing::TestWithParam<std::size_t> {};

TEST_P(IspRoundTrip, ProgramReadBackAndVerifyAgree) {
    const std::size_t words = GetParam();
    IspRig rig(words);
    IspModel isp(rig.device, words);
    isp.erasedReadsAfterEnter = 2;
    fillImage(rig.image, words);
    // Each programmed word costs five handshakes; the larger part keeps its middle erased so
    // the suite stays quick, and still moves all its words through read and verify.
    if (words == 4096)
        std::fill(rig.image.words.begin() + 512, rig.image.words.begin() + 3584, ErasedWord);

    ASSERT_TRUE(rig.run(ChipCommand::Program)) << ::testing::PrintToString(rig.host.texts());
    {
        auto lock = isp.lock();
        EXPECT_EQ(isp.chip.memory, imageWords(rig.image, words));
        EXPECT_EQ(isp.chip.fuse, 0xF1Bu);
        // The chip's calibration bits (11, 9, 8 of 0xB7F) stay; the option bits are the controls'.
        EXPECT_EQ(isp.chip.fusex, 0xBFFu);
    }
    const long bytes = isp.bytesReceived() + isp.bytesSent();
    std::printf("[ measure ] RS232 ISP program %zu words, pauses divided away: %ld bytes in "
                "%.3f s, %.1f us a byte\n",
                words, bytes, rig.seconds, rig.seconds * 1e6 / static_cast<double>(bytes));

    const auto programmed = rig.image.words;
    ASSERT_TRUE(rig.run(ChipCommand::Verify)) << ::testing::PrintToString(rig.host.texts());
    EXPECT_EQ(rig.host.verified.size(), 4u);
    rig.image.erase();
    ASSERT_TRUE(rig.run(ChipCommand::Read)) << ::testing::PrintToString(rig.host.texts());
    EXPECT_EQ(rig.image.words, programmed);
    EXPECT_EQ(rig.image.fuse, 0xF1Bu);
    EXPECT_EQ(rig.session.deviceWord, 0xFCEu);
    EXPECT_TRUE(rig.host.tickRunning());
    EXPECT_TRUE(rig.host.progressEnded());
    EXPECT_THAT(rig.parallel->bitsSet, ElementsAre(4, 4)); // verify and read
}

INSTANTIATE_TEST_SUITE_P(Sizes, IspRoundTrip, ::testing::Values(2048, 4096));

TEST(IspSequences, CalibrationBitsOfFusexSurviveProgramming) {
    IspRig rig;
    IspModel isp(rig.device, 2048);
    rig.host.words.fusex = 0x3CF; // option bits 0x0CF, the others to be kept from the chip
    ASSERT_TRUE(rig.run(ChipCommand::Program));
    EXPECT_EQ(isp.chip.fusex, (0xB7Fu & ~0x4FFu) | (0x3CFu & 0x4FFu));
    EXPECT_TRUE(rig.run(ChipCommand::Verify)) << ::testing::PrintToString(rig.host.texts());
}

TEST(IspSequences, EraseSendsOneCommandPerStartedTwoSeconds) {
    for (const auto& [eraseMs, commands] : {std::pair{1000, 1}, {4500, 3}, {0, 1}}) {
        IspRig rig;
        IspModel isp(rig.device, 2048);
        isp.chip.memory[3] = 0;
        rig.session.times.erase = eraseMs;
        ASSERT_TRUE(rig.run(ChipCommand::Erase));
        EXPECT_EQ(isp.count(0x00), commands) << eraseMs;
        EXPECT_EQ(isp.chip.memory[3], 0xFFFu);
        EXPECT_EQ(isp.commands.back().first, 0x11);
    }
}

TEST(IspSequences, RunsOfErasedWordsAreSkippedWithOneCommand) {
    IspRig rig;
    IspModel isp(rig.device, 2048);
    rig.image.words[0] = 0x0A1; // then five erased words
    rig.image.words[6] = 0x0A2; // erased, then a programmed word: only command 7
    rig.image.words[8] = 0x0A3;
    ASSERT_TRUE(rig.run(ChipCommand::Program));
    EXPECT_EQ(isp.chip.memory[6], 0x0A2u);
    EXPECT_EQ(isp.chip.memory[8], 0x0A3u);
    std::vector<std::pair<int, int>> skips;
    for (const auto& c : isp.commands)
        if (c.first == 0x22)
            skips.push_back(c);
    // 4 erased after address 1, none after 7, then runs of at most 100 up to the end.
    ASSERT_GE(skips.size(), 2u);
    EXPECT_EQ(skips[0].second, 4);
    EXPECT_EQ(skips[1].second, 100);
    EXPECT_EQ(isp.count(0x22), 1 + (2048 - 9 + 100) / 101);
    // One before the first word, then one after each programmed word, lone erased word and run.
    EXPECT_EQ(isp.count(0x07), 1 + 3 + 1 + isp.count(0x22));
}

TEST(IspSequences, ErasedChipBlankChecksAndProgramsThoughFuseReadsErased) {
    IspRig rig;
    IspModel isp(rig.device, 2048);
    EXPECT_TRUE(rig.run(ChipCommand::BlankCheck));
    EXPECT_TRUE(rig.host.showed("Blank Check Results", "Program Memory is Blank"));
    EXPECT_THAT(rig.host.statusTexts, Contains("FUSE reads 0xFFF (erased) after 16 reads."));

    isp.lock(), isp.chip.memory[10] = 0x123;
    EXPECT_FALSE(rig.run(ChipCommand::BlankCheck));
    EXPECT_TRUE(rig.host.showed("Blank Check Results", "Program Memory is Not Blank"));
    EXPECT_EQ(isp.commands.back().first, 0x11); // the rest of the stream did not upset it
}

TEST(IspSequences, ProgrammingTimesBelowOneRoundStillProgram) {
    IspRig rig;
    IspModel isp(rig.device, 2048);
    rig.session.times = {1000, 10, 10, 10}; // each under the 20 ms of one round
    rig.image.words[0] = 0x5A5;
    ASSERT_TRUE(rig.run(ChipCommand::Program)) << ::testing::PrintToString(rig.host.texts());
    EXPECT_EQ(isp.chip.memory[0], 0x5A5u);
    EXPECT_EQ(isp.chip.fuse, 0xF1Bu);
    EXPECT_EQ(isp.count(0x05), 2); // FUSE once, the word once
    EXPECT_EQ(isp.count(0x03), 1);
}

TEST(IspSequences, AWordThatNeverProgramsStopsTheSequence) {
    IspRig rig;
    IspModel isp(rig.device, 2048);
    isp.stuckAddress = 2;
    rig.image.words[2] = 0x010;
    EXPECT_FALSE(rig.run(ChipCommand::Program));
    EXPECT_TRUE(rig.host.showed("Programming Error.", "Program Memory Location Failed."));
    EXPECT_TRUE(rig.host.tickRunning());
}

TEST(IspSequences, VerifyComparesFuseFusexOptionBitsDeviceAndMemory) {
    IspRig rig;
    IspModel isp(rig.device, 2048);
    fillImage(rig.image, 2048);
    ASSERT_TRUE(rig.run(ChipCommand::Program));
    isp.lock(), isp.chip.memory[2047] ^= 0x800;
    isp.lock(), isp.chip.fuse = 0xF1A;
    EXPECT_FALSE(rig.run(ChipCommand::Verify));
    EXPECT_TRUE(rig.host.showed("Verify Results", "Verify Failed!"));
    EXPECT_EQ(rig.host.verified, (std::set{VerifiedPart::Device, VerifiedPart::Fusex}));
}

TEST(IspSequences, WithoutAParallelPortTheSequenceGoesOn) {
    IspRig rig;
    IspModel isp(rig.device, 2048);
    rig.parallel->available = false;
    EXPECT_TRUE(rig.run(ChipCommand::Read));
    EXPECT_THAT(rig.host.statusTexts,
                Contains("Parallel port bit 4 not set: no parallel port in this test"));
}

TEST(IspSequences, RealSpeedRoundTripOfACompiledProgramsShape) {
    // Code at the bottom, the reset jump at the top: what the compiler writes.
    DriverRig rig(IspProgrammer);
    rig.host.words = {0xF7B, 0xBFF, 3};
    IspModel isp(rig.device, 2048);
    for (int a = 0; a < 24; ++a)
        rig.image.words[a] = 0x0C0 + a;
    rig.image.words[0x7FF] = 0xA00;
    ASSERT_TRUE(rig.run(ChipCommand::Program)) << ::testing::PrintToString(rig.host.texts());
    const double programSeconds = rig.seconds;
    ASSERT_TRUE(rig.run(ChipCommand::Verify));
    const double verifySeconds = rig.seconds;
    EXPECT_EQ(isp.chip.memory, imageWords(rig.image, 2048));
    // The waits are real: 400 ms entering, 15 ms before each argument byte, 2000 ms in verify.
    EXPECT_GT(programSeconds, 0.4 + isp.count(0x04) * 0.03);
    EXPECT_GT(verifySeconds, 2.0);
    std::printf("[ measure ] RS232 ISP at real speed, 25 words in 2048: program %.2f s, "
                "verify %.2f s\n",
                programSeconds, verifySeconds);
}

// ---- Faults ----

struct IspFault {
    const char* name;
    ChipCommand command;
    std::function<void(IspModel&)> arrange;
    std::vector<::testing::Matcher<std::string>> messages;
};

void PrintTo(const IspFault& fault, std::ostream* out) {
    *out << fault.name;
}

class IspFaults : public ::testing::TestWithParam<IspFault> {};

TEST_P(IspFaults, EndWithTheirMessage) {
    const IspFault& fault = GetParam();
    IspRig rig;
    rig.options.timing.timeoutDivisor = 10;
    IspModel isp(rig.device, 2048);
    fault.arrange(isp);
    fillImage(rig.image, 2048);
    const FailureWitness witness(rig);

    EXPECT_FALSE(rig.run(fault.command));
    EXPECT_THAT(rig.host.texts(), ElementsAreArray(fault.messages));
    witness.expectCleanEnd();
}

const IspFault Faults[] = {
    {"NoAnswerToTheCheck",
     ChipCommand::Read,
     [](IspModel& m) { m.faults.silent = true; },
     {"Programmer not responding in " + PtyDevice().path()}},
    {"NeverSaysR",
     ChipCommand::Erase,
     [](IspModel& m) { m.neverReady = true; },
     {"Programmer Not Responding.  Check Connection and Configuration! Got: 0x4E"}},
    {"Garbage",
     ChipCommand::Verify,
     [](IspModel& m) { m.faults.garbage = true; },
     {::testing::StartsWith("Programmer not responding in ")}},
    {"ClosedDuringRead",
     ChipCommand::Read,
     [](IspModel& m) { m.faults.closeAfterBytes = 40; },
     {"Programmer stopped answering during command 0xAA."}},
    {"ClosedDuringProgram",
     ChipCommand::Program,
     [](IspModel& m) { m.faults.closeAfterBytes = 900; },
     {"Programmer Not Responding.  Check Connection and Configuration! Got: 0x00"}},
    {"LostOnEnteringTheMode",
     ChipCommand::Erase,
     [](IspModel& m) { m.faults.closeAfterBytes = 6; }, // the check byte and command 0x10
     {"Programmer Not Responding.  Check Connection and Configuration! Got: 0x00",
      "Programmer Not Responding.  Check Connection and Configuration! Got: 0x00",
      "Could not start ISP mode with SX device!"}},
    {"ClosedInTheStream",
     ChipCommand::Verify,
     [](IspModel& m) { m.vanishInStreamAt = 300; },
     {"Programmer stopped answering during command 0x21."}},
};

INSTANTIATE_TEST_SUITE_P(Cases, IspFaults, ::testing::ValuesIn(Faults),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(IspHandshake, AProgrammerThatNeverSaysRGetsSevenAttempts) {
    IspRig rig;
    rig.options.timing.timeoutDivisor = 10;
    IspModel isp(rig.device, 2048);
    isp.neverReady = true;
    EXPECT_FALSE(rig.run(ChipCommand::Read));
    EXPECT_EQ(isp.attentions, 7);
    EXPECT_TRUE(isp.commands.empty());
}

} // namespace
} // namespace kavo::testing
