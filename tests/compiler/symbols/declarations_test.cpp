#include "compiler/base/kinds.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/tables/opcodes.hpp"
#include "tests/support/in_process_compile.hpp"

#include <gtest/gtest.h>

namespace kavo {
namespace {

// One symbol as a row: name, type, size, sign, qual, count, base, offset, addr, scope.
std::string row(const Symbol* s) {
    if (s == nullptr)
        return "(none)";
    return s->name + " " + std::string(kindName(s->type)) + " size=" + std::to_string(s->size) +
           " " + std::string(kindName(s->sign)) + " qual=" + std::to_string(s->qual) +
           " count=" + std::to_string(s->count) + " base=" + std::string(kindName(s->base)) +
           " offset=" + std::to_string(s->offset) + " addr=" + std::to_string(s->addr) + " " +
           s->scope;
}

class DeclarationTest : public ::testing::Test {
protected:
    // The pragmas keep the back end's default warnings out of the messages.
    void compile(const std::string& body) {
        run.run("#pragma CCTEMP_LOC 12\n#pragma PAGEBITS_LOC 3\n" + body);
    }
    std::string symbol(std::string_view name, std::string_view scope = GlobalScope) {
        return row(findsymin(run.c, name, scope));
    }
    std::string tag(std::string_view name) { return row(findtag(run.c, name)); }
    std::string member(std::string_view tag, std::string_view name) {
        const Symbol* t = findtag(run.c, tag);
        return t == nullptr ? "(no tag)" : row(findmember(t->members, name));
    }
    // The messages after "Compiling", without the closing note of the unfinished back end.
    std::string diagnostics() const {
        std::string text = run.io.messages.substr(run.io.messages.find("Compiling prog.c\n") + 17);
        const std::size_t note = text.find("Code generation is not complete");
        return note == std::string::npos ? text : text.substr(0, note);
    }

