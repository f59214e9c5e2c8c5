// PtyDevice: openpty with the slave in raw mode, the master non-blocking.
#include "tests/programmer/pty_device.hpp"

#include <filesystem>
#include <stdexcept>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace kavo::testing {

PtyDevice::PtyDevice() {
    char name[256] = {};
    int master = -1;
    if (::openpty(&master, &slave_, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    master_ = master;
    termios settings{};
    ::tcgetattr(slave_, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(slave_, TCSANOW, &settings);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    path_ = name;
}

PtyDevice::~PtyDevice() {
    closeMaster();
    if (slave_ >= 0)
        ::close(slave_);
}

// Marked closed before it is closed, so whoever sees the hang-up also sees it gone.
void PtyDevice::closeMaster() {
    const int master = master_.exchange(-1);
    if (master >= 0)
        ::close(master);
}

int openDescriptorCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

} // namespace kavo::testing
