// The shorter forms the compiler picks for common code compute what C says: a multiplication
// by a constant built inline (at 8 bits when only a byte is stored, reading a volatile operand
// once), a shift stored into a byte done at 8 bits, and a condition of &&, || and ! that jumps
// on each operand in C's order (the right operand not run when the left one decides). The
// values are worked out by hand.
#include "tests/support/compiled_program.hpp"
#include "tests/support/sx28_prelude.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kavo {
namespace {

using testing::CompiledProgram;

struct Case {
    const char* name;
    const char* source;
    std::vector<std::pair<std::string, int>> inputs;
    std::vector<std::pair<const char*, int>> expected; // each byte pattern read signed
};

const Case Cases[] = {
    {"MultiplicationsByAConstant",
     "unsigned char u; char s; long l; volatile unsigned char vu; volatile char vs;\n"
     "long m1, m2, m3, m4, m5, m6; char n1; unsigned char n2, n3;\n"
     "void main(void) { m1 = u * 3; m2 = s * 5; m3 = l * 5; m4 = vu * 7; m5 = s * 2;"
     " m6 = vs * 3; n1 = s * 7; n2 = u * 10; n3 = l * 6; }\n",
     {{"u", 200}, {"s", -7}, {"l", -300}, {"vu", 37}, {"vs", -3}},
     {{"m1", 600},
      {"m2", -35},
      {"m3", -1500},
      {"m4", 259},
      {"m5", -14},
      {"m6", -9},
      {"n1", -49},
      {"n2", -48},  // 2000 & 255 is 208
      {"n3", -8}}}, // -1800 & 255 is 248
    {"ShiftsStoredInAByte",
     "unsigned char u; char s; long l; unsigned char r1, r3; char r2, r4; long r5;\n"
     "void main(void) { r1 = u << 3; r2 = s >> 2; r3 = u >> 1; r4 = l << 2; r5 = s >> 1; }\n",
     {{"u", 53}, {"s", -100}, {"l", 0x1234}}, // r1: 424 & 255 is 168
     {{"r1", -88}, {"r2", -25}, {"r3", 26}, {"r4", -48}, {"r5", -50}}},
    {"ConditionsJumpOnEachOperand",
     "char a, b, c, i, k; long l; char r1, r2, r3, r4, r5, r6, r7;\n"
     "char bump(void) { k++; return 1; }\n"
     "void main(void) {\n"
     "  if (a && !b) r1 = 1; else r1 = 2;\n"
     "  if (b || c > 4) r2 = 1;\n"
     "  if (!(a && b) && (c == 5 || c == 6)) r3 = 1;\n"
     "  while (l && k < 3) k++;\n"
     "  if (b && bump()) r4 = 1;\n"
     "  if (a || bump()) r5 = 1;\n"
     "  do r6++; while (!(r6 >= 3) || b);\n"
     "  for (i = 0; i < 2 || r7 < 5; i++) r7++;\n"
     "}\n",
     {{"a", 1}, {"b", 0}, {"c", 5}, {"l", 256}, {"k", 0}, {"r4", 0}, {"r6", 0}, {"r7", 0}},
     {{"r1", 1}, {"r2", 1}, {"r3", 1}, {"k", 3}, {"r4", 0}, {"r5", 1}, {"r6", 3}, {"r7", 5}}},
};

class ShortForms : public ::testing::TestWithParam<Case> {};

TEST_P(ShortForms, ComputeWhatCSays) {
    const Case& c = GetParam();
    CompiledProgram program(testing::Sx28 + c.source);
    program.restart(c.inputs);
    program.runToEnd();
    for (const auto& [name, value] : c.expected)
        EXPECT_EQ(program.signedValue(name), value) << name;
}

INSTANTIATE_TEST_SUITE_P(Programs, ShortForms, ::testing::ValuesIn(Cases),
                         [](const auto& program) { return std::string(program.param.name); });

} // namespace
} // namespace kavo