    testing::InProcessCompile run;
};

TEST_F(DeclarationTest, SignAndTypeWords) {
    compile("unsigned char uc;\nunsigned ux;\nsigned char sc;\nlong lg;\nunsigned long ul;\n"
            "short char sh;\nlong int li;\n");
    EXPECT_EQ(symbol("uc"),
              "uc CHAR size=1 UNSIGNED qual=0 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(symbol("ux"),
              "ux INT size=1 UNSIGNED qual=0 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(symbol("sc"), "sc CHAR size=1 SIGNED qual=0 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(symbol("lg"), "lg LONG size=2 SIGNED qual=0 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(symbol("ul"),
              "ul LONG size=2 UNSIGNED qual=0 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(symbol("sh"), "sh INT size=1 SIGNED qual=0 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(diagnostics(), "ERROR(C08): Line: 9 Conflicting types defined near int\n");
}

TEST_F(DeclarationTest, PointersToCharAreTwoBytes) {
    compile("char *s, c;\nint *p;\nlong *lp;\n");
    EXPECT_EQ(symbol("s"),
              "s LONG size=2 SIGNED qual=0 count=0 base=CHAR offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(symbol("c"), "c CHAR size=1 SIGNED qual=0 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(symbol("p"),
              "p POINTER size=1 SIGNED qual=0 count=0 base=INT offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(symbol("lp"),
              "lp POINTER size=1 SIGNED qual=0 count=0 base=LONG offset=0 addr=-1 _GLOBAL_");
}

TEST_F(DeclarationTest, ArraysTakeTheirConstantSize) {
    compile("int a[300];\nlong b[2 + 3];\nchar n[(1 << 4) - 6];\n");
    EXPECT_EQ(symbol("a"),
              "a ARRAY size=300 SIGNED qual=44 count=300 base=INT offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(symbol("b"),
              "b ARRAY size=10 SIGNED qual=5 count=5 base=LONG offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(symbol("n"),
              "n ARRAY size=10 SIGNED qual=10 count=10 base=CHAR offset=0 addr=-1 _GLOBAL_");
}

TEST_F(DeclarationTest, FoldedConstantsSetTheZeroFlag) {
    compile("char b[2 + 3];\n");
    std::vector<std::string> flagged;
    for (const Instruction* i = run.c.instructions.head(); i != nullptr; i = i->next) {
        if (i->operand == "@__stat__")
            flagged.push_back(std::string(opcodeName(i->opcode)) + " " + std::to_string(i->dest));
    }
    EXPECT_EQ(flagged, (std::vector<std::string>{"PIC_BCF 2"}));
}

TEST_F(DeclarationTest, EnumeratorsCountOnFromTheirValues) {
    compile("enum { A, B = 7, C };\nenum { D = 300, E = -1 };\nint x[C];\n");
    EXPECT_EQ(symbol("A"), "A ENUM size=0 SIGNED qual=0 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(symbol("B"), "B ENUM size=0 SIGNED qual=7 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(symbol("C"), "C ENUM size=0 SIGNED qual=8 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(symbol("D"), "D ENUM size=0 SIGNED qual=44 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(symbol("E"), "E ENUM size=0 SIGNED qual=-1 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(symbol("x"),
              "x ARRAY size=8 SIGNED qual=8 count=8 base=INT offset=0 addr=-1 _GLOBAL_");
}

TEST_F(DeclarationTest, StructAndUnionMembers) {
    compile("struct pt { char a; long b; char c; } v;\n"
            "union un { char a; long b; char c; };\n"
            "union un w;\n");
    EXPECT_EQ(tag("pt"),
              "pt STRUCT_NAME size=4 SIGNED qual=0 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(member("pt", "a"),
              "a CHAR size=1 SIGNED qual=0 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(member("pt", "b"),
              "b LONG size=2 SIGNED qual=0 count=0 base= offset=1 addr=-1 _GLOBAL_");
    EXPECT_EQ(member("pt", "c"),
              "c CHAR size=1 SIGNED qual=0 count=0 base= offset=3 addr=-1 _GLOBAL_");
    EXPECT_EQ(tag("un"),
              "un UNION_NAME size=2 SIGNED qual=0 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(member("un", "b"),
              "b LONG size=2 SIGNED qual=0 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(member("un", "c"),
              "c CHAR size=1 SIGNED qual=0 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(findsymin(run.c, "v", GlobalScope)->typeName, "pt");
    EXPECT_EQ(symbol("v"),
              "v STRUCT size=4 SIGNED qual=0 count=0 base= offset=-1 addr=-1 _GLOBAL_");
    EXPECT_EQ(symbol("w"), "w UNION size=2 SIGNED qual=0 count=0 base= offset=-1 addr=-1 _GLOBAL_");
}

TEST_F(DeclarationTest, ANestedAnonymousStructKeepsTheRestOfTheProgram) {
    compile("struct pt { char a; struct { char q; long r; } in; char z; } v;\nint after;\n");
    const Symbol* tag = findtag(run.c, "pt");
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->size, 5);
    EXPECT_EQ(findmember(tag->members, "in")->offset, 1);
    EXPECT_EQ(findmember(tag->members, "z")->offset, 4);
    EXPECT_NE(findsymin(run.c, "after", GlobalScope), nullptr);
    EXPECT_EQ(diagnostics(), "");
}

TEST_F(DeclarationTest, EachMemberDeclarationStartsWithItsOwnSign) {
    compile("struct s { unsigned char a; char b; };\nvoid f(unsigned char p, char q) { }\n");
    EXPECT_EQ(findmember(findtag(run.c, "s")->members, "b")->sign, SIGNED);
    EXPECT_EQ(findsymin(run.c, "p", "f")->sign, UNSIGNED);
    EXPECT_EQ(findsymin(run.c, "q", "f")->sign, SIGNED);
}

TEST_F(DeclarationTest, FixedLocations) {
    compile("int port @ 0x06;\nchar a, b @ 8 + 8;\nint bad @ port;\n");
    EXPECT_EQ(findsymin(run.c, "port", GlobalScope)->addr, 6);
    EXPECT_EQ(findsymin(run.c, "a", GlobalScope)->addr, 16);
    EXPECT_EQ(findsymin(run.c, "b", GlobalScope)->addr, 16);
    EXPECT_EQ(diagnostics(),
              "ERROR(C14): Line: 5 Constant expression required for memory location.\n");
}

// C90's implicit int: a storage class alone declares an int.
TEST_F(DeclarationTest, AStorageClassAloneDeclaresAnInt) {
    compile("static x;\n");
    EXPECT_EQ(symbol("x"), "x INT size=1 SIGNED qual=0 count=0 base= offset=0 addr=-1 _GLOBAL_");
    EXPECT_EQ(findsymin(run.c, "x", GlobalScope)->cls, STATIC);
    EXPECT_EQ(diagnostics(), "");
}

TEST_F(DeclarationTest, ConflictingClassesAndQualifiers) {
    compile("static extern int a;\nconst volatile int b;\nconst int c;\n");
    EXPECT_EQ(diagnostics(), "ERROR(C09): Line: 3 Conflicting class defined near extern\n"
                             "Line: 4 : Conflicting qualifier defined near volatile\n");
    EXPECT_EQ(findsymin(run.c, "c", GlobalScope)->qual, CONST);
    EXPECT_EQ(run.c.errors(), 1);
}

TEST_F(DeclarationTest, FloatingPointIsRefused) {
    compile("float f;\ndouble d;\nint i;\n");
    EXPECT_EQ(diagnostics(),
              "ERROR(C256): Line: 3 Type float is not supported: there is no floating point "
              "arithmetic.\n"
              "ERROR(C256): Line: 4 Type double is not supported: there is no floating point "
              "arithmetic.\n");
    EXPECT_EQ(findsymin(run.c, "f", GlobalScope), nullptr);
    EXPECT_NE(findsymin(run.c, "i", GlobalScope), nullptr);
}

TEST_F(DeclarationTest, FunctionsGetLabelsAndTheirParametersTheirScope) {
    compile("long twice(char v) { }\nvoid main(void) { int local; }\n");
    // A function is recorded in its own scope and counts as global.
    EXPECT_TRUE(definedin(run.c, "twice", GlobalScope));
    const Symbol* twice = findsymin(run.c, "twice", "twice");
    ASSERT_NE(twice, nullptr);
    EXPECT_EQ(twice->type, FUNCNAME);
    EXPECT_EQ(twice->base, LONG);
    EXPECT_EQ(twice->size, 2);
    EXPECT_NE(findsymin(run.c, "v", "twice"), nullptr);
    EXPECT_NE(findsymin(run.c, "local", "_TMPSCOPE_0"), nullptr) << "a body is a block";
    std::vector<std::string> labels;
    for (const Instruction* i = run.c.instructions.head(); i != nullptr; i = i->next) {
        if (i->opcode == PIC_LABEL)
            labels.push_back(i->operand);
    }
    EXPECT_EQ(labels,
              (std::vector<std::string>{"@@@@@", "@twice", "@twice_END", "@main", "_BCL_0"}));
    EXPECT_EQ(diagnostics(), "");
}

TEST_F(DeclarationTest, APrototypeDeclaresNothingBeforeItsDefinition) {
    compile("int f(int a);\nint f(int a) { }\nvoid main(void) { }\n");
    EXPECT_EQ(diagnostics(), "");
    EXPECT_EQ(findsymin(run.c, "a", GlobalScope), nullptr);
}

TEST_F(DeclarationTest, InterruptRoutineWithoutItsPragma) {
    compile("void __interrupt(void) { }\nvoid main(void) { }\n");
    EXPECT_EQ(diagnostics(),
              "WARNING(C110): __interrupt routine found but pragma INTERRUPT_LOC not defined.\n"
              "               Setting INTERRUPT VECTOR to address 0.\n");
    std::vector<std::string> listed;
    for (const Instruction* i = run.c.instructions.head(); i != nullptr; i = i->next)
        listed.push_back(std::string(opcodeName(i->opcode)) + " " + i->operand);
    EXPECT_EQ(listed,
              (std::vector<std::string>{"PIC_LABEL @@@@@", "PIC_INTERRUPT __interrupt",
                                        "PIC_STRINGLOC strings", "PIC_LABEL __interrupt",
                                        "PIC_SAVEINT ", "PIC_RETFIE ", "PIC_LABEL _ITR_E",
                                        "PIC_LABEL @main", "PIC_LABEL _BCL_0", "PIC_GOTO _BCL_0"}));
}

// Two definitions of a file-scope object are one too many; a declaration without an
// initialiser repeats the first one.
TEST_F(DeclarationTest, RedefinitionsAtFileLevelAndInFunctions) {
    compile("int a = 1;\nint a = 2;\nvoid f(void) { int b; int b; }\nint a2;\nvoid a2(void) { }\n");
    EXPECT_EQ(diagnostics(), "ERROR(C116): Line: 4 Identifier a previously defined.\n"
                             "ERROR(C116): Line: 5 Identifier b previously defined.\n"
                             "ERROR(C117): Line: 5 Identifier b previously defined.\n"
                             "ERROR(C116): Line: 7 Identifier a2 previously defined.\n");
}

TEST_F(DeclarationTest, ALocalMayRepeatAGlobalName) {
    compile("int x;\nvoid f(void) { char x; }\n");
    EXPECT_EQ(diagnostics(), "");
    ASSERT_NE(findsymin(run.c, "x", "_TMPSCOPE_0"), nullptr);
    EXPECT_EQ(findsymin(run.c, "x", "_TMPSCOPE_0")->type, CHAR);
}

TEST_F(DeclarationTest, BlockScopesAreNumbered) {
    compile("void f(void) { int a; { int b; } { int c; } }\n");
    EXPECT_NE(findsymin(run.c, "a", "_TMPSCOPE_0"), nullptr);
    EXPECT_NE(findsymin(run.c, "b", "_TMPSCOPE_1"), nullptr);
    EXPECT_NE(findsymin(run.c, "c", "_TMPSCOPE_2"), nullptr);
}

TEST_F(DeclarationTest, VpmemReservationsBecomeFixedSymbols) {
    compile("#vpmem 16 18\nint x;\n");
    ASSERT_NE(findsymin(run.c, "_asm_003", GlobalScope), nullptr);
    EXPECT_EQ(findsymin(run.c, "_asm_001", GlobalScope)->addr, 16);
    EXPECT_EQ(findsymin(run.c, "_asm_003", GlobalScope)->addr, 18);
}

TEST_F(DeclarationTest, CompilerRegistersAndTemporariesSitAtFixedAddresses) {
    run.run("#pragma CCTEMP_LOC 8\nint x;\n");
    ASSERT_NE(findsymin(run.c, "@__SxLtmp_", GlobalScope), nullptr);
    EXPECT_EQ(findsymin(run.c, "@__fsr__", GlobalScope)->addr, 4);
    EXPECT_EQ(findsymin(run.c, "@__stat__", GlobalScope)->addr, 3);
    EXPECT_EQ(findsymin(run.c, "@__P0tmp_", GlobalScope)->addr, 8);
    EXPECT_EQ(findsymin(run.c, "@__SxItmp_", GlobalScope)->addr, 9);
    EXPECT_EQ(findsymin(run.c, "@__SxLtmp_", GlobalScope)->addr, 10);
}

TEST_F(DeclarationTest, RemappingPutsTheLongScratchOverTheOthers) {
    run.c.flags.remapFlag = 1;
    run.run("#pragma CCTEMP_LOC 8\nint x;\n");
    ASSERT_NE(findsymin(run.c, "@__SxLtmp_", GlobalScope), nullptr);
    EXPECT_EQ(findsymin(run.c, "@__SxLtmp_", GlobalScope)->addr, 8);
}

TEST_F(DeclarationTest, CctempLocOutsideTheCommonBankIsC188) {
    run.run("#pragma CCTEMP_LOC 13\n#pragma PAGEBITS_LOC 3\nint a;\n");
    EXPECT_NE(run.io.messages.find("ERROR(C188): Pragma CCTEMP_LOC MUST be in the common bank "
                                   "(4 bytes).\n"),
              std::string::npos);
    EXPECT_EQ(run.c.errors(), 1);
}

} // namespace
} // namespace kavo
