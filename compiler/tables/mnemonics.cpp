// The assembly words the scanner knows: classifyMnemonic sorts a word (any case) into an
// ordinary mnemonic, a compare-and-jump macro (three operands) or no mnemonic at all.
#include "compiler/tables/mnemonics.hpp"

#include <algorithm>
#include <iterator>
#include <string>

namespace kavo {

namespace {

// The mnemonics of both assembly styles plus the compiler's own pseudo-instructions.
constexpr std::string_view Mnemonics[] = {
    "ADDWF", "ANDWF",  "CLRF",      "CLRW",      "COMF",     "DECF",     "DECFSZ",  "INCF",
    "INCFZ", "IORWF",  "MOVF",      "MOVWF",     "NOP",      "RLF",      "RRF",     "SUBWF",
    "SWAPF", "XORWF",  "BCF",       "BSF",       "BTFSC",    "BTFSS",    "ADDLW",   "ANDLW",
    "CALL",  "CLRWDT", "GOTO",      "IORLW",     "MOVLW",    "RETFIE",   "RETLW",   "RETURN",
    "SLEEP", "XORLW",  "GETSTRADDR", "ADDRESSOF", "ADDMEMLOC", "FSRBACK", "LOADADDR", "MVFADDR",
    "MVWFADDR", "SWEND", "OPTION",  "TRIS",      "PAGE",     "BANK",     "MOVWM",   "PROGLOC",
    "IREAD", "LABEL",  "AND",       "NOT",       "OR",       "XOR",      "ADD",     "CLR",
    "DEC",   "DECSZ",  "INC",       "INCSZ",     "RL",       "RR",       "SUB",     "SWAP",
    "CLRB",  "CLC",    "CLZ",       "SB",        "SETB",     "SNB",      "MOV",     "MOVSZ",
    "SC",    "TEST",   "JMP",       "RET",       "RETP",     "RETI",     "RETIW",   "RETW",
    "SKIP",  "MODE",   "SNC",       "SNZ",       "STC",      "STZ",      "SZ",      "JC",
    "JNC",   "JNZ",    "JZ",        "DJNZ",      "IJNZ",     "CSA",      "CSAE",    "CSB",
    "CSBE",  "CSE",    "CSNE",      "MOVB",      "ORG",      "JB",       "JNB",     "ADDB",
    "SUBB",
    // The PIC-style name of the skip-if-zero increment, which the inline assembler accepts.
    "INCFSZ",
};

constexpr std::string_view CompareJumps[] = {"CJA", "CJAE", "CJB", "CJBE", "CJE", "CJNE"};

bool listed(const auto& list, std::string_view word) {
    return std::find(std::begin(list), std::end(list), word) != std::end(list);
}

} // namespace

MnemonicClass classifyMnemonic(std::string_view word) {
    std::string upper(word);
    for (char& ch : upper) {
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    }
    if (listed(CompareJumps, upper))
        return MnemonicClass::CompareJump;
    if (listed(Mnemonics, upper))
        return MnemonicClass::Instruction;
    return MnemonicClass::None;
}

} // namespace kavo
