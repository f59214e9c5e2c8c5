// The serial line to a programmer, one byte at a time: open a device at 57600 baud, 8 data
// bits, no parity and 2 stop bits, send a byte, receive a byte within a time-out, throw away
// pending input. The drivers see only this interface; the termios implementation below drives
// a real port (or a pseudo-terminal in the tests).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kavo::programmer {

class SerialLink {
public:
    virtual ~SerialLink() = default;

    // Opens the device raw (NUL bytes kept) without making it the controlling terminal; an
    // open link is closed first. False with lastError() saying why.
    virtual bool open(const std::string& devicePath) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // False when the byte could not be written (closed link, device gone).
    virtual bool send(std::uint8_t byte) = 0;
    // One byte within timeoutMs; nothing on a time-out, a closed link or a device that hung up.
    virtual std::optional<std::uint8_t> receive(int timeoutMs) = 0;
    // Discards what has been received and not read yet.
    virtual void purgeInput() = 0;

    virtual std::string lastError() const = 0;
};

std::unique_ptr<SerialLink> makeTermiosSerialLink();

// Where "COM1:".."COM4:" (the settings' port names) live on this machine: the prefix with the
// port number less one appended, "/dev/ttyUSB0" for "COM1:" by default.
inline constexpr const char* DefaultComDevicePrefix = "/dev/ttyUSB";

// The device path of a port name: "COMn:" (or "COMn") for n = 1..4 maps through the prefix,
// anything else is taken as a device path as it stands.
std::string serialDevicePath(const std::string& portName,
                             const std::string& comDevicePrefix = DefaultComDevicePrefix);

// The USB serial adapters present in folder ("/dev/ttyUSB0", "/dev/ttyACM0", sorted), which
// the port choices offer beside COM1: to COM4:. The built-in ttyS ports are left out: every
// machine lists dozens of them whether a UART is there or not.
std::vector<std::string> foundSerialDevices(const std::string& folder = "/dev");

} // namespace kavo::programmer
