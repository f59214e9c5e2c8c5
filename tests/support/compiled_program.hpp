#pragma once

// Compiles a C program through the whole compiler, exactly as kavo does, loads the object file
// it wrote into the SX core model and runs it until main's closing loop. Tests then read the
// program's variables by name: the generated code is proven by what it computes.

#include "compiler/pipeline/compiler_entry.hpp"
#include "compiler/run/compilation.hpp"
#include "simulator/core.hpp"
#include "simulator/device.hpp"
#include "simulator/intel_hex.hpp"
#include "simulator/program_loader.hpp"
#include "tests/support/in_process_compile.hpp"
#include "tests/support/sx28_prelude.hpp"

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kavo::testing {

class CompiledProgram {
public:
    // The program must compile without errors; the messages are kept for the failure text.
    explicit CompiledProgram(const std::string& source,
                             sxsim::DeviceKind kind = sxsim::DeviceKind::SX28)
        : core_(sxsim::deviceFor(kind)) {
        compile_.wholeBackEnd = true;
        try {
            compile_.run(source);
        } catch (const FatalStop& stop) {
            throw std::runtime_error("the compiler stopped:\n" + compile_.io.messages +
                                     fatalStopText(stop));
        }
        if (!compile_.c.successFlag)
            throw std::runtime_error("the program did not compile:\n" + compile_.io.messages);
        const sxsim::HexImage image = sxsim::readIntelHexFile("prog.obj");
        sxsim::loadImage(core_, image);
    }

    // Power-on reset, then the given variables set (low byte first; bytes beyond the int's
    // four repeat its sign), ready to run again.
    void restart(std::initializer_list<std::pair<const char*, int>> inputs = {}) {
        core_.reset();
        for (auto [name, value] : inputs)
            set(name, value);
    }
    // The same, skipping variables the program never uses (the compiler removes them).
    void restart(const std::vector<std::pair<std::string, int>>& inputs) {
        core_.reset();
        for (const auto& [name, value] : inputs) {
            if (has(name))
                set(name, value);
        }
    }

    // Runs until main's closing self-jump; a program still running after maxSteps is a failure.
    sxsim::RunResult runToEnd(std::uint64_t maxSteps = 2'000'000) {
        const sxsim::RunResult result = core_.run(maxSteps);
        if (result.reason != sxsim::StopReason::SelfJump)
            throw std::runtime_error(std::string("the program stopped with ") +
                                     sxsim::stopReasonName(result.reason));
        return result;
    }

    // The variable's bytes, low byte first, as an unsigned number.
    unsigned value(const std::string& name, const std::string& scope = "_GLOBAL_") const {
        const Symbol* symbol = find(name, scope);
        unsigned result = 0;
        for (int byte = symbol->size - 1; byte >= 0; --byte)
            result = result << 8 | core_.readFlat(static_cast<unsigned>(symbol->addr + byte));
        return result;
    }

    // The same, read as a two's-complement number of the variable's width.
    int signedValue(const std::string& name, const std::string& scope = "_GLOBAL_") const {
        const Symbol* symbol = find(name, scope);
        const unsigned raw = value(name, scope);
        const unsigned bits = 8u * static_cast<unsigned>(symbol->size);
        return raw >= (1u << (bits - 1)) ? static_cast<int>(raw) - (1 << bits)
                                         : static_cast<int>(raw);
    }

    // Element index of a global byte array.
    unsigned element(const std::string& name, int index) const {
        const Symbol* symbol = find(name, "_GLOBAL_");
        return core_.readFlat(static_cast<unsigned>(symbol->addr + index));
    }

    sxsim::Core& core() { return core_; }
    Compilation& compilation() { return compile_.c; }
    const std::string& messages() const { return compile_.io.messages; }
    const Compilation& compilation() const { return compile_.c; }

    // Whether the global has RAM (the compiler removes the variables a program never uses).
    bool has(const std::string& name) const {
        for (const Symbol* s = compile_.c.symbols.main.head; s != nullptr; s = s->next) {
            if (s->name == name && s->scope == "_GLOBAL_" && s->addr >= 0)
                return true;
        }
        return false;
    }

    // The global's first byte, as the compiler addresses RAM: bank times 32 plus register.
    int address(const std::string& name) const { return find(name, "_GLOBAL_")->addr; }

private:
    void set(const std::string& name, int value) {
        const Symbol* symbol = find(name, "_GLOBAL_");
        for (int byte = 0; byte < symbol->size; ++byte) {
            // Bytes beyond an int's width take its sign (a shift that far is undefined).
            const int bits = byte < 4 ? value >> (8 * byte) : (value < 0 ? -1 : 0);
            core_.writeFlat(static_cast<unsigned>(symbol->addr + byte),
                            static_cast<std::uint8_t>(bits & 0xFF));
        }
    }

    const Symbol* find(const std::string& name, const std::string& scope) const {
        for (const Symbol* s = compile_.c.symbols.main.head; s != nullptr; s = s->next) {
            if (s->name == name && s->scope == scope) {
                if (s->addr < 0)
                    throw std::runtime_error(name + " has no RAM address");
                return s;
            }
        }
        throw std::runtime_error("no variable " + name + " in " + scope);
    }

    InProcessCompile compile_;
    sxsim::Core core_;
};

// A C program for an SX28 (the Sx28 pragmas pasted in front), run to its end with inputs;
// values come back as int, signed or unsigned as read.
class Sx28Program {
public:
    explicit Sx28Program(const std::string& source) : p_(Sx28 + source) {}
    // A program with its own device description in front.
    Sx28Program(const std::string& device, const std::string& source) : p_(device + source) {}

    void run(std::initializer_list<std::pair<const char*, int>> inputs = {}) {
        p_.restart(inputs);
        p_.runToEnd();
    }
    int value(const char* name) const { return static_cast<int>(p_.value(name)); }
    unsigned unsignedValue(const char* name) const { return p_.value(name); }
    int signedValue(const char* name) const { return p_.signedValue(name); }
    int element(const char* name, int i) const { return static_cast<int>(p_.element(name, i)); }
    CompiledProgram& compiled() { return p_; }

private:
    CompiledProgram p_;
};

} // namespace kavo::testing
