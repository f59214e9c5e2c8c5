// Arithmetic and logic instructions: results, destinations and the C, DC and Z flags.
#include "tests/simulator/sx_words.hpp"

#include <gtest/gtest.h>

#include <string>

using namespace sxtest;
using sxsim::Core;
namespace st = sxsim::status;

namespace {

constexpr unsigned kX = 0x10; // a banked register in bank 0

// Runs "MOV W,#w; MOV x,W; MOV W,#x ; <op> x" and returns the core after the op.
Core afterOp(std::uint8_t x, std::uint8_t w, Word op, std::uint8_t initialStatus = 0) {
    Core core = coreWith({movlw(x), movwf(kX), movlw(w), op});
    core.setStatus(initialStatus);
    stepN(core, 4);
    return core;
}

struct AddCase {
    std::uint8_t x, w, sum;
    bool c, dc, z;
};

class AddFlags : public ::testing::TestWithParam<AddCase> {};

TEST_P(AddFlags, ResultAndFlagsFollowTheSum) {
    const AddCase& t = GetParam();
    Core core = afterOp(t.x, t.w, addwf(kX, F));
    EXPECT_EQ(core.readFlat(kX), t.sum);
    EXPECT_EQ(flag(core, st::C), t.c);
    EXPECT_EQ(flag(core, st::DC), t.dc);
    EXPECT_EQ(flag(core, st::Z), t.z);
}

INSTANTIATE_TEST_SUITE_P(Add, AddFlags,
                         ::testing::Values(AddCase{0x01, 0x02, 0x03, false, false, false},
                                           AddCase{0x0F, 0x01, 0x10, false, true, false},
                                           AddCase{0xF0, 0x10, 0x00, true, false, true},
                                           AddCase{0x88, 0x88, 0x10, true, true, false},
                                           AddCase{0xFF, 0x01, 0x00, true, true, true},
                                           AddCase{0x00, 0x00, 0x00, false, false, true}));

struct SubCase {
    std::uint8_t x, w, difference;
    bool c, dc, z; // C and DC set mean "no borrow"
};

class SubFlags : public ::testing::TestWithParam<SubCase> {};

TEST_P(SubFlags, CarryMeansNoBorrow) {
    const SubCase& t = GetParam();
    Core core = afterOp(t.x, t.w, subwf(kX, W));
    EXPECT_EQ(core.w(), t.difference);
    EXPECT_EQ(core.readFlat(kX), t.x) << "result went to W, the register keeps its value";
    EXPECT_EQ(flag(core, st::C), t.c);
    EXPECT_EQ(flag(core, st::DC), t.dc);
    EXPECT_EQ(flag(core, st::Z), t.z);
}

INSTANTIATE_TEST_SUITE_P(Sub, SubFlags,
                         ::testing::Values(SubCase{5, 3, 2, true, true, false},
                                           SubCase{3, 5, 0xFE, false, false, false},
                                           SubCase{0x10, 0x01, 0x0F, true, false, false},
                                           SubCase{0x42, 0x42, 0x00, true, true, true},
                                           SubCase{0x00, 0x01, 0xFF, false, false, false}));

TEST(CarryInputOption, AddAndSubTakeTheCarryWhenFusexSelectsIt) {
    Core add = coreWith({movlw(0x01), movwf(kX), movlw(0x01), addwf(kX, F)});
    add.setFuses(0x0FFF, 0x0FFF & ~sxsim::FUSEX_CARRY_FLAG_OFF);
    add.setStatus(st::C);
    stepN(add, 4);
    EXPECT_EQ(add.readFlat(kX), 3);

    Core sub = coreWith({movlw(0x05), movwf(kX), movlw(0x01), subwf(kX, F)});
    sub.setFuses(0x0FFF, 0x0FFF & ~sxsim::FUSEX_CARRY_FLAG_OFF);
    sub.setStatus(0); // C clear: a borrow is pending
    stepN(sub, 4);
    EXPECT_EQ(sub.readFlat(kX), 3);
}

TEST(CarryInputOption, ErasedFusexLeavesTheCarryOut) {
    Core core = afterOp(0x01, 0x01, addwf(kX, F), st::C);
    EXPECT_EQ(core.readFlat(kX), 2);
}

TEST(Rotates, RightRotateGoesThroughCarry) {
    Core core = afterOp(0x81, 0, rrf(kX, F), st::C);
    EXPECT_EQ(core.readFlat(kX), 0xC0);
    EXPECT_TRUE(flag(core, st::C));
    core = afterOp(0x02, 0, rrf(kX, F), 0);
    EXPECT_EQ(core.readFlat(kX), 0x01);
    EXPECT_FALSE(flag(core, st::C));
}

TEST(Rotates, LeftRotateGoesThroughCarryAndLeavesZAlone) {
    Core core = afterOp(0x80, 0, rlf(kX, W), st::Z);
    EXPECT_EQ(core.w(), 0x00);
    EXPECT_TRUE(flag(core, st::C));
    EXPECT_TRUE(flag(core, st::Z)) << "RL does not touch Z";
    core = afterOp(0x41, 0, rlf(kX, F), st::C);
    EXPECT_EQ(core.readFlat(kX), 0x83);
    EXPECT_FALSE(flag(core, st::C));
}

TEST(Logic, AndOrXorSetZeroOnly) {
    EXPECT_TRUE(flag(afterOp(0xF0, 0x0F, andwf(kX, W), st::C), st::Z));
    EXPECT_TRUE(flag(afterOp(0xF0, 0x0F, andwf(kX, W), st::C), st::C)) << "C untouched";
    EXPECT_EQ(afterOp(0xF0, 0x0F, iorwf(kX, W)).w(), 0xFF);
    EXPECT_EQ(afterOp(0xFF, 0x0F, xorwf(kX, F)).readFlat(kX), 0xF0);
    EXPECT_TRUE(flag(afterOp(0x5A, 0x5A, xorwf(kX, W)), st::Z));
}

TEST(Logic, LiteralFormsWorkOnW) {
    Core core = coreWith({movlw(0x3C), andlw(0x0F), iorlw(0x80), xorlw(0x8C)});
    stepN(core, 4);
    EXPECT_EQ(core.w(), 0x00);
    EXPECT_TRUE(flag(core, st::Z));
}

TEST(IncrementDecrement, WrapAndSetZeroButNotCarry) {
    Core inc = afterOp(0xFF, 0, incf(kX, F));
    EXPECT_EQ(inc.readFlat(kX), 0x00);
    EXPECT_TRUE(flag(inc, st::Z));
    EXPECT_FALSE(flag(inc, st::C));
    Core dec = afterOp(0x00, 0, decf(kX, W));
    EXPECT_EQ(dec.w(), 0xFF);
    EXPECT_FALSE(flag(dec, st::Z));
}

TEST(MovesAndClears, SetZeroAsDocumented) {
    EXPECT_TRUE(flag(afterOp(0x00, 0x55, movf(kX, W)), st::Z));
    EXPECT_EQ(afterOp(0x00, 0x55, movf(kX, W)).w(), 0x00);
    Core clear = afterOp(0x77, 0x55, clrf(kX));
    EXPECT_EQ(clear.readFlat(kX), 0);
    EXPECT_TRUE(flag(clear, st::Z));
    Core clearW = afterOp(0x77, 0x55, clrw());
    EXPECT_EQ(clearW.w(), 0);
    EXPECT_TRUE(flag(clearW, st::Z));
}

TEST(MovesAndClears, MovlwLeavesFlagsAlone) {
    Core core = coreWith({movlw(0)});
    core.setStatus(0);
    core.step();
    EXPECT_FALSE(flag(core, st::Z));
}

TEST(ComplementAndSwap, ComplementSetsZeroSwapSetsNothing) {
    Core com = afterOp(0xFF, 0, comf(kX, F));
    EXPECT_EQ(com.readFlat(kX), 0x00);
    EXPECT_TRUE(flag(com, st::Z));
    Core swap = afterOp(0x00, 0, swapf(kX, W), 0);
    EXPECT_EQ(swap.w(), 0x00);
    EXPECT_FALSE(flag(swap, st::Z)) << "SWAP affects no flag";
    EXPECT_EQ(afterOp(0x3C, 0, swapf(kX, F)).readFlat(kX), 0xC3);
}

TEST(StatusAsDestination, FlagsComeFromTheOperationPageBitsFromTheResult) {
    // STATUS = 0; W = 0xE0; ADD STATUS,W -> result 0xE0: page bits 111, Z/C/DC from the add.
    Core core = coreWith({movlw(0xE0), addwf(sxsim::reg::STATUS, F)});
    core.setStatus(0);
    stepN(core, 2);
    EXPECT_EQ(core.statusRegister() & st::PAGE_MASK, 0xE0);
    EXPECT_FALSE(flag(core, st::Z));
    EXPECT_FALSE(flag(core, st::C));
}

// The flags-win rule belongs to the register reached, not to the number in the instruction:
// with FSR = 03h, INDF is STATUS and every flag-setting operation must leave STATUS as the same
// operation on STATUS itself does (an ADD that stored its raw sum there lost C, DC and Z). The
// 12-bit PIC core the SX follows documents the rule for STATUS as a destination; INDF with
// FSR = 03h reaches that same register.
struct StatusOperation {
    const char* name;
    Word (*op)(unsigned fr, bool d);
};

class StatusThroughIndf : public ::testing::TestWithParam<StatusOperation> {};

// Runs "FSR = 03h; W = 20h; op" from the given STATUS and returns STATUS after it.
std::uint8_t statusAfter(Word op, sxsim::DeviceKind kind, std::uint8_t initialStatus) {
    Core core =
        coreWith({movlw(sxsim::reg::STATUS), movwf(sxsim::reg::FSR), movlw(0x20), op}, kind);
    core.setStatus(initialStatus);
    stepN(core, 4);
    return core.statusRegister();
}

TEST_P(StatusThroughIndf, KeepsTheFlagsAsStatusWrittenDirectlyDoes) {
    const auto& operation = GetParam();
    for (auto kind : {sxsim::DeviceKind::SX28, sxsim::DeviceKind::SX52}) {
        for (std::uint8_t initial : {0xE2, 0xE0, 0x41}) {
            const Word direct = operation.op(sxsim::reg::STATUS, F);
            const Word indirect = operation.op(sxsim::reg::INDF, F);
            EXPECT_EQ(statusAfter(indirect, kind, initial), statusAfter(direct, kind, initial))
                << operation.name << " through INDF with FSR = 03h, STATUS " << int{initial};
        }
    }
}

Word clrfAsFileOp(unsigned fr, bool) {
    return clrf(fr);
}

INSTANTIATE_TEST_SUITE_P(
    FlagSettingOperations, StatusThroughIndf,
    ::testing::Values(StatusOperation{"ADD", addwf}, StatusOperation{"SUB", subwf},
                      StatusOperation{"INC", incf}, StatusOperation{"DEC", decf},
                      StatusOperation{"OR", iorwf}, StatusOperation{"AND", andwf},
                      StatusOperation{"XOR", xorwf}, StatusOperation{"MOV", movf},
                      StatusOperation{"NOT", comf}, StatusOperation{"RR", rrf},
                      StatusOperation{"RL", rlf}, StatusOperation{"CLR", clrfAsFileOp}),
    [](const auto& operationInfo) { return std::string(operationInfo.param.name); });

TEST(StatusAsDestination, AddThroughIndfKeepsCarryAndZero) {
    // STATUS E0h + W 20h = 100h: C and Z set, DC clear; the page bits take the result's 000.
    const std::uint8_t status =
        statusAfter(addwf(sxsim::reg::INDF, F), sxsim::DeviceKind::SX28, 0xE0);
    EXPECT_EQ(status, st::C | st::Z) << "a raw store of the sum would leave STATUS 00h";
}

TEST(StatusAsDestination, PowerDownAndTimeoutBitsAreReadOnly) {
    Core core = coreWith({clrw(), movwf(sxsim::reg::STATUS)});
    stepN(core, 2);
    EXPECT_TRUE(flag(core, st::TO));
    EXPECT_TRUE(flag(core, st::PD));
}

TEST(BitOperations, SetAndClearSingleBits) {
    Core core = coreWith({clrf(kX), bsf(kX, 7), bsf(kX, 0), bcf(kX, 7), bsf(sxsim::reg::STATUS, 0),
                          bcf(sxsim::reg::STATUS, 2)});
    stepN(core, 6);
    EXPECT_EQ(core.readFlat(kX), 0x01);
    EXPECT_TRUE(flag(core, st::C)) << "STC";
    EXPECT_FALSE(flag(core, st::Z)) << "CLZ";
}

} // namespace
