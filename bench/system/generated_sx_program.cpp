// generatedSxProgram: each function takes nine lines and one more for its call in main.
#include "bench/system/generated_sx_program.hpp"

#include <algorithm>

namespace kavo::bench {

namespace {

constexpr int LinesPerFunction = 10; // nine for the body, one for the call
constexpr int FixedLines = 4;        // include, globals, main's first and last line

std::string function(int n) {
    const std::string name = std::to_string(n);
    return "void f" + name +
           "(void) {\n"
           "    g1 = g0 + " +
           std::to_string(n % 7) +
           ";\n"
           "    if (g1 > 10)\n"
           "        g2 = g1 - 1;\n"
           "    else\n"
           "        g2 = g1 + 2;\n"
           "    while (g2) g2--;\n"
           "    for (g3 = 0; g3 < 4; g3++) g0 += g3;\n"
           "}\n";
}

} // namespace

GeneratedProgram generatedSxProgram(int lines, const std::string& deviceHeader) {
    GeneratedProgram program;
    program.functions = std::max(1, (lines - FixedLines) / LinesPerFunction);
    program.text = "#include \"" + deviceHeader + "\"\nunsigned char g0, g1, g2, g3;\n";
    for (int n = 0; n < program.functions; ++n)
        program.text += function(n);
    program.text += "void main(void) {\n";
    for (int n = 0; n < program.functions; ++n)
        program.text += "    f" + std::to_string(n) + "();\n";
    program.text += "}\n";
    program.lines = static_cast<int>(std::count(program.text.begin(), program.text.end(), '\n'));
    return program;
}

} // namespace kavo::bench
