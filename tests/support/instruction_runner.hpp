#pragma once

// Runs a compiled intermediate instruction list on the SX core model, so that tests can prove
// generated code by executing it. This is a test stand-in for the back end, kept as small as
// the tests need:
//   - one program page: addresses from 0, at most 512 words, CALL targets below 256;
//     no PAGE or BANK selection is inserted;
//   - RAM: "@__f0__" 0, "@__pc__" 2, "@__stat__" 3, "@__fsr__" 4, a numeric operand is its own
//     address, and every other name gets a block (its largest offset + 1 bytes) in bank 0's
//     0x10..0x1F, then in the globals 0x08..0x0F, in order of first use; more than that throws;
//   - a CALL of X enters at label "@X" (or X itself when there is no such label); a GOTO
//     names its label;
//   - labels, PIC_STRINGLOC, PIC_SAVEINT, PIC_RESTOREINT and the raw-assembly markers take no
//     word; string tables, vectors, TRIS, ORG, VP code and every other pseudo-instruction are
//     not supported and throw, as does an operand out of range.
// The runner only places: it gives each instruction its address and its operand value (register
// + 32 x destination, bit x 32 + register, the literal, the target) and lets the object file's
// own encoder make the word.

#include "compiler/backend/output_internal.hpp"
#include "compiler/run/compilation.hpp"
#include "compiler/tables/instruction_list.hpp"
#include "compiler/tables/opcodes.hpp"
#include "simulator/core.hpp"
#include "simulator/device.hpp"
#include "tests/support/capture_io.hpp"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kavo::testing {

class InstructionRunnerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class InstructionRunner {
public:
    // presets pins names at RAM addresses before the automatic placement (one byte each
    // is reserved there: pin arrays where nothing else is placed, e.g. the globals 0x08..).
    explicit InstructionRunner(const Instruction* head,
                               std::map<std::string, unsigned> presets = {},
                               sxsim::DeviceKind kind = sxsim::DeviceKind::SX28)
        : core_(sxsim::deviceFor(kind)), ram_(std::move(presets)) {
        ram_.emplace("@__f0__", 0);
        ram_.emplace("@__pc__", 2);
        ram_.emplace("@__stat__", 3);
        ram_.emplace("@__fsr__", 4);
        for (const auto& [name, address] : ram_)
            markUsed(address, 1);
        assignAddresses(head);
        placeRam(head);
        encode(head);
        reset();
    }

    const std::vector<std::uint16_t>& words() const { return words_; }
    std::uint16_t wordOf(const Instruction* instruction) const {
        const auto found = wordAt_.find(instruction);
        if (found == wordAt_.end())
            throw InstructionRunnerError("instruction has no word");
        return words_[found->second];
    }
    unsigned labelAddress(const std::string& name) const {
        const auto found = labels_.find(name);
        if (found == labels_.end())
            throw InstructionRunnerError("label not found: " + name);
        return found->second;
    }
    bool placed(const std::string& name) const { return ram_.count(name) != 0; }
    unsigned ramAddress(const std::string& name) const {
        const auto found = ram_.find(name);
        if (found == ram_.end())
            throw InstructionRunnerError("no RAM for " + name);
        return found->second;
    }

    // Power-on state with RAM cleared and the program loaded.
    void reset() {
        core_.reset();
        for (std::size_t a = 0; a < words_.size(); ++a)
            core_.setWord(static_cast<unsigned>(a), words_[a]);
    }
    void setByte(const std::string& name, std::uint8_t value, int offset = 0) {
        core_.writeFlat(ramAddress(name) + static_cast<unsigned>(offset), value);
    }
    std::uint8_t byte(const std::string& name, int offset = 0) const {
        return core_.readFlat(ramAddress(name) + static_cast<unsigned>(offset));
    }

