// Node runs of the grammar actions. Every expectation below is spelled out from the rule list:
// the helpers only abbreviate runs that the rules produce again and again.
#include "tests/compiler/frontend/frontend_harness.hpp"

#include <gtest/gtest.h>

namespace kavo::testing {
namespace {

using std::string;

// A primary identifier or integer constant used as a unary expression.
string id(const string& name) {
    return "POSTFIX_EXP_START IDENTIFIER:" + name + " POSTFIX_EXP_END";
}
string num(int value) {
    return "POSTFIX_EXP_START INTEGER_CONSTANT=" + std::to_string(value) + " POSTFIX_EXP_END";
}
// expression: assignment_expression => EXPSTART; $1, EXPEND
string expr(const string& inner) {
    return "EXPSTART " + inner + " EXPEND";
}
// unary_expression assignment_operator assignment_expression => SRC_ADDR; $3, $2, DEST_ADDR, $1
string assign(const string& dst, const string& src, const string& op = "ASSIGN:=") {
    return "SRC_ADDR " + src + " " + op + " DEST_ADDR " + dst;
}
// name++ as a unary expression.
string postInc(const string& name) {
    return "POSTFIX_EXP_START POSTINC_START POSTINC:++ POSTFIX_EXP_START IDENTIFIER:" + name +
           " POSTINC_END POSTFIX_EXP_END POSTFIX_EXP_END";
}
// void f() { body } as a function definition with its external-declaration NULLFUNC.
string voidF(const string& body) {
    return "FUNCSTART SCOPENAME IDENTIFIER:f DEC_LIST_START VOID:void FUNCNAME IDENTIFIER:f "
           "DEC_LIST_END SCOPENAME IDENTIFIER:f LSQUIG:{ " +
           body + " RSQUIG:} FUNCEND NULLFUNC";
}
// int x = <initializer>;
string intInit(const string& name, const string& value) {
    return "DEC_LIST_START INT:int IDENTIFIER:" + name + " EXPSTART " + value +
           " ASSIGN:= IDENTIFIER:" + name + " EXPEND DEC_LIST_END";
}

string parseRun(const string& text) {
    FrontEndHarness h(text);
    EXPECT_EQ(h.parse(), 0) << h.io.messages;
    EXPECT_EQ(h.io.messages, "");
    EXPECT_FALSE(h.c.abortFlag);
    return h.run();
}

string body(const string& statements) {
    return parseRun("void f() { " + statements + " }");
}

// ---- Declarations ------------------------------------------------------------------------------

TEST(GrammarDeclarations, FixedAddressDeclaration) {
    EXPECT_EQ(parseRun("int x @ 16;"),
              "DEC_LIST_START EXPSTART " + num(16) +
                  " EXPEND DEC_LIST_START FORCED_MEM_LOC INT:int IDENTIFIER:x FORCED_MEM_LOC_END "
                  "DEC_LIST_END DEC_LIST_END");
}

TEST(GrammarDeclarations, PlainListAndArray) {
    EXPECT_EQ(parseRun("static char a, b[4];"),
              "DEC_LIST_START STATIC:static CHAR:char IDENTIFIER:a EXPSTART " + num(4) +
                  " EXPEND ARRAY_SIZE IDENTIFIER:b DEC_LIST_END");
}

// The initialiser's target is the declared name, not the declarator's first node (a pointer
// mark or an array size would not be a place to store into). Adjacent strings are one.
TEST(GrammarDeclarations, AnInitialiserAssignsToTheDeclaredName) {
    EXPECT_EQ(parseRun("char *s = \"ab\" \"cd\";"),
              "DEC_LIST_START CHAR:char POINTER IDENTIFIER:s EXPSTART POSTFIX_EXP_START "
              "STRING:abcd POSTFIX_EXP_END ASSIGN:= IDENTIFIER:s EXPEND DEC_LIST_END");
    EXPECT_EQ(parseRun("char t[N] = 1;"),
              "DEC_LIST_START CHAR:char EXPSTART POSTFIX_EXP_START IDENTIFIER:N POSTFIX_EXP_END "
              "EXPEND ARRAY_SIZE IDENTIFIER:t EXPSTART POSTFIX_EXP_START INTEGER_CONSTANT=1 "
              "POSTFIX_EXP_END ASSIGN:= IDENTIFIER:t EXPEND DEC_LIST_END");
}

// A brace list keeps its braces and commas; an array without a size is marked by its LBRA.
TEST(GrammarDeclarations, BraceListsKeepTheirShape) {
    EXPECT_EQ(parseRun("char t[] = {1, {2}};"),
              "DEC_LIST_START CHAR:char LBRA:[ IDENTIFIER:t EXPSTART LSQUIG:{ POSTFIX_EXP_START "
              "INTEGER_CONSTANT=1 POSTFIX_EXP_END COMMA:, LSQUIG:{ POSTFIX_EXP_START "
              "INTEGER_CONSTANT=2 POSTFIX_EXP_END RSQUIG:} RSQUIG:} ASSIGN:= IDENTIFIER:t EXPEND "
              "DEC_LIST_END");
}

TEST(GrammarDeclarations, ConstIsAMarkerAndVolatileItsToken) {
    EXPECT_EQ(parseRun("const volatile int v;"),
              "DEC_LIST_START CONST VOLATILE:volatile INT:int IDENTIFIER:v DEC_LIST_END");
}

TEST(GrammarDeclarations, StructWithTag) {
    EXPECT_EQ(parseRun("struct point { int a; char b; } p;"),
              "DEC_LIST_START STRUCT:struct STRUCT_NAME IDENTIFIER:point STRUCT_DEC_START INT:int "
              "IDENTIFIER:a CHAR:char IDENTIFIER:b STRUCT_DEC_END DEC_LIST_END DEC_LIST_START "
              "STRUCT_TYPE IDENTIFIER:point STRUCT:struct IDENTIFIER:p DEC_LIST_END");
}

TEST(GrammarDeclarations, AnonymousStructIsNamedByALabel) {
    EXPECT_EQ(parseRun("union { int a; } q;"),
              "DEC_LIST_START UNION:union STRUCT_NAME IDENTIFIER:_LBL_1 STRUCT_DEC_START INT:int "
              "IDENTIFIER:a STRUCT_DEC_END DEC_LIST_END DEC_LIST_START STRUCT_TYPE "
              "IDENTIFIER:_LBL_1 UNION:union IDENTIFIER:q DEC_LIST_END");
}

TEST(GrammarDeclarations, StructReferenceThroughAPointer) {
    EXPECT_EQ(parseRun("struct point *pp;"),
              "DEC_LIST_START STRUCT_TYPE IDENTIFIER:point STRUCT:struct POINTER IDENTIFIER:pp "
              "DEC_LIST_END");
}

TEST(GrammarDeclarations, EnumWithAndWithoutValues) {
    EXPECT_EQ(parseRun("enum colour { red, green = 2 };"),
              "DEC_LIST_START ENUMSTART IDENTIFIER:red EXPSTART " + num(2) +
                  " EXPEND ENUM_INIT_VAL IDENTIFIER:green ENUM_INIT_VAL_END ENUMEND DEC_LIST_END");
    EXPECT_EQ(parseRun("enum colour c;"), "DEC_LIST_START INT IDENTIFIER:c DEC_LIST_END");
}

// Commas between parameters stay: a parameter without a name ends only there.
TEST(GrammarDeclarations, PrototypeWithParameterTypes) {
    EXPECT_EQ(parseRun("int g(int, char *p);"),
              "DEC_LIST_START INT:int IDENTIFIER:g FUNC_PROTO_START INT:int FUNC_PROTO_END "
              "DEC_LIST_START INT:int COMMA:, CHAR:char POINTER IDENTIFIER:p DEC_LIST_END "
              "DEC_LIST_END");
}

TEST(GrammarDeclarations, TokenNodesCarryLineAndFileMarkersOnlyTheLine) {
    FrontEndHarness h("#line 0 prog.c\n\nint\nx;\n");
    ASSERT_EQ(h.parse(), 0);
    const Node* start = h.c.nodes.head();
    const Node* type = start->next;
    const Node* name = type->next;
    EXPECT_EQ(start->file, nullptr);
    EXPECT_EQ(start->line, 3) << "a marker takes the line the scanner is on when it is made";
    ASSERT_NE(type->file, nullptr);
    EXPECT_EQ(*type->file, "prog.c");
    EXPECT_EQ(type->line, 2);
    EXPECT_EQ(name->line, 3);
    EXPECT_EQ(type->file, name->file) << "file names are interned";
}

TEST(GrammarDeclarations, DeveloperDumpShowsKindCvalIvalAndLine) {
    FrontEndHarness h("int x @ 5;");
    ASSERT_EQ(h.parse(), 0);
    const string dump = dumpNodes(h.c.nodes.head());
    EXPECT_NE(dump.find("INTEGER_CONSTANT     cval:                 ival:   5 line: 1\n"),
              string::npos)
        << dump;
    EXPECT_NE(dump.find("IDENTIFIER           cval: x               ival:   0 line: 1\n"),
              string::npos)
        << dump;
}

// ---- Functions ---------------------------------------------------------------------------------

TEST(GrammarFunctions, DefinitionWithParameterList) {
    EXPECT_EQ(parseRun("int add(int a, char b) { return a; }"),
              "FUNCSTART SCOPENAME IDENTIFIER:add DEC_LIST_START INT:int FUNCNAME IDENTIFIER:add "
              "FUNC_PROTO_START INT:int FUNC_PROTO_END DEC_LIST_START INT:int IDENTIFIER:a "
              "COMMA:, CHAR:char IDENTIFIER:b DEC_LIST_END DEC_LIST_END SCOPENAME IDENTIFIER:add "
              "LSQUIG:{ "
              "EXPSTART " +
                  expr(id("a")) + " RETURNEXP EXPEND RSQUIG:} FUNCEND NULLFUNC");
}

TEST(GrammarFunctions, DefinitionWithoutTypeOrParametersIsInt) {
    EXPECT_EQ(parseRun("main() { }"),
              "FUNCSTART SCOPENAME IDENTIFIER:main DEC_LIST_START INT FUNCNAME IDENTIFIER:main "
              "DEC_LIST_END SCOPENAME IDENTIFIER:main NULLFUNC FUNCEND NULLFUNC");
}

TEST(GrammarFunctions, OldStyleParameterDeclarations) {
    EXPECT_EQ(parseRun("int f(a) int a; { }"),
              "FUNCSTART SCOPENAME IDENTIFIER:f DEC_LIST_START INT:int FUNCNAME IDENTIFIER:f "
              "FUNC_PROTO_START IDENTIFIER:a FUNC_PROTO_END DEC_LIST_END SCOPENAME IDENTIFIER:f "
              "DEC_LIST_START INT:int IDENTIFIER:a DEC_LIST_END FUNCARGS IDENTIFIER:f NULLFUNC "
              "FUNCEND NULLFUNC");
}

TEST(GrammarFunctions, CallsWithAndWithoutArguments) {
    EXPECT_EQ(body("g(); f(1, x);"),
              voidF(expr("POSTFIX_EXP_START EXPSTART FUNCCALL IDENTIFIER:g EXPEND GETEXPVAL "
                         "POSTFIX_EXP_END") +
                    " " +
                    expr("POSTFIX_EXP_START EXPSTART FUNC_START_PARAM IDENTIFIER:f PUSH EXPSTART "
                         "SRC_ADDR " +
                         num(1) + " EXPEND PUSH EXPSTART SRC_ADDR " + id("x") +
                         " EXPEND FUNCCALL IDENTIFIER:f FUNC_CLEAR_PARAM EXPEND GETEXPVAL "
                         "POSTFIX_EXP_END")));
}

TEST(GrammarFunctions, LocalDeclarationsOpenANewScope) {
    EXPECT_EQ(body("int i; i = 1;"),
              voidF("NEWSCOPE DEC_LIST_START INT:int IDENTIFIER:i DEC_LIST_END " +
                    expr(assign(id("i"), num(1))) + " ENDNEWSCOPE"));
}

TEST(GrammarFunctions, ExternalDeclarationsFollowEachOtherOnTheList) {
    EXPECT_EQ(parseRun("int a; void f() { } int b;"),
              "DEC_LIST_START INT:int IDENTIFIER:a DEC_LIST_END FUNCSTART SCOPENAME IDENTIFIER:f "
              "DEC_LIST_START VOID:void FUNCNAME IDENTIFIER:f DEC_LIST_END SCOPENAME IDENTIFIER:f "
              "NULLFUNC FUNCEND NULLFUNC DEC_LIST_START INT:int IDENTIFIER:b DEC_LIST_END");
}

// ---- Statements --------------------------------------------------------------------------------

TEST(GrammarStatements, IfElseWithItsLabels) {
    EXPECT_EQ(body("if (a) b = 1; else b = 2;"),
              voidF("EXPSTART " + expr(id("a")) + " IF:_LBL_1 " + expr(assign(id("b"), num(1))) +
                    " GOTO:_LBL_2 LABELNAME:_LBL_1 " + expr(assign(id("b"), num(2))) +
                    " LABELNAME:_LBL_2 EXPEND"));
}

TEST(GrammarStatements, IfWithoutElse) {
    EXPECT_EQ(body("if (a) b = 1;"),
              voidF("EXPSTART " + expr(id("a")) + " IF:_LBL_1 " + expr(assign(id("b"), num(1))) +
                    " LABELNAME:_LBL_1 EXPEND"));
}

TEST(GrammarStatements, DanglingElseBelongsToTheNearestIf) {
    const string inner = "EXPSTART " + expr(id("b")) + " IF:_LBL_1 " +
                         expr(assign(id("c"), num(1))) + " GOTO:_LBL_2 LABELNAME:_LBL_1 " +
                         expr(assign(id("c"), num(2))) + " LABELNAME:_LBL_2 EXPEND";
    EXPECT_EQ(
        body("if (a) if (b) c = 1; else c = 2;"),
        voidF("EXPSTART " + expr(id("a")) + " IF:_LBL_3 " + inner + " LABELNAME:_LBL_3 EXPEND"));
}

TEST(GrammarStatements, WhileTestsWithIfAndJumpsBack) {
    EXPECT_EQ(body("while (a) a = 0;"),
              voidF("EXPSTART NEW_BRK_LBL LABELNAME:_LBL_1 NEW_CONT_LBL " + expr(id("a")) +
                    " IF:_LBL_2 " + expr(assign(id("a"), num(0))) +
                    " GOTO:_LBL_1 LABELNAME:_LBL_2 POP_CONT_LBL TOP_BRK_LBL POP_BRK_LBL EXPEND"));
}

// A continue in a do-while goes on with the test: the loop names its continue label and
// places it before the condition.
TEST(GrammarStatements, DoWhileEndsWithNifToTheTop) {
    EXPECT_EQ(body("do a = 1; while (a);"),
              voidF("EXPSTART NEW_BRK_LBL LABELNAME:_LBL_1 NEW_CONT_LBL:_LBL_2 " +
                    expr(assign(id("a"), num(1))) + " LABELNAME:_LBL_2 " + expr(id("a")) +
                    " NIF:_LBL_1 POP_CONT_LBL TOP_BRK_LBL POP_BRK_LBL EXPEND"));
}

struct ForCase {
    const char* header;
    string loop; // the run between NEW_BRK_LBL and POP_CONT_LBL
};

class GrammarForLoops : public ::testing::TestWithParam<ForCase> {};

TEST_P(GrammarForLoops, EachVariantPlacesItsParts) {
    const ForCase& c = GetParam();
    EXPECT_EQ(
        body(string(c.header) + " b = 1;"),
        voidF("EXPSTART NEW_BRK_LBL " + c.loop + " POP_CONT_LBL TOP_BRK_LBL POP_BRK_LBL EXPEND"));
}

const string B1 = expr(assign(id("b"), num(1)));
const string I0 = expr(assign(id("i"), num(0)));
const string Iless3 = expr("EQU_MARK RELMINUS " + id("i") + " " + num(3) + " LESSTHAN:<");
const string Iinc = expr(postInc("i"));

// A continue in a loop with a step goes on with the step: such loops name their continue
// label and place it between the body and the step.
INSTANTIATE_TEST_SUITE_P(
    AllEight, GrammarForLoops,
    ::testing::Values(
        ForCase{"for (;;)", "LABELNAME:_LBL_1 NEW_CONT_LBL " + B1 + " GOTO:_LBL_1"},
        ForCase{"for (;; i++)", "LABELNAME:_LBL_1 NEW_CONT_LBL:_LBL_2 " + B1 +
                                    " LABELNAME:_LBL_2 " + Iinc + " GOTO:_LBL_1"},
        ForCase{"for (; i < 3;)", "LABELNAME:_LBL_1 NEW_CONT_LBL " + Iless3 + " IF:_LBL_2 " + B1 +
                                      " GOTO:_LBL_1 LABELNAME:_LBL_2"},
        ForCase{"for (; i < 3; i++)", "LABELNAME:_LBL_1 NEW_CONT_LBL:_LBL_3 " + Iless3 +
                                          " IF:_LBL_2 " + B1 + " LABELNAME:_LBL_3 " + Iinc +
                                          " GOTO:_LBL_1 LABELNAME:_LBL_2"},
        ForCase{"for (i = 0;;)", I0 + " NEW_CONT_LBL LABELNAME:_LBL_1 " + B1 + " GOTO:_LBL_1"},
        ForCase{"for (i = 0;; i++)", I0 + " LABELNAME:_LBL_1 NEW_CONT_LBL:_LBL_2 " + B1 +
                                         " LABELNAME:_LBL_2 " + Iinc + " GOTO:_LBL_1"},
        ForCase{"for (i = 0; i < 3;)", I0 + " LABELNAME:_LBL_1 NEW_CONT_LBL " + Iless3 +
                                           " IF:_LBL_2 " + B1 + " GOTO:_LBL_1 LABELNAME:_LBL_2"},
        ForCase{"for (i = 0; i < 3; i++)", I0 + " LABELNAME:_LBL_1 NEW_CONT_LBL:_LBL_3 " + Iless3 +
                                               " IF:_LBL_2 " + B1 + " LABELNAME:_LBL_3 " + Iinc +
                                               " GOTO:_LBL_1 LABELNAME:_LBL_2"}));

TEST(GrammarStatements, SwitchWithCasesAndDefault) {
    const string cases = "LSQUIG:{ EXPSTART " + num(1) + " CASE:case " +
                         expr(assign(id("b"), num(2))) + " EXPEND EXPSTART BREAK:break EXPEND " +
                         "EXPSTART DEFAULT:default " + expr(assign(id("b"), num(3))) +
                         " EXPEND RSQUIG:}";
    EXPECT_EQ(body("switch (a) { case 1: b = 2; break; default: b = 3; }"),
              voidF("EXPSTART NEW_BRK_LBL EXPSTART NEW_SWT_VAR " + expr(id("a")) +
                    " GETEXPVAL ASSIGN TOP_SWT_VAR EXPEND SWITCH_END BREAK " + cases +
                    " POP_SWT_VAR POP_SWITCH TOP_BRK_LBL POP_BRK_LBL EXPEND"));
}

TEST(GrammarStatements, LabelsGotoAndJumps) {
    EXPECT_EQ(body("out: a = 1; goto out; continue; return;"),
              voidF("EXPSTART LABELNAME:out " + expr(assign(id("a"), num(1))) +
                    " EXPEND EXPSTART GOTO:out EXPEND EXPSTART CONTINUE:continue EXPEND EXPSTART "
                    "RETURN:return EXPEND"));
}

TEST(GrammarStatements, EmptyStatementAndEmptyBlock) {
    EXPECT_EQ(body("; {}"), voidF("NULLFUNC NULLFUNC"));
}

// ---- Expressions -------------------------------------------------------------------------------

TEST(GrammarExpressions, LessAndGreaterGiveTheSameOperandOrder) {
    EXPECT_EQ(parseRun("int x = a < b;"),
              intInit("x", "EQU_MARK RELMINUS " + id("a") + " " + id("b") + " LESSTHAN:<"));
    EXPECT_EQ(parseRun("int x = b > a;"),
              intInit("x", "EQU_MARK RELMINUS " + id("a") + " " + id("b") + " BIGGERTHAN:>"));
}

TEST(GrammarExpressions, LessEqualAndGreaterEqualPairUpTheSameWay) {
    EXPECT_EQ(parseRun("int x = a <= b;"),
              intInit("x", "EQU_MARK RELMINUS " + id("b") + " " + id("a") + " LESSEQ:<="));
    EXPECT_EQ(parseRun("int x = b >= a;"),
              intInit("x", "EQU_MARK RELMINUS " + id("b") + " " + id("a") + " BIGGEREQ:>="));
}

TEST(GrammarExpressions, EqualityUsesAMinusMarker) {
    EXPECT_EQ(parseRun("int x = a != b;"),
              intInit("x", "EQU_MARK MINUS " + id("a") + " " + id("b") + " LNOTEQ:!="));
}

TEST(GrammarExpressions, BinaryOperatorsComeFirstAndBindByPrecedence) {
    EXPECT_EQ(parseRun("int x = a + b * 2;"),
              intInit("x", "PLUS:+ " + id("a") + " STAR:* " + id("b") + " " + num(2)));
    EXPECT_EQ(parseRun("int x = a - b - c;"),
              intInit("x", "MINUS:- MINUS:- " + id("a") + " " + id("b") + " " + id("c")));
}

TEST(GrammarExpressions, AssignmentAndCompoundAssignment) {
    EXPECT_EQ(body("a = b; a += 2; a = b = 1;"),
              voidF(expr(assign(id("a"), id("b"))) + " " +
                    expr(assign(id("a"), num(2), "PLUSEQ:+=")) + " " +
                    expr(assign(id("a"), assign(id("b"), num(1))))));
}

// && and || store 0 or 1 in a one-byte temporary; each operand is tested whole by IF or NIF.
TEST(GrammarExpressions, LogicalOperatorsStoreATruthValueAndJumpOnEachOperand) {
    EXPECT_EQ(parseRun("int x = a && b;"),
              intInit("x", "NEW_TMP_VAR EXPSTART INTEGER_CONSTANT=0 ASSIGN TOP_TMP_VAR EXPEND "
                           "EXPSTART " +
                               id("a") + " EXPEND IF:_LBL_1 EXPSTART " + id("b") +
                               " EXPEND IF:_LBL_1 EXPSTART INTEGER_CONSTANT=1 ASSIGN TOP_TMP_VAR "
                               "EXPEND LABELNAME:_LBL_1 GETEXPVAL POP_TMP_VAR"));
    EXPECT_EQ(parseRun("int x = a || b;"),
              intInit("x", "NEW_TMP_VAR EXPSTART INTEGER_CONSTANT=1 ASSIGN TOP_TMP_VAR EXPEND "
                           "EXPSTART " +
                               id("a") + " EXPEND NIF:_LBL_1 EXPSTART " + id("b") +
                               " EXPEND NIF:_LBL_1 EXPSTART INTEGER_CONSTANT=0 ASSIGN TOP_TMP_VAR "
                               "EXPEND LABELNAME:_LBL_1 GETEXPVAL POP_TMP_VAR"));
}

// ?: assigns the chosen branch to one 16-bit temporary inside nested runs, then the temporary
// stands as the value.
TEST(GrammarExpressions, AConditionalAssignsEachBranchInANestedRun) {
    EXPECT_EQ(parseRun("int x = c ? a : b;"),
              intInit("x", "EXPSTART NEW_TMP_VAR_LONG " + id("c") + " EXPEND IF:_LBL_1 EXPSTART " +
                               expr(id("a")) +
                               " GETEXPVAL ASSIGN TOP_TMP_VAR EXPEND GOTO:_LBL_2 "
                               "LABELNAME:_LBL_1 EXPSTART " +
                               id("b") +
                               " GETEXPVAL ASSIGN TOP_TMP_VAR EXPEND LABELNAME:_LBL_2 TOP_TMP_VAR "
                               "POP_TMP_VAR"));
}

// A cast is a CAST operator before its operand, naming the type (pointer stars included).
TEST(GrammarExpressions, ACastIsAnOperatorNamingItsType) {
    EXPECT_EQ(parseRun("int x = (unsigned long)a;"), intInit("x", "CAST:unsigned long " + id("a")));
    EXPECT_EQ(parseRun("int x = (char)a;"), intInit("x", "CAST:char " + id("a")));
    EXPECT_EQ(parseRun("int x = (int *)a;"), intInit("x", "CAST:int * " + id("a")));
}

TEST(GrammarExpressions, PrefixIncrementAndUnaryOperators) {
    EXPECT_EQ(parseRun("int x = ++a;"), intInit("x", "POSTINC_START PREINC:++ POSTFIX_EXP_START " +
                                                         id("a") + " POSTINC_END POSTFIX_EXP_END"));
    EXPECT_EQ(parseRun("int x = -a;"), intInit("x", "UMINUS " + id("a")));
    EXPECT_EQ(parseRun("int x = @a;"), intInit("x", "RESOLV_CONST_PTR " + id("a")));
}

TEST(GrammarExpressions, SubscriptMemberAndParentheses) {
    EXPECT_EQ(parseRun("int x = p[1];"),
              intInit("x", "POSTFIX_EXP_START INDEX_ON IDENTIFIER:p SUBSCRIPT " + expr(num(1)) +
                               " INDEX_OFF POSTFIX_EXP_END"));
    EXPECT_EQ(parseRun("int x = s.m;"),
              intInit("x", "POSTFIX_EXP_START ST_ADDR_RESOLVE IDENTIFIER:s IDENTIFIER:m "
                           "POSTFIX_EXP_END"));
    EXPECT_EQ(parseRun("int x = p[1][2];"),
              intInit("x", "POSTFIX_EXP_START INDEX_ON IDENTIFIER:p SUBSCRIPT " + expr(num(1)) +
                               " SUBSCRIPT " + expr(num(2)) + " INDEX_OFF POSTFIX_EXP_END"));
    // A name in parentheses is the name, an object the object; any other value is a nested
    // expression.
    EXPECT_EQ(parseRun("int x = (a);"), intInit("x", id("a")));
    EXPECT_EQ(parseRun("int x = (-a);"),
              intInit("x", "POSTFIX_EXP_START EXPSTART UMINUS " + id("a") +
                               " EXPEND GETEXPVAL POSTFIX_EXP_END"));
}

struct SizeofCase {
    const char* text;
    const char* run;
};

class GrammarSizeof : public ::testing::TestWithParam<SizeofCase> {};

TEST_P(GrammarSizeof, TypeNamesAndIdentifiers) {
    EXPECT_EQ(parseRun(string("int s = ") + GetParam().text + ";"), intInit("s", GetParam().run));
}

INSTANTIATE_TEST_SUITE_P(
    WithAndWithoutParentheses, GrammarSizeof,
    ::testing::Values(SizeofCase{"sizeof int", "SIZEOFS"}, SizeofCase{"sizeof(int)", "SIZEOFS"},
                      SizeofCase{"sizeof short", "SIZEOFS"}, SizeofCase{"sizeof(short)", "SIZEOFS"},
                      SizeofCase{"sizeof char", "SIZEOFS"}, SizeofCase{"sizeof(char)", "SIZEOFS"},
                      SizeofCase{"sizeof long", "SIZEOFL"}, SizeofCase{"sizeof(long)", "SIZEOFL"},
                      SizeofCase{"sizeof void", "SIZEOF0"}, SizeofCase{"sizeof(void)", "SIZEOF0"},
                      SizeofCase{"sizeof v", "SIZEOF IDENTIFIER:v"},
                      SizeofCase{"sizeof(v)", "SIZEOF IDENTIFIER:v"}));

// ---- Inline assembly ---------------------------------------------------------------------------

TEST(GrammarAsm, SxStyleLinesWithALabel) {
    EXPECT_EQ(body("asm(\nloop  mov w, #1\n      setb rb.3\n      jmp loop\n);"),
              voidF("ASM_START ASM_INST_START ASMLABEL:loop ASMINST:mov IDENTIFIER:w COMMA "
                    "INTEGER_CONSTANT=1 ASM_INST_END ASM_INST_START ASMINST:setb IDENTIFIER:rb "
                    "COMMA INTEGER_CONSTANT=3 ASM_INST_END ASM_INST_START ASMINST:jmp "
                    "IDENTIFIER:loop ASM_INST_END ASM_END"));
}

TEST(GrammarAsm, PicStyleLinesWithALabel) {
    EXPECT_EQ(body("asm(\n movlw 5\n btfsc status, 2\n goto done\ndone nop\n);"),
              voidF("ASM_START ASM_INST_START ASMINST:movlw INTEGER_CONSTANT=5 ASM_INST_END "
                    "ASM_INST_START ASMINST:btfsc IDENTIFIER:status COMMA INTEGER_CONSTANT=2 "
                    "ASM_INST_END ASM_INST_START ASMINST:goto IDENTIFIER:done ASM_INST_END "
                    "ASM_INST_START ASMLABEL:done ASMINST:nop ASM_INST_END ASM_END"));
}

TEST(GrammarAsm, RasmBlockWithColonLabelAndBitMove) {
    EXPECT_EQ(body("rasm(\n:here movb rb.1, rc.2\n MOVB rb.3, rc.4\n);"),
              voidF("ASM_START RASM_START ASM_INST_START ASMLABEL:here ASMINST:movb "
                    "IDENTIFIER:rb INTEGER_CONSTANT=1 IDENTIFIER:rc INTEGER_CONSTANT=2 "
                    "ASM_INST_END ASM_INST_START ASMINST:MOVB IDENTIFIER:rb INTEGER_CONSTANT=3 "
                    "IDENTIFIER:rc INTEGER_CONSTANT=4 ASM_INST_END RASM_END ASM_END"));
}

TEST(GrammarAsm, OtherTwoBitFormsKeepTheirSeparators) {
    EXPECT_EQ(body("asm(\nx Movb rb.1, rc.2\n);"),
              voidF("ASM_START ASM_INST_START ASMLABEL:x ASMINST:Movb IDENTIFIER:rb ASMADDBDOT "
                    "INTEGER_CONSTANT=1 COMMA IDENTIFIER:rc ASMADDBDOT INTEGER_CONSTANT=2 "
                    "ASM_INST_END ASM_END"));
}

TEST(GrammarAsm, EquFormsPutTheEquBeforeTheLabel) {
    EXPECT_EQ(body("asm(\ncount equ 5\n:alias EQU 7\n);"),
              voidF("ASM_START ASM_INST_START ASMEQU:equ ASMLABEL:count INTEGER_CONSTANT=5 "
                    "ASM_INST_END ASM_INST_START ASMEQU:EQU ASMLABEL:alias INTEGER_CONSTANT=7 "
                    "ASM_INST_END ASM_END"));
}

TEST(GrammarAsm, ANameAfterEquIsTheValueNotANewLabel) {
    // EQU counts as the line's instruction word, so the name after it is an operand.
    EXPECT_EQ(body("asm(\ncount equ other\n);"),
              voidF("ASM_START ASM_INST_START ASMEQU:equ ASMLABEL:count IDENTIFIER:other "
                    "ASM_INST_END ASM_END"));
}

TEST(GrammarAsm, CompareJumpBangPageAndOperandForms) {
    EXPECT_EQ(body("asm(\n cjne a, #3, out\n mov !option, w\n jmp @far\n mov w, <>x\n"
                   " sub a, b - c\n snb rb.1, x\n);"),
              voidF("ASM_START ASM_INST_START ASMINST:cjne IDENTIFIER:a COMMA INTEGER_CONSTANT=3 "
                    "COMMA IDENTIFIER:out ASM_INST_END ASM_INST_START ASMINST:mov IDENTIFIER:w "
                    "ASMBANG IDENTIFIER:option ASM_INST_END ASM_INST_START ASM_PAGE "
                    "IDENTIFIER:far ASMINST:jmp IDENTIFIER:far ASM_INST_END ASM_INST_START "
                    "ASMINST:mov IDENTIFIER:w COMMA SWAP IDENTIFIER:x ASM_INST_END ASM_INST_START "
                    "ASMINST:sub IDENTIFIER:a IDENTIFIER:c MINUS IDENTIFIER:b ASM_INST_END "
                    "ASM_INST_START ASMINST:snb IDENTIFIER:rb COMMA INTEGER_CONSTANT=1 ASMCOMMA "
                    "IDENTIFIER:x ASM_INST_END ASM_END"));
}

TEST(GrammarAsm, EmptyBlockIsASyntaxError) {
    FrontEndHarness h("void f() { asm( ); }");
    EXPECT_EQ(h.parse(), 1);
    EXPECT_TRUE(h.c.abortFlag);
}

} // namespace
} // namespace kavo::testing
