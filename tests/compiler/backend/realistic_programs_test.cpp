// Whole compiled programs run on the SX core model with and without the optimiser and leave
// the same values; the words the optimiser saves on each are printed.
#include "compiler/backend/backend.hpp"
#include "tests/support/in_process_compile.hpp"
#include "tests/support/instruction_runner.hpp"

#include <gtest/gtest.h>

#include <cstdio>

namespace kavo::testing {
namespace {

struct Program {
    const char* name;
    const char* source;
    std::vector<const char*> results;
};

const std::vector<Program>& programs() {
    static const std::vector<Program> list = {
        {"table sum",
         "unsigned char data[6]; long total; unsigned char i, maxv;\n"
         "void main(void) {\n"
         "  for (i = 0; i < 6; i++) data[i] = i + i + 1;\n"
         "  total = 0; maxv = 0;\n"
         "  for (i = 0; i < 6; i++) { total = total + data[i];"
         " if (data[i] > maxv) maxv = data[i]; }\n"
         "}\n",
         {"total", "maxv", "i"}},
        {"calls",
         "char a, b, c; long s;\n"
         "char clamp(char v, char lo, char hi) { if (v < lo) return lo; if (v > hi) return hi;"
         " return v; }\n"
         "long twice(long v) { return v + v; }\n"
         "void main(void) { a = clamp(-5, 0, 10); b = clamp(50, 0, 10); c = clamp(7, 0, 10);"
         " s = twice(a + b + c); }\n",
         {"a", "b", "c", "s"}},
        {"bit counting",
         "unsigned char flags, out, n;\n"
         "void main(void) { flags = 0x5A; flags = flags | 8; flags = flags & 247;"
         " flags = flags | 1; n = 0; out = 0;\n"
         "  while (n < 8) { if (flags & 1) out++; flags = flags >> 1; n++; } }\n",
         {"flags", "out", "n"}},
        {"16-bit counter",
         "long count; unsigned char steps; long limit;\n"
         "void main(void) { count = 250; limit = 300; steps = 0;\n"
         "  while (count < limit) { count = count + 1; steps = steps + 1; } }\n",
         {"count", "steps"}},
    };
    return list;
}

struct Compiled {
    Compiled(const char* source, bool rules) {
        compile.run(std::string("#pragma CCTEMP_LOC 8\n#pragma PAGEBITS_LOC 3\n") + source);
        optimise(compile.c, rules);
    }
    int words() const {
        int n = 0;
        for (const Instruction* i = compile.c.instructions.head(); i != nullptr; i = i->next)
            n += i->opcode != PIC_LABEL && i->opcode != PIC_STRINGLOC ? 1 : 0;
        return n;
    }
    InProcessCompile compile;
};

TEST(RealisticPrograms, OptimisedProgramsLeaveTheSameValues) {
    for (const Program& p : programs()) {
        SCOPED_TRACE(p.name);
        Compiled plain(p.source, false);
        Compiled optimised(p.source, true);
        ASSERT_EQ(plain.compile.c.errors(), 0) << plain.compile.io.messages;
        // The runner sizes a name by the offsets it sees, which an indexed array does not
        // show: arrays are pinned where nothing else is placed.
        const std::map<std::string, unsigned> arrays = {{"data", 0x08}};
        InstructionRunner a(plain.compile.c.instructions.head(), arrays);
        InstructionRunner b(optimised.compile.c.instructions.head(), arrays);
        ASSERT_EQ(a.runFrom("@main", 200000).reason, sxsim::StopReason::SelfJump);
        ASSERT_EQ(b.runFrom("@main", 200000).reason, sxsim::StopReason::SelfJump);
        for (const char* name : p.results) {
            EXPECT_EQ(a.byte(name), b.byte(name)) << name;
            if (std::string(name) == "total" || std::string(name) == "s" ||
                std::string(name) == "count") {
                EXPECT_EQ(a.byte(name, 1), b.byte(name, 1)) << name;
            }
        }
        EXPECT_LT(optimised.words(), plain.words());
        std::printf("%-16s %4d words before the rules, %4d after\n", p.name, plain.words(),
                    optimised.words());
    }
}

} // namespace
} // namespace kavo::testing
