// Elements, pointers and members reached through FSR while the other operands of the same
// statement sit in other RAM banks (a bank selection rewrites FSR's bank bits, so every access
// must still reach its own byte), and pointer arithmetic in elements, as C counts it. Each program runs on the 28-pin part and on the 52-pin part
// (sixteen banks, the upper eight through FSR bit 7); the values are worked out by hand.
#include "tests/support/compiled_program.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace kavo {
namespace {

using testing::CompiledProgram;

struct Case {
    const char* name;
    const char* source;
    std::vector<std::pair<const char*, unsigned>> expected;
};

// Variables at fixed addresses, one or two to a bank, so that every statement crosses banks.
const char* const Globals =
    "int g @ 0x31; long lg @ 0x52; signed char sc @ 0x74; long lv @ 0x96;\n"
    "int *p @ 0xB1; long *lp @ 0xB2; unsigned char i @ 0x3A; unsigned char k @ 0x7A;\n"
    "unsigned char j @ 0x9A; unsigned char a[6] @ 0xF2; long la[4] @ 0x58;\n"
    "struct rec { int m; long w; } r @ 0xD3; struct rec *rp @ 0xB3;\n"
    "long res1 @ 0x34; long res2 @ 0x36; long res3 @ 0x38; long res4 @ 0x3C;\n"
    "long *lq @ 0xB4; int d @ 0xB5; unsigned char c1 @ 0xB6; unsigned char c2 @ 0xB7;\n"
    "char *s;\n";

const Case Cases[] = {
    {"StoreAndReadAnElement",
     "void main(void) { i = 3; k = 77; a[i] = k; res1 = a[i]; a[i] *= 3; res2 = a[3]; }\n",
     {{"res1", 77}, {"res2", 231}}},
    {"SixteenBitElementsWithEveryOperator",
     "void main(void) { la[1] = 1000; la[2] = 2000; k = 1; j = 2; lv = 301;\n"
     "  la[k] = la[k] + la[j]; res1 = la[1];\n"
     "  la[j] -= la[k]; la[j] /= lv; res2 = la[2];\n"
     "  la[k] <<= 2; res3 = la[1]; la[k] %= lv; res4 = la[k]; }\n",
     {{"res1", 3000}, {"res2", 0xFFFD}, {"res3", 12000}, {"res4", 12000 % 301}}},
    {"ThroughPointers",
     "void main(void) { g = 5; lg = 1000; sc = -3; lv = 300; p = &g; lp = &lg;\n"
     "  *p = sc; res1 = g; *lp += sc; res2 = lg; *lp = *lp + lv; res3 = lg;\n"
     "  *lp -= sc; *lp <<= 2; k = 2; *lp *= k; res4 = lg; }\n",
     {{"res1", 0xFFFD}, {"res2", 997}, {"res3", 1297}, {"res4", 10400}}},
    {"PointerIntoAnArrayAndMembersThroughAPointer",
     "void main(void) { i = 2; a[i] = 9; a[i + 1] = 4; sc = -3; lv = 300;\n"
     "  p = &a[i]; *p = *p + a[i + 1]; *p += sc; res1 = a[2];\n"
     "  rp = &r; r.w = 7; rp->w += lv; rp->w *= 3; res2 = r.w; rp->m = sc;\n"
     "  rp->w <<= 2; res3 = r.w; rp->w += rp->m; res4 = r.w; }\n",
     {{"res1", 10}, {"res2", 921}, {"res3", 3684}, {"res4", 3681}}},
    {"PointerArithmeticCountsElements",
     "void main(void) { la[0] = 100; la[1] = 200; la[2] = 300; la[3] = 400; lp = &la[0];\n"
     "  lp = lp + 1; res1 = *lp; lp += 2; res2 = *lp; lp -= 1; lp = 1 + lp; lp = lp - 1;\n"
     "  res3 = *lp; lq = &la[3]; d = lq - lp; k = 1; res4 = lp[k] + *(lp + k);\n"
     "  lp[k] = 999; c1 = lq > lp; c2 = lq == lp + 1; }\n",
     {{"res1", 200}, {"res2", 400}, {"res3", 300}, {"res4", 800}, {"d", 1}, {"c1", 1},
      {"c2", 1}}},
    {"StepsThroughPointers",
     "void main(void) { a[1] = 2; a[2] = 3; a[3] = 4; p = &a[1]; c1 = *p++; c2 = *p++;\n"
     "  *p++ = 44; res1 = a[3]; *--p = 7; res2 = a[3] + p[-1]; la[2] = 5; lp = &la[2];\n"
     "  res3 = *lp--; *lp++ = 6; res4 = *lp + la[1]; }\n",
     {{"c1", 2}, {"c2", 3}, {"res1", 44}, {"res2", 10}, {"res3", 5}, {"res4", 11}}},
    {"CharPointersReadProgramMemory",
     "void main(void) { s = \"hello\"; i = 4; c1 = s[1]; c2 = *(s + i); res1 = *s++;\n"
     "  res2 = *s++; res3 = s[i - 2]; }\n",
     {{"c1", 'e'}, {"c2", 'o'}, {"res1", 'h'}, {"res2", 'e'}, {"res3", 'o'}}},
};

std::string header(const char* file) {
    std::ifstream in(std::string(KAVO_EXAMPLES_DIR) + "/" + file);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class IndirectAccess : public ::testing::TestWithParam<Case> {};

TEST_P(IndirectAccess, ComputesWhatCSaysOnBothPartFamilies) {
    const Case& c = GetParam();
    for (const auto& [file, kind] : {std::pair{"sx28.h", sxsim::DeviceKind::SX28},
                                     std::pair{"sx52.h", sxsim::DeviceKind::SX52}}) {
        CompiledProgram program(header(file) + Globals + c.source, kind);
        program.restart();
        program.runToEnd();
        for (const auto& [name, value] : c.expected)
            EXPECT_EQ(program.value(name), value) << file << ": " << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, IndirectAccess, ::testing::ValuesIn(Cases),
                         [](const auto& programCase) { return std::string(programCase.param.name); });

} // namespace
} // namespace kavo
