// What the compiler refuses, and how it says so: every limitation the README's dialect
// section lists gives its message here, and the rest of the program still compiles.
#include "compiler/base/fatal_stop.hpp"
#include "tests/support/in_process_compile.hpp"
#include "tests/support/sx28_prelude.hpp"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace kavo {
namespace {

using testing::Sx28;

// The messages of a whole compilation of the program.
struct Outcome {
    bool compiled = false;
    std::string messages;
};

// A fatal stop (the compiler entry reports it as "Error Location Number") ends the run
// with the messages given so far.
Outcome compile(const std::string& source) {
    testing::InProcessCompile run;
    run.wholeBackEnd = true;
    try {
        run.run(Sx28 + source);
    } catch (const FatalStop&) {
        return {false, run.io.messages};
    }
    return {run.c.successFlag, run.io.messages};
}

bool has(const Outcome& o, const std::string& text) {
    return o.messages.find(text) != std::string::npos;
}

int count(const Outcome& o, const std::string& text) {
    int n = 0;
    for (std::size_t at = o.messages.find(text); at != std::string::npos;
         at = o.messages.find(text, at + 1))
        ++n;
    return n;
}

// The program's first line, after the device prelude.
constexpr int First = testing::Sx28Lines + 1;

std::string line(int n) {
    return "Line: " + std::to_string(First + n - 1) + " ";
}

TEST(DialectMessages, InitialisersThatCannotBeStoredAreRefused) {
    const Outcome tooMany = compile("char tbl[2] = {1, 2, 3};\nvoid main(void) { }\n");
    EXPECT_FALSE(tooMany.compiled);
    EXPECT_TRUE(has(tooMany, "ERROR(C275): " + line(1) + "Too many initialisers for tbl.\n"))
        << tooMany.messages;
    const Outcome nested = compile("struct pt { char x; char y; } p = {1, {2, 3}};\n"
                                   "void main(void) { }\n");
    EXPECT_TRUE(has(nested, "ERROR(C275): " + line(1) + "Too many initialisers for p.\n"))
        << nested.messages;

    // A parameter a[] is a pointer.
    const Outcome unsized = compile("char t[];\nchar f(char a[]) { return a[0]; }\n"
                                    "char b[2]; char k;\nvoid main(void) { k = f(b); }\n");
    EXPECT_TRUE(has(unsized, "ERROR(C276): " + line(1) +
                                 "Array t has no size: give its size, an initialiser list, or "
                                 "(for a parameter) use a pointer.\n"))
        << unsized.messages;
    EXPECT_EQ(count(unsized, "ERROR"), 1) << "one message: " << unsized.messages;

    const Outcome fromArray = compile("char a[2]; char b[2] = a;\nvoid main(void) { }\n");
    EXPECT_TRUE(has(fromArray, "ERROR(C259): " + line(1) +
                                   "an array initialised from something other than a brace "
                                   "list or a string is not supported by this compiler yet.\n"))
        << fromArray.messages;
}

TEST(DialectMessages, CaseAndDefaultOutsideASwitchAreRefused) {
    const Outcome o = compile("char c;\nvoid main(void) {\n  case 1: c = 2;\n  default: c = 3;\n"
                              "  switch (c) { case 4: while (c) { case 5: c--; } }\n}\n");
    EXPECT_FALSE(o.compiled);
    EXPECT_TRUE(has(o, "ERROR(C277): " + line(3) + "case outside a switch statement.\n"))
        << o.messages;
    EXPECT_TRUE(has(o, "ERROR(C277): " + line(4) + "default outside a switch statement.\n"))
        << o.messages;
    EXPECT_EQ(count(o, "ERROR"), 2) << "a case inside a loop inside a switch is fine, and "
                                       "nothing else is reported: "
                                    << o.messages;
}

// A constant too wide for its operand is worth a warning only where the operand is one byte.
TEST(DialectMessages, RangeWarningsConcernEightBitOperandsOnly) {
    const Outcome o = compile("long l; long w[2]; char ch;\nvoid main(void) {\n"
                              "  l = 1000; l = l + 1000; l = 1000 + l; w[1] = 1000;\n"
                              "  ch = 300;\n  ch = ch + 300;\n  ch = 300 + ch;\n}\n");
    EXPECT_TRUE(o.compiled) << o.messages;
    EXPECT_FALSE(has(o, line(3))) << "no warning for the long lines: " << o.messages;
    EXPECT_TRUE(has(o, "WARNING(C254): " + line(4))) << o.messages;
    EXPECT_TRUE(has(o, "WARNING(C252): " + line(5))) << o.messages;
    EXPECT_TRUE(has(o, "WARNING(C253): " + line(6))) << o.messages;
    EXPECT_EQ(count(o, "WARNING(C25"), 3) << "one warning per constant: " << o.messages;
}

// Once the string table is full every further string is its own C31, and nothing else.
TEST(DialectMessages, AFullStringTableGivesOneMessagePerString) {
    std::string source = "char *p;\nvoid main(void) {\n";
    const std::string text(200, 'x');
    for (int i = 0; i < 45; ++i)
        source += "  p = \"" + text + "\";\n";
    source += "}\n";
    const Outcome o = compile(source);
    EXPECT_FALSE(o.compiled);
    // Strings 0 to 39 take 201 positions each (7839 + 200 still ends before 8190).
    EXPECT_EQ(count(o, "ERROR(C31)"), 5) << o.messages;
    EXPECT_TRUE(has(o, "ERROR(C31): " + line(43) + "No space for string")) << o.messages;
    EXPECT_EQ(count(o, "ERROR(C51)"), 0) << o.messages;
    // Besides them only the program's size is reported: the table does not fit this chip.
    EXPECT_EQ(count(o, "ERROR"), 6) << o.messages;
    EXPECT_TRUE(has(o, "ERROR(C70)")) << o.messages;
}

// Constructs the generator does not compile yet each name themselves, once.
TEST(DialectMessages, UnsupportedConstructsAreNamed) {
    struct Case {
        const char* program;
        const char* message;
    };
    const Case cases[] = {
        {"struct pt { char x; char y; } a; char k;\nvoid main(void) { k = a + 1; }\n",
         "struct a used as a whole value (other than in an assignment from a struct of its own "
         "type, as an argument or as a returned value)"},
        {"struct pt { char x; } a; char k;\nstruct pt make(void) { return a; } void main(void) "
         "{ k = make() + 1; }\n",
         "the struct make() returns used as a whole value"},
        {"int v, *ip; char k;\nvoid main(void) { ip = &v; k = ip->y; }\n",
         "member access through a pointer (->y) on something other than a pointer to a struct"},
        {"struct pt { char x; char y; } pts[2]; char k, i;\nvoid main(void) { k = pts[i]; }\n",
         "this use of an array element (an element of an array of structs needs a member)"},
        {"struct pt { char x; } a, b;\nstruct pt make(void) { return a; } char f(char v) { "
         "return v; } void main(void) { f(make() + 1); }\n",
         "the struct make() returns used as a whole value"},
        {"int m[2][3];\nvoid main(void) { m[1] = 0; }\n",
         "storing into the array m[...] (an array is no variable: store into its elements)"},
        {"int m[2][3]; int (*pa)[3];\nvoid main(void) { pa = m; *pa = 0; }\n",
         "storing into the array *pa"},
        {"int *p;\nvoid main(void) { p[1][2] = 0; }\n", "a second subscript on the pointer p"},
        {"struct s { int m[2]; } ss[2]; int *q; char i;\nvoid main(void) { ss[i].m = q; }\n",
         "the member array m as a target"},
        {"char k;\nint (*fp)(int);\nvoid main(void) { }\n", "the function pointer fp"},
        {"char k;\nint (**pp)[3];\nvoid main(void) { }\n",
         "the pointer pp to a pointer to an array"},
        {"char k;\nint *(*pp)[3];\nvoid main(void) { }\n",
         "the pointer pp to an array of pointers or of arrays"},
        {"char k;\nstruct pt { char x; }; struct pt (*ps)[3];\nvoid main(void) { }\n",
         "the pointer ps to an array of anything but integers"},
        {"char k;\nstruct q { int (*pa)[3]; } s;\nvoid main(void) { }\n",
         "the pointer pa to an array as a struct member"},
        {"char k;\nint (*pa[2])[3];\nvoid main(void) { }\n", "the array pa of pointers to arrays"},
        {"int m[2][3];\nint (*f(void))[3] { return m; } void main(void) { f(); }\n",
         "the function f returning a pointer to an array"},
        {"int m[2][3]; int *q;\nvoid main(void) { q = (int *)((int (*)[3])m + 1); }\n",
         "a pointer to an array in a type name (a cast or sizeof)"},
        {"char k;\nvoid main(void) { k = @k; }\n",
         "the @ form on something other than a constant address from 0 to 255"},
        {"int v; int *p;\nvoid main(void) { p = &v; (*p + 1)++; }\n",
         "storing into a parenthesised value that is not a variable"},
        {"typedef int row[3];\nrow **pr;\nvoid main(void) { }\n",
         "the pointer pr of the typedef'd array type"},
        {"typedef char row[3];\nrow f(void) { }\nvoid main(void) { f(); }\n",
         "the function f returning a value of the typedef'd array type"},
        {"char k;\ntypedef int *(*rows)[3];\nvoid main(void) { }\n",
         "the typedef rows (a typedef may add pointers, one array of numbered sizes or one "
         "pointer to such an array to a type, or make an array of one dimension of pointers)"},
        {"typedef int (*rows)[3];\nrows t[2];\nvoid main(void) { }\n",
         "the array t of the typedef'd pointer to an array type"},
        {"char k;\ntypedef char bytes[k];\nvoid main(void) { }\n",
         "the typedef bytes (a typedef may add pointers"},
        {"typedef int row[3];\ntypedef row *prow[2];\nvoid main(void) { }\n",
         "the typedef prow (a typedef may add pointers"},
        {"char k;\ntypedef char name = 1;\nvoid main(void) { }\n", "an initialiser on a typedef"},
        {"int *p; char k;\nvoid main(void) { k = sizeof(*(p + 1)); }\n",
         "sizeof of this expression (sizeof takes a type or an expression of variables, elements "
         "a[i], *p, members s.m or p->m, calls, strings and constants; not a pointer reached "
         "through a computed address)"},
        {"struct pt { char x; } s; char k;\nvoid main(void) { k = sizeof(s + 1); }\n",
         "sizeof of an expression with the struct or union s as an operand"},
        {"char k;\nvoid main(void) { k = sizeof(float); }\n", "sizeof of this type"},
        {"char k;\nvoid main(void) { k = 1LL; }\n",
         "the integer suffix LL (u, l, ul and lu are: there is no 32-bit type)"},
        {"char x;\nvoid main(void) { x = 1.5; }\n",
         "the floating constant 1.5 (there is no floating point arithmetic)"},
    };
    // The parser's token names (FLOATING_CONSTANT, EQU_MARK) mean nothing to a user.
    const std::regex tokenName("ERROR\\(C259\\):[^\n]*\\b[A-Z]+_[A-Z_]+\\b");
    for (const Case& c : cases) {
        const Outcome o = compile(c.program);
        EXPECT_FALSE(o.compiled) << c.program;
        EXPECT_TRUE(has(o, "ERROR(C259): " + line(2) + c.message)) << o.messages;
        EXPECT_TRUE(has(o, "is not supported by this compiler yet.\n")) << o.messages;
        EXPECT_EQ(count(o, "ERROR"), 1) << o.messages;
        EXPECT_FALSE(std::regex_search(o.messages, tokenName)) << o.messages;
    }
}

// Eight return addresses fit the chip's stack: a chain of calls one deeper is refused, and a
// runtime routine's call counts as one.
TEST(DialectMessages, CallsNestedDeeperThanTheStackAreRefused) {
    const auto chain = [](int functions, const char* innermost) {
        std::string program = std::string("char k;\nchar f0(char x) { return ") + innermost +
                              "; }\n";
        for (int f = 1; f < functions; ++f)
            program += "char f" + std::to_string(f) + "(char x) { return f" +
                       std::to_string(f - 1) + "(x) + 1; }\n";
        return program + "void main(void) { k = f" + std::to_string(functions - 1) + "(k); }\n";
    };
    EXPECT_TRUE(compile(chain(8, "x + 1")).compiled);
    for (const auto& [program, depth] : {std::pair{chain(9, "x + 1"), 9},
                                         std::pair{chain(8, "x * k"), 9}}) {
        const Outcome o = compile(program);
        EXPECT_FALSE(o.compiled);
        EXPECT_TRUE(has(o, "Calls nest " + std::to_string(depth) + " deep (main, f")) << o.messages;
        EXPECT_EQ(count(o, "ERROR"), 1) << o.messages;
    }
}

// A call of a function not yet declared is refused once, by name (C89 would guess its
// parameters' widths).
TEST(DialectMessages, ACallBeforeTheDeclarationIsNamedOnce) {
    const Outcome o = compile("char k;\nvoid main(void) { k = g(2) - 3; }\nchar g(char a) { return a; }\n");
    EXPECT_TRUE(has(o, "ERROR(C347): " + line(2) + "The function g is called before it is declared"))
        << o.messages;
    EXPECT_EQ(count(o, "ERROR"), 1) << o.messages;
    EXPECT_EQ(count(o, "WARNING(C44)"), 0) << o.messages;
}

// A variable placed with @ beyond the chip's RAM would wrap onto another one.
TEST(DialectMessages, AnAddressBeyondTheRamIsRefused) {
    const Outcome o = compile("char lo @ 0xF3;\nchar hi @ 0x1F3;\nvoid main(void) { hi = lo; }\n");
    EXPECT_TRUE(has(o, "ERROR(C348): " + line(2) +
                           "hi, 1 byte at 499 (0x1F3), reaches beyond the chip's RAM, whose last "
                           "address is 255 (0xFF).\n"))
        << o.messages;
    EXPECT_EQ(count(o, "ERROR"), 1) << o.messages;
    const Outcome negative = compile("char k;\nchar x @ -1;\nvoid main(void) { x = k; }\n");
    EXPECT_TRUE(has(negative, "ERROR(C349): " + line(2) + "The address -1 given with @ is "
                                                           "negative"))
        << negative.messages;
}

// A label repeated in one function is named as the program writes it.
TEST(DialectMessages, ALabelRepeatedInItsFunctionIsNamed) {
    const Outcome o = compile("char k;\nvoid main(void) { out: k++; out: k = 0; }\n");
    EXPECT_FALSE(o.compiled);
    EXPECT_TRUE(has(o, "ERROR(C118): " + line(2) + "Label out previously declared near line"))
        << o.messages;
}

// A bit-field is an 8-bit integer of 1 to 8 bits, with a constant width, and no address.
TEST(DialectMessages, BitFieldsOutsideTheRulesAreRefused) {
    const struct {
        const char* program;
        const char* code;
        const char* message;
    } cases[] = {
        {"char k;\nstruct f { long a : 3; };\nvoid main(void) { }\n",
         "C342", "the bit-field a is not of an 8-bit integer type"},
        {"char k;\nstruct f { char *p : 3; };\nvoid main(void) { }\n",
         "C342", "the bit-field p is not of an 8-bit integer type"},
        {"char k;\nstruct f { unsigned a : 9; };\nvoid main(void) { }\n",
         "C343", "the bit-field a is 9 bits wide: its type holds 1 to 8 bits.\n"},
        {"char k;\nstruct f { unsigned a : 0; };\nvoid main(void) { }\n",
         "C343", "the bit-field a is 0 bits wide"},
        {"char k;\nstruct f { unsigned a : -1; };\nvoid main(void) { }\n",
         "C343", "the bit-field a is -1 bits wide"},
        {"char k;\nstruct f { char a; int : 12; };\nvoid main(void) { }\n",
         "C343", "an unnamed bit-field is 12 bits wide: its type holds 0 to 8"},
        {"char k;\nstruct f { unsigned a : k; };\nvoid main(void) { }\n",
         "C345", "The width of a bit-field must be a constant expression.\n"},
        {"struct f { unsigned a : 3; } s; unsigned char *p;\nvoid main(void) { p = &s.a; }\n",
         "C344", "A bit-field has no address of its own"},
        {"struct f { unsigned a : 3; } s; char k;\nvoid main(void) { k = sizeof s.a; }\n",
         "C344", "A bit-field has no address of its own"},
    };
    for (const auto& c : cases) {
        const Outcome o = compile(c.program);
        EXPECT_FALSE(o.compiled) << c.program;
        EXPECT_TRUE(has(o, std::string("ERROR(") + c.code + "): " + line(2) + c.message))
            << o.messages;
        EXPECT_EQ(count(o, "ERROR"), 1) << o.messages;
    }
}

// Pointer forms that used to be refused with follow-on messages (C07, C42, C19, C44, an
// internal getbase() warning, C500) compile without a message of any kind.
TEST(DialectMessages, PointerLevelsCompileWithoutMessages) {
    const char* programs[] = {
        "int x; int *p; int **pp; int ***ppp;\n"
        "void main(void) { p = &x; pp = &p; ppp = &pp; ***ppp = 4; }\n",
        "int x; void *vp;\nvoid main(void) { vp = &x; *(int *)vp = 3; }\n",
        "int x; int *p;\nint **getpp() { return &p; }\n"
        "void main(void) { p = &x; **getpp() = 5; }\n",
        "int x;\nvoid *getv() { return &x; }\nvoid main(void) { int *q; q = getv(); *q = 5; }\n",
        "char buf[3]; char *bp; char **bpp; void **vpp; void *vp; int x;\n"
        "void main(void) { bp = buf; bpp = &bp; **bpp = 3; bpp[0][1] = 4; vpp = &vp; "
        "*vpp = &x; }\n",
        "typedef int **ipp; typedef int *ip; typedef char *strs[3]; int x; int *p;\n"
        "ipp q = &p; ip *r; ip arr[3]; strs names = {\"a\", \"b\", \"c\"};\n"
        "void main(void) { p = &x; r = q; arr[0] = *r; **q = 1; }\n",
    };
    for (const char* program : programs) {
        testing::InProcessCompile run;
        run.wholeBackEnd = true;
        run.run(Sx28 + program);
        EXPECT_TRUE(run.c.successFlag) << program << run.io.messages;
        EXPECT_EQ(run.io.messages.find("ERROR"), std::string::npos) << run.io.messages;
        EXPECT_EQ(run.io.messages.find("WARNING"), std::string::npos) << run.io.messages;
        EXPECT_EQ(run.io.err.find("WARNING"), std::string::npos) << run.io.err;
    }
}

TEST(DialectMessages, APrototypeAndItsDefinitionMustAgree) {
    const struct {
        const char* program;
        int line;
        const char* message;
    } cases[] = {
        {"char f(char a);\nchar f(long a) { return 1; }\nchar r;\n"
         "void main(void) { r = f(1); }\n",
         2, "The definition of f does not match its prototype.\n"},
        {"char f(char a, char);\nchar f(char a, char b, char c);\nvoid main(void) { }\n", 2,
         "This declaration of f does not match its prototype.\n"},
        {"struct pt { char x; } a; union w { char c; };\n"
         "void f(struct pt p);\nvoid f(union w p) { }\nvoid main(void) { f(a); }\n",
         3, "The definition of f does not match its prototype.\n"},
        // A K&R definition is checked once its parameters are declared.
        {"char f(char a, long b);\nchar f(a, b)\nchar a; char b; { return a; }\n"
         "void main(void) { f(1, 2); }\n",
         3, "The definition of f does not match its prototype.\n"},
    };
    for (const auto& c : cases) {
        const Outcome o = compile(c.program);
        EXPECT_TRUE(has(o, "ERROR(C273): " + line(c.line) + c.message)) << o.messages;
    }
    const Outcome missing = compile("char f(char a);\nchar r;\nvoid main(void) {\n"
                                    "  r = f(1);\n  r = f(2);\n}\n");
    EXPECT_TRUE(
        has(missing, "ERROR(C274): " + line(4) + "Function f is declared but never defined.\n"))
        << missing.messages;
    EXPECT_EQ(count(missing, "C274"), 1) << missing.messages;
}

// Declarations that contradict one another, const objects assigned, designators that name
// nothing, and other mistakes: each reported once, where it is written, in the words the user
// wrote it in (never the parser's token names, such as INT or EXPSTART).
TEST(DialectMessages, MistakesAreReportedOnceInTheirOwnWords) {
    struct Case {
        const char* program;
        std::string message;
    };
    const Case cases[] = {
        {"char x;\nlong x;\nvoid main(void) { x = 1; }\n",
         "ERROR(C331): " + line(2) +
             "The declaration of x does not match its declaration in line " +
             std::to_string(First) + ".\n"},
        {"int *p;\nchar *p;\nvoid main(void) { p = 0; }\n",
         "ERROR(C331): " + line(2) + "The declaration of p does not match"},
        {"extern char a[3];\nchar a[4];\nvoid main(void) { a[0] = 1; }\n",
         "ERROR(C331): " + line(2) + "The declaration of a does not match"},
        {"int (*pa)[3];\nint (*pa)[4];\nvoid main(void) { pa = 0; }\n",
         "ERROR(C331): " + line(2) + "The declaration of pa does not match"},
        {"const char k = 1;\nvoid main(void) { k++; }\n",
         "ERROR(C294): " + line(2) + "k is const: it cannot be assigned.\n"},
        {"char * const p = \"ab\";\nvoid main(void) { p = \"cd\"; }\n",
         "ERROR(C294): " + line(2) + "p is const: it cannot be assigned.\n"},
        {"typedef int *ip; int b;\nconst ip q = &b; void main(void) { q = &b; }\n",
         "ERROR(C294): " + line(2) + "q is const: it cannot be assigned.\n"},
        {"struct pt { char x; } const s = {1};\nvoid main(void) { s.x = 2; }\n",
         "ERROR(C294): " + line(2) + "s is const: it cannot be assigned.\n"},
        {"struct pt { char x; } p = { .y = 1 };\nvoid main(void) { }\n",
         "ERROR(C29): " + line(1) + "Identifier y not defined.\n"},
        {"char k;\nchar f(void) { return 1; }\nvoid main(void) { k = sizeof(f()); }\n",
         "ERROR(C338): " + line(3) +
             "sizeof of a call to f needs f declared before it: a function the program never "
             "calls is deleted, and only a prototype keeps its type.\n"},
        {"char k;\nvoid f(void);\nvoid main(void) { k = sizeof(f()); f(); }\nvoid f(void) { }\n",
         "ERROR(C339): " + line(3) +
             "sizeof of a call to f, which returns void: a void value has no size.\n"},
        {"char a[2] = { [2] = 1 };\nvoid main(void) { }\n",
         "ERROR(C332): " + line(1) + "The designator [2] is outside the array.\n"},
        {"struct pt { char x; } q = { [0] = 1 };\nvoid main(void) { }\n",
         "ERROR(C295): " + line(1) +
             "The designator [0] does not fit the object: it is not an array.\n"},
        {"char b[2] = { .x = 1 };\nvoid main(void) { }\n",
         "ERROR(C295): " + line(1) +
             "The designator .x does not fit the object: it is not a struct or union.\n"},
        {"char k;\nvoid main(void) { int a[k]; a[0] = 1; }\n",
         "ERROR(C10): " + line(2) + "Expecting constant expression for array size.\n"},
        {"char b[2][];\nvoid main(void) { b[0] = 1; }\n",
         "ERROR(C305): " + line(1) +
             "Array b: only its first dimension may be left without a "
             "size.\n"},
        {"char c[300][300];\nvoid main(void) { c[1] = 2; }\n",
         "ERROR(C306): " + line(1) + "Array c has more than 65535 elements.\n"},
        {"char m[2][3];\nvoid main(void) { m[0][1][2] = 1; }\n",
         "ERROR(C307): " + line(2) + "Array m has 2 dimensions: 3 subscripts are too many.\n"},
        {"volatile q;\nvoid main(void) { }\n", "ERROR(C20): Unknown type 0 () (q)\n"},
        {"char x;\nvoid main(void) { x = &(x + 1); }\n",
         "ERROR(C34): " + line(2) + "Expecting Identifier.\n"},
        {"void main(void) { 5 += 1; }\n",
         "ERROR(C48): " + line(1) + "Identifier expected near 5.\n"},
        // A struct or union passes, returns and copies whole between variables and calls only.
        {"struct pt { char x; } a;\nvoid g(char c) { } void main(void) { g(a); }\n",
         "ERROR(C310): " + line(2) +
             "Parameter c of g takes a value that is not a struct or union: the struct pt a "
             "cannot be passed for it.\n"},
        {"struct pt { char x; } a;\nvoid f(struct pt p) { } void main(void) { f(3); }\n",
         "ERROR(C310): " + line(2) +
             "Parameter p of f takes a variable of type struct pt: this value cannot be passed "
             "for it.\n"},
        {"struct pt { char x; } a; union w { char c; } u;\nstruct pt bad(void) { return u; } "
         "void main(void) { a = bad(); }\n",
         "ERROR(C311): " + line(2) +
             "The value of this return statement is not a struct pt, which bad returns: return "
             "a variable of that type or a call returning one.\n"},
        {"struct pt { char x; } a; char r;\nstruct pt make(char v) { a.x = v; return a; } void "
         "main(void) { r = make(1).x + make(2).x; }\n",
         "ERROR(C312): " + line(2) +
             "The struct make() returns is read here after another call, or a member of it "
             "passed as an argument, which may overwrite it first: store the returned value in "
             "a variable first.\n"},
        {"struct pt { char x; } a, pts[2]; char r;\nstruct pt make(char v) { a.x = v; return a; "
         "} char at(void) { return make(1).x; } void main(void) { pts[at()] = make(0); }\n",
         "ERROR(C312): " + line(2) + "The struct make() returns is read here"},
        {"struct pt { char x; } a;\nstruct pt make(char v) { a.x = v; return a; } char k(struct pt "
         "p, char v) { return p.x + v; } void main(void) { k(make(1), k(a, 2)); }\n",
         "ERROR(C312): " + line(2) +
             "The struct make() returns is read here after another call"},
        {"struct in { char x; }; struct out { struct in in; } o[2];\nvoid g(char c) { } void "
         "main(void) { g(o[1].in); }\n",
         "ERROR(C310): " + line(2) +
             "Parameter c of g takes a value that is not a struct or union: the member struct "
             "in of o cannot be passed for it.\n"},
        {"struct pt { char x; char y; } pts[2]; char i;\nvoid g(char c) { } void main(void) { "
         "g(pts[i]); }\n",
         "ERROR(C310): " + line(2) +
             "Parameter c of g takes a value that is not a struct or union: an element of the "
             "struct pt array pts cannot be passed for it.\n"},
        {"struct pt { char x; } a, g[2][2]; char i;\nvoid main(void) { g[i][1] = a; }\n",
         "ERROR(C313): " + line(2) +
             "struct a copied whole to or from an element of an array of more than one "
             "dimension, or through a computed address, is not supported: copy it member by "
             "member.\n"},
    };
    const std::regex tokenName("(ERROR|WARNING)[^\n]*\\b(INT|EXTERN|EXPSTART|INTEGER_CONSTANT|"
                               "[A-Z]+_[A-Z_]+)\\b");
    for (const Case& c : cases) {
        const Outcome o = compile(c.program);
        EXPECT_FALSE(o.compiled) << c.program;
        EXPECT_TRUE(has(o, c.message)) << o.messages;
        EXPECT_EQ(count(o, "ERROR"), 1) << o.messages;
        EXPECT_FALSE(std::regex_search(o.messages, tokenName)) << o.messages;
    }
}

// The limitations the README's dialect section lists, each with its message.
TEST(DialectMessages, TheDialectsLimitationsSayWhatTheyAre) {
    const Outcome floating =
        compile("float x;\ndouble y;\n_Bool b;\nchar k;\nvoid main(void) { k = (_Bool)k; }\n");
    EXPECT_TRUE(has(floating, "ERROR(C256): " + line(1) +
                                  "Type float is not supported: there is no floating point "
                                  "arithmetic.\n"))
        << floating.messages;
    EXPECT_TRUE(has(floating, "ERROR(C256): " + line(2) + "Type double"));
    EXPECT_TRUE(has(floating, "ERROR(C340): " + line(3) +
                                  "Type _Bool is not supported: every store into it would have "
                                  "to turn a non-zero value into 1 (use unsigned char and store "
                                  "0 or 1).\n"))
        << floating.messages;
    EXPECT_TRUE(has(floating, "ERROR(C270): " + line(5) + "A cast to _Bool is not supported"));

    const Outcome enumerators = compile("char k;\nenum e { BIG = 300, NEXT, LAST = 255 };\n"
                                        "void main(void) { k = NEXT; }\n");
    EXPECT_TRUE(has(enumerators, "WARNING(C341): " + line(2) +
                                     "The value 301 of NEXT does not fit an int: it is 45.\n"))
        << enumerators.messages;
    EXPECT_EQ(count(enumerators, "C341"), 2) << enumerators.messages;

    const Outcome wide = compile("long long w;\nvoid v; char r;\nvoid main(void) { r = v; }\n");
    EXPECT_TRUE(has(wide, "ERROR(C334): " + line(1) +
                              "long long (a 32-bit integer) is not supported: long, 16 bits, is "
                              "the widest type.\n"))
        << wide.messages;
    EXPECT_TRUE(has(wide, "ERROR(C335): " + line(2) +
                              "v is declared void: only a function or a pointer may be.\n"))
        << wide.messages;
    EXPECT_EQ(count(wide, "ERROR"), 2) << wide.messages;
    const Outcome literal =
        compile("struct pt { char x; } a;\nvoid main(void) { a = (struct pt){1}; }\n");
    EXPECT_TRUE(has(literal, "ERROR(C333): " + line(2) +
                                 "A compound literal ((type){...}) is not supported: declare a "
                                 "variable"))
        << literal.messages;

    const Outcome recursion = compile("char f(char n) { if (n) return f(n - 1); return 0; }\n"
                                      "char r;\nvoid main(void) { r = f(3); }\n");
    EXPECT_FALSE(recursion.compiled);
    EXPECT_TRUE(has(recursion, "FATAL(C135): Possible recursive or circular call involving f."))
        << recursion.messages;

    // A void pointer reaches no object until it is cast; * of a non-pointer reaches nothing.
    const Outcome voidTarget = compile("int x; void *vp; void **vpp; char r;\n"
                                       "void f(void) { vpp = &vp; **vpp = 3; }\n"
                                       "void main(void) { vp = &x; r = *vp; f(); }\n");
    EXPECT_TRUE(has(voidTarget, "ERROR(C336): " + line(3) +
                                    "vp is a void pointer: * reaches no object through it (cast "
                                    "it to a pointer to the object's type first).\n"))
        << voidTarget.messages;
    EXPECT_TRUE(has(voidTarget, "ERROR(C336): " + line(2) + "this expression is a void pointer"))
        << voidTarget.messages;
    EXPECT_EQ(count(voidTarget, "ERROR"), 2) << voidTarget.messages;
    const Outcome notPointer =
        compile("int x; char r; struct s { char k; } st;\nvoid main(void) { r = *x; r = *st.k; }\n");
    EXPECT_TRUE(has(notPointer, "ERROR(C337): " + line(2) +
                                    "x is not a pointer: * reaches nothing through it.\n"))
        << notPointer.messages;
    EXPECT_TRUE(has(notPointer, "ERROR(C337): " + line(2) + "this member of st is not a pointer"))
        << notPointer.messages;

    const Outcome longInt = compile("long int li;\nvoid main(void) { }\n");
    EXPECT_TRUE(has(longInt, "ERROR(C08): " + line(1) + "Conflicting types defined near int\n"))
        << longInt.messages;

    const Outcome assembly = compile("char k;\nvoid main(void) { asm( ADD W,#1 ); k = 1; }\n");
    EXPECT_TRUE(has(assembly, "ERROR(C71): " + line(2) + "Invalid assembly instruction.\n"))
        << assembly.messages;
}

} // namespace
} // namespace kavo
