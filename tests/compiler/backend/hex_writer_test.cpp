// The Intel HEX object file: records, gaps, configuration words, and the file read back by
// srec_cat and gpdasm.
#include "tests/compiler/backend/backend_fixture.hpp"

#include "tests/support/temp_dir.hpp"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace kavo {
namespace {

using testing::BackendTest;

class HexWriterTest : public BackendTest {
protected:
    // count contiguous MOVLW words from address start, literal = address.
    void program(int start, int count) {
        for (int a = start; a < start + count; ++a)
            placed(PIC_MOVLW, a, a & 0xFF, std::to_string(a & 0xFF));
    }

    std::vector<std::string> records() {
        std::vector<std::string> lines;
        std::istringstream in(hexText());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
};

TEST(HexText, WordsAreWrittenLowByteFirst) {
    EXPECT_EQ(hexword(0x0C0A), "0A0C");
    EXPECT_EQ(hexword(0xFFF), "FF0F");
    EXPECT_EQ(hexword(0), "0000");
    EXPECT_EQ(hexword(0xF7B), "7B0F");
}

TEST(HexText, ChecksumIsTheTwosComplementOfTheByteSum) {
    EXPECT_EQ(hexchecksum(0, 0, 1, ""), 0xFF);
    EXPECT_EQ(hexchecksum(2, 0, 0, "0A0C"), 0xE8);
    EXPECT_EQ(hexchecksum(4, 0, 0, "01020304"), 0xF2);
    // A sum that is a multiple of 256 gives 0, not 256.
    EXPECT_EQ(hexchecksum(1, 0, 0, "FF"), 0);
}

TEST_F(HexWriterTest, LiteralLoadOfTenIsWritten0A0C) {
    placed(PIC_MOVLW, 0, 10, "10");
    EXPECT_EQ(hexText(), ":020000000A0CE8\n:00000001FF\n");
    EXPECT_EQ(c.instructions.head()->word, 0xC0A) << "the word stays on the instruction";
}

TEST_F(HexWriterTest, NineContiguousWordsGiveRecordsOfSixteenAndTwoBytes) {
    c.pragmas.set("ROM_END", "511");
    program(0, 9);
    const auto lines = records();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 9), ":10000000");
    EXPECT_EQ(lines[0].substr(9, 8), "000C010C");
    EXPECT_EQ(lines[1].substr(0, 9), ":02001000");
    EXPECT_EQ(lines[1], ":02001000080CDA");
    EXPECT_EQ(lines[2], ":00000001FF");
    EXPECT_EQ(io.messages, "Program memory used: 9 locations.\n");
}

TEST_F(HexWriterTest, TheResetJumpGetsItsOwnRecord) {
    c.pragmas.set("ROM_END", "0x7FF");
    program(0, 3);
    placed(PIC_GOTO, 0x7FF, 0, "main"); // the reset vector jumps to main at 0
    const auto lines = records();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 9), ":06000000");
    EXPECT_EQ(lines[1], ":020FFE00000AE7") << "byte address 2 x 0x7FF, JMP 0 = 0xA00";
    // The last word but one ends the code; the reset word is counted on top.
    EXPECT_EQ(io.messages, "Program memory used: 4 locations.\n");
}

TEST_F(HexWriterTest, LabelsAndMarkersTakeNoWordAndSplitNothing) {
    placed(PIC_MOVLW, 0, 1, "1");
    placed(PIC_LABEL, 1, 0, "@f");
    placed(PIC_RASMSTART, 1, 0);
    placed(PIC_MOVLW, 1, 2, "2");
    const auto lines = records();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 17), ":04000000010C020C");
    EXPECT_EQ(c.instructions.head()->next->word, NoMachineWord);
}

TEST_F(HexWriterTest, GapsStayAbsentWithoutAVirtualPeripheralImage) {
    program(0, 2);
    program(0x20, 2);
    const auto lines = records();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].substr(0, 9), ":04004000");
}

