// The configuration words the program window's controls give, and the controls a chip's
// words give back.
#include "programmer/configuration_words.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace kavo::programmer {
namespace {

// An 18-pin part with every check box cleared: only the choices under test change it.
ConfigurationOptions plain18() {
    ConfigurationOptions o;
    o.stack = false;
    return o;
}

ConfigurationOptions plain48() {
    ConfigurationOptions o;
    o.pins = PinCount::Pins48;
    o.sx48Sleep = false;
    o.crystalDrive = false;
    o.crystalFeedback = false;
    return o;
}

ConfigurationOptions with(ConfigurationOptions o, Oscillator oscillator) {
    o.oscillator = oscillator;
    return o;
}

TEST(ConfigurationWords, TheFourMegahertzEighteenPinPartWithNothingTicked) {
    const ConfigurationWords words =
        computeConfigurationWords(with(plain18(), Oscillator::Internal4MHz));
    EXPECT_EQ(words.fuse, 0xF1Bu);
    EXPECT_EQ(words.fusex, 0xBFFu);
    ConfigurationOptions stackAndCarry = with(plain18(), Oscillator::Internal4MHz);
    stackAndCarry.stack = true;
    stackAndCarry.carryFlagInput = true;
    EXPECT_EQ(computeConfigurationWords(stackAndCarry).fusex, 0xB3Fu);
}

TEST(ConfigurationWords, EveryOscillatorChoiceClearsItsOwnBits) {
    struct Case {
        Oscillator oscillator;
        std::uint32_t bits7to5;
        std::uint32_t bits1to0;
    };
    const std::vector<Case> chain = {
        {Oscillator::Internal4MHz, 0b000, 0b11},
        {Oscillator::Internal1MHz, 0b001, 0b11},
        {Oscillator::Internal128kHz, 0b010, 0b11},
        {Oscillator::Internal32kHz, 0b011, 0b11},
        {Oscillator::Input, 0b111, 0b11},
        {Oscillator::HS3, 0b111, 0b10},
        {Oscillator::HS2, 0b111, 0b01},
        {Oscillator::HS1, 0b111, 0b00},
        {Oscillator::XT2, 0b110, 0b11},
        {Oscillator::XT1, 0b110, 0b10},
        {Oscillator::LP2, 0b110, 0b01},
        {Oscillator::LP1, 0b110, 0b00},
    };
    for (PinCount pins : {PinCount::Pins28, PinCount::Pins48}) {
        ConfigurationOptions base = pins == PinCount::Pins48 ? plain48() : plain18();
        base.pins = pins;
        // Everything but the oscillator bits is the same for every choice.
        const std::uint32_t others = computeConfigurationWords(base).fuse & ~0xE3u;
        for (const Case& c : chain) {
            const std::uint32_t fuse = computeConfigurationWords(with(base, c.oscillator)).fuse;
            EXPECT_EQ(fuse, others | c.bits7to5 << 5 | c.bits1to0)
                << "oscillator " << static_cast<int>(c.oscillator);
        }
    }
}

TEST(ConfigurationWords, ExternalRcHasTheBitsOfTheClockInputButItsOwnClass) {
    const ConfigurationWords rc =
        computeConfigurationWords(with(plain18(), Oscillator::ExternalRC));
    const ConfigurationWords input = computeConfigurationWords(with(plain18(), Oscillator::Input));
    EXPECT_EQ(rc.fuse, input.fuse);
    EXPECT_EQ(rc.fusex, input.fusex);
    EXPECT_EQ(rc.oscillatorClass, 2);
    EXPECT_EQ(input.oscillatorClass, 3);
}

TEST(ConfigurationWords, OscillatorClassSeparatesTheFastInternalSpeeds) {
    for (Oscillator fast :
         {Oscillator::Internal4MHz, Oscillator::Internal1MHz, Oscillator::Internal128kHz})
        EXPECT_EQ(oscillatorClass(with(plain18(), fast)), 1);
    for (Oscillator other : {Oscillator::Internal32kHz, Oscillator::HS3, Oscillator::XT1,
                             Oscillator::LP1, Oscillator::Input})
        EXPECT_EQ(oscillatorClass(with(plain18(), other)), 3);
}

TEST(ConfigurationWords, EachSmallPackageCheckBoxDrivesOneBit) {
    const ConfigurationWords plain = computeConfigurationWords(plain18());
    EXPECT_EQ(plain.fuse, 0xFFBu); // the watchdog bit is set only when ticked
    EXPECT_EQ(plain.fusex, 0xBFFu);
    auto fuseWith = [](bool ConfigurationOptions::*box) {
        ConfigurationOptions o = plain18();
        o.*box = true;
        return computeConfigurationWords(o).fuse;
    };
    EXPECT_EQ(fuseWith(&ConfigurationOptions::turbo), 0x7FBu);
    EXPECT_EQ(fuseWith(&ConfigurationOptions::sync), 0xBFBu);
    EXPECT_EQ(fuseWith(&ConfigurationOptions::codeProtect), 0xFF3u);
    EXPECT_EQ(fuseWith(&ConfigurationOptions::watchdog), 0xFFFu);
    // The 48/52-pin boxes and the crystal buffer do not reach the small package's words.
    ConfigurationOptions large = plain18();
    large.sx48Sync = large.sx48CodeProtect = large.sx48CarryFlag = true;
    large.crystalDrive = false;
    large.resetTimer = ResetTimer::Ms60;
    EXPECT_EQ(computeConfigurationWords(large).fuse, plain.fuse);
    EXPECT_EQ(computeConfigurationWords(large).fusex, plain.fusex);
}

TEST(ConfigurationWords, TwentyEightPinsSetThePackageBit) {
    ConfigurationOptions o = plain18();
    o.pins = PinCount::Pins28;
    EXPECT_EQ(computeConfigurationWords(o).fusex, 0xFFFu);
}

TEST(ConfigurationWords, BrownoutLevelsFillBitsFiveAndFour) {
    const std::pair<Brownout, std::uint32_t> levels[] = {{Brownout::Off, 0xBFF},
                                                         {Brownout::Volts42, 0xBCF},
                                                         {Brownout::Volts26, 0xBDF},
                                                         {Brownout::Volts22, 0xBEF}};
    for (const auto& [level, fusex] : levels) {
        ConfigurationOptions o = plain18();
        o.brownout = level;
        EXPECT_EQ(computeConfigurationWords(o).fusex, fusex);
    }
}

TEST(ConfigurationWords, TheLargePackageHasItsOwnBoxesResetTimerAndCrystalBuffer) {
    const ConfigurationWords plain = computeConfigurationWords(plain48());
    EXPECT_EQ(plain.fuse, 0xFEBu); // crystal buffer off, watchdog off
    EXPECT_EQ(plain.fusex, 0xFFFu);
    ConfigurationOptions o = plain48();
    o.sx48Sync = o.sx48CodeProtect = o.sx48Watchdog = o.sx48CarryFlag = o.crystalDrive = true;
    o.resetTimer = ResetTimer::Ms960;
    o.brownout = Brownout::Volts26;
    EXPECT_EQ(computeConfigurationWords(o).fuse, 0xBF7u);
    EXPECT_EQ(computeConfigurationWords(o).fusex, 0xF9Du);
    const std::pair<ResetTimer, std::uint32_t> timers[] = {{ResetTimer::Ms18, 0xFFF},
                                                           {ResetTimer::Ms60, 0xFFC},
                                                           {ResetTimer::Ms960, 0xFFD},
                                                           {ResetTimer::Us60, 0xFFE}};
    for (const auto& [timer, fusex] : timers) {
        ConfigurationOptions t = plain48();
        t.resetTimer = timer;
        EXPECT_EQ(computeConfigurationWords(t).fusex, fusex);
    }
}

TEST(ConfigurationWords, TheLargePackageIgnoresTheSmallPackageBoxesAndTheBitlessOptions) {
    ConfigurationOptions o = plain48();
    o.turbo = o.sync = o.stack = o.codeProtect = o.watchdog = o.carryFlagInput = true;
    o.sx48Sleep = true;
    o.crystalFeedback = true;
    EXPECT_EQ(computeConfigurationWords(o).fuse, computeConfigurationWords(plain48()).fuse);
    EXPECT_EQ(computeConfigurationWords(o).fusex, computeConfigurationWords(plain48()).fusex);
}

TEST(ConfigurationWordsFromChip, TheOscillatorIsDecodedFromBitSevenOnward) {
    const ConfigurationOptions start;
    // Internal speeds: bits 1..0 do not matter once bit 7 is clear.
    EXPECT_EQ(optionsFromConfigurationWords(0xF1B, 0xBFF, start).oscillator,
              Oscillator::Internal4MHz);
    EXPECT_EQ(optionsFromConfigurationWords(0xF38, 0xBFF, start).oscillator,
              Oscillator::Internal1MHz);
    EXPECT_EQ(optionsFromConfigurationWords(0xF5A, 0xBFF, start).oscillator,
              Oscillator::Internal128kHz);
    EXPECT_EQ(optionsFromConfigurationWords(0xF79, 0xBFF, start).oscillator,
              Oscillator::Internal32kHz);
    const std::pair<std::uint32_t, Oscillator> external[] = {
        {0x23, Oscillator::Input}, {0x22, Oscillator::HS3}, {0x21, Oscillator::HS2},
        {0x20, Oscillator::HS1},   {0x03, Oscillator::XT2}, {0x02, Oscillator::XT1},
        {0x01, Oscillator::LP2},   {0x00, Oscillator::LP1}};
    for (const auto& [bits, oscillator] : external)
        EXPECT_EQ(optionsFromConfigurationWords(0xFDC | bits, 0xBFF, start).oscillator, oscillator);
}

TEST(ConfigurationWordsFromChip, ThePackageBitChoosesEighteenOrTwentyEightPins) {
    ConfigurationOptions start;
    EXPECT_EQ(optionsFromConfigurationWords(0xFFF, 0xBFF, start).pins, PinCount::Pins18);
    EXPECT_EQ(optionsFromConfigurationWords(0xFFF, 0xFFF, start).pins, PinCount::Pins28);
    // A 48/52-pin part has no package bit: a read keeps its 4096-word memory.
    start.pins = PinCount::Pins48;
    EXPECT_EQ(optionsFromConfigurationWords(0xFFF, 0xBFF, start).pins, PinCount::Pins48);
}

TEST(ConfigurationWordsFromChip, TheBitlessControlsKeepTheirState) {
    ConfigurationOptions start = plain48();
    start.sx48Sleep = true;
    const ConfigurationOptions shown = optionsFromConfigurationWords(0x000, 0x000, start);
    EXPECT_TRUE(shown.sx48Sleep);
    EXPECT_FALSE(shown.crystalFeedback);
}

// Every option set the window can hold, within one package's encoding.
std::vector<ConfigurationOptions> everyOptionSet(PinCount pins) {
    std::vector<ConfigurationOptions> sets;
    for (int oscillator = 0; oscillator <= static_cast<int>(Oscillator::ExternalRC); ++oscillator)
        for (int level = 0; level < 4; ++level)
            for (int boxes = 0; boxes < 64; ++boxes) {
                ConfigurationOptions o = pins == PinCount::Pins48 ? plain48() : plain18();
                o.pins = pins;
                o.oscillator = static_cast<Oscillator>(oscillator);
                o.brownout = static_cast<Brownout>(level);
                o.resetTimer = static_cast<ResetTimer>((level + boxes) % 4);
                const auto box = [boxes](int n) { return (boxes >> n & 1) != 0; };
                o.turbo = o.crystalDrive = box(0);
                o.sync = o.sx48Sync = box(1);
                o.stack = box(2);
                o.codeProtect = o.sx48CodeProtect = box(3);
                o.watchdog = o.sx48Watchdog = box(4);
                o.carryFlagInput = o.sx48CarryFlag = box(5);
                sets.push_back(o);
            }
    return sets;
}

TEST(ConfigurationWordsFromChip, ShowingTheWordsAndComputingThemAgainGivesTheSameWords) {
    for (PinCount pins : {PinCount::Pins18, PinCount::Pins28, PinCount::Pins48})
        for (const ConfigurationOptions& o : everyOptionSet(pins)) {
            const ConfigurationWords words = computeConfigurationWords(o);
            ConfigurationOptions start; // the window as it opened, with the same package
            start.pins = pins == PinCount::Pins48 ? PinCount::Pins48 : PinCount::Pins18;
            const ConfigurationOptions shown =
                optionsFromConfigurationWords(words.fuse, words.fusex, start);
            const ConfigurationWords again = computeConfigurationWords(shown);
            ASSERT_EQ(again.fuse, words.fuse);
            ASSERT_EQ(again.fusex, words.fusex);
            ASSERT_EQ(shown.pins, pins);
            // The controls that drive bits come back as they were; RC reads as the input.
            ASSERT_EQ(shown.oscillator,
                      o.oscillator == Oscillator::ExternalRC ? Oscillator::Input : o.oscillator);
            ASSERT_EQ(shown.brownout, o.brownout);
            if (pins == PinCount::Pins48) {
                ASSERT_EQ(shown.sx48Sync, o.sx48Sync);
                ASSERT_EQ(shown.sx48CodeProtect, o.sx48CodeProtect);
                ASSERT_EQ(shown.sx48Watchdog, o.sx48Watchdog);
                ASSERT_EQ(shown.sx48CarryFlag, o.sx48CarryFlag);
                ASSERT_EQ(shown.crystalDrive, o.crystalDrive);
                ASSERT_EQ(shown.resetTimer, o.resetTimer);
            } else {
                ASSERT_EQ(shown.turbo, o.turbo);
                ASSERT_EQ(shown.sync, o.sync);
                ASSERT_EQ(shown.stack, o.stack);
                ASSERT_EQ(shown.codeProtect, o.codeProtect);
                ASSERT_EQ(shown.watchdog, o.watchdog);
                ASSERT_EQ(shown.carryFlagInput, o.carryFlagInput);
            }
        }
}

} // namespace
} // namespace kavo::programmer
