// The SX-Blitz driver against a model SX-Blitz on a pseudo-terminal: whole round trips, the
// counts the protocol fixes, and every fault ending with its message, the tick running again,
// the image untouched and the port released.
#include "tests/programmer/blitz_model.hpp"
#include "tests/programmer/driver_rig.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace kavo::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

std::vector<std::uint32_t> imageWords(const ProgramImage& image, std::size_t words) {
    return {image.words.begin(), image.words.begin() + static_cast<std::ptrdiff_t>(words)};
}

class BlitzRoundTrip : public ::testing::TestWithParam<std::size_t> {};

TEST_P(BlitzRoundTrip, ProgramReadBackAndVerifyAgree) {
    const std::size_t words = GetParam();
    DriverRig rig(SxBlitzProgrammer, words);
    BlitzModel blitz(rig.device, words);
    fillImage(rig.image, words);
    rig.host.words = {0xF1B, 0xB3F, 1};

    ASSERT_TRUE(rig.run(ChipCommand::Program)) << ::testing::PrintToString(rig.host.texts());
    const double programSeconds = rig.seconds;
    {
        auto lock = blitz.lock();
        EXPECT_EQ(blitz.chip.memory, imageWords(rig.image, words));
        EXPECT_EQ(blitz.chip.fuse, 0xF1Bu);
        EXPECT_EQ(blitz.chip.fusex, 0xB3Fu);
        EXPECT_EQ(blitz.erasePasses, 5); // 1000 ms in passes of 200
        EXPECT_EQ(blitz.blockTimes.size(), words / 8);
    }
    const long bytes = blitz.bytesReceived() + blitz.bytesSent();
    std::printf("[ measure ] SX-Blitz program %zu words: %ld bytes in %.3f s, %.1f us a byte\n",
                words, bytes, programSeconds, programSeconds * 1e6 / static_cast<double>(bytes));

    const auto programmed = rig.image.words;
    ASSERT_TRUE(rig.run(ChipCommand::Verify)) << ::testing::PrintToString(rig.host.texts());
    EXPECT_EQ(rig.host.verified.size(), 4u);

    rig.image.erase();
    ASSERT_TRUE(rig.run(ChipCommand::Read)) << ::testing::PrintToString(rig.host.texts());
    EXPECT_EQ(rig.image.words, programmed);
    EXPECT_EQ(rig.image.fuse, 0xF1Bu);
    EXPECT_EQ(rig.image.fusex, 0xB3Fu);
    EXPECT_EQ(rig.host.statusTexts.back(), "Device = FCE FuseX = B3F Fuse = F1B");
    EXPECT_EQ(rig.host.shownConfiguration, std::make_pair(0xF1Bu, 0xB3Fu));
    EXPECT_TRUE(rig.host.tickRunning());
    EXPECT_TRUE(rig.host.progressEnded());
}

INSTANTIATE_TEST_SUITE_P(Sizes, BlitzRoundTrip, ::testing::Values(2048, 4096));

TEST(BlitzSequences, ReadSendsTheBlockCommand256TimesFor2048Words) {
    DriverRig rig(SxBlitzProgrammer);
    BlitzModel blitz(rig.device, 2048);
    ASSERT_TRUE(rig.run(ChipCommand::Read));
    EXPECT_EQ(blitz.readBlockCommands, 256);
    EXPECT_TRUE(blitz.eventually([&] { return blitz.releases == 1; }));
    EXPECT_EQ(rig.host.lastPosition, 2048);
    EXPECT_EQ(rig.host.lastAddress, "7FF");
}

TEST(BlitzSequences, EraseRunsOnePassPer200MsOfEraseTime) {
    for (const auto& [eraseMs, passes] : {std::pair{1000, 5}, {0, 0}, {201, 2}}) {
        DriverRig rig(SxBlitzProgrammer);
        BlitzModel blitz(rig.device, 2048);
        blitz.chip.memory[5] = 0x123;
        rig.session.times.erase = eraseMs;
        ASSERT_TRUE(rig.run(ChipCommand::Erase));
        EXPECT_EQ(blitz.erasePasses, passes) << eraseMs;
        EXPECT_TRUE(rig.host.showed("Erase", "Erase completed."));
        EXPECT_EQ(blitz.chip.memory[5], passes > 0 ? 0xFFFu : 0x123u);
    }
}

