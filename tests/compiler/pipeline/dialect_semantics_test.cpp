// Ordinary embedded C, compiled through the whole compiler and run on the SX core model: each
// program checks a construct that used to compile into something else without a word. The
// expected values are worked out by hand from what C says.
#include "tests/support/compiled_program.hpp"
#include "tests/support/sx28_prelude.hpp"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

namespace kavo {
namespace {

using testing::CompiledProgram;
using testing::Sx28;

// Compiles once; every run starts from a power-on reset.
class Program {
public:
    explicit Program(const std::string& source) : p_(Sx28 + source) {}
    void run(std::initializer_list<std::pair<const char*, int>> inputs = {}) {
        p_.restart(inputs);
        p_.runToEnd();
    }
    int value(const char* name) const { return static_cast<int>(p_.value(name)); }
    int signedValue(const char* name) const { return p_.signedValue(name); }
    int element(const char* name, int i) const { return static_cast<int>(p_.element(name, i)); }
    CompiledProgram& compiled() { return p_; }

private:
    CompiledProgram p_;
};

TEST(DialectSemantics, ContinueRunsTheStepOfAForAndTheTestOfADoWhile) {
    Program p("char i, k, j, m, n, w, v;\n"
              "void main(void) {\n"
              "  k = 0; for (i = 0; i < 5; i++) { if (i == 2) continue; k++; }\n"
              "  m = 0; j = 0; do { j++; if (j == 3) continue; m++; } while (j < 6);\n"
              "  n = 0; for (i = 0; ; i++) { if (i > 7) break; if (i & 1) continue; n++; }\n"
              "  v = 0; i = 0; for (; i < 5; i++) { if (i == 1) continue; v++; }\n"
              "  w = 0; i = 0; while (i < 6) { i++; if (i == 4) continue; w++; }\n"
              "}\n");
    p.run();
    EXPECT_EQ(p.value("k"), 4);
    EXPECT_EQ(p.value("j"), 6);
    EXPECT_EQ(p.value("m"), 5);
    EXPECT_EQ(p.value("n"), 4);
    EXPECT_EQ(p.value("v"), 4);
    EXPECT_EQ(p.value("w"), 5);
}

} // namespace
} // namespace kavo
