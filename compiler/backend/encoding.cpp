// Instruction encoding: turns a placed instruction (its opcode and the operand value the
// placement resolved) into the 12-bit SX machine word. Operations: `encodeword` and the
// field checks behind it.
//
// Operand fields never spill into the opcode bits: a literal is its low eight bits (so
// MOV W,#-7 loads 249), jump and page fields are cut to their width, and a register, bit,
// MODE or port operand that does not fit is refused with an error instead of becoming
// another instruction.
#include "compiler/backend/output_internal.hpp"

#include "compiler/base/number_reader.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/tables/opcodes.hpp"

#include <optional>
#include <string>

namespace kavo::output {

namespace {

// Words of the instructions that take no operand.
std::optional<int> fixedWord(int opcode) {
    switch (opcode) {
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
        return 0x022; // MOV PC,W
    case PIC_CLRW:
        return 0x040;
    case PIC_IREAD:
        return 0x041;
    case PIC_MOVMW:
        return 0x042;
    case PIC_MOVWM:
        return 0x043;
    case PIC_CLC:
        return 0x403; // CLRB STATUS.0
    case PIC_CLZ:
        return 0x443; // CLRB STATUS.2
    case PIC_SC:
        return 0x703; // SB STATUS.0
    case PIC_NOTW:
        return 0xFFF; // XOR W,#255
    default:
        return std::nullopt;
    }
}

// Bases of the file-register operations: v is register + 32 x (result to the register).
std::optional<int> fileOperationBase(int opcode) {
    switch (opcode) {
    case PIC_SUBWF:
        return 0x080;
    case PIC_DECF:
        return 0x0C0;
    case PIC_IORWF:
        return 0x100;
    case PIC_ANDWF:
        return 0x140;
    case PIC_XORWF:
        return 0x180;
    case PIC_ADDWF:
        return 0x1C0;
    case PIC_MOVF:
        return 0x200;
    case PIC_COMF:
        return 0x240;
    case PIC_INCF:
        return 0x280;
    case PIC_DECFSZ:
        return 0x2C0;
    case PIC_RRF:
        return 0x300;
    case PIC_RLF:
        return 0x340;
    case PIC_SWAPF:
        return 0x380;
    case PIC_INCFSZ:
        return 0x3C0;
    default:
        return std::nullopt;
    }
}

// Bases of the bit operations: v is bit x 32 + register.
std::optional<int> bitOperationBase(int opcode) {
    switch (opcode) {
    case PIC_BCF:
        return 0x400;
    case PIC_BSF:
        return 0x500;
    case PIC_BTFSC:
        return 0x600;
    case PIC_BTFSS:
        return 0x700;
    default:
        return std::nullopt;
    }
}

// Bases of the eight-bit literal operations.
std::optional<int> literalBase(int opcode) {
    switch (opcode) {
    case PIC_RETLW:
        return 0x800;
    case PIC_MOVLW:
        return 0xC00;
    case PIC_IORLW:
        return 0xD00;
    case PIC_ANDLW:
        return 0xE00;
    case PIC_XORLW:
        return 0xF00;
    default:
        return std::nullopt;
    }
}

constexpr int FirstPortRegister = 5; // RA; MOV !RA,W is 0x005
constexpr int LastPortRegister = 9;  // RE on the 48/52-pin parts

class Encoder {
public:
    Encoder(Compilation& c, const Instruction& i) : c_(c), i_(i) {}

    int encode() {
        const int op = i_.opcode;
        const int v = i_.resolved;
        if (const auto word = fixedWord(op))
            return *word;
        if (const auto base = fileOperationBase(op))
            return fitted(*base, v, 63);
        if (const auto base = bitOperationBase(op))
            return fitted(*base, v, 255);
        if (const auto base = literalBase(op))
            return *base + (v & 0xFF);
        switch (op) {
        case PIC_MOVWF:
            return fitted(0x020, v, 31);
        case PIC_CLRF:
            return fitted(0x060, v, 31);
        case PIC_TRIS:
            return port(v);
        case PIC_CALL:
            return 0x900 + (v & 0xFF);
        case PIC_GOTO:
            return 0xA00 + (v & 0x1FF);
        case PIC_PAGE:
            return 0x010 + (v & 0x07);
        case PIC_BANK:
            return 0x018 + (v & 0x07);
        case PIC_MODE:
        case PIC_MOVLM:
            return fitted(0x050, v, 15);
        case PIC_SKIP:
            return skip();
        case PIC_PROGLOC:
            return dataWord();
        default:
            return unknown();
        }
    }

private:
    int fitted(int base, int v, int largest) {
        if (v >= 0 && v <= largest)
            return base + v;
        return refuse(v);
    }

    // MOV !port,W names the port register itself: RA to RE are 0x005 to 0x009.
    int port(int v) {
        if (v >= FirstPortRegister && v <= LastPortRegister)
            return v;
        return refuse(v);
    }

    // SKIP is a bit test of PC.0, and reading PC gives the low byte of the next instruction's
    // address: at an even address that bit is set (SB PC.0 skips), at an odd one it is clear
    // (SNB PC.0 skips).
    int skip() const { return i_.address % 2 == 0 ? 0x702 : 0x602; }

    int dataWord() {
        const std::string& text = i_.operand;
        const bool numeric = !text.empty() && text[0] >= '0' && text[0] <= '9';
        const std::uint32_t value = readCompilerNumber(text);
        if (numeric && value <= 0xFFF)
            return static_cast<int>(value);
        c_.error(strprintf("ERROR: Line: %d DW %s does not fit a 12-bit program word.\n", i_.line,
                           text.c_str()));
        return NoMachineWord;
    }

    int refuse(int v) {
        c_.error(strprintf("ERROR: Line: %d Operand %d of %s does not fit the instruction.\n",
                           i_.line, v, bareName().c_str()));
        return NoMachineWord;
    }

    int unknown() {
        c_.error(strprintf("ERROR(C67): Unknown instruction: %s\n", bareName().c_str()));
        return NoMachineWord;
    }

    std::string bareName() const {
        std::string_view name = opcodeName(i_.opcode);
        if (name.substr(0, 4) == "PIC_")
            name.remove_prefix(4);
        return std::string(name);
    }

    Compilation& c_;
    const Instruction& i_;
};

} // namespace

bool producesNoWord(int opcode) {
    switch (opcode) {
    case PIC_LABEL:
    case PIC_STRINGLOC:
    case PIC_ORG:
    case PIC_RASMSTART:
    case PIC_RASMEND:
    case PIC_VPSTART:
    case PIC_VPDONE:
        return true;
    default:
        return false;
    }
}

int encodeword(Compilation& c, const Instruction& instruction) {
    if (producesNoWord(instruction.opcode))
        return NoMachineWord;
    return Encoder(c, instruction).encode();
}

} // namespace kavo::output