TEST(BlitzSequences, BlankCheckTellsBlankFromProgrammed) {
    DriverRig rig(SxBlitzProgrammer);
    BlitzModel blitz(rig.device, 2048);
    EXPECT_TRUE(rig.run(ChipCommand::BlankCheck));
    EXPECT_TRUE(rig.host.showed("Blank Check Results", "Device is blank"));
    blitz.lock(), blitz.chip.memory[2047] = 0x000;
    EXPECT_FALSE(rig.run(ChipCommand::BlankCheck));
    EXPECT_TRUE(rig.host.showed("Blank Check Results", "Device is not blank!"));
    EXPECT_EQ(rig.host.progressFinished, 2);
}

TEST(BlitzSequences, VerifyNamesEachPartThatDiffers) {
    DriverRig rig(SxBlitzProgrammer);
    BlitzModel blitz(rig.device, 2048);
    fillImage(rig.image, 2048);
    rig.host.words = {0xF1B, 0xBFF, 1};
    ASSERT_TRUE(rig.run(ChipCommand::Program));
    blitz.lock(), blitz.chip.memory[1000] ^= 1;
    EXPECT_FALSE(rig.run(ChipCommand::Verify));
    EXPECT_TRUE(rig.host.showed("Verify Results", "Verify Failed!"));
    EXPECT_EQ(rig.host.verified,
              (std::set{VerifiedPart::Device, VerifiedPart::Fuse, VerifiedPart::Fusex}));

    // A device word that changed since the last read fails only that part.
    blitz.lock(), blitz.chip.memory[1000] ^= 1;
    blitz.lock(), blitz.chip.device = 0xFCF;
    rig.host.verified.clear();
    EXPECT_FALSE(rig.run(ChipCommand::Verify));
    EXPECT_EQ(rig.host.verified,
              (std::set{VerifiedPart::Memory, VerifiedPart::Fuse, VerifiedPart::Fusex}));
}

TEST(BlitzSequences, StatusBytesArriveNegated) {
    // 0xFF on the line is status 1; 0x01 is 0xFF, which has no text of its own.
    for (const auto& [raw, text] :
         {std::pair<std::uint8_t, const char*>{0xFF, "Vpp generation failed."},
          {0xFE, "Chip Connection failed."},
          {0xFD, "Programming failed."},
          {0x01, "Error code: 0xFF"}}) {
        DriverRig rig(SxBlitzProgrammer);
        BlitzModel blitz(rig.device, 2048);
        blitz.readStatus = raw;
        EXPECT_FALSE(rig.run(ChipCommand::Read));
        EXPECT_THAT(rig.host.texts(), ElementsAre(text));
    }
    DriverRig rig(SxBlitzProgrammer);
    BlitzModel blitz(rig.device, 2048);
    blitz.readStatus = 0xFF;
    EXPECT_FALSE(rig.run(ChipCommand::BlankCheck));
    EXPECT_THAT(rig.host.texts(), ElementsAre("Blank Check failed. Error Code: 0x01"));
}

TEST(BlitzSequences, AFailureInTheLastBlockIsReported) {
    DriverRig rig(SxBlitzProgrammer);
    BlitzModel blitz(rig.device, 2048);
    fillImage(rig.image, 2048);
    blitz.failingBlock = 255;
    blitz.failingBlockStatus = 0xFD; // status 3
    EXPECT_FALSE(rig.run(ChipCommand::Program));
    EXPECT_THAT(rig.host.texts(), ElementsAre("Programming failed."));
}

TEST(BlitzSequences, ProgrammingTimesAboveOneByteAreSentAs255) {
    DriverRig rig(SxBlitzProgrammer);
    BlitzModel blitz(rig.device, 2048);
    rig.session.times.fuse = 500;
    rig.session.times.fusex = 100;
    rig.session.times.e2flash = 300;
    ASSERT_TRUE(rig.run(ChipCommand::Program));
    EXPECT_THAT(blitz.configTimes, ElementsAre(100, 255));
    EXPECT_EQ(blitz.blockTimes.front(), 255);
    EXPECT_THAT(rig.host.statusTexts, Contains("FUSE programming time 500 ms is sent as 255 ms."));
}

TEST(BlitzSequences, ResetGreetsThenReleasesTheChip) {
    DriverRig rig(SxBlitzProgrammer);
    BlitzModel blitz(rig.device, 2048);
    ASSERT_TRUE(makeSerialChipCommandRunner(rig.options)->resetTarget(rig.connection, rig.host));
    EXPECT_TRUE(blitz.eventually([&] { return blitz.releases == 1; }));
    EXPECT_TRUE(rig.host.messages.empty());
}

