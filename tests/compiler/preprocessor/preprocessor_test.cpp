#include "compiler/preprocessor/preprocessor.hpp"
#include "compiler/run/compilation.hpp"
#include "tests/support/capture_io.hpp"
#include "tests/support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

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

// One source (and the files beside it) and the preprocess file and messages it gives.
struct Case {
    const char* name;
    std::string source;
    std::string pre;
    std::string messages;
    int errors = 0;
    std::vector<std::pair<std::string, std::string>> files = {};
};

const Case cases[] = {
    // Comments and literals.
    {"CommentsAcrossLinesKeepEveryLine",
     "int a; /* start\n still inside\n end */ int b; // tail\nint c;\n",
     "int a; \n\n int b; \nint c;\n", ""},
    {"DoubleSlashEndsAnOpenBlockComment", "/* a // b\nint c;\n", "\nint c;\n", ""},
    {"LiteralsHideCommentMarks",
     "char *s = \"http://x/*\"; // c\nchar c = '/'; char d = '\"'; /* x */\nq = \"a//\n",
     "char *s = \"http://x/*\"; \nchar c = '/'; char d = '\"'; \nq = \"a\n", ""},
    // #replace and object-like #define.
    {"ReplaceWorksInsideIdentifiersAfterUnderscoreOrDigit",
     "#replace PORT RB\nPORT _PORT 1PORT xPORT PORTA PORT2\n", "\nRB _RB 1RB xPORT PORTA RB2\n",
     ""},
    {"ReplaceValueIsTheRestOfTheLine",
     "#replace SET bsf  status ,  0   /* c */\nSET;\n#replace NONE\n[NONE]\n",
     "\nbsf  status ,  0;\n\n[]\n", ""},
    {"DefineReplacesWholeIdentifiersOutsideLiterals",
     "#define N 5\nN _N N1 1N (N) N_x 0xN \"N\" 'N'\n", "\n5 _N N1 15 (5) N_x 0xN \"N\" 'N'\n", ""},
    {"DefineValueLosesCommentsAndTrailingBlanks",
     "#define V 10 /* ten */\n#define W 3   // three\n[V][W]\n", "\n\n[10][3]\n", ""},
    {"DefineValueExpandsEarlierMacrosOnce", "#define A 1\n#define B A+1\n#undef A\nB A\n",
     "\n\n\n1+1 A\n", ""},
    {"AValueNamingALaterMacroIsRescanned", "#define A B+1\n#define B 2\nA\n", "\n\n2+1\n", ""},
    {"RedefinitionWarnsPerFormAndTheNewValueWins", "#define A 1\n#define A 2\n#   define A 3\nA\n",
     "\n\n\n3\n", "WARNING(C219): A redefined.\nWARNING(C220): A redefined.\n"},
    // Function-like macros.
    {"FunctionLikeMacrosTakeTheirArguments",
     "#define BIT(n) (1 << (n))\n#define SET(p, b) ((p) |= BIT(b))\nSET(port, 3); SET(x[f(1, 2)], "
     "BIT(0));\n",
     "\n\n((port) |= (1 << (3))); ((x[f(1, 2)]) |= (1 << ((1 << (0)))));\n", ""},
    {"StringifyPasteAndRescan",
     "#define STR(x) #x\n#define XSTR(x) STR(x)\n#define CAT(a, b) a##b\n#define V 7\n"
     "STR(V \"q\\\\\" 'c') XSTR(V) CAT(va, r1) CAT(, V) CAT(V, )\n",
     "\n\n\n\n\"V \\\"q\\\\\\\\\\\" 'c'\" \"7\" var1 7 7\n", ""},
    {"AMacroIsNotExpandedInsideItself",
     "#define f(x) f(x + 1)\n#define g f\n#define h(y) g(y) h\nf(1) h(2) h (3)\n",
     "\n\n\nf(1 + 1) f(2 + 1) h f(3 + 1) h\n", ""},
    {"ANameWithoutParenthesesStandsForItself", "#define F(a) [a]\n#define G (a)\nF + F(1) G\n",
     "\n\nF + [1] (a)\n", ""},
    {"VariadicMacrosAndEmptyArgumentLists",
     "#define P(fmt, ...) f(fmt, __VA_ARGS__)\n#define Z() 0\nP(1, 2, 3) Z() Z( )\n",
     "\n\nf(1, 2, 3) 0 0\n", ""},
    {"ExpansionsDoNotGlueToTheirNeighbours", "#define NEG(x) -x\n-NEG(1) a NEG(b)c\n",
     "\n- -1 a -b c\n", ""},
    {"WrongMacroCallsAreNamed",
     "#define SET(p, b) p = b\nSET(1);\nSET(1, 2, 3);\nSET(1,\n2);\nok\n", "\n\n\n\n2);\nok\n",
     "ERROR(C287): \"main.c\" Line: 2 macro SET takes 2 arguments, not 1.\n"
     "ERROR(C287): \"main.c\" Line: 3 macro SET takes 2 arguments, not 3.\n"
     "ERROR(C288): \"main.c\" Line: 4 call of macro SET is not closed on its line: a macro call "
     "cannot span lines.\n",
     3},
    {"MalformedDefinitionsAreRefused", "#define F(a, a) a\n#define G(x) #y\n#define H(x) ## x\n",
     "\n\n\n",
     "ERROR(C292): \"main.c\" Line: 1 #define: macro F names its parameter a twice.\n"
     "ERROR(C292): \"main.c\" Line: 2 #define: \"#\" in macro G is not followed by a parameter.\n"
     "ERROR(C292): \"main.c\" Line: 3 #define: \"##\" cannot begin or end macro H.\n",
     3},
    {"ABackslashContinuesTheLine",
     "#define MAX(a, b) \\\n  ((a) > (b) ? \\\n (a) : (b))\nx = MAX(1, \\\n2); y = __LINE__;\nz\n",
     "\n\n\nx = ((1) > (2) ?  (1) : (2)); y = 4;\n\nz\n", ""},
    {"LineAndFileExpand", "a\nint l = __LINE__; char *f = __FILE__;\n",
     "a\nint l = 2; char *f = \"main.c\";\n", ""},
    // Conditionals.
    {"IfdefElseWritesOnlyTheTakenBranch", "#ifdef U\na\n#else\nb\n#endif\nc\n", "\n\n\nb\n\nc\n",
     ""},
    {"IfndefOfADefinedName", "#define U\n#ifndef U\na\n#endif\n", "\n\n\n\n", ""},
    {"ConditionalsNest",
     "#define D\n#ifdef D\n#ifdef E\nx\n#else\n# ifndef D\nz\n# endif\n#endif\ny\n#endif\n",
     "\n\n\n\n\n\n\n\n\ny\n\n", ""},
    {"OnlyTheDefineTableCountsForIfdef",
     "#pragma P 1\n#replace R x\n#ifdef P\np\n#endif\n#ifdef R\nr\n#endif\n", "\n\n\n\n\n\n\n\n",
     ""},
    {"IfAndElifComputeTheirExpressions",
     "#define V 3\n#define F(x) ((x) * 2)\n#if V > 4\na\n#elif F(V) == 6 && defined V && "
     "!defined(W)\n"
     "b\n#elif 1\nc\n#else\nd\n#endif\n"
     "#if (-1 < 0u) + (0x10 >> 2 == 4) * 10 + ('A' == 65) * 100 + (7 % -2) * 1000 + UNDEF\ne\n"
     "#endif\n#if 2 ? 0 : 1/0\nf\n#elif 0 && 1/0 || 0 ? 1 : 0\ng\n#endif\n",
     "\n\n\n\n\nb\n\n\n\n\n\n\ne\n\n\n\n\n\n\n", ""},
    {"DirectivesInsideAnActiveRegionUseTheirRegionCodes",
     "#define A 1\n#define T\n#ifdef T\n#define A 2\n# define A 3\n#vpmem\n# vpmem\n#line 9\nA\n"
     "#endif\n",
     "\n\n\n\n\n\n\n\n3\n\n",
     "WARNING(C222): A redefined.\nWARNING(C221): A redefined.\n"
     "ERROR(C233): Line 6 syntax error for #vpmem\nERROR(C232): Line 7 syntax error for #vpmem\n",
     2},
    {"UnknownDirectivesPassThroughOutsideRegions", "#define N 4\n#line N x\n", "\n#line 4 x\n", ""},
    {"StrayConditionalsKeepTheLineStructure", "#elif\n#else\n# else\n#endif\n# endif\nlast\n",
     "\n\n\n\n\nlast\n",
     "ERROR(C286): \"main.c\" Line: 1 found #elif with no matching #if, #ifdef or #ifndef\n"
     "ERROR(C93): \"main.c\" Line: 2 found #else with no matching #ifdef or #ifndef\n"
     "ERROR(C92): \"main.c\" Line: 3 found #else with no matching #ifdef or #ifndef\n"
     "ERROR(C95): \"main.c\" Line: 4 found #endif with no matching #ifdef or #ifndef\n"
     "ERROR(C94): \"main.c\" Line: 5 found #endif with no matching #ifdef or #ifndef\n",
     5},
    {"BadExpressionsAndBranchesAfterElseAreNamed",
     "#if 1 / (2 - 2)\n#endif\n#if (1\n#endif\n#if\n#endif\n#if 1\n#else\n#elif 1\n#else\n#endif\n",
     "\n\n\n\n\n\n\n\n\n\n\n",
     "ERROR(C285): \"main.c\" Line: 1 division by zero in #if expression.\n"
     "ERROR(C284): \"main.c\" Line: 3 #if expression is malformed: missing \")\".\n"
     "ERROR(C284): \"main.c\" Line: 5 #if expression is malformed: the expression is missing.\n"
     "ERROR(C293): \"main.c\" Line: 9 #elif after the #else of the #if on line 7.\n"
     "ERROR(C293): \"main.c\" Line: 10 #else after the #else of the #if on line 7.\n",
     5},
    {"DeepExpressionsAreRefusedNotOverflowed",
     "#if " + std::string(300, '(') + "1" + std::string(300, ')') + "\n#endif\n#if " +
         std::string(100000, '!') + "1\n#endif\n",
     "\n\n\n\n",
     "ERROR(C284): \"main.c\" Line: 1 #if expression is malformed: nested more than 256 deep.\n"
     "ERROR(C284): \"main.c\" Line: 3 #if expression is malformed: nested more than 256 deep.\n",
     2},
    {"AMissingEndifNamesItsOpener", "#ifdef X\n#if 1\na\n", "\n\n\n",
     "ERROR(C68): \"main.c\" Line: 2 End of file reached while searching for #else or #endif of "
     "this #if\n"
     "ERROR(C68): \"main.c\" Line: 1 End of file reached while searching for #else or #endif of "
     "this #ifdef\n",
     2},
    {"ErrorStopsAndWarningPrints",
     "#warning  look out \na\n#if 0\n#error no\n#endif\n#error stop "
     "here\nb\n",
     "\na\n\n\n\n\n",
     "WARNING(C283): \"main.c\" Line: 1 #warning look out\n"
     "ERROR(C282): \"main.c\" Line: 6 #error stop here\n",
     1},
    // Includes.
    {"IncludeWritesLineMarkersAroundTheIncludedText",
     "int a;\n#include \"h.h\"\nint b;\n",
     "int a;\n#line 0 h.h\nint h;\n#line 1 main.c\n\nint b;\n",
     "INCLUDING: h.h\n",
     0,
     {{"h.h", "int h;\n"}}},
    {"AnIncludeNameInDoubledQuotesIsReportedAsWritten",
     "#include \"\"h.h\"\"\n",
     "#line 0 h.h\nint h;\n#line 0 main.c\n\n",
     "INCLUDING: \"h.h\"\n",
     0,
     {{"h.h", "int h;\n"}}},
    {"LinesInsideRegionsAreCountedForLaterMarkers",
     "#ifdef Z\na\n#endif\n#include <h.h>\nx\n",
     "\n\n\n#line 0 h.h\n\n#line 3 main.c\n\nx\n",
     "INCLUDING: h.h\n",
     0,
     {{"h.h", "\n"}}},
    {"AQuotedIncludeLooksBesideTheIncludingFile",
     "#include \"sub/a.h\"\n",
     "#line 0 sub/a.h\n#line 0 sub/b.h\nb\n#line 0 sub/a.h\n\n#line 0 main.c\n\n",
     "INCLUDING: sub/a.h\nINCLUDING: sub/b.h\n",
     0,
     {{"sub/a.h", "#include \"b.h\"\n"}, {"sub/b.h", "b\n"}}},
    {"AMissingIncludeStopsThere", "a\n#include \"nowhere.h\"\nb\n", "a\n\n",
     "ERROR(C291): \"main.c\" Line: 2 Cannot open include file nowhere.h: it is in none of the "
     "current folder, inc/.\n",
     1},
};

