// The encoder against the chip's encoding table, and each word run on the simulator's core so
// that the word does on the chip what the instruction says.
#include "tests/compiler/backend/backend_fixture.hpp"

#include "simulator/core.hpp"
#include "simulator/device.hpp"

#include <functional>
#include <vector>

namespace kavo {
namespace {

using testing::BackendTest;

class EncodingTest : public BackendTest {
protected:
    int encode(int opcode, int resolved, int dest = -1, std::string operand = "x",
               int address = 0) {
        Instruction* i = placed(opcode, address, resolved, operand, dest);
        return output::encodeword(c, *i);
    }
};

struct Row {
    int opcode;
    int resolved;
    int word;
};

TEST_F(EncodingTest, EveryOpcodeMatchesTheSxEncodingTable) {
    // Register 0x11, destination F (+32) for the file-register rows; bit 5 for the bit rows.
    const std::vector<Row> rows = {
        {PIC_NOP, 0, 0x000},       {PIC_OPTION, 0, 0x002},   {PIC_SLEEP, 0, 0x003},
        {PIC_CLRWDT, 0, 0x004},    {PIC_TRIS, 6, 0x006},     {PIC_RETURN, 0, 0x00C},
        {PIC_RETP, 0, 0x00D},      {PIC_RETFIE, 0, 0x00E},   {PIC_RETIW, 0, 0x00F},
        {PIC_PAGE, 3, 0x013},      {PIC_BANK, 5, 0x01D},     {PIC_MOVWF, 0x11, 0x031},
        {PIC_JMPW, 0, 0x022},      {PIC_CLRW, 0, 0x040},     {PIC_IREAD, 0, 0x041},
        {PIC_MOVMW, 0, 0x042},     {PIC_MOVWM, 0, 0x043},    {PIC_MODE, 9, 0x059},
        {PIC_MOVLM, 15, 0x05F},    {PIC_CLRF, 0x11, 0x071},  {PIC_SUBWF, 0x31, 0x0B1},
        {PIC_DECF, 0x31, 0x0F1},   {PIC_IORWF, 0x31, 0x131}, {PIC_ANDWF, 0x31, 0x171},
        {PIC_XORWF, 0x31, 0x1B1},  {PIC_ADDWF, 0x31, 0x1F1}, {PIC_MOVF, 0x31, 0x231},
        {PIC_COMF, 0x31, 0x271},   {PIC_INCF, 0x31, 0x2B1},  {PIC_DECFSZ, 0x31, 0x2F1},
        {PIC_RRF, 0x31, 0x331},    {PIC_RLF, 0x31, 0x371},   {PIC_SWAPF, 0x31, 0x3B1},
        {PIC_INCFSZ, 0x31, 0x3F1}, {PIC_BCF, 0xB1, 0x4B1},   {PIC_BSF, 0xB1, 0x5B1},
        {PIC_BTFSC, 0xB1, 0x6B1},  {PIC_BTFSS, 0xB1, 0x7B1}, {PIC_RETLW, 65, 0x841},
        {PIC_CALL, 0x245, 0x945},  {PIC_GOTO, 0x3FF, 0xBFF}, {PIC_MOVLW, 10, 0xC0A},
        {PIC_IORLW, 0x0F, 0xD0F},  {PIC_ANDLW, 0xF0, 0xEF0}, {PIC_XORLW, 0xFF, 0xFFF},
        {PIC_SC, 0, 0x703},        {PIC_CLC, 0, 0x403},      {PIC_CLZ, 0, 0x443},
        {PIC_NOTW, 0, 0xFFF},
    };
    for (const Row& row : rows)
        EXPECT_EQ(encode(row.opcode, row.resolved), row.word) << opcodeName(row.opcode);
    EXPECT_EQ(io.messages, "");
}

TEST_F(EncodingTest, OperandsNeverSpillIntoTheOpcodeBits) {
    EXPECT_EQ(encode(PIC_MOVLW, -7), 0xCF9) << "MOV W,#-7 loads 249, it is no jump";
    EXPECT_EQ(encode(PIC_RETLW, 256 + 65), 0x841);
    EXPECT_EQ(encode(PIC_XORLW, -1), 0xFFF);
    EXPECT_EQ(encode(PIC_GOTO, 0x7FF), 0xBFF) << "nine bits; PAGE supplies the rest";
    EXPECT_EQ(encode(PIC_CALL, 0x645), 0x945);
    EXPECT_EQ(encode(PIC_PAGE, 9), 0x011);
    EXPECT_EQ(io.messages, "");
}

TEST_F(EncodingTest, SkipTestsTheProgramCounterBitItsAddressLeavesSet) {
    EXPECT_EQ(encode(PIC_SKIP, 0, -1, "", 0x100), 0x702) << "even: SB PC.0";
    EXPECT_EQ(encode(PIC_SKIP, 0, -1, "", 0x101), 0x602) << "odd: SNB PC.0";
}

TEST_F(EncodingTest, DataWordIsItsOperandNumber) {
    EXPECT_EQ(encode(PIC_PROGLOC, 0, -1, "2748"), 0xABC);
    EXPECT_EQ(encode(PIC_PROGLOC, 0, -1, "0"), 0);
    EXPECT_EQ(c.errors(), 0);
    EXPECT_EQ(encode(PIC_PROGLOC, 0, -1, "4096"), NoMachineWord);
    EXPECT_EQ(c.errors(), 1);
}

TEST_F(EncodingTest, RecordsWithoutAWordGetNone) {
    for (int opcode :
         {PIC_LABEL, PIC_STRINGLOC, PIC_ORG, PIC_RASMSTART, PIC_RASMEND, PIC_VPSTART, PIC_VPDONE})
        EXPECT_EQ(encode(opcode, 0), NoMachineWord) << opcodeName(opcode);
    EXPECT_EQ(c.errors(), 0);
}

TEST_F(EncodingTest, OpcodesWithoutAnEncodingAreC67) {
    EXPECT_EQ(encode(PIC_SAVEINT, 0), NoMachineWord);
    EXPECT_EQ(encode(PIC_MVFADDR, 0), NoMachineWord);
    EXPECT_EQ(encode(PIC_MOVB, 0), NoMachineWord);
    EXPECT_EQ(encode(PIC_UNKNOWN_INSTRUCTION, 0), NoMachineWord);
    EXPECT_EQ(encode(140, 0), NoMachineWord);
    EXPECT_EQ(io.messages, "ERROR(C67): Unknown instruction: SAVEINT\n"
                           "ERROR(C67): Unknown instruction: MVFADDR\n"
                           "ERROR(C67): Unknown instruction: MOVB\n"
                           "ERROR(C67): Unknown instruction: UNKNOWN_INSTRUCTION\n"
                           "ERROR(C67): Unknown instruction: \n");
    EXPECT_EQ(c.errors(), 5);
}

// A register, bit, MODE or port field that does not fit would become another instruction
// (MOVWF 32 is CLRW, MODE 16 is CLRF 0, TRIS 2 is OPTION): refused instead.
TEST_F(EncodingTest, FieldsThatDoNotFitAreRefused) {
    EXPECT_EQ(encode(PIC_MOVWF, 32, -1, "x"), NoMachineWord);
    EXPECT_EQ(encode(PIC_MODE, 16), NoMachineWord);
    EXPECT_EQ(encode(PIC_TRIS, 2), NoMachineWord);
    EXPECT_EQ(encode(PIC_ADDWF, 64), NoMachineWord);
    EXPECT_EQ(encode(PIC_BSF, 256), NoMachineWord);
    EXPECT_EQ(c.errors(), 5);
    EXPECT_NE(io.messages.find("ERROR: Line: 1 Operand 16 of MODE does not fit the instruction.\n"),
              std::string::npos);
    // The 48/52-pin parts' ports D and E are 0x008 and 0x009.
    EXPECT_EQ(encode(PIC_TRIS, 8), 0x008);
    EXPECT_EQ(encode(PIC_TRIS, 9), 0x009);
}

// --- Encode, then let the simulator's decoder execute the word ---------------------------

class ExecutedWord : public EncodingTest {
protected:
    ExecutedWord() : core(sxsim::deviceFor(sxsim::DeviceKind::SX28)) {
        core.reset();
        core.setPc(0);
    }

