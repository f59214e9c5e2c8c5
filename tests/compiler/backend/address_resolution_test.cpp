#include "tests/compiler/backend/placement_fixture.hpp"

namespace kavo::testing {
namespace {

using AddressResolution = PlacementTest;

TEST_F(AddressResolution, PseudoInstructionsBecomeLiteralLoads) {
    variable("arr", 0x30, 6);
    variable("s", 0x1234);
    op(PIC_SIZEOF, "arr");
    op(PIC_ADDMEMLOC, "arr", -1, 4);
    op(PIC_ADDRESSOF, "arr", -1, 2);
    op(PIC_GETSTRADDRHI, "s");
    op(PIC_GETSTRADDR, "s");
    op(PIC_SETIRP, "arr");
    resolveaddresses(c);
    EXPECT_EQ(listing(), (std::vector<std::string>{"MOVLW 6", "MOVLW 52", "MOVLW 50", "MOVLW 18",
                                                   "MOVLW 52", "BCF @__stat__.7"}));
}

TEST_F(AddressResolution, UpperHalfAddressesFoldOnTheSmallParts) {
    variable("high", 0x130);
    op(PIC_ADDRESSOF, "high");
    op(PIC_SETIRP, "high");
    resolveaddresses(c);
    EXPECT_EQ(listing(), (std::vector<std::string>{"MOVLW 32", "BSF @__stat__.7"}));
}

// STATUS bit 7 is a page bit where there are more than four pages: the upper banks come
// through FSR's own high bit instead, in the chip's FSR form.
TEST_F(AddressResolution, FourKPartsUseTheFsrFormAndLeaveStatusAlone) {
    c.pragmas.set("SX_52_BANKS", "1");
    c.pragmas.set("ROM_END", "4095");
    variable("v", 9 * 32 + 16 + 3);
    variable("g", 0x0A);
    op(PIC_ADDRESSOF, "v");
    op(PIC_SETIRP, "v");
    op(PIC_ADDMEMLOC, "v", -1, 1);
    op(PIC_ADDRESSOF, "g");
    resolveaddresses(c);
    EXPECT_EQ(listing(), (std::vector<std::string>{"MOVLW 147", "MOVLW 148", "MOVLW 10"}));
    EXPECT_EQ(c.errors(), 0);
}

TEST_F(AddressResolution, BankZeroIsRefusedForIndirectAccessOnFourKParts) {
    c.pragmas.set("SX_52_BANKS", "1");
    variable("low", 0x12);
    op(PIC_ADDRESSOF, "low");
    resolveaddresses(c);
    EXPECT_EQ(c.errors(), 1);
    EXPECT_NE(io.messages.find("low lies in bank 0"), std::string::npos);
}

TEST_F(AddressResolution, UnplacedSymbolIsLeftForTheAddressOfStepThenC89) {
    variable("later", -1);
    variable("never", -1);
    Instruction* a = op(PIC_ADDRESSOF, "later");
    op(PIC_ADDRESSOF, "never");
    resolveaddresses(c);
    EXPECT_EQ(a->opcode, PIC_ADDRESSOF);
    findsymin(c, "later", "_GLOBAL_")->addr = 0x15;
    resolveaddressof(c);
    EXPECT_EQ(describe(*a), "MOVLW 21");
    EXPECT_EQ(io.messages, "ERROR(C89): Line: 2 Cannot resolve address for never\n");
    EXPECT_EQ(c.errors(), 1);
}

} // namespace
} // namespace kavo::testing
