#include "compiler/preprocessor/preprocessor.hpp"
#include "compiler/run/compilation.hpp"
#include "tests/support/capture_io.hpp"
#include "tests/support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <chrono>

namespace kavo {
namespace {

class PreprocessorTest : public ::testing::Test {
protected:
    // Preprocesses main.c (with the given text) and returns the preprocess output.
    std::string run(const std::string& source) {
        testing::writeFile("main.c", source);
        OutputStream out;
        EXPECT_TRUE(out.open("main.pre"));
        Preprocessor(c, out).preprocess("main.c");
        out.close();
        return testing::readFile("main.pre");
    }

    testing::TempDir dir;
    CompilerSettings settings;
    testing::CaptureIo io;
    Compilation c{settings, io};
};

TEST_F(PreprocessorTest, CommentsAreRemovedAcrossLinesKeepingEveryLine) {
    EXPECT_EQ(run("int a; /* start\n still inside\n end */ int b; // tail\nint c;\n"),
              "int a; \n\n int b; \nint c;\n");
}

TEST_F(PreprocessorTest, DoubleSlashEndsAnOpenBlockComment) {
    EXPECT_EQ(run("/* a // b\nint c;\n"), "\nint c;\n");
}

TEST_F(PreprocessorTest, CommentMarksInsideStringsStillCount) {
    EXPECT_EQ(run("char *s = \"http://x\";\n"), "char *s = \"http:\n");
}

TEST_F(PreprocessorTest, ReplaceWorksInsideIdentifiersAfterUnderscoreOrDigit) {
    EXPECT_EQ(run("#replace PORT RB\nPORT _PORT 1PORT xPORT PORTA PORT2\n"),
              "\nRB _RB 1RB xPORT PORTA RB2\n");
}

TEST_F(PreprocessorTest, ReplaceValueIsTheRestOfTheLine) {
    EXPECT_EQ(run("#replace SET bsf  status ,  0   /* c */\nSET;\n#replace NONE\n[NONE]\n"),
              "\nbsf  status ,  0;\n\n[]\n");
}

TEST_F(PreprocessorTest, DefineReplacesWholeIdentifiersOnly) {
    EXPECT_EQ(run("#define N 5\nN _N N1 1N (N) N_x 0xN\n"), "\n5 _N N1 15 (5) N_x 0xN\n");
}

TEST_F(PreprocessorTest, DefineValueLosesCommentsAndTrailingBlanks) {
    EXPECT_EQ(run("#define V 10 /* ten */\n#define W 3   // three\n[V][W]\n"), "\n\n[10][3]\n");
}

TEST_F(PreprocessorTest, DefineValueExpandsEarlierMacrosOnce) {
    EXPECT_EQ(run("#define A 1\n#define B A+1\n#undef A\nB A\n"), "\n\n\n1+1 A\n");
}

TEST_F(PreprocessorTest, RedefinitionWarnsPerFormAndTheNewValueWins) {
    EXPECT_EQ(run("#define A 1\n#define A 2\n#   define A 3\nA\n"), "\n\n\n3\n");
    EXPECT_EQ(io.messages, "WARNING(C219): A redefined.\nWARNING(C220): A redefined.\n");
    EXPECT_EQ(c.errors(), 0);
}

TEST_F(PreprocessorTest, IfdefElseWritesOnlyTheTakenBranch) {
    EXPECT_EQ(run("#ifdef U\na\n#else\nb\n#endif\nc\n"), "\n\n\nb\n\nc\n");
    EXPECT_EQ(run("#define U\n#ifdef U\na\n#else\nb\n#endif\n"), "\n\na\n\n\n\n");
    EXPECT_EQ(run("#ifndef U\na\n#endif\n"), "\n\n\n") << "U is defined from the last run";
    EXPECT_EQ(c.errors(), 0);
}

TEST_F(PreprocessorTest, ConditionalsDoNotNest) {
    EXPECT_EQ(run("#define D\n#ifdef D\n#ifdef E\nx\n#endif\ny\n#endif\n"), "\n\n\nx\n\ny\n\n");
    EXPECT_EQ(io.messages,
              "ERROR(C95): \"main.c\" Line: 7 found #endif with no matching #ifdef or #ifndef\n");
    EXPECT_EQ(c.errors(), 1);
}

TEST_F(PreprocessorTest, OnlyTheDefineTableCountsForIfdef) {
    EXPECT_EQ(run("#pragma P 1\n#replace R x\n#ifdef P\np\n#endif\n#ifdef R\nr\n#endif\n"),
              "\n\n\n\n\n\n\n\n");
}

TEST_F(PreprocessorTest, DirectivesInsideAnActiveRegionUseTheirRegionCodes) {
    EXPECT_EQ(run("#define A 1\n#define T\n#ifdef T\n#define A 2\n# define A 3\n#pragma Q 7\n"
                  "#vpmem\n# vpmem\n#line 9\nA\n#endif\n"),
              "\n\n\n\n\n\n\n\n\n3\n\n");
    EXPECT_EQ(io.messages, "WARNING(C222): A redefined.\nWARNING(C221): A redefined.\n"
                           "ERROR(C233): Line 7 syntax error for #vpmem\n"
                           "ERROR(C232): Line 8 syntax error for #vpmem\n");
    EXPECT_EQ(c.pragmas.get("Q"), "7");
}

TEST_F(PreprocessorTest, UnknownDirectivesPassThroughOutsideRegions) {
    EXPECT_EQ(run("#define N 4\n#line N x\n#warning N\n"), "\n#line 4 x\n#warning 4\n");
}

TEST_F(PreprocessorTest, UnsupportedAndUnmatchedDirectivesKeepTheLineStructure) {
    EXPECT_EQ(run("#if X\n# if X\n#elif\n# elif\n#else\n# else\n#endif\n# endif\nlast\n"),
              "\n\n\n\n\n\n\n\nlast\n");
    EXPECT_EQ(io.messages,
              "ERROR(C121): \"main.c\" Line: 1 #if preprocessor directive not supported.\n"
              "ERROR(C120): \"main.c\" Line: 2 #if preprocessor directive not supported.\n"
              "ERROR(C123): \"main.c\" Line: 3 #elif preprocessor directive not supported.\n"
              "ERROR(C122): \"main.c\" Line: 4 #elif preprocessor directive not supported.\n"
              "ERROR(C93): \"main.c\" Line: 5 found #else with no matching #ifdef or #ifndef\n"
              "ERROR(C92): \"main.c\" Line: 6 found #else with no matching #ifdef or #ifndef\n"
              "ERROR(C95): \"main.c\" Line: 7 found #endif with no matching #ifdef or #ifndef\n"
              "ERROR(C94): \"main.c\" Line: 8 found #endif with no matching #ifdef or #ifndef\n");
    EXPECT_EQ(c.errors(), 8);
}

TEST_F(PreprocessorTest, ElifInsideARegionEndsIt) {
    EXPECT_EQ(run("#ifdef X\na\n#elif Y\nb\n#endif\n"), "\n\n\nb\n\n");
    EXPECT_EQ(io.messages,
              "ERROR(C125): \"main.c\" Line: 3 #elif preprocessor directive not supported.\n"
              "ERROR(C95): \"main.c\" Line: 5 found #endif with no matching #ifdef or #ifndef\n");
}

TEST_F(PreprocessorTest, AMissingEndifIsReportedAtEndOfFile) {
    EXPECT_EQ(run("#ifdef X\na\n"), "\n\n");
    EXPECT_EQ(io.messages, "ERROR(C68): End of file reached while searching for #else or #endif");
    EXPECT_EQ(c.errors(), 1);
}

TEST_F(PreprocessorTest, IncludeWritesLineMarkersAroundTheIncludedText) {
    testing::writeFile("h.h", "int h;\n");
    EXPECT_EQ(run("int a;\n#include \"h.h\"\nint b;\n"),
              "int a;\n#line 0 h.h\nint h;\n#line 1 main.c\n\nint b;\n");
    EXPECT_EQ(io.messages, "INCLUDING: h.h\n");
}

TEST_F(PreprocessorTest, LinesInsideRegionsAreCountedForLaterMarkers) {
    testing::writeFile("h.h", "\n");
    const std::string out = run("#ifdef Z\na\n#endif\n#include <h.h>\nx\n");
    EXPECT_EQ(out, "\n\n\n#line 0 h.h\n\n#line 3 main.c\n\nx\n");
}

TEST_F(PreprocessorTest, IncludeDirectoryIsPutInFrontOfTheName) {
    testing::writeFile("inc/h.h", "in_inc\n");
    c.pragmas.set("INCLUDE_DIR", "inc/");
    EXPECT_EQ(run("#include \"h.h\"\n"), "#line 0 inc/h.h\nin_inc\n#line 0 main.c\n\n");

    // Without a trailing separator the name is glued to the directory, as written.
    c.pragmas.set("INCLUDE_DIR", "inc");
    run("#include <h.h>\n");
    EXPECT_EQ(io.err, "Cannot open file inch.h to preprocess.\n");
    EXPECT_EQ(c.errors(), 1);
}

TEST_F(PreprocessorTest, AFileThatIncludesItselfIsRefused) {
    testing::writeFile("a.h", "a1\n#include \"b.h\"\n");
    testing::writeFile("b.h", "b1\n#include \"a.h\"\n");
    EXPECT_EQ(run("#include \"a.h\"\nend\n"),
              "#line 0 a.h\na1\n#line 0 b.h\nb1\n\n#line 1 a.h\n\n#line 0 main.c\n\nend\n");
    EXPECT_EQ(io.messages, "INCLUDING: a.h\nINCLUDING: b.h\n"
                           "ERROR(C261): \"b.h\" Line: 2 a.h includes itself.\n");
    EXPECT_EQ(c.errors(), 1);
}

TEST_F(PreprocessorTest, AFileIncludingItselfByAQuotedNameIsRefused) {
    // The name keeps its inner quotes, and the file opened is a.h all the same.
    testing::writeFile("a.h", "#include \"\"a.h\"\n");
    run("#include \"a.h\"\n");
    EXPECT_NE(io.messages.find("ERROR(C261): \"a.h\" Line: 1 a.h includes itself.\n"),
              std::string::npos)
        << io.messages;
    EXPECT_EQ(c.errors(), 1);
}

TEST_F(PreprocessorTest, HeadersIncludingTheNextTwiceStopAfterTheInclusionLimit) {
    // Twenty levels of two includes each would read the last header a million times.
    for (int level = 0; level < 20; ++level) {
        const std::string next = "h" + std::to_string(level + 1) + ".h";
        testing::writeFile("h" + std::to_string(level) + ".h",
                           "#include \"" + next + "\"\n#include \"" + next + "\"\n");
    }
    testing::writeFile("h20.h", "x\n");
    const auto start = std::chrono::steady_clock::now();
    run("#include \"h0.h\"\n");
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
              20.0);
    EXPECT_NE(io.messages.find("#include in one compilation.\n"), std::string::npos);
    const std::string included = "INCLUDING: ";
    std::size_t inclusions = 0;
    for (std::size_t at = io.messages.find(included); at != std::string::npos;
         at = io.messages.find(included, at + 1))
        ++inclusions;
    EXPECT_EQ(inclusions, Preprocessor::MaxInclusions);
}

TEST_F(PreprocessorTest, PragmasAreStoredInOrderAndProcIdValIsNumbered) {
    run("#pragma ROM_END 0x7FF\n#pragma PROC_ID_VAL 1 0x2 03\n#pragma ROM_END 2047\n"
        "#pragma EMPTY\n");
    EXPECT_EQ(io.messages, "WARNING: pragma ROM_END redefined! Replaced 0x7FF with 2047\n");
    ASSERT_EQ(c.pragmas.entries().size(), 5u);
    EXPECT_EQ(c.pragmas.entries()[1].name, "PROC_ID_VAL_0");
    EXPECT_EQ(c.pragmas.get("PROC_ID_VAL_2"), "03");
    EXPECT_FALSE(c.pragmas.has("PROC_ID_VAL"));
    EXPECT_EQ(c.pragmas.get("EMPTY"), "");
    EXPECT_EQ(c.pragmas.number("ROM_END", 511), 2047u);
    EXPECT_EQ(c.pragmas.number("PROC_ID_VAL_2", 0), 3u);
    io.messages.clear();
    EXPECT_EQ(c.pragmas.number("CCTEMP_LOC", 12), 12u);
    EXPECT_EQ(io.messages, "WARNING: pragma CCTEMP_LOC not defined. Defaulting to 12\n");
}

TEST_F(PreprocessorTest, VpmemRecordsRangesAndChecksItsWords) {
    run("#vpmem 0x10 0x12\n#vpmem 20\n#vpmem 1 2 3\n# vpmem\n#vpmem 600\n");
    ASSERT_EQ(c.vpRamReservations.size(), 2u);
    EXPECT_EQ(c.vpRamReservations[0].first, 16u);
    EXPECT_EQ(c.vpRamReservations[0].last, 18u);
    EXPECT_EQ(c.vpRamReservations[1].first, 20u);
    EXPECT_EQ(c.vpRamReservations[1].last, 20u);
    EXPECT_EQ(io.messages, "ERROR(C232): Line 3 syntax error for #vpmem\n"
                           "ERROR(C231): Line 4 syntax error for #vpmem\n"
                           "ERROR(C264): Line 5 #vpmem address outside RAM (0 to 511).\n");
}

TEST_F(PreprocessorTest, LongLinesStayOneLineAndOversizedDirectivesAreRefused) {
    const std::string longLine(1000, 'x');
    std::string manyWords = "#pragma";
    for (int i = 0; i < 64; ++i)
        manyWords += " w";
    const std::string longWord = "#define " + std::string(64, 'L') + " 1";
    EXPECT_EQ(run(longLine + "\n" + manyWords + "\n" + longWord + "\nend\n"),
              longLine + "\n\n\nend\n");
    EXPECT_EQ(io.messages,
              "ERROR(C262): \"main.c\" Line: 2 directive has more than 64 words.\n"
              "ERROR(C263): \"main.c\" Line: 3 directive word longer than 63 characters.\n");
    EXPECT_TRUE(c.defines.entries().empty());
}

TEST_F(PreprocessorTest, CarriageReturnsAndAMissingLastNewlineAreHandled) {
    EXPECT_EQ(run("#define A 1\r\nA\r\nA"), "\n1\n1\n");
}

TEST_F(PreprocessorTest, QuotedFileNamesLoseTheirQuotes) {
    testing::writeFile("q.c", "q\n");
    OutputStream out;
    ASSERT_TRUE(out.open("q.pre"));
    EXPECT_TRUE(Preprocessor(c, out).preprocess("\"q.c\""));
    out.close();
    EXPECT_EQ(testing::readFile("q.pre"), "q\n");
}

} // namespace
} // namespace kavo
