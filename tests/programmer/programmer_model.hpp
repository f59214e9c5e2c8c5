// The far side of the pseudo-terminal: a thread that reads what the drivers send and answers
// as a programmer would. Subclasses hold the protocol; this base holds the thread, the byte
// counts and the faults every programmer can show (silence, garbage, a device that vanishes).
#pragma once

#include "tests/programmer/pty_device.hpp"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace kavo::testing {

struct ModelFaults {
    bool silent = false;       // reads everything, answers nothing
    bool garbage = false;      // answers every byte with a byte of noise
    long closeAfterBytes = -1; // the device vanishes after this many bytes received
};

// The chip behind the programmer: program memory, FUSE, FUSEX and the device word. Programming
// clears bits only, as the flash does; erasing sets every word, FUSE and FUSEX to 0xFFF.
struct ChipModel {
    explicit ChipModel(std::size_t words) : memory(words, 0xFFF) {}
    void erase();

    std::vector<std::uint32_t> memory;
    std::uint32_t fuse = 0xFFF;
    std::uint32_t fusex = 0xFFF;
    std::uint32_t device = 0xFCE;
};

class ProgrammerModel {
public:
    explicit ProgrammerModel(PtyDevice& device) : device_(device) {}
    virtual ~ProgrammerModel() { stop(); }

    ModelFaults faults;

    long bytesReceived() const { return received_; }
    long bytesSent() const { return sent_; }
    std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(mutex_); }
    // True once condition holds, checked under the lock for up to two seconds: the drivers send
    // some commands (a release) without waiting for an answer, so the model may still be
    // reading them when the command returns.
    template <class Condition>
    bool eventually(Condition condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        for (;;) {
            {
                const auto held = lock();
                if (condition())
                    return true;
            }
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

protected:
    // Subclasses start the thread once they are whole and stop it before they are taken apart.
    void start();
    void stop();
    // Called on the model's thread, with the lock held.
    virtual void onByte(std::uint8_t byte) = 0;
    void send(std::uint8_t byte);
    void vanish() { device_.closeMaster(); }

private:
    void loop();
    void receive(std::uint8_t byte);

    PtyDevice& device_;
    std::thread thread_;
    std::atomic<bool> stopping_ = false;
    std::atomic<long> received_ = 0;
    std::atomic<long> sent_ = 0;
    std::uint32_t noise_ = 12345;
    std::mutex mutex_;
};

} // namespace kavo::testing
