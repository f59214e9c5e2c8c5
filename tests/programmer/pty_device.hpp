// A pseudo-terminal standing in for a serial port: the drivers open its slave side by path,
// a programmer model in the test reads and writes its master side. The test keeps a slave
// descriptor of its own, so the device outlives every open and close by the drivers.
#pragma once

#include <atomic>
#include <string>

namespace kavo::testing {

class PtyDevice {
public:
    PtyDevice();
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    const std::string& path() const { return path_; }
    int master() const { return master_; }
    // The device disappears, as an unplugged adapter does: the drivers see a hang-up.
    void closeMaster();

private:
    std::atomic<int> master_ = -1; // the model's thread may close it
    int slave_ = -1;
    std::string path_;
};

// The number of descriptors this process has open (a released port gives its one back).
int openDescriptorCount();

} // namespace kavo::testing
