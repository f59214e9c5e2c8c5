#pragma once

#include <string>

namespace kavo::bench {

// A C program of about `lines` lines made of many small functions with declarations,
// expressions, branches and loops: the shape of input the parser's speed is measured on.
inline std::string generatedProgram(int lines) {
    std::string text = "int total;\n";
    constexpr int LinesPerFunction = 12;
    const int functions = lines / LinesPerFunction;
    for (int f = 0; f < functions; ++f) {
        const std::string n = std::to_string(f);
        text += "int f" + n + "(int a, int b) {\n"
                "    int i;\n"
                "    i = a + b * 3;\n"
                "    if (i > 10)\n"
                "        i = i - 1;\n"
                "    else\n"
                "        i = i + 2;\n"
                "    while (i) i--;\n"
                "    for (b = 0; b < 4; b++) a += b;\n"
                "    return i;\n"
                "}\n"
                "\n";
    }
    text += "void main() {\n    total = f0(1, 2);\n}\n";
    return text;
}

} // namespace kavo::bench
