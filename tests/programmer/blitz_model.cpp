// BlitzModel: the SX-Blitz's byte exchange.
#include "tests/programmer/blitz_model.hpp"

namespace kavo::testing {

namespace {
constexpr std::size_t BlockWords = 8;
constexpr std::uint8_t GreetingTrailer[] = {'B', 'L', 'Z'};
} // namespace

void BlitzModel::sendNegated(std::uint32_t value) {
    send(static_cast<std::uint8_t>(256 - (value & 0xFF)));
}

void BlitzModel::sendWord(std::uint32_t word) {
    sendNegated(word & 0xFF);
    sendNegated(word >> 8);
}

void BlitzModel::onByte(std::uint8_t byte) {
    if (collecting_ == Collecting::Greeting) {
        const std::size_t letter = bytes_.size();
        send(letter < greeting.size() ? static_cast<std::uint8_t>(greeting[letter]) : byte);
    } else {
        send(byte);
    }
    if (collecting_ == Collecting::Nothing) {
        command(byte);
        return;
    }
    bytes_.push_back(byte);
    if (bytes_.size() == needed_) {
        collected();
        collecting_ = Collecting::Nothing;
    }
}

void BlitzModel::command(std::uint8_t byte) {
    auto collect = [&](Collecting what, std::size_t count) {
        collecting_ = what;
        needed_ = count;
        bytes_.clear();
    };
    switch (byte) {
    case 0:
        collect(Collecting::Greeting, 6);
        break;
    case 3:
        mode_ = Mode::Reading;
        identification_ = 0;
        address_ = 0;
        sendStatus(readStatus.value_or(0));
        break;
    case 2:
        mode_ = Mode::Programming;
        configWords_ = 0;
        blocks_ = 0;
        address_ = 0;
        sendStatus();
        break;
    case 1:
        if (mode_ == Mode::Reading) {
            const std::uint32_t words[] = {chip.device, chip.fusex, chip.fuse};
            sendWord(words[identification_++ % 3]);
        } else {
            collect(mode_ == Mode::Programming ? Collecting::ConfigWord : Collecting::ErasePass,
                    mode_ == Mode::Programming ? 3 : 1);
        }
        break;
    case 8:
        if (mode_ == Mode::Programming) {
            collect(Collecting::Block, 1 + 2 * BlockWords);
            break;
        }
        ++readBlockCommands;
        for (std::size_t n = 0; n < BlockWords; ++n, ++address_)
            sendWord(address_ < chip.memory.size() ? chip.memory[address_] : 0xFFF);
        if (address_ < chip.memory.size())
            sendStatus();
        break;
    case 4:
        collect(Collecting::Release, 1);
        break;
    default:
        break;
    }
}

void BlitzModel::collected() {
    switch (collecting_) {
    case Collecting::Greeting:
        if (greeting == "SX-Key")
            for (std::uint8_t b : GreetingTrailer)
                send(b);
        break;
    case Collecting::ErasePass:
        ++erasePasses;
        chip.erase();
        sendStatus();
        break;
    case Collecting::ConfigWord: {
        configTimes.push_back(bytes_[0]);
        const std::uint32_t word = bytes_[1] | (bytes_[2] & 0x0F) << 8;
        std::uint32_t& target = configWords_++ == 0 ? chip.fusex : chip.fuse;
        target &= word;
        sendStatus();
        if (configWords_ == 2)
            sendStatus(); // ready for the first block
        break;
    }
    case Collecting::Block: {
        blockTimes.push_back(bytes_[0]);
        for (std::size_t n = 0; n < BlockWords; ++n, ++address_) {
            const std::uint32_t word = bytes_[1 + 2 * n] | (bytes_[2 + 2 * n] & 0x0F) << 8;
            if (address_ < chip.memory.size())
                chip.memory[address_] &= word;
        }
        sendStatus(blocks_++ == failingBlock ? failingBlockStatus : 0);
        break;
    }
    case Collecting::Release:
        ++releases;
        mode_ = Mode::Idle;
        break;
    case Collecting::Nothing:
        break;
    }
}

} // namespace kavo::testing
