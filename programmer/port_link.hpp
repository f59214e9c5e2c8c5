// The byte operations the drivers build on, with their messages: open the port, send a byte,
// receive one (plain or negated), send and read the answer, drain, discard pending input and
// wait. Internal to the drivers.
#pragma once

#include "programmer/chip_commands.hpp"
#include "programmer/programmer_drivers.hpp"
#include "programmer/serial_link.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kavo::programmer {

inline constexpr const char* IspCommandTitle = "RS232 ISP Command...";
inline constexpr const char* SetupTitle = "RS232 Setup...";
inline constexpr const char* ProgrammerErrorTitle = "Programmer Error";

class PortLink {
public:
    // portName is what the user chose ("COM1:" or a path), devicePath where it lives.
    PortLink(SerialLink& line, ProgrammerHost& host, std::string portName, std::string devicePath,
             LinkTiming timing);
    ~PortLink();
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    // Opens (or reopens) the port; "Could not Open Serial Port!" when it fails.
    bool open();
    bool isOpen() const { return line_.isOpen(); }
    const std::string& portName() const { return portName_; }

    // False, with "Serial Port Not Initialized![2]" when the port is not open.
    bool send(std::uint8_t byte);
    std::optional<std::uint8_t> receive(int timeoutMs);
    // The programmer's two's complement form: 256 minus the byte received, modulo 256.
    std::optional<std::uint8_t> receiveNegated(int timeoutMs);
    // Lets events run, sends, and reads the plain answer within 1000 ms;
    // "Serial Port Not Initialized![1]" when the port is not open.
    std::optional<std::uint8_t> sendAndAnswer(std::uint8_t byte);
    // Up to 50 negated receives of 100 ms, stopping at the first that brings nothing.
    void drain();
    void discardInput();
    // Reads and drops bytes until the line has been quiet for 100 ms (at most maxBytes).
    void discardUntilQuiet(int maxBytes);
    // Pauses without letting events run; a request above 2000 ms waits 2000 ms.
    void wait(int milliseconds);

    // Off unless set: each byte sent or received, as "SENT: %03X\n" / "GOT: %03X\n".
    std::function<void(const std::string&)> trace;

private:
    int timeout(int milliseconds) const;
    void traceByte(const char* format, std::uint8_t byte);

    SerialLink& line_;
    ProgrammerHost& host_;
    std::string portName_;
    std::string devicePath_;
    LinkTiming timing_;
};

} // namespace kavo::programmer