    // Runs from a label until a self-jump, another stop, or maxSteps instructions.
    sxsim::RunResult runFrom(const std::string& label, std::uint64_t maxSteps = 100000) {
        core_.setPc(labelAddress(label));
        return core_.run(maxSteps);
    }
    std::uint8_t w() const { return core_.w(); }
    sxsim::Core& core() { return core_; }

private:
    static bool takesNoWord(int opcode) {
        // SETIRP selects the upper half of RAM; the runner keeps everything in bank 0.
        return opcode == PIC_LABEL || opcode == PIC_STRINGLOC || opcode == PIC_SAVEINT ||
               opcode == PIC_RESTOREINT || opcode == PIC_RASMSTART || opcode == PIC_RASMEND ||
               opcode == PIC_SETIRP;
    }
    static bool isRegisterOnly(int opcode) { return opcode == PIC_MOVWF || opcode == PIC_CLRF; }
    static bool isBitOperation(int opcode) {
        return opcode == PIC_BCF || opcode == PIC_BSF || opcode == PIC_BTFSC || opcode == PIC_BTFSS;
    }
    static bool isLiteralOperation(int opcode) {
        return opcode == PIC_RETLW || opcode == PIC_MOVLW || opcode == PIC_IORLW ||
               opcode == PIC_ANDLW || opcode == PIC_XORLW || opcode == PIC_MODE ||
               opcode == PIC_MOVLM;
    }
    static bool usesRegister(int opcode) {
        return hasWorFDestination(opcode) || isRegisterOnly(opcode) || isBitOperation(opcode) ||
               opcode == PIC_ADDMEMLOC || opcode == PIC_ADDRESSOF;
    }
    static bool isNumber(const std::string& text) {
        if (text.empty())
            return false;
        std::size_t start = text[0] == '-' ? 1 : 0;
        if (start == text.size())
            return false;
        for (std::size_t i = start; i < text.size(); ++i) {
            if (std::isdigit(static_cast<unsigned char>(text[i])) == 0)
                return false;
        }
        return true;
    }
    static std::string describe(const Instruction* i) {
        return std::string(opcodeName(i->opcode)) + " " + i->operand + " (line " +
               std::to_string(i->line) + ")";
    }

    void assignAddresses(const Instruction* head) {
        unsigned address = 0;
        for (const Instruction* i = head; i != nullptr; i = i->next) {
            if (i->opcode == PIC_LABEL) {
                if (!labels_.emplace(i->operand, address).second)
                    throw InstructionRunnerError("label defined twice: " + i->operand);
                continue;
            }
            if (takesNoWord(i->opcode))
                continue;
            wordAt_[i] = address++;
        }
        if (address > 512)
            throw InstructionRunnerError("program longer than one page");
        words_.assign(address, 0);
    }

    void markUsed(unsigned address, unsigned size) {
        for (unsigned a = address; a < address + size; ++a)
            used_.push_back(a);
    }
    bool isFree(unsigned address, unsigned size) const {
        for (unsigned a = address; a < address + size; ++a) {
            for (unsigned u : used_) {
                if (u == a)
                    return false;
            }
        }
        return true;
    }

    void placeRam(const Instruction* head) {
        std::vector<std::string> order;
        std::map<std::string, unsigned> sizes;
        for (const Instruction* i = head; i != nullptr; i = i->next) {
            if (!usesRegister(i->opcode) || ram_.count(i->operand) != 0)
                continue;
            if (i->operand.empty())
                throw InstructionRunnerError("register operand missing: " + describe(i));
            if (isNumber(i->operand)) {
                ram_.emplace(i->operand, static_cast<unsigned>(std::stoi(i->operand)));
                continue;
            }
            if (i->offset < 0)
                throw InstructionRunnerError("negative offset: " + describe(i));
            auto [entry, fresh] = sizes.emplace(i->operand, 0);
            if (fresh)
                order.push_back(i->operand);
            entry->second = std::max(entry->second, static_cast<unsigned>(i->offset) + 1);
        }
        const std::pair<unsigned, unsigned> regions[] = {{0x10, 0x20}, {0x08, 0x10}};
        for (const std::string& name : order) {
            const unsigned size = sizes[name];
            bool done = false;
            for (const auto& [first, end] : regions) {
                for (unsigned a = first; !done && a + size <= end; ++a) {
                    if (isFree(a, size)) {
                        ram_[name] = a;
                        markUsed(a, size);
                        done = true;
                    }
                }
            }
            if (!done)
                throw InstructionRunnerError("out of RAM placing " + name);
        }
    }

