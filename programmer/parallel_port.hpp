// The parallel port's data register, of which the RS232 ISP programmer uses bit 4. On Linux the
// port is reached through ppdev ("/dev/parport0" for LPT1); a machine without one gets a clear
// error, never a crash.
#pragma once

#include <memory>
#include <string>

namespace kavo::programmer {

class ParallelPort {
public:
    virtual ~ParallelPort() = default;

    // Sets one bit of the data register and keeps the others. False with lastError() saying
    // why when the port cannot be reached.
    virtual bool setDataBit(int bit) = 0;
    virtual std::string lastError() const = 0;
};

// LPT1..LPT3 as the settings number them (1..3); any other number means LPT1.
std::unique_ptr<ParallelPort> makePpdevParallelPort(int portNumber);

// The ppdev device of a port number: "/dev/parport0" for LPT1.
std::string parallelDevicePath(int portNumber);

} // namespace kavo::programmer
