// An SX-Blitz on the far side of a pseudo-terminal: it echoes every byte, answers the
// "SX-Key" greeting, keeps a chip and sends its status and data bytes negated. Between blocks
// of eight words it sends a status; while programming, one before the first block too.
#pragma once

#include "tests/programmer/programmer_model.hpp"

#include <optional>
#include <string>

namespace kavo::testing {

class BlitzModel final : public ProgrammerModel {
public:
    BlitzModel(PtyDevice& device, std::size_t chipWords)
        : ProgrammerModel(device), chip(chipWords) {
        start();
    }
    ~BlitzModel() override { stop(); }

    ChipModel chip;
    // What it echoes to the six greeting letters.
    std::string greeting = "SX-Key";
    // A raw status byte (before negation) for the read command, and for one programming block.
    std::optional<std::uint8_t> readStatus;
    int failingBlock = -1;
    std::uint8_t failingBlockStatus = 0;

    // What the PC asked for.
    int readBlockCommands = 0;
    int erasePasses = 0;
    int releases = 0;
    std::vector<int> configTimes;
    std::vector<int> blockTimes;

protected:
    void onByte(std::uint8_t byte) override;

private:
    enum class Mode { Idle, Reading, Programming };
    enum class Collecting { Nothing, Greeting, ErasePass, ConfigWord, Block, Release };

    void command(std::uint8_t byte);
    void collected();
    void sendNegated(std::uint32_t value);
    void sendWord(std::uint32_t word);
    void sendStatus(std::uint8_t raw = 0) { send(raw); }

    Mode mode_ = Mode::Idle;
    Collecting collecting_ = Collecting::Nothing;
    std::size_t needed_ = 0;
    std::vector<std::uint8_t> bytes_;
    int identification_ = 0;
    int configWords_ = 0;
    int blocks_ = 0;
    std::size_t address_ = 0;
};

} // namespace kavo::testing
