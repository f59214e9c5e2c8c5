// What the compiler refuses, and how it says so: every limitation the README's dialect
// section lists gives its message here, and the rest of the program still compiles.
#include "tests/support/in_process_compile.hpp"
#include "tests/support/sx28_prelude.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kavo {
namespace {

using testing::Sx28;

// The messages of a whole compilation of the program.
struct Outcome {
    bool compiled = false;
    std::string messages;
};

Outcome compile(const std::string& source) {
    testing::InProcessCompile run;
    run.wholeBackEnd = true;
    run.run(Sx28 + source);
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
    EXPECT_TRUE(has(tooMany, "ERROR(C270): " + line(1) + "Too many initialisers for tbl.\n"))
        << tooMany.messages;
    const Outcome nested = compile("struct pt { char x; char y; } p = {1, {2, 3}};\n"
                                   "void main(void) { }\n");
    EXPECT_TRUE(has(nested, "ERROR(C270): " + line(1) + "Too many initialisers for p.\n"))
        << nested.messages;

    const Outcome unsized = compile("char t[];\nchar f(char a[]) { return a[0]; }\n"
                                    "char b[2]; char k;\nvoid main(void) { k = f(b); }\n");
    EXPECT_TRUE(has(unsized, "ERROR(C271): " + line(1) + "Array t has no size"));
    EXPECT_TRUE(has(unsized, "ERROR(C271): " + line(2) +
                                 "Array a has no size: give its size, an initialiser list, or "
                                 "(for a parameter) use a pointer.\n"))
        << unsized.messages;
    EXPECT_EQ(count(unsized, "ERROR"), 2) << "one message each: " << unsized.messages;

    const Outcome fromArray = compile("char a[2]; char b[2] = a;\nvoid main(void) { }\n");
    EXPECT_TRUE(has(fromArray, "ERROR(C259): " + line(1) +
                                   "an array initialised from something other than a brace "
                                   "list or a string is not supported by this compiler yet.\n"))
        << fromArray.messages;
}

} // namespace
} // namespace kavo
