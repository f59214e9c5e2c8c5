// The chip command runner of the SX-Blitz and RS232 ISP programmers on a serial port: the
// programmer type text of the connection picks the driver ("SX-Blitz" or "Lumadesk"), the port
// is opened for one command and released when it ends, whatever way it ends.
#pragma once

#include "programmer/chip_commands.hpp"
#include "programmer/parallel_port.hpp"
#include "programmer/serial_link.hpp"

#include <functional>
#include <memory>
#include <string>

namespace kavo::programmer {

// Real times unless a test divides them: waits (the protocol's pauses) and time-outs (how long
// a silent programmer is waited for) are divided separately.
struct LinkTiming {
    int waitDivisor = 1;
    int timeoutDivisor = 1;
};

struct DriverOptions {
    std::string comDevicePrefix = DefaultComDevicePrefix;
    LinkTiming timing;
    std::function<std::unique_ptr<SerialLink>()> makeSerialLink = makeTermiosSerialLink;
    std::function<std::unique_ptr<ParallelPort>(int portNumber)> makeParallelPort =
        makePpdevParallelPort;
};

std::unique_ptr<ChipCommandRunner> makeSerialChipCommandRunner(DriverOptions options = {});

} // namespace kavo::programmer
