// PortLink: the serial port's byte operations with their time-outs and messages.
#include "programmer/port_link.hpp"

#include "compiler/base/text_format.hpp"

#include <algorithm>
#include <chrono>
#include <thread>

namespace kavo::programmer {

namespace {

constexpr int AnswerTimeoutMs = 1000;
constexpr int DrainTimeoutMs = 100;
constexpr int DrainBytes = 50;
constexpr int QuietMs = 100;
constexpr int LongestWaitMs = 2000;

std::uint8_t negated(std::uint8_t byte) {
    return static_cast<std::uint8_t>(256 - byte);
}

} // namespace

PortLink::PortLink(SerialLink& line, ProgrammerHost& host, std::string portName,
                   std::string devicePath, LinkTiming timing)
    : line_(line), host_(host), portName_(std::move(portName)), devicePath_(std::move(devicePath)),
      timing_(timing) {}

PortLink::~PortLink() {
    line_.close();
}

bool PortLink::open() {
    if (line_.open(devicePath_))
        return true;
    // The system's reason ("/dev/ttyUSB0: No such file or directory") is what tells the user
    // what to change; the box carries it too.
    host_.setStatusText(line_.lastError());
    host_.message(MessageIcon::Error, SetupTitle,
                  "Could not Open Serial Port!\n" + line_.lastError());
    return false;
}

bool PortLink::send(std::uint8_t byte) {
    if (!line_.isOpen()) {
        host_.message(MessageIcon::Error, IspCommandTitle, "Serial Port Not Initialized![2]");
        return false;
    }
    traceByte("SENT: %03X\n", byte);
    return line_.send(byte);
}

std::optional<std::uint8_t> PortLink::receive(int timeoutMs) {
    const auto byte = line_.receive(timeout(timeoutMs));
    if (byte)
        traceByte("GOT: %03X\n", *byte);
    return byte;
}

std::optional<std::uint8_t> PortLink::receiveNegated(int timeoutMs) {
    const auto byte = receive(timeoutMs);
    if (!byte)
        return std::nullopt;
    return negated(*byte);
}

std::optional<std::uint8_t> PortLink::sendAndAnswer(std::uint8_t byte) {
    host_.processEvents();
    if (!line_.isOpen()) {
        host_.message(MessageIcon::Error, IspCommandTitle, "Serial Port Not Initialized![1]");
        return std::nullopt;
    }
    traceByte("SENT: %03X\n", byte);
    if (!line_.send(byte))
        return std::nullopt;
    return receive(AnswerTimeoutMs);
}

void PortLink::drain() {
    for (int n = 0; n < DrainBytes; ++n) {
        if (!receiveNegated(DrainTimeoutMs))
            return;
    }
}

void PortLink::discardInput() {
    line_.purgeInput();
}

void PortLink::discardUntilQuiet(int maxBytes) {
    for (int n = 0; n < maxBytes; ++n) {
        if (!line_.receive(QuietMs))
            return;
    }
}

void PortLink::wait(int milliseconds) {
    const int capped = std::clamp(milliseconds, 0, LongestWaitMs);
    std::this_thread::sleep_for(std::chrono::milliseconds(capped / timing_.waitDivisor));
}

int PortLink::timeout(int milliseconds) const {
    return std::max(1, milliseconds / timing_.timeoutDivisor);
}

void PortLink::traceByte(const char* format, std::uint8_t byte) {
    if (trace)
        trace(strprintf(format, byte));
}

} // namespace kavo::programmer