    // Places the instruction at address (the rest of memory holds NOPs) and runs one step.
    void run(int opcode, int resolved, int address = 0, std::string operand = "x") {
        const int word = encode(opcode, resolved, -1, operand, address);
        ASSERT_NE(word, NoMachineWord) << opcodeName(opcode);
        for (unsigned a = 0; a < 0x800; ++a)
            core.setWord(a, 0x000);
        core.setWord(static_cast<unsigned>(address), static_cast<std::uint16_t>(word));
        core.setPc(static_cast<unsigned>(address));
        core.step();
    }

    static constexpr unsigned Reg = 0x11;
    sxsim::Core core;
};

struct FileCase {
    int opcode;
    std::function<int(int f, int w)> result;
};

TEST_F(ExecutedWord, FileRegisterOperationsWriteTheDestinationTheyName) {
    const std::vector<FileCase> cases = {
        {PIC_ADDWF, [](int f, int w) { return f + w; }},
        {PIC_SUBWF, [](int f, int w) { return f - w; }},
        {PIC_ANDWF, [](int f, int w) { return f & w; }},
        {PIC_IORWF, [](int f, int w) { return f | w; }},
        {PIC_XORWF, [](int f, int w) { return f ^ w; }},
        {PIC_MOVF, [](int f, int) { return f; }},
        {PIC_COMF, [](int f, int) { return ~f; }},
        {PIC_INCF, [](int f, int) { return f + 1; }},
        {PIC_DECF, [](int f, int) { return f - 1; }},
        {PIC_RLF, [](int f, int) { return f << 1; }}, // carry clear before
        {PIC_RRF, [](int f, int) { return f >> 1; }},
        {PIC_SWAPF, [](int f, int) { return (f << 4) | (f >> 4); }},
    };
    const int f = 0x5A;
    const int w = 0x33;
    for (const FileCase& fc : cases) {
        for (int dest : {0, 1}) {
            core.writeFlat(Reg, f);
            core.setW(w);
            core.setStatus(0);
            run(fc.opcode, static_cast<int>(Reg) + 32 * dest);
            const auto expected = static_cast<std::uint8_t>(fc.result(f, w));
            EXPECT_EQ(dest == 1 ? core.readFlat(Reg) : core.w(), expected)
                << opcodeName(fc.opcode) << " dest " << dest;
            EXPECT_EQ(dest == 1 ? core.w() : core.readFlat(Reg), dest == 1 ? w : f)
                << opcodeName(fc.opcode) << " leaves the other side alone";
        }
    }
}

TEST_F(ExecutedWord, SkipsOnDecrementAndIncrementToZero) {
    core.writeFlat(Reg, 1);
    run(PIC_DECFSZ, Reg + 32);
    EXPECT_EQ(core.readFlat(Reg), 0);
    EXPECT_EQ(core.pc(), 2u);
    core.writeFlat(Reg, 0xFF);
    run(PIC_INCFSZ, Reg + 32);
    EXPECT_EQ(core.pc(), 2u);
    core.writeFlat(Reg, 5);
    run(PIC_INCFSZ, Reg + 32);
    EXPECT_EQ(core.pc(), 1u);
}

TEST_F(ExecutedWord, RegisterOnlyAndBitOperations) {
    core.setW(0x42);
    run(PIC_MOVWF, Reg);
    EXPECT_EQ(core.readFlat(Reg), 0x42);
    run(PIC_CLRF, Reg);
    EXPECT_EQ(core.readFlat(Reg), 0);
    run(PIC_CLRW, 0);
    EXPECT_EQ(core.w(), 0);
    run(PIC_BSF, 5 * 32 + Reg);
    EXPECT_EQ(core.readFlat(Reg), 0x20);
    run(PIC_BTFSS, 5 * 32 + Reg);
    EXPECT_EQ(core.pc(), 2u) << "bit set: skipped";
    run(PIC_BTFSC, 5 * 32 + Reg);
    EXPECT_EQ(core.pc(), 1u);
    run(PIC_BCF, 5 * 32 + Reg);
    EXPECT_EQ(core.readFlat(Reg), 0);
}

TEST_F(ExecutedWord, CarryAndZeroShorthands) {
    core.setStatus(sxsim::status::C | sxsim::status::Z);
    run(PIC_SC, 0);
    EXPECT_EQ(core.pc(), 2u) << "SC skips when the carry is set";
    run(PIC_CLC, 0);
    EXPECT_EQ(core.statusRegister() & sxsim::status::C, 0);
    EXPECT_NE(core.statusRegister() & sxsim::status::Z, 0);
    run(PIC_CLZ, 0);
    EXPECT_EQ(core.statusRegister() & sxsim::status::Z, 0);
    run(PIC_SC, 0);
    EXPECT_EQ(core.pc(), 1u);
}

TEST_F(ExecutedWord, SkipSkipsAtBothParities) {
    for (int address : {0x100, 0x101, 0x1FE, 0x0FF}) {
        run(PIC_SKIP, 0, address);
        EXPECT_EQ(core.pc(), static_cast<unsigned>(address + 2)) << "SKIP at " << address;
    }
}

TEST_F(ExecutedWord, LiteralOperations) {
    run(PIC_MOVLW, -7);
    EXPECT_EQ(core.w(), 249);
    run(PIC_ANDLW, 0x0F);
    EXPECT_EQ(core.w(), 0x09);
    run(PIC_IORLW, 0x30);
    EXPECT_EQ(core.w(), 0x39);
    run(PIC_XORLW, 0xFF);
    EXPECT_EQ(core.w(), 0xC6);
    run(PIC_NOTW, 0);
    EXPECT_EQ(core.w(), 0x39);
}

TEST_F(ExecutedWord, TransfersAndReturns) {
    run(PIC_GOTO, 0x1FF);
    EXPECT_EQ(core.pc(), 0x1FFu);
    run(PIC_CALL, 0x45, 0x10);
    EXPECT_EQ(core.pc(), 0x45u);
    ASSERT_EQ(core.stack().size(), 1u);
    EXPECT_EQ(core.stack()[0], 0x11);
    run(PIC_RETLW, -2, 0x45);
    EXPECT_EQ(core.pc(), 0x11u);
    EXPECT_EQ(core.w(), 0xFE);
    run(PIC_CALL, 0x20);
    run(PIC_RETURN, 0, 0x20);
    EXPECT_EQ(core.pc(), 1u);
    run(PIC_CALL, 0x20);
    run(PIC_RETP, 0, 0x20);
    EXPECT_EQ(core.pc(), 1u);
    core.setW(0x30);
    run(PIC_JMPW, 0);
    EXPECT_EQ(core.pc(), 0x30u);
}

TEST_F(ExecutedWord, PageBankModeAndControlRegisters) {
    run(PIC_PAGE, 3);
    EXPECT_EQ(core.statusRegister() >> 5, 3);
    run(PIC_BANK, 5);
    EXPECT_EQ(core.fsr() >> 5, 5);
    run(PIC_MODE, 9);
    EXPECT_EQ(core.m(), 9);
    run(PIC_MOVLM, 15);
    EXPECT_EQ(core.m(), 15);
    run(PIC_MOVMW, 0);
    EXPECT_EQ(core.w(), 15);
    core.setW(0x5C);
    run(PIC_TRIS, 6);
    EXPECT_EQ(core.tris(1), 0x5C) << "MOV !RB,W with M = 0Fh writes port B's direction";
    core.setW(0x07);
    run(PIC_MOVWM, 0);
    EXPECT_EQ(core.m(), 7);
    core.setW(0x88);
    run(PIC_OPTION, 0);
    EXPECT_EQ(core.optionRegister(), 0x88);
}

TEST_F(ExecutedWord, ProgramMemoryRead) {
    core.setM(0x1);
    core.setW(0x23);
    run(PIC_IREAD, 0);
    core.setWord(0x123, 0xABC);
    core.setM(0x1);
    core.setW(0x23);
    core.setPc(0);
    core.step();
    EXPECT_EQ(core.w(), 0xBC);
    EXPECT_EQ(core.m(), 0xA);
}

TEST_F(ExecutedWord, BankOnTheSixteenBankPartWritesFsrBitsSixToFour) {
    sxsim::Core big(sxsim::deviceFor(sxsim::DeviceKind::SX52));
    big.reset();
    big.setFsr(0x80);
    big.setWord(0, static_cast<std::uint16_t>(encode(PIC_BANK, 3)));
    big.setPc(0);
    big.step();
    EXPECT_EQ(big.fsr(), 0x80 | 0x30) << "bank 3 of the upper group; FSR.7 kept";
}

} // namespace
} // namespace kavo
