// The assembly source writer: header, ORG and comment lines, the SX mnemonics, assembler
// names and the listing-mode columns.
#include "tests/compiler/backend/backend_fixture.hpp"

#include "compiler/base/text_format.hpp"

#include <vector>

namespace kavo {
namespace {

using testing::BackendTest;

// The layout of one code line: six blanks, the text in 25 columns, fifteen blanks.
std::string code(const std::string& text, int line) {
    return strprintf("      %-25s               ; Line: %d\n", text.c_str(), line);
}

const std::string Header = "\tDEVICE PAGES4,BANKS8\n"
                           "\tDEVICE STACKX,OPTIONX\n"
                           ";            Assembly code starts here                   \n"
                           ";--------------------------------------------------------\n";

class AsmWriterTest : public BackendTest {
protected:
    AsmWriterTest() {
        c.pragmas.set("ROM_END", "0x7FF");
        emit(c, PIC_LABEL, "@@@@@");
    }

    std::string textOf(int opcode, std::string operand, int dest = -1, int resolved = 0,
                       int offset = 0, std::string scope = "_GLOBAL_") {
        Instruction* i = placed(opcode, 0, resolved, operand, dest);
        i->offset = offset;
        i->scope = scope;
        return output::instructionText(c, *i);
    }
};

TEST_F(AsmWriterTest, AProgramWithItsHeaderOrgAndLineComments) {
    placed(PIC_LABEL, 0, 0, "@main", -1, 3);
    placed(PIC_MOVLW, 0, 10, "10", -1, 4);
    placed(PIC_MOVWF, 1, 0x10, "x", -1, 4);
    placed(PIC_GOTO, 2, 2, "@main_END", -1, 5);
    placed(PIC_LABEL, 3, 0, "@main_END", -1, 5);
    EXPECT_EQ(asmText(), Header + ";\n" + code("ORG 0", 3) +
                             "Amain                                         ; Line: 3\n" + ";\n" +
                             code("MOV W,#10", 4) + code("MOV x,W", 4) + ";\n" +
                             code("JMP Amain_END", 5) +
                             "Amain_END                                     ; Line: 5\n");
}

TEST_F(AsmWriterTest, AGapInTheAddressesWritesAnotherOrg) {
    placed(PIC_NOP, 0, 0);
    placed(PIC_NOP, 1, 0);
    placed(PIC_NOP, 0x180, 0);
    placed(PIC_GOTO, 0x7FF, 0, "@main", -1, 9);
    EXPECT_EQ(asmText(), Header + ";\n" + code("ORG 0", 1) + code("NOP", 1) + code("NOP", 1) +
                             code("ORG 384", 1) + code("NOP", 1) + ";\n" + code("ORG 2047", 9) +
                             code("JMP Amain", 9));
}

using AsmWriterWithoutRomEnd = BackendTest;

TEST_F(AsmWriterWithoutRomEnd, MissingRomEndWarnsAndGivesOnePage) {
    EXPECT_EQ(asmText().substr(0, 22), "\tDEVICE PAGES1,BANKS8\n");
    EXPECT_NE(io.messages.find("ROM_END"), std::string::npos);
}

TEST_F(AsmWriterTest, DebugFormHeaderAndListingMargin) {
    c.flags.debugForm = 1;
    placed(PIC_NOP, 5, 0);
    const std::string m(14, ' ');
    EXPECT_EQ(asmText(1, m),
              m + "\tDEVICE PAGES4,BANKS8\n" + m + "\tDEVICE STACKX,OPTIONX\n" + m +
                  ";SCOPE          PC    OPCODE     VARIABLE/LABEL (OFFSET),DEST SOURCE-LINE\n" +
                  m +
                  ";------------------------------------------------------------------------\n" +
                  m + ";\n" + m + code("ORG 5", 1) + "005-          " + code("NOP", 1));
}

TEST_F(AsmWriterTest, ListingModeShowsAddressAndWord) {
    placed(PIC_LABEL, 0x1A, 0, "@f");
    placed(PIC_MOVLW, 0x1A, 10, "10")->word = 0xC0A;
    const std::string text = asmText(1, std::string(14, ' '));
    EXPECT_NE(text.find("01A-          Af                        "), std::string::npos) << text;
    EXPECT_NE(text.find("01A- C0A      " + code("MOV W,#10", 1)), std::string::npos) << text;
}

TEST_F(AsmWriterTest, AtSignsBecomeAInPlaceUnlessTheFlagKeepsThem) {
    Instruction* call = placed(PIC_CALL, 0, 0, "@f");
    asmText();
    EXPECT_EQ(call->operand, "Af") << "later writers see the replaced name";

    Instruction* jump = placed(PIC_GOTO, 1, 0, "@g");
    c.flags.replaceAtFlag = 1;
    EXPECT_NE(asmText().find(code("JMP @g", 1)), std::string::npos);
    EXPECT_EQ(jump->operand, "@g");
}

TEST_F(AsmWriterTest, RawAssemblyMarkersAndPseudoInstructionsWriteNothing) {
    placed(PIC_NOP, 0, 0);
    placed(PIC_RASMSTART, 1, 0);
    placed(PIC_STRINGLOC, 1, 0, "strings");
    placed(PIC_SAVEINT, 1, 0, "", -1, 7);
    placed(PIC_RASMEND, 1, 0);
    placed(PIC_NOP, 2, 0); // a record without text still counts its word
    EXPECT_EQ(asmText(), Header + ";\n" + code("ORG 0", 1) + code("NOP", 1) + code("NOP", 1));
}

TEST_F(AsmWriterTest, TwoFormInstructionsFollowTheDestination) {
    struct Row {
        int opcode;
        const char* toRegister;
        const char* toW;
    };
    const std::vector<Row> rows = {
        {PIC_ADDWF, "ADD x,W", "ADD W,x"},      {PIC_ANDWF, "AND x,W", "AND W,x"},
        {PIC_COMF, "NOT x", "MOV W,/x"},        {PIC_DECF, "DEC x", "MOV W,--x"},
        {PIC_DECFSZ, "DECSZ x", "MOVSZ W,--x"}, {PIC_INCF, "INC x", "MOV W,++x"},
        {PIC_INCFSZ, "INCSZ x", "MOVSZ W,++x"}, {PIC_IORWF, "OR x,W", "OR W,x"},
        {PIC_MOVF, "TEST x", "MOV W,x"},        {PIC_RLF, "RL x", "MOV W,<<x"},
        {PIC_RRF, "RR x", "MOV W,>>x"},         {PIC_SUBWF, "SUB x,W", "MOV W,x-W"},
        {PIC_SWAPF, "SWAP x", "MOV W,<>x"},     {PIC_XORWF, "XOR x,W", "XOR W,x"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(textOf(row.opcode, "x", 1), row.toRegister);
        EXPECT_EQ(textOf(row.opcode, "x", 0), row.toW);
        EXPECT_EQ(textOf(row.opcode, "x", -1), row.toW) << "0 or less: to W";
    }
    EXPECT_EQ(textOf(PIC_ADDWF, "@__pc__", 1), "JMP PC+W");
    EXPECT_EQ(textOf(PIC_ADDWF, "A__pc__", 1), "JMP PC+W") << "after the in-place replacement";
    EXPECT_EQ(textOf(PIC_ADDWF, "@__pc__", 0), "ADD W,@__pc__");
}

TEST_F(AsmWriterTest, OneFormInstructions) {
    EXPECT_EQ(textOf(PIC_CLRF, "x"), "CLR x");
    EXPECT_EQ(textOf(PIC_MOVWF, "x"), "MOV x,W");
    EXPECT_EQ(textOf(PIC_TRIS, "RB"), "MOV !RB,W");
    EXPECT_EQ(textOf(PIC_BCF, "x", 3), "CLRB x.3");
    EXPECT_EQ(textOf(PIC_BSF, "x", 7), "SETB x.7");
    EXPECT_EQ(textOf(PIC_BTFSC, "x", 0), "SNB x.0");
    EXPECT_EQ(textOf(PIC_BTFSS, "x", 1), "SB x.1");
    EXPECT_EQ(textOf(PIC_BCF, "@__stat__", 0), "CLC");
    EXPECT_EQ(textOf(PIC_BCF, "@__stat__", 2), "CLZ");
    EXPECT_EQ(textOf(PIC_BCF, "@__stat__", 1), "CLRB @__stat__.1");
    EXPECT_EQ(textOf(PIC_BSF, "@__stat__", 0), "SETB @__stat__.0");
    EXPECT_EQ(textOf(PIC_ANDLW, "15"), "AND W,#15");
    EXPECT_EQ(textOf(PIC_IORLW, "1"), "OR W,#1");
    EXPECT_EQ(textOf(PIC_XORLW, "255"), "XOR W,#255");
    EXPECT_EQ(textOf(PIC_MOVLW, "249"), "MOV W,#249") << "the text as resolved, decimal";
    EXPECT_EQ(textOf(PIC_RETLW, "65"), "RETW 65");
    EXPECT_EQ(textOf(PIC_CALL, "f"), "CALL f");
    EXPECT_EQ(textOf(PIC_GOTO, "l"), "JMP l");
    EXPECT_EQ(textOf(PIC_MODE, "9"), "MODE 9");
    EXPECT_EQ(textOf(PIC_MOVLM, "15"), "MOV M,#15");
    EXPECT_EQ(textOf(PIC_PROGLOC, "72"), "DW 72");
    EXPECT_EQ(textOf(PIC_ORG, "256"), "ORG 256");
    const std::vector<std::pair<int, const char*>> fixed = {
        {PIC_CLRW, "CLR W"},    {PIC_NOP, "NOP"},       {PIC_CLRWDT, "CLR !WDT"},
        {PIC_RETFIE, "RETI"},   {PIC_RETURN, "RET"},    {PIC_RETP, "RETP"},
        {PIC_RETIW, "RETIW"},   {PIC_SLEEP, "SLEEP"},   {PIC_OPTION, "MOV !OPTION,W"},
        {PIC_JMPW, "JMP W"},    {PIC_SC, "SC"},         {PIC_NOTW, "NOT W"},
        {PIC_CLC, "CLC"},       {PIC_CLZ, "CLZ"},       {PIC_SKIP, "SKIP"},
        {PIC_MOVMW, "MOV W,M"}, {PIC_MOVWM, "MOV M,W"}, {PIC_IREAD, "IREAD"},
    };
    for (const auto& [opcode, text] : fixed)
        EXPECT_EQ(textOf(opcode, ""), text);
    EXPECT_EQ(textOf(PIC_MVFADDR, "x"), "") << "no generator rewrites it: no text";
}

TEST_F(AsmWriterTest, PageAndBankPrintAddresses) {
    EXPECT_EQ(textOf(PIC_PAGE, "1", -1, 1), "PAGE 512");
    EXPECT_EQ(textOf(PIC_BANK, "3", -1, 3), "BANK 96");
}

// The 16-bank parts' BANK writes FSR bits 6:4, and the assembler reads the same bits of its
// operand: bank 3 is written 48 there, which assembles to the word the encoder makes (0x01B).
TEST_F(AsmWriterTest, BankOnTheSixteenBankPartPrintsTheBitsItWrites) {
    c.pragmas.set("SX_52_BANKS", "1");
    Instruction* bank = placed(PIC_BANK, 0, 3, "3");
    EXPECT_EQ(output::instructionText(c, *bank), "BANK 48");
    EXPECT_EQ(output::encodeword(c, *bank), 0x01B);
}

TEST_F(AsmWriterTest, NamesInSeveralScopesAndByteOffsets) {
    EXPECT_EQ(textOf(PIC_MOVWF, "i", -1, 0, 0, "f"), "MOV i,W");
    EXPECT_EQ(textOf(PIC_MOVWF, "i", -1, 0, 0, "g"), "MOV i_0,W");
    EXPECT_EQ(textOf(PIC_MOVWF, "i", -1, 0, 0, "f"), "MOV i,W") << "the first scope keeps i";
    EXPECT_EQ(textOf(PIC_MOVWF, "j", -1, 0, 0, "f"), "MOV j,W");
    EXPECT_EQ(textOf(PIC_MOVWF, "j", -1, 0, 0, "h"), "MOV j_1,W") << "the counter is run-wide";
    EXPECT_EQ(textOf(PIC_MOVWF, "i", -1, 0, 1, "g"), "MOV i_0_1,W") << "byte 1 of g's i";
    EXPECT_EQ(textOf(PIC_MOVWF, "i", -1, 0, -1, "f"), "MOV i,W") << "a negative offset";
    EXPECT_EQ(textOf(PIC_MOVWF, "12", -1, 0, 0, "f"), "MOV 12,W");
    EXPECT_EQ(textOf(PIC_MOVWF, "12", -1, 0, 1, "f"), "MOV 13,W") << "the byte reached";
    EXPECT_EQ(textOf(PIC_BTFSC, "i", 7, 0, 1, "g"), "SNB i_0_1.7");
}

// The listing is written after the assembly file, from operands already rewritten: both must
// show the same names.
TEST_F(AsmWriterTest, TheListingNamesWhatTheAssemblyFileNames) {
    placed(PIC_MOVWF, 0, 0x10, "i", -1, 1)->scope = "f";
    placed(PIC_MOVWF, 1, 0x11, "i", -1, 1)->scope = "g";
    placed(PIC_MOVWF, 2, 0x12, "@__SxItmp_", -1, 1)->scope = "_GLOBAL_";
    placed(PIC_MOVWF, 3, 0x13, "A__SxItmp_", -1, 1)->scope = "h";
    const std::string assembly = asmText();
    const std::string listing = asmText(1, std::string(14, ' '));
    for (const char* text : {"MOV i,W", "MOV i_0,W", "MOV A__SxItmp_,W", "MOV A__SxItmp__1,W"}) {
        EXPECT_NE(assembly.find(code(text, 1)), std::string::npos) << text << "\n" << assembly;
        EXPECT_NE(listing.find(code(text, 1)), std::string::npos) << text << "\n" << listing;
    }
}

TEST_F(AsmWriterTest, DataWordsShowTheirCharactersInTheComment) {
    auto dataWord = [&](int address, int first, int second) {
        Instruction* i = placed(PIC_PROGLOC, address, 0, std::to_string(first));
        i->value = first;
        i->secondValue = second;
    };
    dataWord(0, 'H', 'i');
    dataWord(1, 'H', 0);
    dataWord(2, 10, 'i');
    dataWord(3, 10, 0);
    dataWord(4, 127, 31);
    const std::string text = asmText();
    auto line = [](const char* dw, const char* tail) {
        return strprintf("      %-25s               ; Line: 1%s\n", dw, tail);
    };
    EXPECT_NE(text.find(line("DW 72", ", 'H', 'i'")), std::string::npos) << text;
    EXPECT_NE(text.find(line("DW 72", ", 'H'")), std::string::npos);
    EXPECT_NE(text.find(line("DW 10", ",    , 'i'")), std::string::npos);
    EXPECT_NE(text.find(line("DW 10", "")), std::string::npos);
    EXPECT_NE(text.find(line("DW 127", "")), std::string::npos);
}

} // namespace
} // namespace kavo
