// Data memory: global and banked registers, BANK, indirect access through FSR, the 48/52
// banking through FSR bit 7, the flat address view, IREAD and the M register, ports and OPTION.
#include "tests/simulator/sx_words.hpp"

#include <gtest/gtest.h>

using namespace sxtest;
using sxsim::Core;
using sxsim::DeviceKind;
namespace reg = sxsim::reg;

namespace {

TEST(Banks, BankedRegistersDifferPerBankGlobalsDoNot) {
    Core core = coreWith({bank(1), movlw(0x11), movwf(0x15), movwf(0x0C), bank(3), movlw(0x33),
                          movwf(0x15), movf(0x0C, W)});
    stepN(core, 8);
    EXPECT_EQ(core.readFlat(1 * 32 + 0x15), 0x11);
    EXPECT_EQ(core.readFlat(3 * 32 + 0x15), 0x33);
    EXPECT_EQ(core.w(), 0x11) << "global 0Ch is the same register in every bank";
    EXPECT_EQ(core.readFlat(0x0C), 0x11);
    EXPECT_EQ(core.readFlat(5 * 32 + 0x0C), 0x11);
    EXPECT_EQ(core.fsr(), 0x60);
}

TEST(Banks, BankKeepsTheLowFsrBitsOnTheSmallCore) {
    Core core = coreWith({movlw(0x1F), movwf(reg::FSR), bank(5)});
    stepN(core, 3);
    EXPECT_EQ(core.fsr(), 0xBF);
}

TEST(Indirect, FsrReachesBanksAndGlobals) {
    Core core = coreWith({movlw(0x57), movwf(reg::FSR), movlw(0xAB), movwf(reg::INDF),
                          movlw(0x49), movwf(reg::FSR), movlw(0xCD), movwf(reg::INDF)});
    stepN(core, 8);
    EXPECT_EQ(core.readFlat(2 * 32 + 0x17), 0xAB) << "FSR 57h: bank 2, register 17h";
    EXPECT_EQ(core.readFlat(0x09), 0xCD) << "FSR 49h has bit 4 clear: global register 09h";
}

TEST(Indirect, IndirectReadAndIncrementWalkAnArray) {
    // Sum the three bytes at 30h..32h (bank 1, registers 10h..12h) into W.
    Core core = coreWith({movlw(0x30), movwf(reg::FSR), clrw(), addwf(reg::INDF, W),
                          incf(reg::FSR, F), addwf(reg::INDF, W), incf(reg::FSR, F),
                          addwf(reg::INDF, W)});
    core.writeFlat(0x30, 1);
    core.writeFlat(0x31, 2);
    core.writeFlat(0x32, 4);
    stepN(core, 8);
    EXPECT_EQ(core.w(), 7);
}

TEST(Indirect, IndfThroughFsrZeroReadsZero) {
    Core core = coreWith({clrf(reg::FSR), movlw(0x99), movwf(reg::INDF), movf(reg::INDF, W)});
    stepN(core, 4);
    EXPECT_EQ(core.w(), 0);
}

TEST(FlatModel, OffsetsBelowSixteenReachTheGlobalsInEveryBank) {
    Core core(sxsim::deviceFor(DeviceKind::SX28));
    EXPECT_EQ(core.flatRamSize(), 256u);
    core.writeFlat(7 * 32 + 0x0A, 0x42);
    EXPECT_EQ(core.readFlat(0x0A), 0x42);
    core.writeFlat(7 * 32 + 0x1F, 0x24);
    EXPECT_EQ(core.readFlat(0xFF), 0x24);
    EXPECT_EQ(core.readFlat(0x1F), 0) << "bank 0 is a different register";
    core.writeFlat(reg::FSR, 0x80);
    EXPECT_EQ(core.fsr(), 0x80);
}

// SX48/52 (data sheet, register access): 16 banks of 16 bytes; BANK sets FSR bits 6:4 and FSR
// bit 7 chooses the lower or upper group of eight banks; semi-direct access (fr 10h..1Fh) uses
// FSR bits 7:4 and reaches bank 0 too; indirect access reaches the globals below FSR 10h and
// banks 1..F above.
TEST(BigCoreBanks, BankSelectsWithinTheGroupFsrBitSevenChoosesTheGroup) {
    Core core = coreWith({bank(3), movlw(0x11), movwf(0x12), bsf(reg::FSR, 7), movlw(0x22),
                          movwf(0x12), bank(0), movlw(0x33), movwf(0x12)},
                         DeviceKind::SX52);
    stepN(core, 9);
    EXPECT_EQ(core.flatRamSize(), 512u);
    EXPECT_EQ(core.readFlat(0x3 * 32 + 0x12), 0x11);
    EXPECT_EQ(core.readFlat(0xB * 32 + 0x12), 0x22);
    EXPECT_EQ(core.readFlat(0x8 * 32 + 0x12), 0x33) << "BANK 0 kept FSR.7: bank 8";
    EXPECT_EQ(core.fsr(), 0x80);
}

TEST(BigCoreBanks, IndirectAccessUsesTheWholeFsr) {
    Core core = coreWith({movlw(0xF3), movwf(reg::FSR), movlw(0x5A), movwf(reg::INDF),
                          movlw(0x0B), movwf(reg::FSR), movlw(0xA5), movwf(reg::INDF)},
                         DeviceKind::SX52);
    stepN(core, 8);
    EXPECT_EQ(core.readFlat(0xF * 32 + 0x13), 0x5A);
    EXPECT_EQ(core.readFlat(0x0B), 0xA5);
}

TEST(BigCoreBanks, PortsRunUpToRegisterNineGlobalsStartAtTen) {
    Core core = coreWith({movlw(0x77), movwf(0x09), movwf(0x0A)}, DeviceKind::SX52);
    stepN(core, 3);
    EXPECT_EQ(core.portLatch(4), 0x77) << "register 09h is port E";
    EXPECT_EQ(core.readFlat(0x0A), 0x77);
}

TEST(ProgramRead, IreadReturnsTheWordAtMAndW) {
    Core core = coreWith({mode(0x03), movlw(0x21), iread(), movwf(0x10), movmw()});
    core.setWord(0x321, 0xABC);
    stepN(core, 4);
    EXPECT_EQ(core.readFlat(0x10), 0xBC);
    EXPECT_EQ(core.m(), 0x0A);
    EXPECT_EQ(core.cycles(), 1u + 1u + 4u + 1u);
    core.step();
    EXPECT_EQ(core.w(), 0x0A);
}

TEST(ModeRegister, MovwmKeepsTheLowNibble) {
    Core core = coreWith({movlw(0xF6), movwm()});
    stepN(core, 2);
    EXPECT_EQ(core.m(), 0x06);
}

TEST(Ports, TrisWithModeFMakesOutputsAndPinsFollowTheLatch) {
    Core core = coreWith({movlw(0xF0), tris(1), movlw(0x5A), movwf(0x06), movf(0x06, W)});
    core.setPortInput(1, 0xC3);
    stepN(core, 5);
    EXPECT_EQ(core.tris(1), 0xF0);
    EXPECT_EQ(core.w(), 0xCA) << "high nibble from the inputs, low nibble from the latch";
}

TEST(Ports, OtherModesWriteOtherControlRegistersNotTris) {
    Core core = coreWith({mode(0x0E), movlw(0x00), tris(1)});
    stepN(core, 3);
    EXPECT_EQ(core.tris(1), 0xFF);
}

TEST(OptionRegister, RtwClearMapsWAtRegisterOne) {
    Core core = coreWith({movlw(0x7F), option(), movlw(0x05), incf(reg::RTCC, F)});
    stepN(core, 4);
    EXPECT_EQ(core.w(), 0x06);
    EXPECT_EQ(core.optionRegister(), 0x7F);
}

} // namespace