// ---- Faults: each ends with its message, the tick running, the image and port as before ----

struct BlitzFault {
    const char* name;
    ChipCommand command;
    std::function<void(BlitzModel&)> arrange;
    std::vector<::testing::Matcher<std::string>> messages;
};

void PrintTo(const BlitzFault& fault, std::ostream* out) {
    *out << fault.name;
}

class BlitzFaults : public ::testing::TestWithParam<BlitzFault> {};

TEST_P(BlitzFaults, EndWithTheirMessage) {
    const BlitzFault& fault = GetParam();
    DriverRig rig(SxBlitzProgrammer);
    rig.options.timing.timeoutDivisor = 10;
    BlitzModel blitz(rig.device, 2048);
    fault.arrange(blitz);
    fillImage(rig.image, 2048);
    const FailureWitness witness(rig);

    EXPECT_FALSE(rig.run(fault.command));
    EXPECT_THAT(rig.host.texts(), ElementsAreArray(fault.messages));
    witness.expectCleanEnd();
}

const BlitzFault Faults[] = {
    {"Silent",
     ChipCommand::Read,
     [](BlitzModel& b) { b.faults.silent = true; },
     {"", "BlitzConnect called 1 ", "Read failed."}},
    {"WrongGreeting",
     ChipCommand::Verify,
     [](BlitzModel& b) { b.greeting = "SX-Bli"; },
     {"SX-Bli", "BlitzConnect called 1 ", "Verify failed."}},
    {"Garbage",
     ChipCommand::BlankCheck,
     [](BlitzModel& b) { b.faults.garbage = true; },
     {::testing::Ne("SX-Key"), "BlitzConnect called 1 ", "Blank Check failed."}},
    {"ClosedDuringRead",
     ChipCommand::Read,
     [](BlitzModel& b) { b.faults.closeAfterBytes = 100; },
     {"Read failed. Timedout waiting for program data (low)."}},
    {"ClosedDuringProgram",
     ChipCommand::Program,
     [](BlitzModel& b) { b.faults.closeAfterBytes = 399; },
     {"Program failed. Timedout waiting for Fuse Word (low)."}},
    {"ClosedDuringErase",
     ChipCommand::Erase,
     [](BlitzModel& b) { b.faults.closeAfterBytes = 9; },
     {"Erase Failed. Timedout waiting for status."}},
    {"EraseBeforeProgramFails",
     ChipCommand::Program,
     [](BlitzModel& b) { b.faults.closeAfterBytes = 9; },
     {"Erase failed.  Could not program device."}},
};

INSTANTIATE_TEST_SUITE_P(Cases, BlitzFaults, ::testing::ValuesIn(Faults),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(BlitzFaultsAtTheDoor, UnopenablePortAndUnknownProgrammerType) {
    DriverRig rig(SxBlitzProgrammer);
    rig.connection.serialPort = "/dev/no-such-serial-port";
    EXPECT_FALSE(rig.run(ChipCommand::Read));
    EXPECT_THAT(rig.host.texts(),
                ElementsAre(::testing::StartsWith("Could not Open Serial Port!\n"),
                            "Cannot Open Serial Port... Check Configuration.", "Read failed."));
    EXPECT_THAT(rig.host.statusTexts.front(), HasSubstr("No such file or directory"));
    EXPECT_TRUE(rig.host.tickRunning());

    rig.host.messages.clear();
    rig.connection.programmerType = "Parallax";
    EXPECT_FALSE(rig.run(ChipCommand::Verify));
    EXPECT_FALSE(rig.run(ChipCommand::Erase));
    EXPECT_THAT(rig.host.texts(),
                ElementsAre("Programmer not supported yet.", "Programmer not supported yet"));
}

TEST(BlitzCancel, CancelStopsTheReadWithTheImageUnchanged) {
    DriverRig rig(SxBlitzProgrammer);
    BlitzModel blitz(rig.device, 2048);
    rig.host.onEvents = [&] {
        if (rig.host.lastPosition >= 100)
            rig.session.readCancel = true;
    };
    EXPECT_FALSE(rig.run(ChipCommand::Read));
    EXPECT_LT(blitz.readBlockCommands, 20);
    EXPECT_EQ(rig.host.memoryShown, 0);
    EXPECT_TRUE(rig.host.tickRunning());
}

} // namespace
} // namespace kavo::testing
