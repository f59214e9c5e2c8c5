// The SX configuration words FUSE and FUSEX as the program window's option controls give them,
// and back: computeConfigurationWords encodes a set of options, optionsFromConfigurationWords
// decodes words read from a chip into the controls, oscillatorClass tells the ISP programmer
// which oscillator the chip runs on while it enters programming mode.
#pragma once

#include "programmer/chip_commands.hpp"

#include <cstdint>

namespace kavo::programmer {

// The package: 18 and 28 pins have 2048 words of program memory, the 48/52-pin parts 4096.
enum class PinCount { Pins18, Pins28, Pins48 };

// One oscillator choice. The external crystal and resonator drives come first, then the
// internal oscillator's four speeds, then the external RC network.
enum class Oscillator {
    Input,
    HS3,
    HS2,
    HS1,
    XT2,
    XT1,
    LP2,
    LP1,
    Internal4MHz,
    Internal1MHz,
    Internal128kHz,
    Internal32kHz,
    ExternalRC
};

enum class Brownout { Off, Volts42, Volts26, Volts22 };
enum class ResetTimer { Ms18, Ms60, Ms960, Us60 };

// Every option control of the program window, with the state it has when the window opens.
struct ConfigurationOptions {
    PinCount pins = PinCount::Pins18;
    // The 18/28-pin options.
    bool turbo = false;
    bool sync = false;
    bool stack = true;
    bool codeProtect = false;
    bool watchdog = false;
    bool carryFlagInput = false;
    // The 48/52-pin options.
    bool sx48Sync = false;
    bool sx48Sleep = true;
    bool sx48CodeProtect = false;
    bool sx48Watchdog = false;
    bool sx48CarryFlag = false;
    Oscillator oscillator = Oscillator::Input;
    Brownout brownout = Brownout::Off;
    ResetTimer resetTimer = ResetTimer::Ms18;
    bool crystalDrive = true;
    bool crystalFeedback = true;

    bool operator==(const ConfigurationOptions&) const = default;
};

// 1 for the internal 4 MHz, 1 MHz and 128 kHz oscillator, 2 for the external RC network,
// 3 for everything else (external drives and the internal 32 kHz).
int oscillatorClass(const ConfigurationOptions& options);

// FUSE and FUSEX (both start from 0xFFF) and the oscillator class. The 48/52-pin encoding is
// used when the options name that package, the 18/28-pin one otherwise.
ConfigurationWords computeConfigurationWords(const ConfigurationOptions& options);

// The controls that show FUSE and FUSEX read from a chip. Both option sets are decoded; the
// sleep clock and crystal feedback controls have no bit and keep their state in `current`.
// The package comes from FUSEX bit 10 (28 pins when set) unless `current` is the 48/52-pin
// part, whose FUSEX has no package bit: its 4096-word memory size must survive a read.
ConfigurationOptions optionsFromConfigurationWords(std::uint32_t fuse, std::uint32_t fusex,
                                                   const ConfigurationOptions& current);

} // namespace kavo::programmer
