// computeConfigurationWords, optionsFromConfigurationWords and oscillatorClass.
#include "programmer/configuration_words.hpp"

#include <array>
#include <utility>

namespace kavo::programmer {

namespace {

constexpr std::uint32_t bit(int n) {
    return std::uint32_t{1} << n;
}

// FUSE bits.
constexpr std::uint32_t TurboBit = bit(11);
constexpr std::uint32_t SyncBit = bit(10);
constexpr std::uint32_t CrystalBufferBit = bit(4);
constexpr std::uint32_t CodeProtectBit = bit(3);
constexpr std::uint32_t WatchdogBit = bit(2);
// The internal oscillator is chosen by a cleared bit 7; its speed is in bits 6..5.
constexpr std::uint32_t InternalOscillatorBit = bit(7);
constexpr std::uint32_t ExternalDriveMask = 0x23;

// FUSEX bits.
constexpr std::uint32_t PackageBit = bit(10);
constexpr std::uint32_t StackBit = bit(7);
constexpr std::uint32_t CarryFlagBit = bit(6);
constexpr int BrownoutShift = 4;
constexpr std::uint32_t TwoBits = 3;

// The FUSE bits each oscillator choice clears. The external RC network has the bits of the
// plain clock input: nothing tells the two apart in the word.
constexpr std::array<std::pair<Oscillator, std::uint32_t>, 13> OscillatorClears = {{
    {Oscillator::Internal4MHz, bit(7) | bit(6) | bit(5)},
    {Oscillator::Internal1MHz, bit(7) | bit(6)},
    {Oscillator::Internal128kHz, bit(7) | bit(5)},
    {Oscillator::Internal32kHz, bit(7)},
    {Oscillator::Input, 0},
    {Oscillator::HS3, bit(0)},
    {Oscillator::HS2, bit(1)},
    {Oscillator::HS1, bit(1) | bit(0)},
    {Oscillator::XT2, bit(5)},
    {Oscillator::XT1, bit(5) | bit(0)},
    {Oscillator::LP2, bit(5) | bit(1)},
    {Oscillator::LP1, bit(5) | bit(1) | bit(0)},
    {Oscillator::ExternalRC, 0},
}};

// Bits 6..5 when bit 7 is clear.
constexpr std::array<Oscillator, 4> InternalSpeeds = {
    Oscillator::Internal4MHz, Oscillator::Internal1MHz, Oscillator::Internal128kHz,
    Oscillator::Internal32kHz};

// The two-bit codes of the brown-out level and of the reset timer, in enum order.
constexpr std::array<std::uint32_t, 4> BrownoutCodes = {0b11, 0b00, 0b01, 0b10};
constexpr std::array<std::uint32_t, 4> ResetTimerCodes = {0b11, 0b00, 0b01, 0b10};

std::uint32_t oscillatorClears(Oscillator oscillator) {
    for (const auto& [choice, clears] : OscillatorClears)
        if (choice == oscillator)
            return clears;
    return 0;
}

Oscillator oscillatorFromFuse(std::uint32_t fuse) {
    if ((fuse & InternalOscillatorBit) == 0)
        return InternalSpeeds[(fuse >> 5) & TwoBits];
    const std::uint32_t drive = fuse & ExternalDriveMask;
    for (const auto& [choice, clears] : OscillatorClears)
        if ((clears & InternalOscillatorBit) == 0 && (ExternalDriveMask & ~clears) == drive)
            return choice;
    return Oscillator::Input; // every drive pattern is in the table; not reached
}

template <typename Choice>
std::uint32_t codeOf(const std::array<std::uint32_t, 4>& codes, Choice choice) {
    return codes[static_cast<std::size_t>(choice)];
}

template <typename Choice>
Choice choiceOf(const std::array<std::uint32_t, 4>& codes, std::uint32_t code) {
    for (std::size_t i = 0; i < codes.size(); ++i)
        if (codes[i] == code)
            return static_cast<Choice>(i);
    return Choice{};
}

std::uint32_t clearWhen(bool condition, std::uint32_t word, std::uint32_t mask) {
    return condition ? word & ~mask : word;
}

std::uint32_t setOnlyWhen(bool condition, std::uint32_t word, std::uint32_t mask) {
    return condition ? word | mask : word & ~mask;
}

std::uint32_t withField(std::uint32_t word, int shift, std::uint32_t code) {
    return (word & ~(TwoBits << shift)) | (code << shift);
}

bool isSet(std::uint32_t word, std::uint32_t mask) {
    return (word & mask) != 0;
}

std::uint32_t smallPackageFuse(const ConfigurationOptions& o) {
    std::uint32_t fuse = ErasedWord;
    fuse = clearWhen(o.turbo, fuse, TurboBit);
    fuse = clearWhen(o.sync, fuse, SyncBit);
    fuse &= ~oscillatorClears(o.oscillator);
    fuse = clearWhen(o.codeProtect, fuse, CodeProtectBit);
    return setOnlyWhen(o.watchdog, fuse, WatchdogBit);
}

std::uint32_t smallPackageFusex(const ConfigurationOptions& o) {
    std::uint32_t fusex = ErasedWord;
    fusex = clearWhen(o.pins == PinCount::Pins18, fusex, PackageBit);
    fusex = clearWhen(o.stack, fusex, StackBit);
    fusex = clearWhen(o.carryFlagInput, fusex, CarryFlagBit);
    return withField(fusex, BrownoutShift, codeOf(BrownoutCodes, o.brownout));
}

std::uint32_t largePackageFuse(const ConfigurationOptions& o) {
    std::uint32_t fuse = ErasedWord;
    fuse = clearWhen(o.sx48Sync, fuse, SyncBit);
    fuse &= ~oscillatorClears(o.oscillator);
    fuse = setOnlyWhen(o.crystalDrive, fuse, CrystalBufferBit);
    fuse = clearWhen(o.sx48CodeProtect, fuse, CodeProtectBit);
    return setOnlyWhen(o.sx48Watchdog, fuse, WatchdogBit);
}

// The sleep clock has no bit of its own: FUSEX bit 6 is the carry flag's.
std::uint32_t largePackageFusex(const ConfigurationOptions& o) {
    std::uint32_t fusex = ErasedWord;
    fusex = clearWhen(o.sx48CarryFlag, fusex, CarryFlagBit);
    fusex = withField(fusex, BrownoutShift, codeOf(BrownoutCodes, o.brownout));
    return withField(fusex, 0, codeOf(ResetTimerCodes, o.resetTimer));
}

} // namespace

int oscillatorClass(const ConfigurationOptions& options) {
    switch (options.oscillator) {
    case Oscillator::ExternalRC:
        return 2;
    case Oscillator::Internal4MHz:
    case Oscillator::Internal1MHz:
    case Oscillator::Internal128kHz:
        return 1;
    default:
        return 3;
    }
}

ConfigurationWords computeConfigurationWords(const ConfigurationOptions& options) {
    ConfigurationWords words;
    if (options.pins == PinCount::Pins48) {
        words.fuse = largePackageFuse(options);
        words.fusex = largePackageFusex(options);
    } else {
        words.fuse = smallPackageFuse(options);
        words.fusex = smallPackageFusex(options);
    }
    words.oscillatorClass = oscillatorClass(options);
    return words;
}

ConfigurationOptions optionsFromConfigurationWords(std::uint32_t fuse, std::uint32_t fusex,
                                                   const ConfigurationOptions& current) {
    ConfigurationOptions o = current;
    if (current.pins != PinCount::Pins48)
        o.pins = isSet(fusex, PackageBit) ? PinCount::Pins28 : PinCount::Pins18;
    o.turbo = !isSet(fuse, TurboBit);
    o.sync = o.sx48Sync = !isSet(fuse, SyncBit);
    o.codeProtect = o.sx48CodeProtect = !isSet(fuse, CodeProtectBit);
    o.watchdog = o.sx48Watchdog = isSet(fuse, WatchdogBit);
    o.crystalDrive = isSet(fuse, CrystalBufferBit);
    o.oscillator = oscillatorFromFuse(fuse);
    o.stack = !isSet(fusex, StackBit);
    o.carryFlagInput = o.sx48CarryFlag = !isSet(fusex, CarryFlagBit);
    o.brownout = choiceOf<Brownout>(BrownoutCodes, (fusex >> BrownoutShift) & TwoBits);
    o.resetTimer = choiceOf<ResetTimer>(ResetTimerCodes, fusex & TwoBits);
    return o;
}

} // namespace kavo::programmer
