// The parallel port through ppdev: LPT numbers map to /dev/parportN, and a machine without
// the port gets an error naming the device, not a crash.
#include "programmer/parallel_port.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace kavo::programmer {
namespace {

TEST(PpdevParallelPort, PortNumbersNameTheirDevices) {
    EXPECT_EQ(parallelDevicePath(1), "/dev/parport0");
    EXPECT_EQ(parallelDevicePath(3), "/dev/parport2");
    EXPECT_EQ(parallelDevicePath(7), "/dev/parport0"); // anything else is LPT1, as the settings say
}

TEST(PpdevParallelPort, AMissingPortFailsWithItsName) {
    if (std::filesystem::exists(parallelDevicePath(3)))
        GTEST_SKIP() << "this machine has an LPT3";
    const auto port = makePpdevParallelPort(3);
    EXPECT_FALSE(port->setDataBit(4));
    EXPECT_EQ(port->lastError(), "opening /dev/parport2: No such file or directory");
}

} // namespace
} // namespace kavo::programmer
