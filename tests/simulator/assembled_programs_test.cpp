// Whole programs, assembled by gpasm from tests/simulator/programs, run to their final self-jump
// and leave the register and RAM contents worked out by hand in each program's comments.
#include "simulator/program_loader.hpp"
#include "tests/simulator/assembled_program.hpp"

#include <gtest/gtest.h>

using namespace sxsim;

namespace {

Core runProgram(const std::string& name, DeviceKind kind, const std::string& processor) {
    const auto hex = sxtest::assemble(name, processor);
    EXPECT_FALSE(hex.empty()) << "gpasm could not assemble " << name;
    Core core(deviceFor(kind));
    if (!hex.empty()) {
        loadImage(core, readIntelHexFile(hex.string()));
    }
    EXPECT_EQ(core.run(100000).reason, StopReason::SelfJump);
    return core;
}

TEST(AssembledPrograms, Arithmetic) {
    const Core core = runProgram("arithmetic", DeviceKind::SX28, "sx28");
    EXPECT_EQ(core.readFlat(0x08) | core.readFlat(0x09) << 8, 0x01C8 + 0x00F0);
    EXPECT_EQ(core.readFlat(0x0A), 20);
    EXPECT_EQ(core.readFlat(0x0B), 0) << "no borrow";
    EXPECT_EQ(core.readFlat(0x12) | core.readFlat(0x13) << 8, 13 * 11);
}

TEST(AssembledPrograms, TablesAndCallsAcrossPages) {
    const Core core = runProgram("tables_pages", DeviceKind::SX28, "sx28");
    EXPECT_EQ(core.readFlat(0x08), 'c') << "RETW table entry 2";
    EXPECT_EQ(core.readFlat(0x09), 0x5A) << "set by the routine in page 2";
    EXPECT_EQ(core.readFlat(0x0A), 0x77) << "its RETP value";
    EXPECT_EQ(core.readFlat(0x0B), 0xBC) << "IREAD low byte of 0ABCh";
    EXPECT_EQ(core.readFlat(0x0C), 0x0A) << "IREAD high nibble via M";
    EXPECT_TRUE(core.stack().empty());
}

TEST(AssembledPrograms, BanksAndIndirectAccess) {
    const Core core = runProgram("banks_indirect", DeviceKind::SX28, "sx28");
    for (unsigned i = 0; i < 16; ++i) {
        EXPECT_EQ(core.readFlat(0x70 + i), i + 1);
    }
    EXPECT_EQ(core.readFlat(0x08), 136) << "1 + 2 + ... + 16";
    EXPECT_EQ(core.readFlat(1 * 32 + 0x1F), 136);
    EXPECT_EQ(core.readFlat(5 * 32 + 0x1F), static_cast<std::uint8_t>(~136));
}

TEST(AssembledPrograms, BigCoreBanksAndPages) {
    const Core core = runProgram("big_banks", DeviceKind::SX52, "sx52");
    EXPECT_EQ(core.readFlat(0x2 * 32 + 0x15), 0x22);
    EXPECT_EQ(core.readFlat(0xA * 32 + 0x15), 0xAA);
    EXPECT_EQ(core.readFlat(0x0 * 32 + 0x15), 0x55);
    EXPECT_EQ(core.readFlat(0xF * 32 + 0x13), 0xF0);
    EXPECT_EQ(core.readFlat(0x0F), 0x0E) << "set by the routine in page 7";
}

} // namespace
