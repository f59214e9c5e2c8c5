// The random differential test of whole programs: generation, the host model's values, the
// compiled program's values, and the reduction of the first failures.

#include "tests/support/program_differential_run.hpp"
#include "tests/support/example_files.hpp"

#include "compiler/tables/placement_state.hpp"
#include "tests/support/compiled_program.hpp"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>

namespace kavo::testing::program {
namespace {

std::string deviceHeader(sxsim::DeviceKind device) {
    const char* name = device == sxsim::DeviceKind::SX52 ? "sx52.h" : "sx28.h";
    return exampleFile(name);
}

int lineCount(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// The error lines of a compilation, their line numbers counted from the program's first line
// rather than the device header's.
std::string errors(const std::string& messages, int headerLines) {
    std::string found;
    std::size_t start = 0;
    while (start < messages.size()) {
        std::size_t end = messages.find('\n', start);
        end = end == std::string::npos ? messages.size() : end;
        std::string line = messages.substr(start, end - start);
        start = end + 1;
        if (line.find("ERROR") == std::string::npos && line.find("FATAL") == std::string::npos &&
            line.find("Error Location") == std::string::npos)
            continue;
        const std::size_t at = line.find("Line:");
        if (at != std::string::npos) {
            const std::size_t digits = line.find_first_of("0123456789", at);
            const std::size_t after = line.find_first_not_of("0123456789", digits);
            const int number = std::stoi(line.substr(digits, after - digits)) - headerLines;
            line = line.substr(0, at) + "Line: " + std::to_string(number) + line.substr(after);
        }
        found += line + "\n";
    }
    return found.empty() ? messages : found;
}

std::string cellName(const Program& p, int variable, int cell) {
    const Variable& v = p.variables[variable];
    if (v.storage == Storage::Array)
        return v.name + "[" + std::to_string(cell) + "]";
    if (v.storage == Storage::Struct)
        return v.name + "." + p.structs[v.structType].members[cell].name;
    return v.name;
}

// The cell's bytes, low byte first, read as its type. A bit-field shares the byte of the
// bit-field before it, from the low bits, while it fits there.
std::int32_t readCell(CompiledProgram& compiled, const Program& p, int variable, int cell) {
    const std::string& name = p.variables[variable].name;
    int next = 0; // the first byte after the cells so far
    int used = 8; // the bits bit-fields use of the byte before next; 8 when it takes no more
    for (int c = 0;; ++c) {
        const Type t = cellType(p, variable, c);
        const int bits = cellBits(p, variable, c);
        int at = next;
        int lowestBit = 0;
        if (bits > 0 && used + bits <= 8) {
            at = next - 1;
            lowestBit = used;
            used += bits;
        } else {
            next += bits > 0 ? 1 : t.bits / 8;
            used = bits > 0 ? bits : 8;
        }
        if (c < cell)
            continue;
        if (bits > 0)
            return fieldValue(static_cast<std::int32_t>(compiled.element(name, at)) >> lowestBit,
                              bits, t);
        std::int32_t raw = 0;
        for (int byte = t.bits / 8 - 1; byte >= 0; --byte)
            raw = raw << 8 | static_cast<std::int32_t>(compiled.element(name, at + byte));
        return dialect::normalize(raw, t);
    }
}

// The wrong values, "g3 = 5, expected -3", and the banks the globals occupy.
std::string compare(CompiledProgram& compiled, const Program& p, const FinalCells& expected,
                    int& banks) {
    std::string wrong;
    std::set<int> used;
    for (std::size_t i = 0; i < p.variables.size(); ++i) {
        const Variable& v = p.variables[i];
        if (v.function >= 0 || holdsAddress(v) || !compiled.has(v.name))
            continue;
        used.insert(compiled.address(v.name) / 32);
        for (int c = 0; c < cellCount(p, v); ++c) {
            if (!expected[i][c])
                continue;
            const std::int32_t got = readCell(compiled, p, static_cast<int>(i), c);
            if (got != *expected[i][c])
                wrong += cellName(p, static_cast<int>(i), c) + " = " + std::to_string(got) +
                         ", expected " + std::to_string(*expected[i][c]) + "\n";
        }
    }
    banks = static_cast<int>(used.size());
    return wrong;
}

// What must stay the same while a refused program is reduced: its first error without the
// words holding digits (line numbers, the program's names and the compiler's temporaries)
// but with the message's number.
std::string signature(const Outcome& o) {
    if (o.verdict != Verdict::Refused)
        return {};
    std::istringstream first(o.message.substr(0, o.message.find('\n')));
    std::string text, word;
    while (first >> word) {
        const bool numbered = word.rfind("ERROR(", 0) == 0 || word.rfind("FATAL(", 0) == 0;
        if (numbered || word.find_first_of("0123456789") == std::string::npos)
            text += word + " ";
    }
    return text;
}

std::string deviceName(sxsim::DeviceKind device) {
    return device == sxsim::DeviceKind::SX52 ? "SX52" : "SX28";
}

// The failing program reduced while it fails the same way, with its message.
std::string example(const Program& p, const Outcome& failure, sxsim::DeviceKind device,
                    std::uint32_t seed) {
    const Program small = reduced(p, [&](const Program& candidate) {
        const auto expected = modelRun(candidate);
        if (!expected)
            return false;
        const Outcome o = check(candidate, *expected, device);
        return o.verdict == failure.verdict && signature(o) == signature(failure);
    });
    const auto expected = modelRun(small);
    const Outcome o = check(small, *expected, device);
    return deviceName(device) + (o.verdict == Verdict::Refused ? " refused" : " wrong") +
           " (program seed " + std::to_string(seed) + "):\n" + programText(small) + "--\n" +
           o.message;
}

} // namespace

Outcome check(const Program& p, const FinalCells& expected, sxsim::DeviceKind device) {
    const std::string header = deviceHeader(device);
    Outcome o;
    std::optional<CompiledProgram> compiled;
    try {
        compiled.emplace(header + programText(p), device);
    } catch (const std::exception& e) {
        o.message = errors(e.what(), lineCount(header));
        const bool tooBig =
            o.message.rfind("ERROR(C70)", 0) == 0 || o.message.rfind("ERROR(C114)", 0) == 0;
        o.verdict = tooBig ? Verdict::TooBig : Verdict::Refused;
        return o;
    }
    o.pages = compiled->compilation().placement->programSize > PageWords;
    try {
        compiled->restart();
        compiled->runToEnd(5'000'000);
    } catch (const std::runtime_error& e) {
        o.verdict = Verdict::Disagrees;
        o.message = e.what() + std::string("\n");
        return o;
    }
    o.message = compare(*compiled, p, expected, o.banks);
    if (!o.message.empty())
        o.verdict = Verdict::Disagrees;
    return o;
}

ProgramFigures runRandomPrograms(std::uint32_t seed, int count, const Features& features,
                                 sxsim::DeviceKind device, int examples) {
    std::mt19937 seeds(seed);
    ProgramFigures figures;
    int shownRefusals = 0, wrongShown = 0;
    while (figures.programs < count) {
        const std::uint32_t programSeed = seeds();
        const Program p = generateProgram(programSeed, features, device);
        const auto expected = modelRun(p);
        if (!expected) {
            ++figures.undefined;
            continue;
        }
        ++figures.programs;
        const Outcome o = check(p, *expected, device);
        figures.banks = std::max(figures.banks, o.banks);
        figures.multiPage += o.pages ? 1 : 0;
        if (o.verdict == Verdict::Agrees)
            continue;
        if (o.verdict == Verdict::TooBig) {
            ++figures.tooBig;
            continue;
        }
        bool show = false;
        if (o.verdict == Verdict::Refused) {
            ++figures.refused;
            const std::string message = signature(o);
            show = figures.refusals[message]++ == 0 && shownRefusals++ < examples;
        } else {
            ++figures.disagreements;
            show = wrongShown++ < examples;
        }
        if (show)
            figures.examples.push_back(example(p, o, device, programSeed));
    }
    return figures;
}

} // namespace kavo::testing::program
