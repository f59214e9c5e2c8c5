// The serial link on a POSIX terminal device: raw 57600 8N2 through termios, reads bounded by
// poll(), exclusive use while open.
#include "programmer/serial_link.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace kavo::programmer {

namespace {

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Raw bytes both ways: no echo, no line editing, no translation of CR/LF, NUL bytes and
// break conditions kept as data, no software or hardware flow control.
bool setLineSettings(int fd, std::string& error) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        error = systemError("reading the line settings");
        return false;
    }
    ::cfmakeraw(&settings);
    settings.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | IGNPAR | IXON | IXOFF | IXANY);
    settings.c_cflag &= ~static_cast<tcflag_t>(PARENB | CSIZE | CRTSCTS);
    settings.c_cflag |= CS8 | CSTOPB | CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (::cfsetispeed(&settings, B57600) != 0 || ::cfsetospeed(&settings, B57600) != 0 ||
        ::tcsetattr(fd, TCSANOW, &settings) != 0) {
        error = systemError("setting 57600 baud, 8 data bits, 2 stop bits");
        return false;
    }
    return true;
}

class TermiosSerialLink final : public SerialLink {
public:
    ~TermiosSerialLink() override { close(); }

    bool open(const std::string& devicePath) override {
        close();
        // O_NONBLOCK keeps the open from waiting for a carrier; reads are bounded by poll().
        const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            error_ = systemError(devicePath);
            return false;
        }
        if (!::isatty(fd)) {
            error_ = devicePath + ": not a serial device";
            ::close(fd);
            return false;
        }
        if (!setLineSettings(fd, error_)) {
            ::close(fd);
            return false;
        }
        ::ioctl(fd, TIOCEXCL); // not shared, as a COM port is
        ::tcflush(fd, TCIOFLUSH);
        fd_ = fd;
        return true;
    }

    void close() override {
        if (fd_ < 0)
            return;
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }

    bool isOpen() const override { return fd_ >= 0; }

    bool send(std::uint8_t byte) override {
        if (fd_ < 0)
            return false;
        for (;;) {
            const ssize_t written = ::write(fd_, &byte, 1);
            if (written == 1)
                return true;
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0 && errno == EAGAIN && waitFor(POLLOUT, 1000))
                continue;
            error_ = systemError("writing to the serial device");
            return false;
        }
    }

    std::optional<std::uint8_t> receive(int timeoutMs) override {
        if (fd_ < 0 || !waitFor(POLLIN, timeoutMs))
            return std::nullopt;
        std::uint8_t byte = 0;
        for (;;) {
            const ssize_t got = ::read(fd_, &byte, 1);
            if (got == 1)
                return byte;
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                error_ = systemError("reading from the serial device");
            return std::nullopt;
        }
    }

    void purgeInput() override {
        if (fd_ >= 0)
            ::tcflush(fd_, TCIFLUSH);
    }

    std::string lastError() const override { return error_; }

private:
    // True when the event came within the time; a hang-up or error ends the wait at once.
    bool waitFor(short event, int timeoutMs) {
        pollfd entry{fd_, event, 0};
        for (;;) {
            const int ready = ::poll(&entry, 1, timeoutMs < 0 ? 0 : timeoutMs);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                return false;
            if (entry.revents & event)
                return true;
            error_ = "the serial device hung up";
            return false;
        }
    }

    int fd_ = -1;
    std::string error_;
};

} // namespace

std::unique_ptr<SerialLink> makeTermiosSerialLink() {
    return std::make_unique<TermiosSerialLink>();
}

std::string serialDevicePath(const std::string& portName, const std::string& comDevicePrefix) {
    const bool comName = (portName.size() == 4 || (portName.size() == 5 && portName[4] == ':')) &&
                         portName.compare(0, 3, "COM") == 0 && portName[3] >= '1' &&
                         portName[3] <= '4';
    if (!comName)
        return portName;
    return comDevicePrefix + std::to_string(portName[3] - '1');
}

std::vector<std::string> foundSerialDevices(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> found;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.starts_with("ttyUSB") || name.starts_with("ttyACM"))
            found.push_back(entry->path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace kavo::programmer