TEST_F(HexWriterTest, GapsAreFilledFromALoadedVirtualPeripheralImage) {
    c.vpImageLoaded = true;
    c.programImage[3] = 0x123;
    c.pragmas.set("ROM_END", "0x0F");
    program(2, 1);
    program(13, 1);
    const auto lines = records();
    // [0,1] before the code, [3,12] between (8 + 2 words), [14,15] after it.
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], ":04000000FF0FFF0FE0");
    EXPECT_EQ(lines[1].substr(0, 9), ":02000400");
    EXPECT_EQ(lines[2].substr(0, 13), ":100006002301") << "the image's word at 3";
    EXPECT_EQ(lines[3].substr(0, 9), ":04001600") << "records start at the first word they hold";
    EXPECT_EQ(lines[4].substr(0, 9), ":02001A00");
    EXPECT_EQ(lines[5].substr(0, 9), ":04001C00");
}

// Virtual Peripheral code is placed from address 0 again, after code placed higher up.
TEST_F(HexWriterTest, VirtualPeripheralCodeStartsItsOwnRecordsAtZero) {
    c.pragmas.set("ROM_END", "511");
    program(5, 2);
    placed(PIC_VPSTART, 7, 0);
    program(0, 2);
    placed(PIC_VPDONE, 2, 0);
    const auto lines = records();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 9), ":04000A00");
    EXPECT_EQ(lines[1].substr(0, 9), ":04000000");
}

TEST_F(HexWriterTest, AOneWordGapIsNotFilled) {
    c.vpImageLoaded = true;
    c.pragmas.set("ROM_END", "4");
    program(0, 1);
    program(2, 3);
    const auto lines = records();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].substr(0, 9), ":06000400");
}

TEST_F(HexWriterTest, FuseWordWithoutItsLocationLandsAtTheDefault) {
    c.pragmas.set("ROM_END", "511");
    c.pragmas.set("FUSE_WORD_VAL", "0x0F7B");
    program(0, 1);
    const auto lines = records();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], ":023FFE007B0F37") << "byte address 16382";
    EXPECT_NE(io.messages.find("FUSE_WORD_LOC"), std::string::npos) << io.messages;
}

TEST_F(HexWriterTest, ConfigurationRecordsComeInTheirOrder) {
    c.pragmas.set("ROM_END", "511");
    c.pragmas.set("FUSE_WORD_VAL", "0x0F7B");
    c.pragmas.set("FUSE_WORD_LOC", "0x1011");
    c.pragmas.set("FUSEX_WORD_VAL", "0x1F7F"); // held to 16 bits: stays
    c.pragmas.set("FUSEX_WORD_LOC", "0x1010");
    c.pragmas.set("PROC_CODE_WORD_VAL", "0x123");
    c.pragmas.set("PROC_CODE_WORD_LOC", "0x2007");
    c.pragmas.set("PROC_ID_VAL_0", "1");
    c.pragmas.set("PROC_ID_VAL_1", "2");
    c.pragmas.set("PROC_ID_VAL_3", "4"); // after the gap at _2: not part of the list
    c.pragmas.set("PROC_ID_LOC", "0x2000");
    program(0, 1);
    const auto lines = records();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1].substr(0, 17), ":0440000001000200") << "PROC_ID: two words";
    EXPECT_EQ(lines[2].substr(0, 13), ":02400E002301");
    EXPECT_EQ(lines[3].substr(0, 13), ":022020007F1F") << "FUSEX first: its location is lower";
    EXPECT_EQ(lines[4].substr(0, 13), ":022022007B0F");
}

TEST_F(HexWriterTest, FuseComesFirstWhenFusexIsNotLower) {
    c.pragmas.set("ROM_END", "511");
    c.pragmas.set("FUSE_WORD_VAL", "1");
    c.pragmas.set("FUSE_WORD_LOC", "0x1010");
    c.pragmas.set("FUSEX_WORD_VAL", "2");
    c.pragmas.set("FUSEX_WORD_LOC", "0x1010");
    program(0, 1);
    const auto lines = records();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].substr(0, 13), ":022020000100");
    EXPECT_EQ(lines[2].substr(0, 13), ":022020000200");
}

