// makeSerialChipCommandRunner: picks the driver by programmer type, opens the serial port for
// one command and releases it when the command ends, on every path.
#include "programmer/blitz_driver.hpp"
#include "programmer/isp_driver.hpp"
#include "programmer/port_link.hpp"
#include "programmer/programmer_drivers.hpp"

#include <algorithm>

namespace kavo::programmer {

namespace {

bool runBlitz(ChipCommand command, BlitzDriver& blitz, ChipSession& session) {
    switch (command) {
    case ChipCommand::Read:
        return blitz.BlitzProgReadClick(session);
    case ChipCommand::Erase:
        return blitz.BlitzProgEraseClick(session);
    case ChipCommand::BlankCheck:
        return blitz.BlitzProgBlankCheckClick(session);
    case ChipCommand::Verify:
        return blitz.BlitzProgVerifyClick(session);
    case ChipCommand::Program:
        return blitz.BlitzProgProgramClick(session);
    }
    return false;
}

bool runIsp(ChipCommand command, IspDriver& isp, ChipSession& session) {
    switch (command) {
    case ChipCommand::Read:
        return isp.OrvoProgReadClick(session);
    case ChipCommand::Erase:
        return isp.OrvoProgEraseClick(session);
    case ChipCommand::BlankCheck:
        return isp.OrvoProgBlankCheckClick(session);
    case ChipCommand::Verify:
        return isp.OrvoProgVerifyClick(session);
    case ChipCommand::Program:
        return isp.OrvoProgProgramClick(session);
    }
    return false;
}

class SerialChipCommandRunner final : public ChipCommandRunner {
public:
    explicit SerialChipCommandRunner(DriverOptions options) : options_(std::move(options)) {
        options_.timing.waitDivisor = std::max(1, options_.timing.waitDivisor);
        options_.timing.timeoutDivisor = std::max(1, options_.timing.timeoutDivisor);
    }

    bool run(ChipCommand command, const ProgrammerConnection& connection, ChipSession& session,
             ProgrammerHost& host) override {
        const bool blitz = connection.programmerType == SxBlitzProgrammer;
        if (!blitz && connection.programmerType != IspProgrammer) {
            host.message(MessageIcon::Error, ProgrammerErrorTitle,
                         command == ChipCommand::Verify ? "Programmer not supported yet."
                                                        : "Programmer not supported yet");
            return false;
        }
        const auto line = options_.makeSerialLink();
        PortLink link(*line, host, connection.serialPort, devicePath(connection), options_.timing);
        if (blitz) {
            BlitzDriver driver(link, host);
            return runBlitz(command, driver, session);
        }
        const auto parallel = options_.makeParallelPort(connection.parallelPort);
        IspDriver driver(link, host, *parallel);
        return runIsp(command, driver, session);
    }

    bool resetTarget(const ProgrammerConnection& connection, ProgrammerHost& host) override {
        if (connection.programmerType == IspProgrammer)
            return true;
        if (connection.programmerType != SxBlitzProgrammer) {
            host.message(MessageIcon::Error, ProgrammerErrorTitle, "Programmer not supported yet");
            return false;
        }
        const auto line = options_.makeSerialLink();
        PortLink link(*line, host, connection.serialPort, devicePath(connection), options_.timing);
        return BlitzDriver(link, host).BlitzSpeedResetClick();
    }

private:
    std::string devicePath(const ProgrammerConnection& connection) const {
        return serialDevicePath(connection.serialPort, options_.comDevicePrefix);
    }

    DriverOptions options_;
};

} // namespace

std::unique_ptr<ChipCommandRunner> makeSerialChipCommandRunner(DriverOptions options) {
    return std::make_unique<SerialChipCommandRunner>(std::move(options));
}

} // namespace kavo::programmer
