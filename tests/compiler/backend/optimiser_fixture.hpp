#pragma once

// Builds small instruction lists from text, runs the optimiser's passes on them, and runs the
// lists before and after on the SX core model from the same random state, comparing what a
// program can observe.

#include "compiler/backend/backend.hpp"
#include "compiler/backend/optimiser.hpp"
#include "compiler/base/kinds.hpp"
#include "compiler/symbols/symbols.hpp"
#include "tests/support/capture_io.hpp"
#include "tests/support/instruction_dump.hpp"
#include "tests/support/instruction_runner.hpp"

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace kavo::testing {

using Lines = std::vector<std::string>;

// Variables every test list may name, with their RAM addresses (the runner's bank 0 area).
// a, b, k, x, y: plain one-byte variables; l: two bytes; _tmp_1.._tmp_4: one-byte
// temporaries, _tmp_5: a two-byte temporary; p: a hardware byte at a fixed address; v: a
// volatile variable.
inline const std::map<std::string, unsigned>& variableAddresses() {
    static const std::map<std::string, unsigned> addresses = {
        {"a", 0x10},      {"b", 0x11},      {"k", 0x12},      {"x", 0x13},
        {"y", 0x14},      {"l", 0x15},      {"_tmp_1", 0x17}, {"_tmp_2", 0x18},
        {"_tmp_3", 0x19}, {"_tmp_4", 0x1A}, {"_tmp_5", 0x1B}, {"@__SxItmp_", 0x1D},
        {"p", 0x1E},      {"_tmp_0", 0x1F}, {"v", 0x0F}};
    return addresses;
}

inline int variableSize(const std::string& name) {
    return name == "l" || name == "_tmp_5" ? 2 : 1;
}

// One list with the run it belongs to. Lines read as the instruction dump writes them, with
// an optional scope in brackets: "MOVF a,W", "ADDWF l+1,F", "BTFSC @__stat__.2", "LABEL L",
// "MOVF a,W [f]".
class TestList {
public:
    explicit TestList(const Lines& lines) {
        for (const auto& [name, address] : variableAddresses()) {
            Symbol* s = addsym(c, c.symbols.main, 0, variableSize(name) == 2 ? LONG : INT, 0, name,
                               GlobalScope, "", SIGNED, 0);
            s->size = variableSize(name);
            if (name == "p")
                s->addr = static_cast<int>(address);
            s->volatileObject = name == "v";
        }
        c.codegen.returnHighRegister = "_tmp_0";
        for (const std::string& line : lines)
            c.instructions.append(parse(line));
    }

    Instruction* parse(const std::string& text) {
        Instruction* i = c.instructions.make();
        std::string rest = text;
        const auto scopeAt = rest.find(" [");
        i->scope = GlobalScope;
        if (scopeAt != std::string::npos) {
            i->scope = rest.substr(scopeAt + 2, rest.size() - scopeAt - 3);
            rest = rest.substr(0, scopeAt);
        }
        const auto space = rest.find(' ');
        const std::string name = "PIC_" + rest.substr(0, space);
        rest = space == std::string::npos ? "" : rest.substr(space + 1);
        for (int op = 0; op <= LastOpcode; ++op) {
            if (opcodeName(op) == name)
                i->opcode = op;
        }
        if (i->opcode == 0)
            throw std::runtime_error("unknown opcode in test: " + text);
        if (rest.ends_with(",W") || rest.ends_with(",F")) {
            i->dest = rest.back() == 'F' ? 1 : 0;
            rest.resize(rest.size() - 2);
        }
        const auto dot = rest.rfind('.');
        if (i->opcode >= PIC_BCF && i->opcode <= PIC_BTFSS && dot != std::string::npos) {
            i->dest = std::stoi(rest.substr(dot + 1));
            rest.resize(dot);
        }
        const auto plus = rest.find('+');
        if (plus != std::string::npos) {
            i->offset = std::stoi(rest.substr(plus + 1));
            rest.resize(plus);
        }
        i->operand = rest;
        if (i->opcode == PIC_LABEL || i->opcode == PIC_GOTO || i->opcode == PIC_CALL ||
            i->opcode == PIC_RETURN || i->operand.empty() || isdigit(i->operand[0]))
            i->scope.clear();
        return i;
    }

    Lines dump() const {
        Lines out;
        for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next)
            out.push_back(describe(*i));
        return out;
    }

    CompilerSettings settings;
    CaptureIo io;
    Compilation c{settings, io};
};

