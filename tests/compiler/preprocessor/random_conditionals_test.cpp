// Random sources of nested conditionals over random macro sets (object-like and
// function-like, defined, redefined and undefined as the source goes) must keep the same
// marked lines, expanded to the same tokens, as the host's C preprocessor (gcc -E) keeps.
// Skipped when gcc is not installed.
#include "compiler/preprocessor/preprocessor.hpp"
#include "compiler/run/compilation.hpp"
#include "tests/support/capture_io.hpp"
#include "tests/support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sstream>

namespace kavo {
namespace {

class SourceGenerator {
public:
    explicit SourceGenerator(std::uint32_t seed) : random_(seed) {}

    std::string source() {
        text_.clear();
        marker_ = 0;
        // The function-like macros every source may call.
        text_ += "#define F(x, y) ((x) * 3 - (y))\n#define G(x) F(x, A1)\n#define S(x) #x\n"
                 "#define P(a, b) a##b\n";
        block(0);
        return text_;
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    std::string macro() { return "A" + std::to_string(pick(5)); }

    // Inside a macro's arguments `defined` is left out: C leaves its meaning there open.
    std::string operand(int depth, bool inCall = false) {
        switch (depth > 2 ? pick(3) : pick(7)) {
        case 0:
            return std::to_string(pick(20) - 5);
        case 1:
            return macro();
        case 2:
            if (inCall)
                return macro();
            return pick(2) ? "defined " + macro() : "defined(" + macro() + ")";
        case 3:
            return "F(" + expression(depth + 1, true) + ", " + operand(depth + 1, true) + ")";
        case 4:
            return "(" + expression(depth + 1, inCall) + " ? " + operand(depth + 1, inCall) +
                   " : " + operand(depth + 1, inCall) + ")";
        case 5:
            return "!" + operand(depth + 1, inCall);
        default:
            return "G(" + operand(depth + 1, true) + ")";
        }
    }

    std::string expression(int depth, bool inCall = false) {
        static const char* const operators[] = {
            "+", "-", "*", "<", ">=", "==", "!=", "&&", "||", "&", "|", "^", "<<", ">>"};
        std::string text = operand(depth, inCall);
        for (int i = pick(3); i > 0; --i) {
            const std::string op = operators[pick(14)];
            // Shift counts stay small and divisors are never zero.
            text +=
                " " + op + " " +
                (op == "<<" || op == ">>" ? std::to_string(pick(5)) : operand(depth + 1, inCall));
        }
        if (pick(4) == 0)
            text = "(" + text + ") / " + std::to_string(pick(5) + 1);
        return text;
    }

    void markedLine() {
        text_ += "L" + std::to_string(marker_++) + ": " + macro() + " G(" + macro() + ") S(" +
                 macro() + " + 1) P(A, " + std::to_string(pick(5)) + ")\n";
    }

    void block(int depth) {
        for (int items = pick(5) + 1; items > 0; --items) {
            switch (pick(depth < 4 ? 6 : 3)) {
            case 0:
                markedLine();
                break;
            case 1:
                text_ += pick(3) ? "#define " + macro() + " " + std::to_string(pick(9)) + "\n"
                                 : "#undef " + macro() + "\n";
                break;
            case 2:
                markedLine();
                break;
            default:
                conditional(depth);
            }
        }
    }

    void conditional(int depth) {
        switch (pick(3)) {
        case 0:
            text_ += "#if " + expression(0) + "\n";
            break;
        case 1:
            text_ += "#ifdef " + macro() + "\n";
            break;
        default:
            text_ += "#ifndef " + macro() + "\n";
        }
        block(depth + 1);
        for (int elifs = pick(3); elifs > 0; --elifs) {
            text_ += "#elif " + expression(0) + "\n";
            block(depth + 1);
        }
        if (pick(2)) {
            text_ += "#else\n";
            block(depth + 1);
        }
        text_ += "#endif\n";
    }

    std::mt19937 random_;
    std::string text_;
    int marker_ = 0;
};

// The marked lines of a preprocessed text, blanks removed (the two preprocessors space
// their output differently).
std::vector<std::string> markedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::erase_if(line, [](char c) { return c == ' ' || c == '\t'; });
        if (line.size() > 1 && line[0] == 'L' && std::isdigit(static_cast<unsigned char>(line[1])))
            lines.push_back(line);
    }
    return lines;
}

std::string hostPreprocessor(const std::string& file) {
    const std::string command = "gcc -E -P -undef -nostdinc -x c " + file + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    pclose(pipe);
    return output;
}

TEST(RandomConditionals, KeepTheLinesTheHostPreprocessorKeeps) {
    if (std::system("gcc --version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "gcc is not installed: the host preprocessor is missing";
    testing::TempDir dir;
    int kept = 0;
    for (std::uint32_t seed = 1; seed <= 100; ++seed) {
        const std::string source = SourceGenerator(seed).source();
        testing::writeFile("main.c", source);
        CompilerSettings settings;
        testing::CaptureIo io;
        Compilation c{settings, io};
        OutputStream out;
        ASSERT_TRUE(out.open("main.pre"));
        Preprocessor(c, out).preprocess("main.c");
        out.close();
        ASSERT_EQ(c.errors(), 0) << io.messages << source;
        const auto ours = markedLines(testing::readFile("main.pre"));
        const auto host = markedLines(hostPreprocessor("main.c"));
        ASSERT_EQ(ours, host) << "seed " << seed << ":\n" << source;
        kept += static_cast<int>(ours.size());
    }
    // The generator must reach both outcomes: lines kept and lines skipped.
    EXPECT_GT(kept, 100);
}

} // namespace
} // namespace kavo
