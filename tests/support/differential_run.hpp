#pragma once

// The random differential test of expressions: batches of generated statements are compiled
// as one program through the whole compiler, run on the SX core model with several sets of
// inputs, and every stored value is compared with the host model of the dialect. Each
// statement ends with a call of an empty function, where a breakpoint stops the run so that
// one result variable per type serves every statement.

#include "compiler/tables/opcodes.hpp"
#include "tests/support/compiled_program.hpp"
#include "tests/support/random_expression.hpp"
#include "tests/support/sx28_prelude.hpp"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kavo::testing {

struct GeneratedStatement {
    std::string text; // C statements, ending with the call of out()
    dialect::Type target;
    std::vector<std::int32_t> expected; // one per input set
};

struct DifferentialFigures {
    int programs = 0;
    int statements = 0;
    int evaluations = 0;               // statements times input sets
    int disagreements = 0;             // evaluations whose stored value differs
    int refused = 0;                   // statements the compiler refused
    std::vector<std::string> examples; // the first disagreements, for the failure text
};

namespace differential {

inline constexpr dialect::Op CompoundOperators[] = {
    dialect::Op::Add, dialect::Op::Sub, dialect::Op::And, dialect::Op::Or,
    dialect::Op::Xor, dialect::Op::Mul, dialect::Op::Div, dialect::Op::Mod};

inline dialect::Type anyType(ExpressionGenerator& g) {
    static constexpr dialect::Type types[] = {dialect::SignedChar, dialect::UnsignedChar,
                                              dialect::SignedLong, dialect::UnsignedLong};
    return types[g.pick(4)];
}

// A variable of the given type, as the first value of a compound assignment.
inline int variableOfType(ExpressionGenerator& g, const dialect::Type& t) {
    const auto& variables = expressionVariables();
    for (;;) {
        const int i = g.pick(static_cast<int>(variables.size()));
        if (variables[i].type == t)
            return i;
    }
}

// One statement whose value is defined for every input set.
inline GeneratedStatement statement(ExpressionGenerator& g, const std::vector<Inputs>& inputSets) {
    for (;;) {
        const ExpressionPtr e = g.expression(3);
        if (dividesByConstantZero(*e))
            continue;
        std::vector<dialect::Value> values;
        for (const Inputs& inputs : inputSets) {
            const auto value = evaluate(*e, inputs);
            if (!value)
                break;
            values.push_back(*value);
        }
        if (values.size() != inputSets.size())
            continue;
        GeneratedStatement s;
        s.target = values[0].type.literal ? dialect::SignedLong : values[0].type;
        if (g.features().otherTargetTypes && g.chance(0.3))
            s.target = anyType(g);
        const std::string r = resultVariable(s.target);
        if (g.features().compoundAssignments && g.chance(0.2)) {
            const dialect::Op op = CompoundOperators[g.pick(std::size(CompoundOperators))];
            const int first = variableOfType(g, s.target);
            bool defined = true;
            for (std::size_t i = 0; i < inputSets.size() && defined; ++i) {
                const dialect::Value start{inputSets[i][first], s.target};
                const auto value = dialect::binary(op, start, values[i]);
                defined = value.has_value();
                if (defined)
                    s.expected.push_back(dialect::convert(*value, s.target).v);
            }
            if (!defined)
                continue;
            s.text = r + " = " + expressionVariables()[first].name + "; " + r + " " +
                     dialect::spelling(op) + "= " + toC(*e) + "; out();";
            return s;
        }
        for (const dialect::Value& value : values)
            s.expected.push_back(dialect::convert(value, s.target).v);
        s.text = r + " = " + toC(*e) + "; out();";
        return s;
    }
}

inline std::string programSource(const std::vector<GeneratedStatement>& statements) {
    std::string source = Sx28 + "char sc0, sc1; unsigned char uc0, uc1; long sl0, sl1;"
                                " unsigned long ul0, ul1;\n"
                                "char rsc; unsigned char ruc; long rsl; unsigned long rul;\n"
                                "void out(void) { }\n"
                                "void main(void) {\n";
    for (const GeneratedStatement& s : statements)
        source += "  " + s.text + "\n";
    return source + "}\n";
}

inline std::string describe(const GeneratedStatement& s, const Inputs& inputs, std::int32_t got,
                            std::int32_t expected) {
    std::string text = s.text + "  with";
    for (std::size_t i = 0; i < inputs.size(); ++i)
        text += " " + expressionVariables()[i].name + "=" + std::to_string(inputs[i]);
    return text + ": expected " + std::to_string(expected) + ", got " + std::to_string(got);
}

inline void note(DifferentialFigures& figures, std::string text) {
    ++figures.disagreements;
    if (figures.examples.size() < 12)
        figures.examples.push_back(std::move(text));
}

// Runs a compiled batch with each input set and compares every stored value.
inline void runBatch(CompiledProgram& p, const std::vector<GeneratedStatement>& statements,
                     const std::vector<Inputs>& inputSets, DifferentialFigures& figures) {
    const Instruction* out = p.compilation().instructions.head();
    // The entry label's "@" becomes "A" in the assembler's spelling of names.
    while (out != nullptr &&
           !(out->opcode == PIC_LABEL && (out->operand == "@out" || out->operand == "Aout")))
        out = out->next;
    if (out == nullptr)
        throw std::runtime_error("the generated program has no function out");
    p.core().clearBreakpoints();
    p.core().addBreakpoint(static_cast<unsigned>(out->address));
    for (std::size_t set = 0; set < inputSets.size(); ++set) {
        std::vector<std::pair<std::string, int>> inputs;
        for (std::size_t i = 0; i < inputSets[set].size(); ++i)
            inputs.emplace_back(expressionVariables()[i].name, inputSets[set][i]);
        p.restart(inputs);
        for (const GeneratedStatement& s : statements) {
            ++figures.evaluations;
            const sxsim::RunResult run = p.core().run(200'000);
            if (run.reason != sxsim::StopReason::Breakpoint) {
                note(figures,
                     s.text + ": the run stopped with " + sxsim::stopReasonName(run.reason));
                break;
            }
            const std::int32_t got = dialect::normalize(
                static_cast<std::int32_t>(p.value(resultVariable(s.target))), s.target);
            if (got != s.expected[set])
                note(figures, describe(s, inputSets[set], got, s.expected[set]));
        }
    }
}

// A batch the compiler refuses is tried statement by statement, so that the refused ones are
// named and the rest still run.
inline void runSeparately(const std::vector<GeneratedStatement>& statements,
                          const std::vector<Inputs>& inputSets, DifferentialFigures& figures) {
    for (const GeneratedStatement& s : statements) {
        try {
            CompiledProgram p(programSource({s}));
            runBatch(p, {s}, inputSets, figures);
        } catch (const std::runtime_error& e) {
            ++figures.refused;
            figures.evaluations += static_cast<int>(inputSets.size());
            note(figures, s.text + ": " + e.what());
        }
    }
}

} // namespace differential

// Generates `count` statements from the seed, `perProgram` to a program, each run with
// `inputSets` sets of inputs.
inline DifferentialFigures runDifferentialTest(std::uint32_t seed, int count,
                                               ExpressionFeatures features, int perProgram = 30,
                                               int inputSets = 4) {
    ExpressionGenerator g(seed, features);
    DifferentialFigures figures;
    while (figures.statements < count) {
        std::vector<Inputs> sets;
        for (int i = 0; i < inputSets; ++i)
            sets.push_back(g.inputs());
        std::vector<GeneratedStatement> statements;
        for (int i = 0; i < perProgram && figures.statements < count; ++i, ++figures.statements)
            statements.push_back(differential::statement(g, sets));
        ++figures.programs;
        try {
            CompiledProgram p(differential::programSource(statements));
            differential::runBatch(p, statements, sets, figures);
        } catch (const std::runtime_error&) {
            differential::runSeparately(statements, sets, figures);
        }
    }
    return figures;
}

} // namespace kavo::testing