TEST_F(HexWriterTest, SpacedFormForProgramRecordsOnly) {
    c.flags.debugForm = 2;
    c.pragmas.set("ROM_END", "511");
    c.pragmas.set("FUSE_WORD_VAL", "1");
    c.pragmas.set("FUSE_WORD_LOC", "0x1010");
    program(0, 2);
    EXPECT_EQ(hexText(), ":04 0000 00  000C 010C  E3\n"
                         ":022020000100BD\n"
                         ":00 0000 01 FF\n");
}

TEST_F(HexWriterTest, AnInstructionThatCannotBeEncodedLeavesTheFileEmpty) {
    program(0, 2);
    placed(PIC_SAVEINT, 2, 0);
    EXPECT_EQ(hexText(), "");
    EXPECT_EQ(io.messages, "ERROR(C67): Unknown instruction: SAVEINT\n");
}

// --- The file read back by standard tools ------------------------------------------------

std::string commandOutput(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            output += buffer;
        if (pclose(pipe) != 0)
            output += "<exit status not 0>";
    }
    return output;
}

class HexFileTest : public HexWriterTest {
protected:
    void writeFile() {
        OutputStream file;
        ASSERT_TRUE(file.open("prog.hex"));
        writehex(c, file);
        ASSERT_TRUE(file.close());
    }
    testing::TempDir dir;
};

TEST_F(HexFileTest, SrecCatAcceptsTheFileAndGpdasmReadsTheInstructions) {
    if (std::system("command -v srec_cat >/dev/null && command -v gpdasm >/dev/null") != 0)
        GTEST_SKIP() << "srecord or gputils not installed (scripts/install-deps.sh)";
    c.pragmas.set("ROM_END", "0x7FF");
    c.pragmas.set("FUSE_WORD_VAL", "0x0F7B");
    c.pragmas.set("FUSE_WORD_LOC", "0x1010");
    placed(PIC_MOVLW, 0, 10, "10");
    placed(PIC_MOVWF, 1, 0x10, "x");
    placed(PIC_ADDWF, 2, 0x30, "x", 1);
    placed(PIC_BTFSC, 3, 0x43, "@__stat__", 2);
    placed(PIC_CALL, 4, 0x05, "f");
    placed(PIC_PAGE, 5, 1);
    placed(PIC_BANK, 6, 3);
    placed(PIC_IREAD, 7, 0);
    placed(PIC_RETLW, 8, 65, "65");
    placed(PIC_GOTO, 9, 0, "main");
    placed(PIC_GOTO, 0x7FF, 0, "main");
    writeFile();
    EXPECT_EQ(commandOutput("srec_cat prog.hex -intel -o /dev/null 2>&1"), "");
    const std::string listing = commandOutput("gpdasm -p sx28 prog.hex");
    for (const char* line :
         {"000:  c0a  movlw   0x0a", "001:  030  movwf   0x10", "002:  1f0  addwf   0x10, 0x1",
          "003:  643  btfsc   0x03, 0x2", "005:  011  page    0x200", "006:  01b  bank    0x60",
          "007:  041  iread", "008:  841  retlw   0x41"})
        EXPECT_NE(listing.find(line), std::string::npos) << line << "\n" << listing;
    // gpdasm's SX table prints CALL and JMP words as "dw"; the 12-bit PIC core it knows as
    // 16c54 shares their encoding (CALL 9kk, GOTO Akk-Bkk) and names them.
    EXPECT_NE(listing.find("004:  905  dw      0x0905"), std::string::npos) << listing;
    const std::string pic = commandOutput("gpdasm -p 16c54 prog.hex");
    EXPECT_NE(pic.find("004:  905  call    0x005"), std::string::npos) << pic;
    EXPECT_NE(pic.find("009:  a00  goto    0x000"), std::string::npos) << pic;
}

} // namespace
} // namespace kavo
