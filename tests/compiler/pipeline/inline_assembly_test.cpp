// Inline assembly runs as the chip runs it: asm( ... ) blocks in both mnemonic styles go
// through the whole compiler, the object file runs on the SX core model, and the registers the
// block writes must hold what the instructions compute. The macro mnemonics (compare-and-jump,
// compare-and-skip, flag jumps, MOVB ...) are checked against the relation they name on both
// sides of it.
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/inline_assembly.hpp"
#include "compiler/tables/opcodes.hpp"
#include "tests/support/compiled_program.hpp"
#include "tests/support/in_process_compile.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace kavo {
namespace {

using testing::CompiledProgram;

std::string deviceHeader() {
    std::ifstream in(std::string(KAVO_EXAMPLES_DIR) + "/sx28.h");
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string program(const std::string& body) {
    return deviceHeader() + body;
}

struct Pair {
    int a;
    int b;
};

const std::vector<Pair> Pairs = {{5, 9}, {9, 5}, {7, 7}, {0, 255}, {255, 0}, {128, 127}};

struct Relation {
    const char* name;
    std::function<bool(int, int)> holds;
};

const std::vector<Relation> Relations = {
    {"a", [](int a, int b) { return a > b; }},  {"ae", [](int a, int b) { return a >= b; }},
    {"b", [](int a, int b) { return a < b; }},  {"be", [](int a, int b) { return a <= b; }},
    {"e", [](int a, int b) { return a == b; }}, {"ne", [](int a, int b) { return a != b; }},
};

// For each relation r: jumped_<r> is 1 when CJ<r> a,<second>,... jumped, skipped_<r> is 1 when
// CS<r> a,<second> skipped the instruction after it. (Names like jb would read as mnemonics.)
std::string compareProgram(const std::string& second) {
    std::string globals = "unsigned char a, b";
    std::string code;
    int label = 0;
    for (const Relation& r : Relations) {
        const std::string suffix = r.name;
        const std::string upper = [&] {
            std::string u = suffix;
            for (char& ch : u)
                ch = static_cast<char>(ch - 'a' + 'A');
            return u;
        }();
        globals += ", jumped_" + suffix + ", skipped_" + suffix;
        const std::string taken = "t" + std::to_string(label++);
        code += "        MOV jumped_" + suffix + ",#1\n";
        code += "        CJ" + upper + " a," + second + "," + taken + "\n";
        code += "        CLR jumped_" + suffix + "\n";
        code += taken + "  MOV skipped_" + suffix + ",#1\n";
        code += "        CS" + upper + " a," + second + "\n";
        code += "        CLR skipped_" + suffix + "\n";
    }
    return program(globals + ";\nvoid main(void)\n{\n    asm(\n" + code + "    );\n}\n");
}

TEST(InlineAssembly, CompareAndJumpAndSkipFollowTheirRelationWithARegister) {
    CompiledProgram p(compareProgram("b"));
    for (const Pair& pair : Pairs) {
        p.restart({{"a", pair.a}, {"b", pair.b}});
        p.runToEnd();
        for (const Relation& r : Relations) {
            const unsigned expected = r.holds(pair.a, pair.b) ? 1 : 0;
            EXPECT_EQ(p.value(std::string("jumped_") + r.name), expected)
                << "CJ" << r.name << " " << pair.a << "," << pair.b;
            EXPECT_EQ(p.value(std::string("skipped_") + r.name), expected)
                << "CS" << r.name << " " << pair.a << "," << pair.b;
        }
    }
}

TEST(InlineAssembly, CompareAndJumpAndSkipFollowTheirRelationWithALiteral) {
    for (int k : {0, 100, 255}) {
        CompiledProgram p(compareProgram("#" + std::to_string(k)));
        for (int a : {0, 1, 99, 100, 101, 254, 255}) {
            p.restart({{"a", a}});
            p.runToEnd();
            for (const Relation& r : Relations) {
                const unsigned expected = r.holds(a, k) ? 1 : 0;
                EXPECT_EQ(p.value(std::string("jumped_") + r.name), expected)
                    << "CJ" << r.name << " " << a << ",#" << k;
                EXPECT_EQ(p.value(std::string("skipped_") + r.name), expected)
                    << "CS" << r.name << " " << a << ",#" << k;
            }
        }
    }
}

// The same computations written in the SX style and in the PIC style give the same results.
TEST(InlineAssembly, BothMnemonicStylesComputeTheSame) {
    CompiledProgram p(program(R"(
unsigned char x, y;
unsigned char s0, s1, s2, s3, s4, s5, s6, s7;
unsigned char p0, p1, p2, p3, p4, p5, p6, p7;
void main(void)
{
    asm(
        MOV W,x
        ADD W,y
        MOV s0,W
        MOV W,y
        MOV W,x-W
        MOV s1,W
        MOV W,<>x
        MOV s2,W
        MOV W,/x
        MOV s3,W
        MOV W,++x
        MOV s4,W
        AND W,#15
        OR W,#64
        XOR W,#1
        MOV s5,W
        CLC
        MOV W,<<x
        MOV s6,W
        MOV W,y
        MOV s7,W
        ADD s7,W
    );
    asm(
        MOVF x,W
        ADDWF y,W
        MOVWF p0
        MOVF y,W
        SUBWF x,W
        MOVWF p1
        SWAPF x,W
        MOVWF p2
        COMF x,W
        MOVWF p3
        INCF x,W
        MOVWF p4
        ANDLW 15
        IORLW 64
        XORLW 1
        MOVWF p5
        BCF STATUS,0
        RLF x,W
        MOVWF p6
        MOVF y,W
        MOVWF p7
        ADDWF p7,F
    );
}
)"));
    for (const Pair& pair : Pairs) {
        const int x = pair.a;
        const int y = pair.b;
        p.restart({{"x", x}, {"y", y}});
        p.runToEnd();
        const int inc = (x + 1) & 0xFF;
        const unsigned expected[8] = {
            static_cast<unsigned>((x + y) & 0xFF),
            static_cast<unsigned>((x - y) & 0xFF),
            static_cast<unsigned>(((x << 4) | (x >> 4)) & 0xFF),
            static_cast<unsigned>(~x & 0xFF),
            static_cast<unsigned>(inc),
            static_cast<unsigned>(((inc & 15) | 64) ^ 1),
            static_cast<unsigned>((x << 1) & 0xFF),
            static_cast<unsigned>((2 * y) & 0xFF),
        };
        for (int k = 0; k < 8; ++k) {
            const std::string n = std::to_string(k);
            EXPECT_EQ(p.value("s" + n), expected[k]) << "SX style, byte " << k << " x=" << x;
            EXPECT_EQ(p.value("p" + n), expected[k]) << "PIC style, byte " << k << " x=" << x;
        }
        EXPECT_EQ(p.value("x"), static_cast<unsigned>(x)) << "the W forms leave x alone";
    }
}

TEST(InlineAssembly, FlagBitAndCountingMacrosRunAsTheyRead) {
    CompiledProgram p(program(R"(
unsigned char v, bits, copy, count, runs, carry, zero, added, inverse;
void main(void)
{
    asm(
        CLR zero
        TEST v
        JNZ nonzero
        SETB zero.0
nonzero CLR carry
        STC
        SC
        SETB carry.0
        JNC nocarry
        SETB carry.1
nocarry CLR bits
        SETB bits.5
        CLRB bits.2
        CLR copy
        MOVB copy.7,v.0
        movb copy.1,bits.5
        CLR runs
        MOV count,#4
again   INC runs
        DJNZ count,again
        CLR added
        ADDB added,v.1
        ADDB added,v.1
        SUBB added,bits.5
        MOV inverse,#1
        JNB v.2,clear
        CLR inverse
clear   NOP
    );
}
)"));
    for (int v : {0, 1, 2, 5, 6, 255}) {
        p.restart({{"v", v}});
        p.runToEnd();
        EXPECT_EQ(p.value("zero"), v == 0 ? 1u : 0u) << v;
        EXPECT_EQ(p.value("carry"), 2u) << "SC skips the first SETB, JNC falls through";
        EXPECT_EQ(p.value("bits"), 0x20u);
        EXPECT_EQ(p.value("copy"), ((v & 1) ? 0x80u : 0u) | 0x02u) << v;
        EXPECT_EQ(p.value("runs"), 4u);
        EXPECT_EQ(p.value("count"), 0u);
        EXPECT_EQ(p.value("added"), static_cast<unsigned>(((v >> 1) & 1) * 2 - 1) & 0xFFu) << v;
        EXPECT_EQ(p.value("inverse"), (v & 4) ? 0u : 1u) << v;
    }
}

TEST(InlineAssembly, EquNamesANumberOrAnotherName) {
    CompiledProgram p(program(R"(
unsigned char counter, hits;
void main(void)
{
    asm(
limit   EQU 5
count   EQU counter
        MOV W,#limit
        MOV count,W
        CLR hits
        CJNE count,#limit,differ
        INC hits
differ  NOP
    );
}
)"));
    p.restart();
    p.runToEnd();
    EXPECT_EQ(p.value("counter"), 5u);
    EXPECT_EQ(p.value("hits"), 1u);
}

// On the SX48/52, MOV !port,W writes a port control register only while M bit 4 is set;
// reading a string (IREAD through M) must leave it so.
TEST(InlineAssembly, AStringReadLeavesTheFourKPartsPortWritesWorking) {
    std::ifstream in(std::string(KAVO_EXAMPLES_DIR) + "/sx52.h");
    const std::string sx52(std::istreambuf_iterator<char>(in), {});
    CompiledProgram p(sx52 + R"(
char *s = "AB";
char c;
void main(void)
{
    c = *s;
    asm(
        MODE 15
        MOV W,#240
        MOV !RB,W
    );
}
)",
                      sxsim::DeviceKind::SX52);
    p.restart();
    p.runToEnd();
    EXPECT_EQ(p.value("c"), 65u);
    EXPECT_EQ(p.core().tris(1), 0xF0) << "the direction of port B was written";
}

TEST(InlineAssemblyLines, MnemonicsAreFoundInEitherStyleAndAnyCase) {
    EXPECT_EQ(lookupmnemonic("movb"), PIC_MOVB);
    EXPECT_EQ(lookupmnemonic("Jmp"), PIC_GOTO);
    EXPECT_EQ(lookupmnemonic("addwf"), PIC_ADDWF);
    EXPECT_EQ(lookupmnemonic("MOVSZ"), PIC_MOV);
    EXPECT_EQ(lookupmnemonic("RETI"), PIC_RETFIE);
    EXPECT_EQ(lookupmnemonic("bogus"), PIC_UNKNOWN_INSTRUCTION);
}

int occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The placed program of a source, with its messages.
struct Placed {
    explicit Placed(const std::string& body) {
        run.wholeBackEnd = true;
        run.run(program(body));
    }
    testing::InProcessCompile run;
};

TEST(InlineAssemblyLines, JzIsTwoWordsAndAnOrgLabelSitsAtItsAddress) {
    Placed placed("unsigned char v;\nvoid main(void)\n{\n    asm(\n        TEST v\n"
                  "        JZ there\n        INC v\nthere   NOP\n"
                  "start   ORG 16\n        NOP\n    );\n}\n");
    ASSERT_TRUE(placed.run.c.successFlag) << placed.run.io.messages;
    const Instruction* jz = nullptr;
    for (const Instruction* i = placed.run.c.instructions.head(); i != nullptr; i = i->next) {
        if (i->opcode == PIC_GOTO && i->operand == "there")
            jz = i;
    }
    ASSERT_NE(jz, nullptr);
    const std::string listing = testing::readFile(placed.run.dir.path() / "prog.lst");
    // The bit test of the zero flag, then the jump, each a word of its own.
    EXPECT_NE(listing.find(strprintf("%03X- 643", jz->address - 1)), std::string::npos) << listing;
    EXPECT_NE(listing.find(strprintf("%03X- A", jz->address)), std::string::npos);
    EXPECT_NE(listing.find("010-          start"), std::string::npos) << listing;
    EXPECT_EQ(occurrences(listing, "ORG 16"), 1) << "the source's ORG is the only ORG line";
}

TEST(InlineAssemblyLines, ALineOfNoAcceptedFormIsReportedAndTheRestTranslated) {
    Placed placed("unsigned char v;\nvoid main(void)\n{\n    asm(\n        ADD W,#5\n"
                  "        MOV W,#3\n        MOV v,W\n    );\n}\n");
    EXPECT_NE(placed.run.io.messages.find("ERROR(C71): Line: "), std::string::npos)
        << placed.run.io.messages;
    EXPECT_NE(placed.run.io.messages.find(" Invalid assembly instruction.\n"), std::string::npos);
    EXPECT_FALSE(placed.run.c.successFlag);
    bool stored = false;
    for (const Instruction* i = placed.run.c.instructions.head(); i != nullptr; i = i->next)
        stored = stored || (i->opcode == PIC_MOVWF && i->operand == "v");
    EXPECT_TRUE(stored) << "translation goes on after the bad line";
}

} // namespace
} // namespace kavo
