#pragma once

// A run with placed instructions made by hand: the tests set what the placement would set
// (address, resolved operand) and read what the writers make of it.
#include "compiler/backend/backend.hpp"
#include "compiler/backend/output_internal.hpp"
#include "compiler/codegen/emit.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/tables/opcodes.hpp"
#include "tests/support/capture_io.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kavo::testing {

class BackendTest : public ::testing::Test {
protected:
    BackendTest() { pushscope(c, GlobalScope); }

    // An instruction placed at address with its resolved operand value.
    Instruction* placed(int opcode, int address, int resolved, std::string operand = {},
                        int dest = -1, int line = 1) {
        Instruction* i = emit(c, opcode, operand, dest, line);
        i->address = address;
        i->resolved = resolved;
        return i;
    }

    // What a writer sends to a stream bound to standard output.
    template <class Write> std::string captured(Write write) {
        io.out.clear();
        OutputStream stream;
        stream.bindToStandardOutput(c.diagnostics);
        write(stream);
        return io.out;
    }

    std::string hexText() {
        return captured([&](OutputStream& s) { writehex(c, s); });
    }
    std::string asmText(int mode = 0, const std::string& margin = "") {
        return captured([&](OutputStream& s) { writeasm(c, s, mode, margin); });
    }

    CompilerSettings settings;
    CaptureIo io;
    Compilation c{settings, io};
};

} // namespace kavo::testing
