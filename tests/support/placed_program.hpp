#pragma once

// Loads a placed and resolved instruction list (after the final resolution) into the SX core
// model, so that tests can run what page and bank placement produced. Words are encoded from
// each instruction's address and resolved field, as the object file holds them; SKIP is
// encoded by its own address (SB PC.0 at an even address, SNB PC.0 at an odd one). This is a
// test-side encoder until the object-file encoder is used here.

#include "compiler/tables/instruction_list.hpp"
#include "compiler/tables/opcodes.hpp"
#include "simulator/core.hpp"
#include "simulator/device.hpp"

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>

namespace kavo::testing {

inline int placedWord(const Instruction& i) {
    const int r = i.resolved;
    switch (i.opcode) {
    case PIC_SUBWF:
        return 0x080 + r;
    case PIC_DECF:
        return 0x0C0 + r;
    case PIC_IORWF:
        return 0x100 + r;
    case PIC_ANDWF:
        return 0x140 + r;
    case PIC_XORWF:
        return 0x180 + r;
    case PIC_ADDWF:
        return 0x1C0 + r;
    case PIC_MOVF:
        return 0x200 + r;
    case PIC_COMF:
        return 0x240 + r;
    case PIC_INCF:
        return 0x280 + r;
    case PIC_DECFSZ:
        return 0x2C0 + r;
    case PIC_RRF:
        return 0x300 + r;
    case PIC_RLF:
        return 0x340 + r;
    case PIC_SWAPF:
        return 0x380 + r;
    case PIC_INCFSZ:
        return 0x3C0 + r;
    case PIC_MOVWF:
        return 0x020 + r;
    case PIC_CLRF:
        return 0x060 + r;
    case PIC_TRIS:
        return r;
    case PIC_BCF:
        return 0x400 + r;
    case PIC_BSF:
        return 0x500 + r;
    case PIC_BTFSC:
        return 0x600 + r;
    case PIC_BTFSS:
        return 0x700 + r;
    case PIC_RETLW:
        return 0x800 + (r & 0xFF);
    case PIC_MOVLW:
        return 0xC00 + (r & 0xFF);
    case PIC_IORLW:
        return 0xD00 + (r & 0xFF);
    case PIC_ANDLW:
        return 0xE00 + (r & 0xFF);
    case PIC_XORLW:
        return 0xF00 + (r & 0xFF);
    case PIC_CALL:
        return 0x900 + (r & 0xFF);
    case PIC_GOTO:
        return 0xA00 + (r & 0x1FF);
    case PIC_PAGE:
        return 0x010 + (r & 7);
    case PIC_BANK:
        return 0x018 + (r & 7);
    case PIC_MODE:
    case PIC_MOVLM:
        return 0x050 + (r & 0xF);
    case PIC_NOP:
        return 0x000;
    case PIC_OPTION:
        return 0x002;
    case PIC_SLEEP:
        return 0x003;
    case PIC_CLRWDT:
        return 0x004;
    case PIC_RETURN:
        return 0x00C;
    case PIC_RETP:
        return 0x00D;
    case PIC_RETFIE:
        return 0x00E;
    case PIC_RETIW:
        return 0x00F;
    case PIC_JMPW:
        return 0x022;
    case PIC_CLRW:
        return 0x040;
    case PIC_IREAD:
        return 0x041;
    case PIC_MOVMW:
        return 0x042;
    case PIC_MOVWM:
        return 0x043;
    case PIC_SC:
        return 0x703;
    case PIC_CLC:
        return 0x403;
    case PIC_CLZ:
        return 0x443;
    case PIC_NOTW:
        return 0xFFF;
    case PIC_SKIP:
        return i.address % 2 == 0 ? 0x702 : 0x602;
    default:
        return -1;
    }
}

inline bool takesNoPlacedWord(int opcode) {
    return opcode == PIC_LABEL || opcode == PIC_RASMSTART || opcode == PIC_RASMEND ||
           opcode == PIC_STRINGLOC || opcode == PIC_ORG || opcode == PIC_VPSTART ||
           opcode == PIC_VPDONE;
}

// The core with the program loaded; words are also kept by address for inspection.
class PlacedProgram {
public:
    PlacedProgram(const Instruction* head, sxsim::DeviceKind kind) : core_(sxsim::deviceFor(kind)) {
        for (const Instruction* i = head; i != nullptr; i = i->next) {
            if (takesNoPlacedWord(i->opcode))
                continue;
            const int word = placedWord(*i);
            if (word < 0)
                throw std::runtime_error("cannot encode " + std::string(opcodeName(i->opcode)));
            if (!words_.emplace(i->address, static_cast<std::uint16_t>(word)).second)
                throw std::runtime_error("two words at " + std::to_string(i->address));
        }
        core_.reset();
        for (const auto& [address, word] : words_)
            core_.setWord(static_cast<unsigned>(address), word);
    }

    // Runs from the reset vector until a self-jump or another stop.
    sxsim::RunResult run(std::uint64_t maxSteps = 100000) { return core_.run(maxSteps); }
    sxsim::Core& core() { return core_; }
    const std::map<int, std::uint16_t>& words() const { return words_; }

private:
    sxsim::Core core_;
    std::map<int, std::uint16_t> words_;
};

} // namespace kavo::testing