void PrintTo(const Case& test, std::ostream* out) {
    *out << test.name;
}

class PreprocessorCases : public ::testing::TestWithParam<Case> {};

TEST_P(PreprocessorCases, WriteTheirPreprocessFileAndMessages) {
    const Case& test = GetParam();
    testing::TempDir dir;
    for (const auto& [name, text] : test.files) {
        std::filesystem::create_directories(std::filesystem::path(name).parent_path().empty()
                                                ? "."
                                                : std::filesystem::path(name).parent_path());
        testing::writeFile(name, text);
    }
    CompilerSettings settings;
    settings.headerDir.clear();
    testing::CaptureIo io;
    Compilation c{settings, io};
    c.includeFolders = {"inc/"};
    testing::writeFile("main.c", test.source);
    OutputStream out;
    ASSERT_TRUE(out.open("main.pre"));
    Preprocessor(c, out).preprocess("main.c");
    out.close();
    EXPECT_EQ(testing::readFile("main.pre"), test.pre);
    EXPECT_EQ(io.messages, test.messages);
    EXPECT_EQ(c.errors(), test.errors);
}

INSTANTIATE_TEST_SUITE_P(Sources, PreprocessorCases, ::testing::ValuesIn(cases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(PreprocessorTest, IncludeFoldersAreSearchedInOrder) {
    testing::writeFile("inc/h.h", "in_inc\n");
    c.pragmas.set("INCLUDE_DIR", "inc/");
    EXPECT_EQ(run("#include \"h.h\"\n"), "#line 0 inc/h.h\nin_inc\n#line 0 main.c\n\n");

    // Without a trailing separator the name is glued to the directory, as written; the -I
    // folders and the installed headers come after.
    c.pragmas.set("INCLUDE_DIR", "inc");
    c.includeFolders = {"none/", "inc/"};
    testing::writeFile("dev/d.h", "device\n");
    settings.headerDir = "dev/";
    EXPECT_EQ(
        run("#include <h.h>\n#include <d.h>\n"),
        "#line 0 inc/h.h\nin_inc\n#line 0 main.c\n\n#line 0 dev/d.h\ndevice\n#line 1 main.c\n\n");
    EXPECT_EQ(c.errors(), 0);

    // INCLUDE_DIR (-I) takes the current folder's place, but a file named without a folder
    // still finds a quoted header beside it; a folder searched twice is named once.
    testing::writeFile("beside.h", "beside\n");
    c.pragmas.set("INCLUDE_DIR", "inc/");
    c.includeFolders = {"inc/"};
    EXPECT_EQ(run("#include \"beside.h\"\n"), "#line 0 ./beside.h\nbeside\n#line 0 main.c\n\n");
    run("#include \"nowhere.h\"\n");
    EXPECT_NE(io.messages.find("it is in none of inc/, ./, the device headers."),
              std::string::npos)
        << io.messages;
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
    EXPECT_EQ(c.pragmas.number("CCTEMP_LOC", 13), 13u);
    EXPECT_EQ(io.messages, "WARNING: pragma CCTEMP_LOC not defined. Defaulting to 12\n")
        << "warned once, however often a pass asks";
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
