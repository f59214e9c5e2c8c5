// Instruction text: the SX assembler mnemonic of each placed instruction, in the two forms the
// two-operand instructions take (result to the register, "ADD x,W", or to W, "ADD W,x").
// Operations: `instructionText`, the register operand's assembler name, `hasSixteenBanks`.
#include "compiler/backend/output_internal.hpp"

#include "compiler/base/number_reader.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/tables/assembler_names.hpp"
#include "compiler/tables/opcodes.hpp"

#include <algorithm>
#include <optional>
#include <string>

namespace kavo::output {

namespace {

struct TwoForms {
    const char* toRegister;
    const char* toW;
};

std::optional<TwoForms> twoForms(int opcode) {
    switch (opcode) {
    case PIC_ADDWF:
        return TwoForms{"ADD %s,W", "ADD W,%s"};
    case PIC_ANDWF:
        return TwoForms{"AND %s,W", "AND W,%s"};
    case PIC_COMF:
        return TwoForms{"NOT %s", "MOV W,/%s"};
    case PIC_DECF:
        return TwoForms{"DEC %s", "MOV W,--%s"};
    case PIC_DECFSZ:
        return TwoForms{"DECSZ %s", "MOVSZ W,--%s"};
    case PIC_INCF:
        return TwoForms{"INC %s", "MOV W,++%s"};
    case PIC_INCFSZ:
        return TwoForms{"INCSZ %s", "MOVSZ W,++%s"};
    case PIC_IORWF:
        return TwoForms{"OR %s,W", "OR W,%s"};
    case PIC_MOVF:
        return TwoForms{"TEST %s", "MOV W,%s"};
    case PIC_RLF:
        return TwoForms{"RL %s", "MOV W,<<%s"};
    case PIC_RRF:
        return TwoForms{"RR %s", "MOV W,>>%s"};
    case PIC_SUBWF:
        return TwoForms{"SUB %s,W", "MOV W,%s-W"};
    case PIC_SWAPF:
        return TwoForms{"SWAP %s", "MOV W,<>%s"};
    case PIC_XORWF:
        return TwoForms{"XOR %s,W", "XOR W,%s"};
    default:
        return std::nullopt;
    }
}

// Formats that take the register operand (r).
const char* registerForm(int opcode) {
    switch (opcode) {
    case PIC_CLRF:
        return "CLR %s";
    case PIC_MOVWF:
        return "MOV %s,W";
    case PIC_TRIS:
        return "MOV !%s,W";
    default:
        return nullptr;
    }
}

// Formats that take the register operand and the bit number.
const char* bitForm(int opcode) {
    switch (opcode) {
    case PIC_BCF:
        return "CLRB %s.%d";
    case PIC_BSF:
        return "SETB %s.%d";
    case PIC_BTFSC:
        return "SNB %s.%d";
    case PIC_BTFSS:
        return "SB %s.%d";
    default:
        return nullptr;
    }
}

// Formats that take the operand text as it stands (n).
const char* textForm(int opcode) {
    switch (opcode) {
    case PIC_ANDLW:
        return "AND W,#%s";
    case PIC_IORLW:
        return "OR W,#%s";
    case PIC_XORLW:
        return "XOR W,#%s";
    case PIC_MOVLW:
        return "MOV W,#%s";
    case PIC_RETLW:
        return "RETW %s";
    case PIC_CALL:
        return "CALL %s";
    case PIC_GOTO:
        return "JMP %s";
    case PIC_MODE:
        return "MODE %s";
    case PIC_MOVLM:
        return "MOV M,#%s";
    case PIC_PROGLOC:
        return "DW %s";
    case PIC_ORG:
        return "ORG %s";
    default:
        return nullptr;
    }
}

const char* fixedText(int opcode) {
    switch (opcode) {
    case PIC_CLRW:
        return "CLR W";
    case PIC_NOP:
        return "NOP";
    case PIC_CLRWDT:
        return "CLR !WDT";
    case PIC_RETFIE:
        return "RETI";
    case PIC_RETURN:
        return "RET";
    case PIC_RETP:
        return "RETP";
    case PIC_RETIW:
        return "RETIW";
    case PIC_SLEEP:
        return "SLEEP";
    case PIC_OPTION:
        return "MOV !OPTION,W";
    case PIC_JMPW:
        return "JMP W";
    case PIC_SC:
        return "SC";
    case PIC_NOTW:
        return "NOT W";
    case PIC_CLC:
        return "CLC";
    case PIC_CLZ:
        return "CLZ";
    case PIC_SKIP:
        return "SKIP";
    case PIC_MOVMW:
        return "MOV W,M";
    case PIC_MOVWM:
        return "MOV M,W";
    case PIC_IREAD:
        return "IREAD";
    default:
        return nullptr;
    }
}

bool startsWithDigit(const std::string& text) {
    return !text.empty() && text[0] >= '0' && text[0] <= '9';
}

// The writer replaces "@" by "A" in place, so a fixed register is recognised in both spellings.
bool names(const std::string& operand, const char* fixedRegister) {
    std::string replaced = fixedRegister;
    replaced[0] = 'A';
    return operand == fixedRegister || operand == replaced;
}

// A register operand in the assembler's flat namespace: a byte at offset k > 0 of a variable is
// "%s_%d" (the EQU section defines those names). A numeric register is written as the number of
// the byte reached.
std::string registerName(Compilation& c, const Instruction& i) {
    if (startsWithDigit(i.operand)) {
        if (i.offset <= 0)
            return i.operand;
        return std::to_string(readCompilerNumber(i.operand) + static_cast<std::uint32_t>(i.offset));
    }
    const std::string& name = c.assemblerNames->nameFor(i.operand, i.scope);
    if (i.offset > 0)
        return strprintf("%s_%d", name.c_str(), i.offset);
    return name;
}

std::string bitText(Compilation& c, const Instruction& i, const char* format) {
    if (i.opcode == PIC_BCF && names(i.operand, "@__stat__")) {
        if (i.dest == 0)
            return "CLC";
        if (i.dest == 2)
            return "CLZ";
    }
    return strprintf(format, registerName(c, i).c_str(), i.dest);
}

std::string twoFormText(Compilation& c, const Instruction& i, const TwoForms& forms) {
    const bool toRegister = i.dest > 0;
    if (i.opcode == PIC_ADDWF && toRegister && names(i.operand, "@__pc__"))
        return "JMP PC+W";
    return strprintf(toRegister ? forms.toRegister : forms.toW, registerName(c, i).c_str());
}

// BANK prints the RAM address the bank starts at, as the assembler expects it: the assembler
// takes the bits the chip's BANK instruction writes, FSR 7:5 on the 8-bank parts and FSR 6:4
// on the 16-bank parts, so a bank is 32 addresses apart on the first and 16 on the second.
std::string bankText(const Compilation& c, const Instruction& i) {
    return strprintf("BANK %d", i.resolved * (hasSixteenBanks(c) ? 16 : 32));
}

} // namespace

bool hasSixteenBanks(const Compilation& c) {
    return c.pragmas.has("SX_52_BANKS");
}

std::string instructionText(Compilation& c, const Instruction& i) {
    const int op = i.opcode;
    if (const auto forms = twoForms(op))
        return twoFormText(c, i, *forms);
    if (const char* format = registerForm(op))
        return strprintf(format, registerName(c, i).c_str());
    if (const char* format = bitForm(op))
        return bitText(c, i, format);
    if (const char* format = textForm(op))
        return strprintf(format, i.operand.c_str());
    if (const char* text = fixedText(op))
        return text;
    switch (op) {
    case PIC_PAGE:
        return strprintf("PAGE %d", i.resolved * 512);
    case PIC_BANK:
        return bankText(c, i);
    case PIC_LABEL:
        return i.operand;
    default:
        return {};
    }
}

std::string printedName(const Compilation& c, std::string name) {
    if (c.flags.replaceAtFlag == 0)
        std::replace(name.begin(), name.end(), '@', 'A');
    return name;
}

} // namespace kavo::output
