#include "compiler/tables/opcodes.hpp"

#include <array>

namespace kavo {

namespace {

constexpr std::array<std::string_view, LastOpcode + 1> opcodeNames = {
    "PIC_UNKNOWN_INSTRUCTION",
    "PIC_ADDWF",
    "PIC_ANDWF",
    "PIC_CLRF",
    "PIC_CLRW",
    "PIC_COMF",
    "PIC_DECF",
    "PIC_DECFSZ",
    "PIC_INCF",
    "PIC_INCFSZ",
    "PIC_IORWF",
    "PIC_MOVF",
    "PIC_MOVWF",
    "PIC_NOP",
    "PIC_RLF",
    "PIC_RRF",
    "PIC_SUBWF",
    "PIC_SWAPF",
    "PIC_XORWF",
    "PIC_BCF",
    "PIC_BSF",
    "PIC_BTFSC",
    "PIC_BTFSS",
    "",
    "PIC_ANDLW",
    "PIC_CALL",
    "PIC_CLRWDT",
    "PIC_GOTO",
    "PIC_IORLW",
    "PIC_MOVLW",
    "PIC_RETFIE",
    "PIC_RETLW",
    "PIC_RETURN",
    "PIC_SLEEP",
    "",
    "PIC_XORLW",
    "PIC_OPTION",
    "PIC_TRIS",
    "PIC_PAGE",
    "PIC_BANK",
    "PIC_MODE",
    "PIC_MOV",
    "PIC_RETP",
    "PIC_RETIW",
    "PIC_ADDB",
    "PIC_SUBB",
    "PIC_JB",
    "PIC_JNB",
    "PIC_SZ",
    "PIC_SNC",
    "PIC_SNZ",
    "PIC_STC",
    "PIC_STZ",
    "PIC_JC",
    "PIC_JNC",
    "PIC_JZ",
    "PIC_JNZ",
    "PIC_DJNZ",
    "PIC_IJNZ",
    "PIC_CSA",
    "PIC_CSAE",
    "PIC_CSB",
    "PIC_CSBE",
    "PIC_CSE",
    "PIC_CSNE",
    "PIC_LABELADDRHI",
    "PIC_RASMSTART",
    "PIC_RASMEND",
    "PIC_JMPW",
    "PIC_SC",
    "PIC_NOTW",
    "PIC_CLC",
    "PIC_CLZ",
    "PIC_SKIP",
    "PIC_MOVLM",
    "PIC_MOVMW",
    "PIC_MOVWM",
    "PIC_PROGLOC",
    "PIC_IREAD",
    "PIC_REALADDROF",
    "PIC_SIZEOF",
    "PIC_SETIRP",
    "PIC_RESTOREINT",
    "PIC_SAVEINT",
    "PIC_GETSTRADDRHI",
    "PIC_LABELADDR",
    "PIC_FUNCNAME",
    "PIC_FUNCARG",
    "PIC_STRINGLOC",
    "PIC_INTERRUPT",
    "PIC_RESET",
    "PIC_GETSTRADDR",
    "PIC_ADDRESSOF",
    "PIC_ADDMEMLOC",
    "PIC_FSRBACK",
    "PIC_LOADADDR",
    "PIC_MVFADDR",
    "PIC_MVWFADDR",
    "PIC_SWEND",
    "PIC_LABEL",
    "PIC_CJA",
    "PIC_CJAE",
    "PIC_CJB",
    "PIC_CJBE",
    "PIC_CJE",
    "PIC_CJNE",
    "PIC_VPSTART",
    "PIC_VPDONE",
    "PIC_ORG",
    "PIC_MOVB",
};

} // namespace

std::string_view opcodeName(int opcode) {
    if (opcode < 0 || opcode > LastOpcode)
        return {};
    return opcodeNames[static_cast<std::size_t>(opcode)];
}

bool hasWorFDestination(int opcode) {
    switch (opcode) {
    case PIC_ADDWF:
    case PIC_ANDWF:
    case PIC_COMF:
    case PIC_DECF:
    case PIC_DECFSZ:
    case PIC_INCF:
    case PIC_INCFSZ:
    case PIC_IORWF:
    case PIC_MOVF:
    case PIC_RLF:
    case PIC_RRF:
    case PIC_SUBWF:
    case PIC_SWAPF:
    case PIC_XORWF:
        return true;
    default:
        return false;
    }
}

} // namespace kavo
