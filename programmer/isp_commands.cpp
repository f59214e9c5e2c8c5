// The RS232 ISP command layer: the programmer check, `ispCommand` with its "A"/"R" and "S"
// handshake, the memory stream of command 0x21, entering programming mode, the register reads
// (a command followed by 0xAA), the bounded re-reads of a word that reads erased, the erase
// commands and the parallel port's bit 4.
#include "programmer/isp_driver.hpp"

#include "compiler/base/text_format.hpp"
#include "programmer/chip_commands.hpp"

namespace kavo::programmer {

namespace {

constexpr std::uint8_t Attention = 'A';
constexpr std::uint8_t Ready = 'R';
constexpr std::uint8_t Start = 'S';
constexpr int HandshakeAttempts = 7;
constexpr int HandshakeTimeoutMs = 1000;
constexpr int CheckTimeoutMs = 500;
constexpr int ReplyTimeoutMs = 500;
constexpr int StatusTimeoutMs = 3000;
constexpr int StreamTimeoutMs = 2000;
constexpr int ArgumentPauseMs = 15;
constexpr int EnterModeTries = 5;
constexpr int TargetBit = 4;
constexpr int EraseMsPerCommand = 2000;

bool answersWithStatusOnly(int code) {
    return code == isp::ProgramData || code == isp::ReadData || code == isp::NextAddress;
}

} // namespace

bool IspDriver::lostAnswer(int code) {
    host_.message(MessageIcon::Error, IspCommandTitle,
                  strprintf("Programmer stopped answering during command 0x%02X.", code));
    return false;
}

bool IspDriver::programmerCheck() {
    if (!link_.open())
        return false;
    link_.send(isp::NextWord);
    const auto answer = link_.receive(CheckTimeoutMs);
    if (answer == Ready)
        return true;
    host_.message(MessageIcon::Error, SetupTitle,
                  strprintf("Programmer not responding in %s", link_.portName().c_str()));
    return false;
}

std::optional<int> IspDriver::ispCommand(int code, int argument) {
    if (!link_.isOpen()) {
        host_.message(MessageIcon::Error, IspCommandTitle, "Serial Port Not Initialized![3]");
        return std::nullopt;
    }
    link_.discardInput();
    std::uint8_t last = 0;
    bool ready = false;
    for (int attempt = 0; attempt < HandshakeAttempts && !ready; ++attempt) {
        if (!link_.send(Attention))
            break;
        const auto answer = link_.receive(HandshakeTimeoutMs);
        if (answer)
            last = *answer;
        ready = answer == Ready;
    }
    if (!ready) {
        host_.message(MessageIcon::Error, IspCommandTitle,
                      strprintf("Programmer Not Responding.  Check Connection and "
                                "Configuration! Got: 0x%02X",
                                last));
        return std::nullopt;
    }
    link_.discardInput();
    link_.send(Start);
    if (!link_.receive(ReplyTimeoutMs) || !link_.send(static_cast<std::uint8_t>(code))) {
        lostAnswer(code);
        return std::nullopt;
    }
    if (answersWithStatusOnly(code)) {
        if (!link_.receive(StatusTimeoutMs)) {
            lostAnswer(code);
            return std::nullopt;
        }
        return 0;
    }
    if (code == isp::ReadMemory)
        return 0;
    if (code != isp::FetchResult) {
        link_.wait(ArgumentPauseMs);
        link_.send(static_cast<std::uint8_t>((argument >> 8) & 0xFF));
        link_.wait(ArgumentPauseMs);
        link_.send(static_cast<std::uint8_t>(argument & 0xFF));
    }
    const auto high = link_.receive(ReplyTimeoutMs);
    const auto low = high ? link_.receive(ReplyTimeoutMs) : std::nullopt;
    if (!low || !link_.receive(StatusTimeoutMs)) {
        lostAnswer(code);
        return std::nullopt;
    }
    return *high * 256 + *low;
}

std::optional<std::uint32_t> IspDriver::nextMemoryWord() {
    const auto high = link_.receive(StreamTimeoutMs);
    const auto low = high ? link_.receive(StreamTimeoutMs) : std::nullopt;
    if (!low) {
        lostAnswer(isp::NextWord);
        return std::nullopt;
    }
    return (static_cast<std::uint32_t>(*high) * 256 + *low) & 0xFFF;
}

// The programmer streams the whole memory after command 0x17; what the sequence did not read
// is let run out so that the next handshake meets a quiet line.
void IspDriver::endMemoryStream() {
    link_.discardUntilQuiet(static_cast<int>(2 * ChipReadBufferWords) + 16);
}

bool IspDriver::enterProgrammingMode(int oscillatorClass) {
    if (!ispCommand(isp::EnterIsp, oscillatorClass))
        return false;
    for (int n = 0; n < EnterModeTries; ++n) {
        const auto result = ispCommand(isp::FetchResult);
        if (!result) {
            ispCommand(isp::LeaveIsp);
            host_.message(MessageIcon::Error, "Read...",
                          "Could not start ISP mode with SX device!");
            return false;
        }
        if (*result != static_cast<int>(ErasedWord))
            break;
    }
    return true;
}

std::optional<std::uint32_t> IspDriver::readRegister(int code) {
    if (!ispCommand(code))
        return std::nullopt;
    const auto result = ispCommand(isp::FetchResult);
    if (!result)
        return std::nullopt;
    return static_cast<std::uint32_t>(*result) & 0xFFF;
}

// The word at the chip's address, read again while it reads erased: the first reads after
// entering programming mode can come back erased. An erased chip's FUSE really is 0xFFF, so
// the tries are bounded; reportErased says so on the status line when they run out.
std::optional<std::uint32_t> IspDriver::readWrittenWord(int tries, bool reportErased) {
    std::uint32_t word = ErasedWord;
    for (int n = 0; n < tries && word == ErasedWord; ++n) {
        const auto read = readRegister(isp::ReadData);
        if (!read)
            return std::nullopt;
        word = *read;
    }
    if (word == ErasedWord && reportErased)
        host_.setStatusText(strprintf("FUSE reads 0xFFF (erased) after %d reads.", tries));
    return word;
}

bool IspDriver::eraseCommands(int eraseTimeMs) {
    const int commands = eraseTimeMs / EraseMsPerCommand + 1;
    for (int n = 0; n < commands; ++n) {
        if (!ispCommand(isp::Erase))
            return false;
    }
    return true;
}

// The programmer's hardware takes bit 4 of the parallel port's data register; a machine
// without the port is told so and the sequence goes on.
void IspDriver::setTargetBit() {
    if (!parallel_.setDataBit(TargetBit))
        host_.setStatusText("Parallel port bit 4 not set: " + parallel_.lastError());
}

} // namespace kavo::programmer
