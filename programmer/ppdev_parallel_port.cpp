// The parallel port through Linux ppdev: claim the port, read the data latch, write it back
// with the bit set, release it. The latch keeps its value after the release.
#include "programmer/parallel_port.hpp"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kavo::programmer {

namespace {

class PpdevParallelPort final : public ParallelPort {
public:
    explicit PpdevParallelPort(std::string devicePath) : path_(std::move(devicePath)) {}

    bool setDataBit(int bit) override {
        const int fd = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            return fail("opening");
        if (::ioctl(fd, PPCLAIM) != 0) {
            ::close(fd);
            return fail("claiming");
        }
        unsigned char data = 0;
        bool done = ::ioctl(fd, PPRDATA, &data) == 0;
        data = static_cast<unsigned char>(data | (1u << bit));
        done = done && ::ioctl(fd, PPWDATA, &data) == 0;
        if (!done)
            fail("writing the data register of");
        ::ioctl(fd, PPRELEASE);
        ::close(fd);
        return done;
    }

    std::string lastError() const override { return error_; }

private:
    bool fail(const char* what) {
        error_ = std::string(what) + " " + path_ + ": " + std::strerror(errno);
        return false;
    }

    std::string path_;
    std::string error_;
};

} // namespace

std::string parallelDevicePath(int portNumber) {
    const int index = portNumber >= 1 && portNumber <= 3 ? portNumber - 1 : 0;
    return "/dev/parport" + std::to_string(index);
}

std::unique_ptr<ParallelPort> makePpdevParallelPort(int portNumber) {
    return std::make_unique<PpdevParallelPort>(parallelDevicePath(portNumber));
}

} // namespace kavo::programmer
