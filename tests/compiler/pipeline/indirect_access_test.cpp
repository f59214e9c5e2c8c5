// Elements, pointers and members reached through FSR while the other operands of the same
// statement sit in other RAM banks (a bank selection rewrites FSR's bank bits, so every access
// must still reach its own byte), elements at a constant index reached directly in their own
// bank, pointer arithmetic in elements, as C counts it, and small
// firmware as users write it (a ring buffer, sorting and searching a table, a CRC through a
// pointer, a checksum over an array of structs) with the variables where the compiler places
// them. Each program runs on the 28-pin part and on the 52-pin part
// (sixteen banks, the upper eight through FSR bit 7); the values are worked out by hand.
#include "tests/support/compiled_program.hpp"
#include "tests/support/example_files.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kavo {
namespace {

using testing::CompiledProgram;

struct Case {
    const char* name;
    const char* globals; // variables at fixed addresses, or none
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
    {"StoreAndReadAnElement", Globals,
     "void main(void) { i = 3; k = 77; a[i] = k; res1 = a[i]; a[i] *= 3; res2 = a[3]; }\n",
     {{"res1", 77}, {"res2", 231}}},
    {"SixteenBitElementsWithEveryOperator", Globals,
     "void main(void) { la[1] = 1000; la[2] = 2000; k = 1; j = 2; lv = 301;\n"
     "  la[k] = la[k] + la[j]; res1 = la[1];\n"
     "  la[j] -= la[k]; la[j] /= lv; res2 = la[2];\n"
     "  la[k] <<= 2; res3 = la[1]; la[k] %= lv; res4 = la[k]; }\n",
     {{"res1", 3000}, {"res2", 0xFFFD}, {"res3", 12000}, {"res4", 12000 % 301}}},
    {"ThroughPointers", Globals,
     "void main(void) { g = 5; lg = 1000; sc = -3; lv = 300; p = &g; lp = &lg;\n"
     "  *p = sc; res1 = g; *lp += sc; res2 = lg; *lp = *lp + lv; res3 = lg;\n"
     "  *lp -= sc; *lp <<= 2; k = 2; *lp *= k; res4 = lg; }\n",
     {{"res1", 0xFFFD}, {"res2", 997}, {"res3", 1297}, {"res4", 10400}}},
    {"PointerIntoAnArrayAndMembersThroughAPointer", Globals,
     "void main(void) { i = 2; a[i] = 9; a[i + 1] = 4; sc = -3; lv = 300;\n"
     "  p = &a[i]; *p = *p + a[i + 1]; *p += sc; res1 = a[2];\n"
     "  rp = &r; r.w = 7; rp->w += lv; rp->w *= 3; res2 = r.w; rp->m = sc;\n"
     "  rp->w <<= 2; res3 = r.w; rp->w += rp->m; res4 = r.w; }\n",
     {{"res1", 10}, {"res2", 921}, {"res3", 3684}, {"res4", 3681}}},
    {"PointerArithmeticCountsElements", Globals,
     "void main(void) { la[0] = 100; la[1] = 200; la[2] = 300; la[3] = 400; lp = &la[0];\n"
     "  lp = lp + 1; res1 = *lp; lp += 2; res2 = *lp; lp -= 1; lp = 1 + lp; lp = lp - 1;\n"
     "  res3 = *lp; lq = &la[3]; d = lq - lp; k = 1; res4 = lp[k] + *(lp + k);\n"
     "  lp[k] = 999; c1 = lq > lp; c2 = lq == lp + 1; }\n",
     {{"res1", 200}, {"res2", 400}, {"res3", 300}, {"res4", 800}, {"d", 1}, {"c1", 1},
      {"c2", 1}}},
    {"StepsThroughPointers", Globals,
     "void main(void) { a[1] = 2; a[2] = 3; a[3] = 4; p = &a[1]; c1 = *p++; c2 = *p++;\n"
     "  *p++ = 44; res1 = a[3]; *--p = 7; res2 = a[3] + p[-1]; la[2] = 5; lp = &la[2];\n"
     "  res3 = *lp--; *lp++ = 6; res4 = *lp + la[1]; }\n",
     {{"c1", 2}, {"c2", 3}, {"res1", 44}, {"res2", 10}, {"res3", 5}, {"res4", 11}}},
    {"CharPointersReadProgramMemory", Globals,
     "void main(void) { s = \"hello\"; i = 4; c1 = s[1]; c2 = *(s + i); res1 = *s++;\n"
     "  res2 = *s++; res3 = s[i - 2]; }\n",
     {{"c1", 'e'}, {"c2", 'o'}, {"res1", 'h'}, {"res2", 'e'}, {"res3", 'o'}}},
    // Firmware, placed by the compiler.
    {"RingBuffer", "",
     "unsigned char buf[8]; unsigned char head, tail, count, sum; unsigned char out[6];\n"
     "void put(unsigned char v) { buf[head] = v; head = (head + 1) & 7; count++; }\n"
     "unsigned char get(void) { unsigned char v; v = buf[tail]; tail = (tail + 1) & 7;\n"
     "  count--; return v; }\n"
     "void main(void) { unsigned char i; head = 0; tail = 0; count = 0; sum = 0;\n"
     "  for (i = 0; i < 10; i++) { put(i * 3); if (count > 4) sum = sum + get(); }\n"
     "  for (i = 0; i < 6; i++) out[i] = buf[i]; }\n",
     {{"sum", 45}, {"head", 2}, {"tail", 6}, {"count", 4}}},
    {"InsertionSortAndBinarySearch", "",
     "unsigned char data[10] = {9, 4, 7, 1, 8, 2, 6, 3, 5, 0}; signed char r1, r2;\n"
     "unsigned char first, last;\n"
     "void sort(void) { unsigned char i, j, key;\n"
     "  for (i = 1; i < 10; i++) { key = data[i]; j = i;\n"
     "    while (j > 0 && data[j - 1] > key) { data[j] = data[j - 1]; j--; }\n"
     "    data[j] = key; } }\n"
     "signed char find(unsigned char v) { unsigned char lo, hi, mid; lo = 0; hi = 10;\n"
     "  while (lo < hi) { mid = (lo + hi) >> 1; if (data[mid] == v) return mid;\n"
     "    if (data[mid] < v) lo = mid + 1; else hi = mid; }\n"
     "  return -1; }\n"
     "void main(void) { sort(); r1 = find(7); r2 = find(12); first = data[0];"
     " last = data[9]; }\n",
     {{"r1", 7}, {"r2", 255}, {"first", 0}, {"last", 9}}},
    {"Crc8ThroughAPointer", "",
     "unsigned char msg[6] = {0x31, 0x32, 0x33, 0x34, 0x35, 0x36}; unsigned char crc;\n"
     "unsigned char crc8(unsigned int *p, unsigned char n) { unsigned char c, b; c = 0;\n"
     "  while (n--) { c ^= *p++;\n"
     "    for (b = 0; b < 8; b++) { if (c & 0x80) c = (c << 1) ^ 7; else c <<= 1; } }\n"
     "  return c; }\n"
     "void main(void) { crc = crc8(&msg[0], 6); }\n",
     {{"crc", 253}}},
    {"ElementsAtConstantIndexesReachedDirectly", Globals,
     "long widen(long x) { return x; }\n"
     "void main(void) { a[0] = 7; a[5] = a[0] + 250; la[3] = -2; la[1] = la[3] + a[5];"
     " sc = -9; res1 = la[1]; res2 = widen(a[5]); res3 = sc * 3; g = a[5] + la[3]; }\n",
     {{"res1", 0xFFFF}, {"res2", 1}, {"res3", 0xFFE5}, {"g", 0xFF}}},
    {"FletcherOverStructRecords", "",
     "struct rec { unsigned char id; long val; } recs[4]; long sum;\n"
     "long fletcher(void) { unsigned char i; long s1, s2; s1 = 0; s2 = 0;\n"
     "  for (i = 0; i < 4; i++) { s1 = (s1 + recs[i].id) % 255; s2 = (s2 + s1) % 255;\n"
     "    s1 = (s1 + (recs[i].val & 255)) % 255; s2 = (s2 + s1) % 255; }\n"
     "  return (s2 << 8) | s1; }\n"
     "void main(void) { unsigned char k;\n"
     "  for (k = 0; k < 4; k++) { recs[k].id = k + 1; recs[k].val = 1000 * (k + 1) + 7; }\n"
     "  sum = fletcher(); }\n",
     {{"sum", 54585}}},
};

class IndirectAccess : public ::testing::TestWithParam<Case> {};

TEST_P(IndirectAccess, ComputesWhatCSaysOnBothPartFamilies) {
    const Case& c = GetParam();
    for (const auto& [file, kind] : {std::pair{"sx28.h", sxsim::DeviceKind::SX28},
                                     std::pair{"sx52.h", sxsim::DeviceKind::SX52}}) {
        CompiledProgram program(testing::exampleFile(file) + c.globals + c.source, kind);
        program.restart();
        program.runToEnd();
        for (const auto& [name, value] : c.expected)
            EXPECT_EQ(program.value(name), value) << file << ": " << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, IndirectAccess, ::testing::ValuesIn(Cases),
                         [](const auto& program) { return std::string(program.param.name); });

} // namespace
} // namespace kavo
