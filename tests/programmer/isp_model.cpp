// IspModel: the RS232 ISP programmer's handshake and command codes.
#include "tests/programmer/isp_model.hpp"

#include <algorithm>

namespace kavo::testing {

int IspModel::count(int code) const {
    return static_cast<int>(std::count_if(commands.begin(), commands.end(),
                                          [code](const auto& c) { return c.first == code; }));
}

void IspModel::onByte(std::uint8_t byte) {
    switch (state_) {
    case State::Idle:
    case State::Ready:
        if (byte == 'A') {
            ++attentions;
            send(neverReady ? 'N' : 'R');
            state_ = neverReady ? State::Idle : State::Ready;
        } else if (byte == 0x21 && state_ == State::Idle) {
            send('R');
        } else if (byte == 'S' && state_ == State::Ready) {
            send('K');
            state_ = State::Started;
        }
        break;
    case State::Started:
        code_ = byte;
        arguments_.clear();
        if (code_ == 5 || code_ == 6 || code_ == 7 || code_ == 0x17 || code_ == 0xAA) {
            state_ = State::Idle;
            execute(code_, 0);
        } else {
            state_ = State::Arguments;
        }
        break;
    case State::Arguments:
        arguments_.push_back(byte);
        if (arguments_.size() == 2) {
            state_ = State::Idle;
            execute(code_, arguments_[0] << 8 | arguments_[1]);
        }
        break;
    }
}

void IspModel::reply(std::uint32_t word) {
    send(static_cast<std::uint8_t>(word >> 8));
    send(static_cast<std::uint8_t>(word & 0xFF));
    send(0);
}

std::uint32_t IspModel::readCurrent() {
    if (erasedReadsLeft_ > 0) {
        --erasedReadsLeft_;
        return 0xFFF;
    }
    if (address_ == FuseAddress)
        return chip.fuse;
    return static_cast<std::size_t>(address_) < chip.memory.size() ? chip.memory[address_] : 0xFFF;
}

void IspModel::programCurrent() {
    std::uint32_t word = loaded_;
    if (address_ == stuckAddress)
        word |= 1;
    if (address_ == FuseAddress)
        chip.fuse &= word;
    else if (static_cast<std::size_t>(address_) < chip.memory.size())
        chip.memory[address_] &= word;
}

void IspModel::execute(int code, int argument) {
    commands.emplace_back(code, argument);
    switch (code) {
    case 0x00:
        chip.erase();
        break;
    case 0x01:
        result_ = chip.device;
        break;
    case 0x02:
        result_ = chip.fusex;
        break;
    case 0x03:
        chip.fusex &= loaded_;
        break;
    case 0x04:
        loaded_ = static_cast<std::uint32_t>(argument) & 0xFFF;
        break;
    case 0x05:
        programCurrent();
        send(0);
        return;
    case 0x06:
        result_ = readCurrent();
        send(0);
        return;
    case 0x07:
        ++address_;
        send(0);
        return;
    case 0x10:
        address_ = FuseAddress;
        result_ = 0;
        erasedReadsLeft_ = erasedReadsAfterEnter;
        break;
    case 0x17:
        for (std::uint32_t word : chip.memory) {
            if (vanishInStreamAt-- == 0) {
                vanish();
                return;
            }
            send(static_cast<std::uint8_t>(word >> 8));
            send(static_cast<std::uint8_t>(word & 0xFF));
        }
        return;
    case 0x22:
        address_ += argument;
        break;
    case 0xAA:
        reply(result_);
        return;
    default: // 0x11, 0x15, 0x18: settings and leaving the mode
        break;
    }
    reply(0);
}

} // namespace kavo::testing
