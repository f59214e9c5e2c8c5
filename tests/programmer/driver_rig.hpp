// One programmer on a pseudo-terminal with everything a chip command needs around it: the
// host, the image and session, the connection naming the device, a fake parallel port.
#pragma once

#include "programmer/programmer_drivers.hpp"
#include "tests/programmer/pty_device.hpp"
#include "tests/programmer/recording_host.hpp"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace kavo::testing {

struct ParallelRecord {
    bool available = true;
    std::vector<int> bitsSet;
};

class FakeParallelPort final : public ParallelPort {
public:
    explicit FakeParallelPort(std::shared_ptr<ParallelRecord> record)
        : record_(std::move(record)) {}
    bool setDataBit(int bit) override {
        if (!record_->available)
            return false;
        record_->bitsSet.push_back(bit);
        return true;
    }
    std::string lastError() const override { return "no parallel port in this test"; }

private:
    std::shared_ptr<ParallelRecord> record_;
};

struct DriverRig {
    explicit DriverRig(const char* programmerType, std::size_t memoryWords = 2048) {
        connection.programmerType = programmerType;
        connection.serialPort = device.path();
        session.memoryWords = memoryWords;
        options.makeParallelPort = [record = parallel](int) {
            return std::make_unique<FakeParallelPort>(record);
        };
    }

    bool run(ChipCommand command) {
        const auto started = std::chrono::steady_clock::now();
        const bool result =
            makeSerialChipCommandRunner(options)->run(command, connection, session, host);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        return result;
    }

    PtyDevice device;
    RecordingHost host;
    ProgramImage image;
    ChipSession session{image};
    ProgrammerConnection connection;
    std::shared_ptr<ParallelRecord> parallel = std::make_shared<ParallelRecord>();
    DriverOptions options;
    double seconds = 0;
};

// What a failed command must leave behind: the tick running again, its dialogs closed, the
// image as it was and the port released (a device that vanished takes its own descriptor).
class FailureWitness {
public:
    explicit FailureWitness(DriverRig& rig)
        : rig_(rig), before_(rig.image.words), descriptors_(openDescriptorCount()) {}

    void expectCleanEnd() const {
        EXPECT_TRUE(rig_.host.tickRunning());
        EXPECT_TRUE(rig_.host.progressEnded());
        EXPECT_EQ(rig_.image.words, before_);
        const int vanished = rig_.device.master() < 0 ? 1 : 0;
        EXPECT_EQ(settledDescriptorCount(descriptors_ - vanished), descriptors_ - vanished)
            << "the port was not released";
    }

private:
    // The process's descriptor count once it reaches `expected`, or after a second: on a
    // loaded machine another thread of the process (the sanitizer's, the model's) may hold
    // a descriptor of its own for a moment. A port never released stays counted.
    static int settledDescriptorCount(int expected) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        int count = openDescriptorCount();
        while (count != expected && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            count = openDescriptorCount();
        }
        return count;
    }

    DriverRig& rig_;
    std::array<std::uint32_t, ProgramMemoryWords> before_;
    int descriptors_;
};

// A program of the given length: mostly programmed words, a few erased ones and runs of them.
inline void fillImage(ProgramImage& image, std::size_t words, std::uint32_t seed = 7) {
    image.erase();
    for (std::size_t a = 0; a < words; ++a) {
        seed = seed * 1103515245 + 12345;
        const std::uint32_t value = (seed >> 12) & 0xFFF;
        image.words[a] = (a % 37 < 5 || value == 0xFFF) ? 0xFFF : value;
    }
}

} // namespace kavo::testing