// The rule loop alone on a list.
inline Lines afterRules(const Lines& lines) {
    TestList list(lines);
    optimiser::Code code(list.c.instructions);
    optimiser::runRules(list.c, code);
    return list.dump();
}

// What a run leaves that later code could see: W, STATUS, and every variable byte except the
// temporaries (dead once the sequence ends).
struct Observation {
    std::uint8_t w = 0;
    std::uint8_t status = 0;
    std::map<unsigned, std::uint8_t> bytes;
    sxsim::StopReason stop = sxsim::StopReason::None;
    bool operator==(const Observation&) const = default;
};

inline std::string show(const Observation& o) {
    std::string text = "W=" + std::to_string(o.w) + " STATUS=" + std::to_string(o.status) +
                       " stop=" + std::to_string(static_cast<int>(o.stop));
    for (const auto& [address, value] : o.bytes)
        text += " [" + std::to_string(address) + "]=" + std::to_string(value);
    return text;
}

// The initial state of one run: W, the flags, and every variable byte.
struct State {
    std::uint8_t w = 0;
    std::uint8_t flags = 0;
    std::map<unsigned, std::uint8_t> bytes;
};

inline State randomState(std::mt19937& random) {
    std::uniform_int_distribution<int> byte(0, 255);
    // Small and boundary values make carries, zeros and sign bits likely.
    const int picks[] = {0, 1, 2, 127, 128, 254, 255};
    auto value = [&] {
        return static_cast<std::uint8_t>(byte(random) < 128 ? picks[byte(random) % 7]
                                                            : byte(random));
    };
    State s;
    s.w = value();
    s.flags = static_cast<std::uint8_t>(byte(random) & 0x07);
    for (unsigned a = 0x08; a < 0x20; ++a)
        s.bytes[a] = value();
    return s;
}

inline bool observed(unsigned address) {
    for (const auto& [name, at] : variableAddresses()) {
        for (int k = 0; k < variableSize(name); ++k) {
            if (at + static_cast<unsigned>(k) == address)
                return !optimiser::isTemporary(name);
        }
    }
    return true;
}

// Runs a list framed as "LABEL @t; <list>; NOP; LABEL _end; GOTO _end; <tail>" from @t.
class Framed {
public:
    enum class Pass { None, Rules, All };

    Framed(const Lines& body, const Lines& tail, Pass pass, std::vector<int>* fired = nullptr)
        : list_(frame(body, tail)) {
        if (pass == Pass::Rules) {
            optimiser::Code code(list_.c.instructions);
            optimiser::runRules(list_.c, code, fired);
        } else if (pass == Pass::All) {
            optimiser::runOptimiser(list_.c, true, fired);
        }
        std::map<std::string, unsigned> presets(variableAddresses().begin(),
                                                variableAddresses().end());
        runner_ = std::make_unique<InstructionRunner>(list_.c.instructions.head(), presets);
    }

    Observation run(const State& s) {
        runner_->reset();
        for (const auto& [address, value] : s.bytes)
            runner_->core().writeFlat(address, value);
        runner_->core().setW(s.w);
        runner_->core().setStatus(
            static_cast<std::uint8_t>((runner_->core().statusRegister() & 0xF8) | s.flags));
        Observation o;
        o.stop = runner_->runFrom("@t", 5000).reason;
        o.w = runner_->core().w();
        o.status = runner_->core().statusRegister();
        for (unsigned a = 0x08; a < 0x20; ++a) {
            if (observed(a))
                o.bytes[a] = runner_->core().readFlat(a);
        }
        return o;
    }
    Lines dump() const { return list_.dump(); }
    std::size_t words() const { return runner_->words().size(); }

    static Lines frame(const Lines& body, const Lines& tail) {
        Lines all{"LABEL @t"};
        all.insert(all.end(), body.begin(), body.end());
        // A skip ending the body passes this word, not the stop.
        all.push_back("NOP");
        all.push_back("LABEL _end");
        all.push_back("GOTO _end");
        all.insert(all.end(), tail.begin(), tail.end());
        return all;
    }

private:
    TestList list_;
    std::unique_ptr<InstructionRunner> runner_;
};

} // namespace kavo::testing
