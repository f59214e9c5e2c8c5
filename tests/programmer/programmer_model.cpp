// ProgrammerModel: the model thread's read loop, its sends and the common faults.
#include "tests/programmer/programmer_model.hpp"

#include <algorithm>

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace kavo::testing {

namespace {
constexpr int PollMs = 10;
}

void ChipModel::erase() {
    std::fill(memory.begin(), memory.end(), 0xFFF);
    fuse = 0xFFF;
    fusex = 0xFFF;
}

void ProgrammerModel::start() {
    thread_ = std::thread([this] { loop(); });
}

void ProgrammerModel::stop() {
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
}

void ProgrammerModel::loop() {
    while (!stopping_ && device_.master() >= 0) {
        pollfd entry{device_.master(), POLLIN, 0};
        if (::poll(&entry, 1, PollMs) <= 0)
            continue;
        std::uint8_t buffer[256];
        const ssize_t got = ::read(device_.master(), buffer, sizeof buffer);
        for (ssize_t n = 0; n < got && device_.master() >= 0; ++n)
            receive(buffer[n]);
    }
}

void ProgrammerModel::receive(std::uint8_t byte) {
    ++received_;
    if (faults.closeAfterBytes >= 0 && received_ > faults.closeAfterBytes) {
        device_.closeMaster();
        return;
    }
    if (faults.silent)
        return;
    if (faults.garbage) {
        noise_ = noise_ * 1103515245 + 12345;
        send(static_cast<std::uint8_t>(noise_ >> 16));
        return;
    }
    std::lock_guard<std::mutex> guard(mutex_);
    onByte(byte);
}

// The master is non-blocking: a full line is waited on, but never past the end of the test.
void ProgrammerModel::send(std::uint8_t byte) {
    while (!stopping_ && device_.master() >= 0) {
        if (::write(device_.master(), &byte, 1) == 1) {
            ++sent_;
            return;
        }
        if (errno != EAGAIN && errno != EINTR)
            return;
        pollfd entry{device_.master(), POLLOUT, 0};
        ::poll(&entry, 1, PollMs);
    }
}

} // namespace kavo::testing
