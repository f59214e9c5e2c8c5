// The RS232 ISP programmer driver: one-byte commands, each opened by the "A"/"R" handshake and
// "S", carry the chip's in-system programming operations; replies are 12-bit words, high byte
// first. Internal to the drivers.
#pragma once

#include "programmer/chip_commands.hpp"
#include "programmer/parallel_port.hpp"
#include "programmer/port_link.hpp"

#include <cstdint>
#include <functional>
#include <optional>

namespace kavo::programmer {

class ProgressWindow;

namespace isp {
constexpr int Erase = 0x00;
constexpr int ReadDevice = 0x01;
constexpr int ReadFusex = 0x02;
constexpr int ProgramFusex = 0x03;
constexpr int LoadData = 0x04;
constexpr int ProgramData = 0x05;
constexpr int ReadData = 0x06;
constexpr int NextAddress = 0x07;
constexpr int EnterIsp = 0x10;
constexpr int LeaveIsp = 0x11;
constexpr int PulseSetting = 0x15;
constexpr int ReadMemory = 0x17;
constexpr int FusexSetting = 0x18;
constexpr int NextWord = 0x21;
constexpr int SkipErased = 0x22;
constexpr int FetchResult = 0xAA;
} // namespace isp

class IspDriver {
public:
    IspDriver(PortLink& link, ProgrammerHost& host, ParallelPort& parallel)
        : link_(link), host_(host), parallel_(parallel) {}

    bool OrvoProgReadClick(ChipSession& session);
    bool OrvoProgEraseClick(ChipSession& session);
    bool OrvoProgBlankCheckClick(ChipSession& session);
    bool OrvoProgVerifyClick(ChipSession& session);
    bool OrvoProgProgramClick(ChipSession& session);

private:
    // The command layer (isp_commands.cpp).
    bool programmerCheck();
    std::optional<int> ispCommand(int code, int argument = 0);
    std::optional<std::uint32_t> nextMemoryWord();
    bool enterProgrammingMode(int oscillatorClass);
    std::optional<std::uint32_t> readRegister(int code);
    std::optional<std::uint32_t> readWrittenWord(int tries, bool reportErased);
    bool eraseCommands(int eraseTimeMs);
    void endMemoryStream();
    void setTargetBit();
    bool lostAnswer(int code);

    // Whether to go on after a word of the memory stream.
    using MemorySink = std::function<bool(int address, std::uint32_t word)>;
    bool streamMemory(ChipSession& session, ProgressWindow& progress, const MemorySink& sink);

    // Program's steps (isp_program.cpp).
    bool programConfiguration(ChipSession& session, std::uint32_t chipFusex);
    bool programMemory(ChipSession& session);
    bool programWord(std::uint32_t word, int rounds);

    PortLink& link_;
    ProgrammerHost& host_;
    ParallelPort& parallel_;
};

} // namespace kavo::programmer
