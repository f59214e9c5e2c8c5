// The serial link on a pseudo-terminal: raw bytes both ways, time-outs, hang-ups, reopening,
// no controlling terminal; and the byte operations above it with their messages.
#include "programmer/port_link.hpp"
#include "tests/programmer/pty_device.hpp"
#include "tests/programmer/recording_host.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace kavo::testing {
namespace {

using ::testing::ElementsAre;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void writeMaster(const PtyDevice& device, const std::vector<std::uint8_t>& bytes) {
    ASSERT_EQ(::write(device.master(), bytes.data(), bytes.size()),
              static_cast<ssize_t>(bytes.size()));
}

std::vector<std::uint8_t> readMaster(const PtyDevice& device, std::size_t count) {
    std::vector<std::uint8_t> bytes;
    const auto start = Clock::now();
    while (bytes.size() < count && secondsSince(start) < 2) {
        std::uint8_t byte;
        if (::read(device.master(), &byte, 1) == 1)
            bytes.push_back(byte);
    }
    return bytes;
}

TEST(TermiosSerialLink, CarriesEveryByteValueUnchangedBothWays) {
    PtyDevice device;
    const auto link = makeTermiosSerialLink();
    ASSERT_TRUE(link->open(device.path())) << link->lastError();
    // NUL, CR, LF, XON, XOFF, ^C, DEL and 0xFF are data, not line control.
    const std::vector<std::uint8_t> awkward{0x00, 0x0D, 0x0A, 0x11, 0x13, 0x03, 0x7F, 0xFF};
    writeMaster(device, awkward);
    std::vector<std::uint8_t> received;
    while (const auto byte = link->receive(500))
        received.push_back(*byte);
    EXPECT_EQ(received, awkward);
    for (std::uint8_t byte : awkward)
        ASSERT_TRUE(link->send(byte));
    EXPECT_EQ(readMaster(device, awkward.size()), awkward);
}

TEST(TermiosSerialLink, ReceiveWaitsItsTimeOutAndLeavesThePortOpen) {
    PtyDevice device;
    const auto link = makeTermiosSerialLink();
    ASSERT_TRUE(link->open(device.path()));
    const auto start = Clock::now();
    EXPECT_EQ(link->receive(150), std::nullopt);
    EXPECT_GE(secondsSince(start), 0.14);
    EXPECT_TRUE(link->isOpen());
    writeMaster(device, {0x42});
    EXPECT_EQ(link->receive(150), 0x42);
}

TEST(TermiosSerialLink, AVanishedDeviceEndsAReceiveAtOnce) {
    PtyDevice device;
    const auto link = makeTermiosSerialLink();
    ASSERT_TRUE(link->open(device.path()));
    device.closeMaster();
    const auto start = Clock::now();
    EXPECT_EQ(link->receive(3000), std::nullopt);
    EXPECT_LT(secondsSince(start), 1.0);
}

TEST(TermiosSerialLink, OpeningAgainClosesFirstAndPurgeDropsPendingInput) {
    PtyDevice device;
    const auto link = makeTermiosSerialLink();
    ASSERT_TRUE(link->open(device.path()));
    const int descriptors = openDescriptorCount();
    ASSERT_TRUE(link->open(device.path())) << link->lastError();
    EXPECT_EQ(openDescriptorCount(), descriptors);
    writeMaster(device, {1, 2, 3});
    ::usleep(50000);
    link->purgeInput();
    EXPECT_EQ(link->receive(100), std::nullopt);
    link->close();
    EXPECT_EQ(openDescriptorCount(), descriptors - 1);
    EXPECT_FALSE(link->send(1));
}

TEST(TermiosSerialLink, RefusesWhatIsNotASerialDevice) {
    const auto link = makeTermiosSerialLink();
    EXPECT_FALSE(link->open("/dev/no-such-port"));
    EXPECT_THAT(link->lastError(), ::testing::HasSubstr("No such file or directory"));
    EXPECT_FALSE(link->open("/dev/null"));
    EXPECT_EQ(link->lastError(), "/dev/null: not a serial device");
    EXPECT_FALSE(link->isOpen());
}

// A session leader without a terminal takes the first terminal it opens as its controlling
// terminal, unless the open says O_NOCTTY. The child reports what happened by exit status.
int controllingTerminalAfterOpen(const std::string& path, bool throughTheLink) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        std::unique_ptr<SerialLink> link;
        if (throughTheLink) {
            link = makeTermiosSerialLink();
            link->open(path);
        } else {
            ::open(path.c_str(), O_RDWR);
        }
        const int tty = ::open("/dev/tty", O_RDWR);
        ::_exit(tty >= 0 ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WEXITSTATUS(status);
}

TEST(TermiosSerialLink, NeverBecomesTheControllingTerminal) {
    PtyDevice device;
    EXPECT_EQ(controllingTerminalAfterOpen(device.path(), false), 1) << "the check itself";
    PtyDevice other;
    EXPECT_EQ(controllingTerminalAfterOpen(other.path(), true), 0);
}

TEST(SerialDevicePath, ComNamesMapThroughThePrefixOtherNamesStand) {
    EXPECT_EQ(serialDevicePath("COM1:"), "/dev/ttyUSB0");
    EXPECT_EQ(serialDevicePath("COM4:"), "/dev/ttyUSB3");
    EXPECT_EQ(serialDevicePath("COM2"), "/dev/ttyUSB1");
    EXPECT_EQ(serialDevicePath("COM3:", "/dev/ttyS"), "/dev/ttyS2");
    EXPECT_EQ(serialDevicePath("COM5:"), "COM5:");
    EXPECT_EQ(serialDevicePath("COM1:x"), "COM1:x");
    EXPECT_EQ(serialDevicePath("/dev/ttyACM0"), "/dev/ttyACM0");
}

TEST(SerialDevicePath, TheUsbAdaptersPresentAreFound) {
    char pattern[] = "/tmp/kavo-dev-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    for (const char* name : {"ttyUSB1", "ttyS0", "ttyACM0", "ttyUSB0", "null"})
        std::fclose(std::fopen((folder + "/" + name).c_str(), "w"));
    EXPECT_EQ(foundSerialDevices(folder),
              (std::vector<std::string>{folder + "/ttyACM0", folder + "/ttyUSB0",
                                        folder + "/ttyUSB1"}));
    std::filesystem::remove_all(folder);
    EXPECT_TRUE(foundSerialDevices(folder).empty()) << "a missing folder holds none";
}

// ---- The byte operations ----

struct LinkRig {
    PtyDevice device;
    RecordingHost host;
    std::unique_ptr<SerialLink> line = makeTermiosSerialLink();
    PortLink link{*line, host, "COM1:", device.path(), LinkTiming{}};
};

TEST(PortLink, NegatedReceiveGivesTheTwosComplement) {
    LinkRig rig;
    ASSERT_TRUE(rig.link.open());
    writeMaster(rig.device, {0x01, 0x00, 0x80, 0xFF});
    EXPECT_EQ(rig.link.receiveNegated(500), 0xFF);
    EXPECT_EQ(rig.link.receiveNegated(500), 0x00);
    EXPECT_EQ(rig.link.receiveNegated(500), 0x80);
    EXPECT_EQ(rig.link.receiveNegated(500), 0x01);
}

TEST(PortLink, DrainCostsOneTimeOutOnASilentLineAndStopsAfterFiftyBytes) {
    LinkRig rig;
    ASSERT_TRUE(rig.link.open());
    auto start = Clock::now();
    rig.link.drain();
    EXPECT_LT(secondsSince(start), 0.19);
    writeMaster(rig.device, std::vector<std::uint8_t>(60, 0x55));
    ::usleep(50000);
    rig.link.drain();
    int left = 0;
    while (rig.link.receive(50))
        ++left;
    EXPECT_EQ(left, 10);
}

TEST(PortLink, SendAndAnswerLetsEventsRunThenReadsThePlainAnswer) {
    LinkRig rig;
    ASSERT_TRUE(rig.link.open());
    writeMaster(rig.device, {0xFE});
    EXPECT_EQ(rig.link.sendAndAnswer(0x33), 0xFE);
    EXPECT_EQ(rig.host.eventsProcessed, 1);
    EXPECT_EQ(readMaster(rig.device, 1), std::vector<std::uint8_t>{0x33});
}

TEST(PortLink, OperationsOnAClosedPortSayWhichOne) {
    LinkRig rig;
    EXPECT_EQ(rig.link.sendAndAnswer(1), std::nullopt);
    EXPECT_FALSE(rig.link.send(1));
    EXPECT_EQ(rig.link.receive(10), std::nullopt);
    EXPECT_THAT(rig.host.texts(),
                ElementsAre("Serial Port Not Initialized![1]", "Serial Port Not Initialized![2]"));
    EXPECT_EQ(rig.host.messages[0].title, "RS232 ISP Command...");
}

TEST(PortLink, AnUnopenablePortIsReportedOnce) {
    RecordingHost host;
    const auto line = makeTermiosSerialLink();
    PortLink link(*line, host, "COM3:", "/dev/no-such-port", LinkTiming{});
    EXPECT_FALSE(link.open());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].title, "RS232 Setup...");
    EXPECT_THAT(host.messages[0].text,
                ::testing::StartsWith("Could not Open Serial Port!\n/dev/no-such-port: "));
}

TEST(PortLink, TraceReportsEveryByteWhenSwitchedOn) {
    LinkRig rig;
    std::vector<std::string> lines;
    rig.link.trace = [&](const std::string& line) { lines.push_back(line); };
    ASSERT_TRUE(rig.link.open());
    writeMaster(rig.device, {0x0A});
    rig.link.sendAndAnswer(0x41);
    EXPECT_THAT(lines, ElementsAre("SENT: 041\n", "GOT: 00A\n"));
}

TEST(PortLink, AWaitIsCappedAtTwoSeconds) {
    LinkRig rig;
    const auto start = Clock::now();
    rig.link.wait(5000);
    const double waited = secondsSince(start);
    EXPECT_GE(waited, 1.99);
    EXPECT_LT(waited, 2.5);
}

} // namespace
} // namespace kavo::testing
