#pragma once

// Builds instruction lists by hand with RAM addresses given directly, runs page and bank
// placement over them in the back-end driver's order, and runs the result on the SX model.
#include "compiler/backend/backend.hpp"
#include "compiler/base/kinds.hpp"
#include "compiler/run/compilation.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/tables/opcodes.hpp"
#include "compiler/tables/placement_state.hpp"
#include "tests/support/capture_io.hpp"
#include "tests/support/instruction_dump.hpp"
#include "tests/support/placed_program.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kavo::testing {

class PlacementTest : public ::testing::Test {
protected:
    PlacementTest() {
        variable("@__f0__", 0);
        variable("@__pc__", 2);
        variable("@__stat__", 3);
        variable("@__fsr__", 4);
        variable("@__P0tmp_", 12);
    }

    Symbol* variable(const std::string& name, int address, int size = 1) {
        Symbol* s = addsym(c, c.symbols.main, 0, INT, 0, name, "_GLOBAL_", "", 0, 1);
        s->addr = address;
        s->size = size;
        return s;
    }

    Instruction* op(int opcode, const std::string& operand = "", int dest = -1, int offset = 0) {
        Instruction* i = c.instructions.make();
        i->opcode = opcode;
        i->operand = operand;
        i->dest = dest;
        i->offset = offset;
        i->line = ++line_;
        i->scope = "_GLOBAL_";
        c.instructions.append(i);
        return i;
    }
    Instruction* label(const std::string& name) { return op(PIC_LABEL, name); }
    Instruction* literal(int value) { return op(PIC_MOVLW, std::to_string(value)); }
    // n words that change nothing the tests look at.
    void filler(int n) {
        for (int k = 0; k < n; ++k)
            op(PIC_NOP);
    }
    // main: ... the program's end is a jump to itself.
    void endProgram() {
        label("_end_");
        op(PIC_GOTO, "_end_");
    }
    void resetTo(const std::string& target = "main") { op(PIC_RESET, target); }

    // The driver's steps from address resolution to final resolution.
    int place() {
        resolveaddresses(c);
        selectbanks(c);
        selectpages(c);
        while (labeltablepass(c)) {
        }
        resolveaddressof(c);
        return finalresolution(c);
    }

    std::vector<std::string> listing() const {
        std::vector<std::string> out;
        for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next)
            out.push_back(describe(*i));
        return out;
    }
    int count(int opcode) const {
        int n = 0;
        for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next)
            n += i->opcode == opcode ? 1 : 0;
        return n;
    }
    int labelAddress(const std::string& name) const { return c.placement->labels.address(name); }
    const Instruction* find(int opcode, const std::string& operand) const {
        for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
            if (i->opcode == opcode && i->operand == operand)
                return i;
        }
        return nullptr;
    }

    // Places, checks that nothing was reported, and runs from reset to the final self-jump.
    PlacedProgram runPlaced(sxsim::DeviceKind kind = sxsim::DeviceKind::SX28) {
        place();
        EXPECT_EQ(c.errors(), 0) << io.messages;
        PlacedProgram program(c, kind);
        const sxsim::RunResult result = program.run();
        EXPECT_EQ(result.reason, sxsim::StopReason::SelfJump) << io.messages;
        return program;
    }

    CompilerSettings settings;
    CaptureIo io;
    Compilation c{settings, io};

private:
    int line_ = 0;
};

} // namespace kavo::testing
