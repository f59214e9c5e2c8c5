// Small firmware as users write it (a ring buffer, sorting and searching a table, a CRC over a
// message through a pointer, a checksum over an array of structs), with the variables wherever
// the compiler places them across the RAM banks. Each runs on the 28-pin and on the 52-pin
// part and must leave the values C gives (worked out on the host).
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

struct Firmware {
    const char* name;
    const char* source;
    std::vector<std::pair<const char*, unsigned>> expected;
};

const Firmware Programs[] = {
    {"RingBuffer",
     "unsigned char buf[8]; unsigned char head, tail, count, sum; unsigned char out[6];\n"
     "void put(unsigned char v) { buf[head] = v; head = (head + 1) & 7; count++; }\n"
     "unsigned char get(void) { unsigned char v; v = buf[tail]; tail = (tail + 1) & 7;\n"
     "  count--; return v; }\n"
     "void main(void) { unsigned char i; head = 0; tail = 0; count = 0; sum = 0;\n"
     "  for (i = 0; i < 10; i++) { put(i * 3); if (count > 4) sum = sum + get(); }\n"
     "  for (i = 0; i < 6; i++) out[i] = buf[i]; }\n",
     {{"sum", 45}, {"head", 2}, {"tail", 6}, {"count", 4}}},
    {"InsertionSortAndBinarySearch",
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
    {"Crc8ThroughAPointer",
     "unsigned char msg[6] = {0x31, 0x32, 0x33, 0x34, 0x35, 0x36}; unsigned char crc;\n"
     "unsigned char crc8(unsigned int *p, unsigned char n) { unsigned char c, b; c = 0;\n"
     "  while (n--) { c ^= *p++;\n"
     "    for (b = 0; b < 8; b++) { if (c & 0x80) c = (c << 1) ^ 7; else c <<= 1; } }\n"
     "  return c; }\n"
     "void main(void) { crc = crc8(&msg[0], 6); }\n",
     {{"crc", 253}}},
    {"FletcherOverStructRecords",
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

std::string header(const char* file) {
    std::ifstream in(std::string(KAVO_EXAMPLES_DIR) + "/" + file);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class FirmwarePrograms : public ::testing::TestWithParam<Firmware> {};

TEST_P(FirmwarePrograms, LeaveWhatCSaysOnBothPartFamilies) {
    const Firmware& f = GetParam();
    for (const auto& [file, kind] : {std::pair{"sx28.h", sxsim::DeviceKind::SX28},
                                     std::pair{"sx52.h", sxsim::DeviceKind::SX52}}) {
        CompiledProgram program(header(file) + f.source, kind);
        program.restart();
        program.runToEnd();
        for (const auto& [name, value] : f.expected)
            EXPECT_EQ(program.value(name), value) << file << ": " << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, FirmwarePrograms, ::testing::ValuesIn(Programs),
                         [](const auto& program) { return std::string(program.param.name); });

} // namespace
} // namespace kavo
