#include "debugger/line_map.hpp"

#include <gtest/gtest.h>

namespace kavo::debugger {
namespace {

// A loop as the listing shows it: the loop's set-up and its condition on line 12 with a label
// between them, the body on 13, the jump back on 15; runtime code on a line beyond the source.
const char* const Listing = "              ; Line marks follow\n"
                            "                    ORG 0                        ; Line: 0\n"
                            "000- A20            JMP main                     ; Line: 0\n"
                            "003- C00            MOV W,#0                     ; Line: 12\n"
                            "004- 028            MOV i,W                      ; Line: 12\n"
                            "005-          _LBL_1                             ; Line: 15\n"
                            "005- C05            MOV W,#5                     ; Line: 12\n"
                            "006- 088            MOV W,i-W                    ; Line: 12\n"
                            "007- 2A8            INC i                        ; Line: 13\n"
                            "008- A05            JMP _LBL_1                   ; Line: 15\n"
                            "020- 2A8            INC x                        ; Line: 8300\n"
                            "              ; - 12 Line: 13\n";

TEST(LineMap, ReadsWordsAndLabelsFromTheListing) {
    LineMap map = readListingLines(Listing);
    map.setSourceLineCount(20);
    EXPECT_EQ(map.lineAt(0x004), 12);
    EXPECT_EQ(map.lineAt(0x008), 15);
    EXPECT_FALSE(map.lineAt(0x000)) << "line 0 is no source line";
    EXPECT_FALSE(map.lineAt(0x020)) << "beyond the source: the compiler's own routines";
    EXPECT_FALSE(map.lineAt(0x009));
}

TEST(LineMap, ALabelInsideALineIsAnEntryOfIt) {
    LineMap map = readListingLines(Listing);
    map.setSourceLineCount(20);
    EXPECT_EQ(map.entriesOfLine(12), (std::vector<unsigned>{0x003, 0x005}));
    EXPECT_EQ(map.entriesOfLine(13), (std::vector<unsigned>{0x007}));
    EXPECT_TRUE(map.entriesOfLine(14).empty());
    EXPECT_EQ(map.allEntries(), (std::vector<unsigned>{0x003, 0x005, 0x007, 0x008}));
    EXPECT_EQ(map.firstLineWithCodeFrom(14), 15);
    EXPECT_FALSE(map.firstLineWithCodeFrom(16));
}

TEST(LineMap, ReadsThePcMapOfTheSourceFileOnly) {
    const char* const mapText = "<memory table>\n; NAME ADDR SIZE SCOPE\n"
                                "count           21   1    {GLOBAL}\n;\n"
                                "<pc map>\n; PC LINE FILE\n;-------------\n"
                                "000  11 t1.c\n001  11 t1.c\n008  12 t1.c\n009   3 lib.h\n"
                                "010  12 src/t1.c\n2047   0 t1.c\n";
    const LineMap map = readPcMap(mapText, "/home/me/t1.c");
    EXPECT_EQ(map.lineAt(8), 12) << "decimal addresses, though written with leading zeros";
    EXPECT_EQ(map.lineAt(10), 12);
    EXPECT_FALSE(map.lineAt(9)) << "a line of another file";
    EXPECT_FALSE(map.lineAt(21)) << "the memory table gives no lines";
    EXPECT_EQ(map.entriesOfLine(12), (std::vector<unsigned>{8, 10}))
        << "code of line 12 entered again after the other file's word";
}

TEST(LineMap, ThePcMapTakesTheLinesOfOtherFilesOutOfTheListing) {
    LineMap map = readListingLines(Listing);
    dropOtherFiles(map, "<pc map>\n; PC LINE FILE\n007  13 util.h\n008  15 prog.c\n", "prog.c");
    EXPECT_FALSE(map.lineAt(0x007));
    EXPECT_EQ(map.lineAt(0x008), 15);
    EXPECT_EQ(map.lineAt(0x004), 12) << "words the map does not name keep their line";
}

} // namespace
} // namespace kavo::debugger