    unsigned target(const Instruction* i) const {
        auto found = labels_.end();
        if (i->opcode == PIC_CALL)
            found = labels_.find("@" + i->operand);
        if (found == labels_.end())
            found = labels_.find(i->operand);
        if (found == labels_.end())
            throw InstructionRunnerError("label not found: " + describe(i));
        return found->second;
    }

    unsigned registerOf(const Instruction* i) const {
        const unsigned address = ram_.at(i->operand) + static_cast<unsigned>(i->offset);
        if (address >= 0x20 && address % 32 >= 0x10)
            throw InstructionRunnerError("register outside bank 0: " + describe(i));
        return address % 32;
    }

    static unsigned literalOf(const Instruction* i, unsigned limit) {
        if (!isNumber(i->operand))
            throw InstructionRunnerError("literal expected: " + describe(i));
        const int value = std::stoi(i->operand);
        if (value < 0 || static_cast<unsigned>(value) > limit)
            throw InstructionRunnerError("literal out of range: " + describe(i));
        return static_cast<unsigned>(value);
    }

    // The operand value the placement would give the instruction; ADDMEMLOC and ADDRESSOF
    // become the load of their data address.
    Instruction placedCopy(const Instruction* i) const {
        Instruction placed = *i;
        placed.next = nullptr;
        placed.address = static_cast<int>(wordAt_.at(i));
        const int op = i->opcode;
        unsigned v = 0;
        if (hasWorFDestination(op)) {
            if (i->dest != 0 && i->dest != 1)
                throw InstructionRunnerError("destination must be W or F: " + describe(i));
            v = registerOf(i) + 32u * static_cast<unsigned>(i->dest);
        } else if (isRegisterOnly(op)) {
            v = registerOf(i);
        } else if (isBitOperation(op)) {
            if (i->dest < 0 || i->dest > 7)
                throw InstructionRunnerError("bit number out of range: " + describe(i));
            v = 32u * static_cast<unsigned>(i->dest) + registerOf(i);
        } else if (isLiteralOperation(op)) {
            v = literalOf(i, op == PIC_MODE || op == PIC_MOVLM ? 15 : 255);
        } else if (op == PIC_CALL) {
            v = target(i);
            if (v >= 256)
                throw InstructionRunnerError("call target beyond the first half page: " +
                                             describe(i));
        } else if (op == PIC_GOTO) {
            v = target(i);
        } else if (op == PIC_ADDMEMLOC || op == PIC_ADDRESSOF) {
            placed.opcode = PIC_MOVLW;
            v = (ramAddress(i->operand) + static_cast<unsigned>(i->offset)) & 0xFF;
        }
        placed.resolved = static_cast<int>(v);
        return placed;
    }

    void encode(const Instruction* head) {
        // The encoder reports what it refuses through a compilation's messages.
        CompilerSettings settings;
        CaptureIo io;
        Compilation compilation(settings, io);
        for (const Instruction* i = head; i != nullptr; i = i->next) {
            if (takesNoWord(i->opcode))
                continue;
            const int word = output::encodeword(compilation, placedCopy(i));
            if (word == NoMachineWord || word < 0)
                throw InstructionRunnerError("not supported by the runner: " + describe(i) + " " +
                                             io.messages);
            words_[wordAt_.at(i)] = static_cast<std::uint16_t>(word);
        }
    }

    sxsim::Core core_;
    std::map<std::string, unsigned> ram_;
    std::vector<unsigned> used_;
    std::map<std::string, unsigned> labels_;
    std::map<const Instruction*, unsigned> wordAt_;
    std::vector<std::uint16_t> words_;
};

} // namespace kavo::testing
