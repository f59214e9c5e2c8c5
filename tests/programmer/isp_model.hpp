// An RS232 ISP programmer on the far side of a pseudo-terminal: "A" is answered "R", then "S"
// and a command code; argument bytes come high first; replies are a word, high byte first, and
// a status byte. Its chip's address starts at FUSE on entering programming mode; command 7
// steps to word 0 and on; command 0x17 streams the whole memory.
#pragma once

#include "tests/programmer/programmer_model.hpp"

#include <utility>

namespace kavo::testing {

class IspModel final : public ProgrammerModel {
public:
    IspModel(PtyDevice& device, std::size_t chipWords) : ProgrammerModel(device), chip(chipWords) {
        chip.fusex = 0xB7F; // bits 11, 9 and 8 hold the chip's own calibration
        start();
    }
    ~IspModel() override { stop(); }

    ChipModel chip;
    bool neverReady = false;       // answers "A" with "N"
    int erasedReadsAfterEnter = 0; // reads that come back 0xFFF after entering the mode
    int stuckAddress = -1;         // a word whose bit 0 cannot be programmed to 0
    int vanishInStreamAt = -1;     // the device disappears after streaming this many words

    std::vector<std::pair<int, int>> commands; // code and argument, in order
    int attentions = 0;

    int count(int code) const;

protected:
    void onByte(std::uint8_t byte) override;

private:
    enum class State { Idle, Ready, Started, Arguments };
    static constexpr int FuseAddress = -1;

    void execute(int code, int argument);
    void reply(std::uint32_t word);
    std::uint32_t readCurrent();
    void programCurrent();

    State state_ = State::Idle;
    int code_ = 0;
    std::vector<std::uint8_t> arguments_;
    int address_ = FuseAddress;
    std::uint32_t loaded_ = 0xFFF;
    std::uint32_t result_ = 0xFFF;
    int erasedReadsLeft_ = 0;
};

} // namespace kavo::testing
