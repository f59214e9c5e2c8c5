// The inline assembler: each line of an asm( ... ) or rasm( ... ) block becomes intermediate
// instructions. Operations: `genasm` and `lookupmnemonic`.
//
// Both mnemonic styles are accepted, the SX style ("MOV W,#5", "SETB RB.2", "CJA a,b,label")
// and the PIC style ("MOVLW 5", "BSF RB,2"). A line is first gathered (label, mnemonic,
// operand tokens), then matched by its mnemonic and the shape of its operands; the macro
// mnemonics (status flags, compare-and-jump and compare-and-skip, MOVB, DJNZ, ...) expand into
// the instruction sequences the chip runs. A line that matches no form reports C71.
#include "compiler/codegen/inline_assembly.hpp"

#include "compiler/base/text_format.hpp"
#include "compiler/codegen/generator.hpp"
#include "compiler/symbols/symbols.hpp"

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kavo {

namespace {

using codegen::Carry;
using codegen::Status;
using codegen::Zero;

constexpr std::size_t MnemonicLength = 31;
constexpr int ToRegister = 1;
constexpr int ToW = 0;

std::string upper(std::string_view text) {
    std::string result(text.substr(0, MnemonicLength));
    for (char& ch : result) {
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    }
    return result;
}

struct Mnemonic {
    std::string_view name;
    int opcode;
};

// SX-style names; the PIC-style names are the opcode names without "PIC_".
constexpr Mnemonic SxMnemonics[] = {
    {"AND", PIC_ANDWF},  {"NOT", PIC_COMF},     {"OR", PIC_IORWF},    {"XOR", PIC_XORWF},
    {"ADD", PIC_ADDWF},  {"CLR", PIC_CLRF},     {"DEC", PIC_DECF},    {"DECSZ", PIC_DECFSZ},
    {"INC", PIC_INCF},   {"INCSZ", PIC_INCFSZ}, {"NOP", PIC_NOP},     {"RL", PIC_RLF},
    {"RR", PIC_RRF},     {"SUB", PIC_SUBWF},    {"SWAP", PIC_SWAPF},  {"CLRB", PIC_BCF},
    {"SB", PIC_BTFSS},   {"SETB", PIC_BSF},     {"SNB", PIC_BTFSC},   {"CALL", PIC_CALL},
    {"TEST", PIC_MOVF},  {"RET", PIC_RETURN},   {"RETIW", PIC_RETIW}, {"RETI", PIC_RETFIE},
    {"RETW", PIC_RETLW}, {"BANK", PIC_BANK},    {"IREAD", PIC_IREAD}, {"MODE", PIC_MODE},
    {"PAGE", PIC_PAGE},  {"SLEEP", PIC_SLEEP},  {"SKIP", PIC_SKIP},   {"CLC", PIC_CLC},
    {"CLZ", PIC_CLZ},    {"SC", PIC_SC},        {"MOVSZ", PIC_MOV},   {"MOV", PIC_MOV},
    {"SNC", PIC_SNC},    {"SNZ", PIC_SNZ},      {"STC", PIC_STC},     {"STZ", PIC_STZ},
    {"SZ", PIC_SZ},      {"JC", PIC_JC},        {"JNC", PIC_JNC},     {"JNZ", PIC_JNZ},
    {"JZ", PIC_JZ},      {"DJNZ", PIC_DJNZ},    {"IJNZ", PIC_IJNZ},   {"CJA", PIC_CJA},
    {"CJAE", PIC_CJAE},  {"CJB", PIC_CJB},      {"CJBE", PIC_CJBE},   {"CJE", PIC_CJE},
    {"CJNE", PIC_CJNE},  {"CSA", PIC_CSA},      {"CSAE", PIC_CSAE},   {"CSB", PIC_CSB},
    {"CSBE", PIC_CSBE},  {"CSE", PIC_CSE},      {"CSNE", PIC_CSNE},   {"JB", PIC_JB},
    {"JNB", PIC_JNB},    {"ADDB", PIC_ADDB},    {"SUBB", PIC_SUBB},   {"ORG", PIC_ORG},
    {"MOVB", PIC_MOVB},  {"JMP", PIC_GOTO},     {"RETP", PIC_RETP},
};

constexpr int PicStyleOpcodes[] = {
    PIC_ADDWF,   PIC_ANDWF,    PIC_CLRF,    PIC_CLRW,       PIC_COMF,      PIC_DECF,
    PIC_DECFSZ,  PIC_INCF,     PIC_INCFSZ,  PIC_IORWF,      PIC_MOVF,      PIC_MOVWF,
    PIC_NOP,     PIC_RLF,      PIC_RRF,     PIC_SUBWF,      PIC_SWAPF,     PIC_XORWF,
    PIC_BCF,     PIC_BSF,      PIC_BTFSC,   PIC_BTFSS,      PIC_ANDLW,     PIC_CALL,
    PIC_CLRWDT,  PIC_GOTO,     PIC_IORLW,   PIC_MOVLW,      PIC_RETFIE,    PIC_RETLW,
    PIC_RETURN,  PIC_SLEEP,    PIC_XORLW,   PIC_GETSTRADDR, PIC_ADDRESSOF, PIC_ADDMEMLOC,
    PIC_FSRBACK, PIC_LOADADDR, PIC_MVFADDR, PIC_MVWFADDR,   PIC_SWEND,     PIC_LABEL,
    PIC_PROGLOC, PIC_IREAD,    PIC_MOVLM,   PIC_MOVWM,      PIC_MOVMW,     PIC_OPTION,
    PIC_TRIS,    PIC_BANK,     PIC_PAGE,
};

// The chip's register names, for operands that name no C variable.
std::optional<std::string> specialRegister(const std::string& name) {
    static const std::array<std::pair<std::string_view, std::string_view>, 11> names = {{
        {"IND", "@__f0__"},
        {"INDF", "@__f0__"},
        {"RTCC", "1"},
        {"PC", "@__pc__"},
        {"STATUS", "@__stat__"},
        {"FSR", "@__fsr__"},
        {"RA", "5"},
        {"RB", "6"},
        {"RC", "7"},
        {"RD", "8"},
        {"RE", "9"},
    }};
    const std::string key = upper(name);
    for (const auto& [register_, operand] : names) {
        if (key == register_)
            return std::string(operand);
    }
    return std::nullopt;
}

// One operand token of a line; shape is its one-character class in the line's shape text:
// r a name, n a number, "," a comma, ";" the comma before a jump target, "." the dot of a
// second operand's bit, "!" the port mark, "o" an operator (++ -- << >> / <>), "-" and "+".
struct Token {
    char shape = '?';
    std::string text;
    int value = 0;
    int kind = 0;
};

char shapeOf(int kind) {
    switch (kind) {
    case IDENTIFIER:
        return 'r';
    case INTEGER_CONSTANT:
        return 'n';
    case COMMA:
        return ',';
    case ASMCOMMA:
        return ';';
    case ASMADDBDOT:
        return '.';
    case ASMBANG:
        return '!';
    case MINUS:
        return '-';
    case PLUS:
        return '+';
    case INCR:
    case DECR:
    case SHIFTL:
    case SHIFTR:
    case DIV:
    case SWAP:
    case DOLLARSIGN:
        return 'o';
    default:
        return '?';
    }
}

// The parts of one assembly line.
struct AsmLine {
    int line = 0;
    std::string label;
    std::string mnemonic;
    int opcode = PIC_UNKNOWN_INSTRUCTION;
    std::string pageTarget; // "JMP @label": select the label's page first
    bool equ = false;
    std::vector<Token> operands;
    std::string shape;

    // The operands without the separators, in order.
    std::vector<const Token*> values() const {
        std::vector<const Token*> result;
        for (const Token& t : operands) {
            if (t.shape == 'r' || t.shape == 'n' || t.shape == 'o')
                result.push_back(&t);
        }
        return result;
    }
};

bool isW(const Token& t) {
    return t.shape == 'r' && upper(t.text) == "W";
}

bool isM(const Token& t) {
    return t.shape == 'r' && upper(t.text) == "M";
}

// True for the PIC-style spelling of a mnemonic ("ADDWF"), whose second operand is a
// destination, as opposed to the SX style ("ADD r,W").
bool isPicStyle(std::string_view mnemonic) {
    const std::string name = upper(mnemonic);
    for (int opcode : PicStyleOpcodes) {
        if (opcodeName(opcode).substr(4) == name)
            return true;
    }
    return false;
}

class AsmTranslator {
public:
    explicit AsmTranslator(Compilation& c) : c_(c) {}

    void translate(AsmLine& l) {
        line_ = l.line;
        if (l.equ) {
            defineEquate(l);
            return;
        }
        substituteEquates(l);
        if (!l.label.empty()) {
            if (upper(l.mnemonic) == "ORG" && l.shape == "n") {
                put(PIC_ORG, std::to_string(l.operands[0].value));
                put(PIC_LABEL, l.label);
                return;
            }
            put(PIC_LABEL, l.label);
        }
        if (l.mnemonic.empty())
            return;
        if (!l.pageTarget.empty())
            put(PIC_PAGE, l.pageTarget);
        if (!instruction(l))
            c_.error(strprintf("ERROR(C71): Line: %d Invalid assembly instruction.\n", l.line));
    }

private:
    // "name EQU value" inside a block: later lines of the block read name as the value (a
    // number or another name).
    void defineEquate(const AsmLine& l) {
        if (l.label.empty() || l.operands.size() != 1 || l.shape == "?") {
            c_.error(strprintf("ERROR(C71): Line: %d Invalid assembly instruction.\n", l.line));
            return;
        }
        equates_[l.label] = l.operands[0];
    }

    void substituteEquates(AsmLine& l) const {
        for (Token& t : l.operands) {
            if (t.shape != 'r')
                continue;
            const auto found = equates_.find(t.text);
            if (found != equates_.end())
                t = found->second;
        }
        l.shape.clear();
        for (const Token& t : l.operands)
            l.shape += t.shape;
    }

    bool instruction(const AsmLine& l) {
        const std::vector<const Token*> v = l.values();
        switch (l.opcode) {
        case PIC_UNKNOWN_INSTRUCTION:
            return false;
        case PIC_JC:
        case PIC_JNC:
        case PIC_JZ:
        case PIC_JNZ:
            return l.shape == "r" && flagJump(l.opcode, v[0]->text);
        case PIC_SNC:
        case PIC_SNZ:
        case PIC_SC:
        case PIC_SZ:
        case PIC_STC:
        case PIC_STZ:
            return l.shape.empty() && flagTest(l.opcode);
        case PIC_MOVB:
            return l.shape == "rnrn" && moveBit(*v[0], v[1]->value, *v[2], v[3]->value);
        case PIC_JB:
        case PIC_JNB:
            return l.shape == "r,n;r" && bitJump(l.opcode, *v[0], v[1]->value, v[2]->text);
        case PIC_DJNZ:
        case PIC_IJNZ:
            return l.shape == "r,r" && countJump(l.opcode, *v[0], v[1]->text);
        case PIC_ADDB:
        case PIC_SUBB:
            return l.shape == "r,r.n" && addBit(l.opcode, *v[0], *v[1], v[2]->value);
        case PIC_CJA:
        case PIC_CJAE:
        case PIC_CJB:
        case PIC_CJBE:
        case PIC_CJE:
        case PIC_CJNE:
            return v.size() == 3 && v[2]->shape == 'r' && v[0]->shape == 'r' &&
                   compareJump(l.opcode, *v[0], *v[1], v[2]->text);
        case PIC_CSA:
        case PIC_CSAE:
        case PIC_CSB:
        case PIC_CSBE:
        case PIC_CSE:
        case PIC_CSNE:
            return (l.shape == "r,r" || l.shape == "r,n") && compareSkip(l.opcode, *v[0], *v[1]);
        case PIC_MOV:
            return move(l, upper(l.mnemonic) == "MOVSZ");
        default:
            return plain(l);
        }
    }

    // The instructions that are one word each (or a register form of the SX style).
    bool plain(const AsmLine& l) {
        const int op = l.opcode;
        const std::vector<const Token*> v = l.values();
        const std::string& s = l.shape;
        if (s.empty() && takesNoOperand(op))
            return put(op);
        if (op == PIC_GOTO || op == PIC_CALL)
            return transfer(l);
        if (op == PIC_CLRF && s == "r")
            return isW(*v[0]) ? put(PIC_CLRW) : put(PIC_CLRF, reg(*v[0]));
        if (op == PIC_CLRF && s == "!r" && upper(v[0]->text) == "WDT")
            return put(PIC_CLRWDT);
        if (op == PIC_COMF && s == "r" && isW(*v[0]))
            return put(PIC_NOTW);
        if (hasWorFDestination(op))
            return fileOperation(l);
        if (isBitOperation(op))
            return s == "r,n" && v[1]->value >= 0 && v[1]->value <= 7 &&
                   put(op, reg(*v[0]), v[1]->value);
        if (isLiteralOperation(op))
            return s == "n" && put(op, std::to_string(v[0]->value));
        if ((op == PIC_MOVWF || op == PIC_TRIS) && s == "r" && !isW(*v[0]))
            return put(op, reg(*v[0]));
        if (op == PIC_ORG && s == "n")
            return put(PIC_ORG, std::to_string(v[0]->value));
        if (op == PIC_PAGE)
            return s == "n" ? put(PIC_PAGE, std::to_string(v[0]->value / 512))
                            : s == "r" && put(PIC_PAGE, v[0]->text);
        if (op == PIC_BANK && s == "n")
            return put(PIC_BANK, std::to_string(v[0]->value / 32 % 8));
        if (op == PIC_PROGLOC && s == "n")
            return put(PIC_PROGLOC, std::to_string(v[0]->value)); // a data word
        if (isCompilerPseudo(op))
            return s == "r" ? put(op, v[0]->text) : s.empty() && put(op);
        return false;
    }

    bool transfer(const AsmLine& l) {
        const std::vector<const Token*> v = l.values();
        if (l.shape == "r" && isW(*v[0]) && l.opcode == PIC_GOTO)
            return put(PIC_JMPW);
        if (l.shape == "rr+" && l.opcode == PIC_GOTO && upper(v[0]->text) == "PC" && isW(*v[1]))
            return put(PIC_ADDWF, "@__pc__", ToRegister);
        if (l.shape == "r")
            return put(l.opcode, v[0]->text);
        if (l.shape == "n")
            return put(l.opcode, std::to_string(v[0]->value));
        return false;
    }

    // ADD, AND, OR, XOR, SUB, INC ... in both styles: "OP W,r" (result in W), "OP r,W" (result
    // in r), "OP r" (result in r), "OP W,#k" (literal forms), PIC style "OPWF r,d".
    bool fileOperation(const AsmLine& l) {
        const int op = l.opcode;
        const std::vector<const Token*> v = l.values();
        if (l.shape == "r")
            return !isW(*v[0]) && put(op, reg(*v[0]), ToRegister);
        if (l.shape == "r,n") {
            if (isW(*v[0]))
                return literalForm(op, v[1]->value);
            return (v[1]->value == 0 || v[1]->value == 1) && put(op, reg(*v[0]), v[1]->value);
        }
        if (l.shape != "r,r")
            return false;
        const Token& first = *v[0];
        const Token& second = *v[1];
        if (isPicStyle(l.mnemonic)) {
            // ADDWF r,W / ADDWF r,F: the second operand names the destination.
            const std::string dest = upper(second.text);
            return !isW(first) && (dest == "W" || dest == "F") &&
                   put(op, reg(first), dest == "F" ? ToRegister : ToW);
        }
        if (isW(first) && !isW(second) && op != PIC_SUBWF)
            return put(op, reg(second), ToW); // ADD W,r
        if (!isW(first) && isW(second))
            return put(op, reg(first), ToRegister); // ADD r,W
        return false;
    }

    bool literalForm(int op, int value) {
        const std::string k = std::to_string(value);
        switch (op) {
        case PIC_ANDWF:
            return put(PIC_ANDLW, k);
        case PIC_IORWF:
            return put(PIC_IORLW, k);
        case PIC_XORWF:
            return put(PIC_XORLW, k);
        default:
            return false; // the SX has no add or subtract with a literal
        }
    }

    // MOV and MOVSZ: the concrete instruction follows from the operands' forms.
    bool move(const AsmLine& l, bool skipForm) {
        const std::vector<const Token*> v = l.values();
        const std::string& s = l.shape;
        if (s == "r,or")
            return moveWithOperator(*v[0], v[1]->kind, *v[2], skipForm);
        if (skipForm)
            return false;
        if (s == "r,r")
            return moveRegister(*v[0], *v[1]);
        if (s == "r,n") {
            const std::string k = std::to_string(v[1]->value);
            if (isW(*v[0]))
                return put(PIC_MOVLW, k);
            if (isM(*v[0]))
                return put(PIC_MOVLM, k);
            return put(PIC_MOVLW, k) && put(PIC_MOVWF, reg(*v[0]));
        }
        if (s == "r!r" && isW(*v[0]))
            return movePort(v[1]->text);
        if (s == "n!r")
            return put(PIC_MOVLW, std::to_string(v[0]->value)) && movePort(v[1]->text);
        if (s == "rr-r" && isW(*v[0]) && isW(*v[1]) && !isW(*v[2]))
            return put(PIC_SUBWF, reg(*v[2]), ToW); // MOV W,r-W
        return false;
    }

    bool moveRegister(const Token& to, const Token& from) {
        if (isW(to) && isM(from))
            return put(PIC_MOVMW);
        if (isM(to) && isW(from))
            return put(PIC_MOVWM);
        if (isW(to))
            return !isW(from) && put(PIC_MOVF, reg(from), ToW);
        if (isW(from))
            return put(PIC_MOVWF, reg(to));
        return put(PIC_MOVF, reg(from), ToW) && put(PIC_MOVWF, reg(to));
    }

    bool moveWithOperator(const Token& to, int operatorKind, const Token& from, bool skipForm) {
        if (!isW(to) || isW(from))
            return false;
        int op = PIC_UNKNOWN_INSTRUCTION;
        switch (operatorKind) {
        case INCR:
            op = skipForm ? PIC_INCFSZ : PIC_INCF;
            break;
        case DECR:
            op = skipForm ? PIC_DECFSZ : PIC_DECF;
            break;
        case SHIFTL:
            op = skipForm ? op : PIC_RLF;
            break;
        case SHIFTR:
            op = skipForm ? op : PIC_RRF;
            break;
        case DIV:
            op = skipForm ? op : PIC_COMF;
            break;
        case SWAP:
            op = skipForm ? op : PIC_SWAPF;
            break;
        default:
            break;
        }
        return op != PIC_UNKNOWN_INSTRUCTION && put(op, reg(from), ToW);
    }

    // MOV !port,W: OPTION or the port's direction register.
    bool movePort(const std::string& port) {
        if (upper(port) == "OPTION")
            return put(PIC_OPTION);
        const std::string name = upper(port);
        if (name.size() != 2 || name[0] != 'R' || name[1] < 'A' || name[1] > 'E')
            return false;
        return put(PIC_TRIS, *specialRegister(name));
    }

    bool flagJump(int op, const std::string& label) {
        const bool onCarry = op == PIC_JC || op == PIC_JNC;
        const bool whenSet = op == PIC_JC || op == PIC_JZ;
        return put(whenSet ? PIC_BTFSC : PIC_BTFSS, Status, onCarry ? Carry : Zero) &&
               put(PIC_GOTO, label);
    }

    bool flagTest(int op) {
        switch (op) {
        case PIC_SNC:
            return put(PIC_BTFSC, Status, Carry);
        case PIC_SNZ:
            return put(PIC_BTFSC, Status, Zero);
        case PIC_SC:
            return put(PIC_BTFSS, Status, Carry);
        case PIC_SZ:
            return put(PIC_BTFSS, Status, Zero);
        case PIC_STC:
            return put(PIC_BSF, Status, Carry);
        default: // PIC_STZ
            return put(PIC_BSF, Status, Zero);
        }
    }

    static bool isBit(int bit) { return bit >= 0 && bit <= 7; }

    // MOVB dst.b1,src.b2: clear or set the destination bit as the source bit is.
    bool moveBit(const Token& to, int toBit, const Token& from, int fromBit) {
        if (!isBit(toBit) || !isBit(fromBit))
            return false;
        const std::string dst = reg(to);
        const std::string src = reg(from);
        return put(PIC_BTFSS, src, fromBit) && put(PIC_BCF, dst, toBit) &&
               put(PIC_BTFSC, src, fromBit) && put(PIC_BSF, dst, toBit);
    }

    bool bitJump(int op, const Token& r, int bit, const std::string& label) {
        return isBit(bit) && put(op == PIC_JB ? PIC_BTFSC : PIC_BTFSS, reg(r), bit) &&
               put(PIC_GOTO, label);
    }

    bool countJump(int op, const Token& r, const std::string& label) {
        return !isW(r) && put(op == PIC_DJNZ ? PIC_DECFSZ : PIC_INCFSZ, reg(r), ToRegister) &&
               put(PIC_GOTO, label);
    }

    bool addBit(int op, const Token& r, const Token& q, int bit) {
        return isBit(bit) && !isW(r) && put(PIC_BTFSC, reg(q), bit) &&
               put(op == PIC_ADDB ? PIC_INCF : PIC_DECF, reg(r), ToRegister);
    }

    // CJA ... CJNE op1,op2,label: with a register op2 the difference is taken by subtraction
    // (SUB sets carry when there is no borrow); with a literal op2 = k, "above" and "below or
    // equal" add 255 - k, whose carry is set exactly when op1 > k.
    bool compareJump(int op, const Token& first, const Token& second, const std::string& label) {
        if (isW(first) || (second.shape == 'r' && isW(second)))
            return false;
        const std::string a = reg(first);
        if (second.shape == 'n') {
            const int k = second.value & 0xFF;
            if (op == PIC_CJA || op == PIC_CJBE) {
                put(PIC_MOVLW, std::to_string(255 - k));
                put(PIC_ADDWF, a, ToW);
            } else {
                put(PIC_MOVLW, std::to_string(k));
                put(PIC_SUBWF, a, ToW);
            }
            const bool onZero = op == PIC_CJE || op == PIC_CJNE;
            const bool whenSet = op == PIC_CJA || op == PIC_CJAE || op == PIC_CJE;
            return put(whenSet ? PIC_BTFSC : PIC_BTFSS, Status, onZero ? Zero : Carry) &&
                   put(PIC_GOTO, label);
        }
        const std::string b = reg(second);
        const bool secondFirst = op == PIC_CJA || op == PIC_CJBE; // W = op1, then op2 - W
        put(PIC_MOVF, secondFirst ? a : b, ToW);
        put(PIC_SUBWF, secondFirst ? b : a, ToW);
        const bool onZero = op == PIC_CJE || op == PIC_CJNE;
        const bool skipWhenSet = op == PIC_CJA || op == PIC_CJB || op == PIC_CJNE;
        return put(skipWhenSet ? PIC_BTFSS : PIC_BTFSC, Status, onZero ? Zero : Carry) &&
               put(PIC_GOTO, label);
    }

    // CSA ... CSNE r,q: skip the next instruction when the relation holds.
    bool compareSkip(int op, const Token& first, const Token& second) {
        if (isW(first) || (second.shape == 'r' && isW(second)))
            return false;
        const std::string r = reg(first);
        const bool onZero = op == PIC_CSE || op == PIC_CSNE;
        if (second.shape == 'n') {
            const int k = second.value & 0xFF;
            const bool adds = op == PIC_CSA || op == PIC_CSBE;
            put(PIC_MOVLW, std::to_string(adds ? 255 - k : k));
            put(adds ? PIC_ADDWF : PIC_SUBWF, r, ToW);
            const bool skipWhenSet = op == PIC_CSA || op == PIC_CSAE || op == PIC_CSE;
            return put(skipWhenSet ? PIC_BTFSS : PIC_BTFSC, Status, onZero ? Zero : Carry);
        }
        const std::string q = reg(second);
        const bool secondFirst = op == PIC_CSA || op == PIC_CSBE; // W = r, then q - W
        put(PIC_MOVF, secondFirst ? r : q, ToW);
        put(PIC_SUBWF, secondFirst ? q : r, ToW);
        const bool skipWhenSet = op == PIC_CSAE || op == PIC_CSBE || op == PIC_CSE;
        return put(skipWhenSet ? PIC_BTFSS : PIC_BTFSC, Status, onZero ? Zero : Carry);
    }

    static bool takesNoOperand(int op) {
        switch (op) {
        case PIC_NOP:
        case PIC_CLRW:
        case PIC_CLRWDT:
        case PIC_RETFIE:
        case PIC_RETIW:
        case PIC_RETURN:
        case PIC_RETP:
        case PIC_SLEEP:
        case PIC_IREAD:
        case PIC_SKIP:
        case PIC_CLC:
        case PIC_CLZ:
        case PIC_OPTION:
        case PIC_MOVMW:
        case PIC_MOVWM:
            return true;
        default:
            return false;
        }
    }

    static bool isBitOperation(int op) {
        return op == PIC_BCF || op == PIC_BSF || op == PIC_BTFSC || op == PIC_BTFSS;
    }

    static bool isLiteralOperation(int op) {
        return op == PIC_MOVLW || op == PIC_ANDLW || op == PIC_IORLW || op == PIC_XORLW ||
               op == PIC_RETLW || op == PIC_MOVLM || op == PIC_MODE;
    }

    static bool isCompilerPseudo(int op) {
        switch (op) {
        case PIC_GETSTRADDR:
        case PIC_ADDRESSOF:
        case PIC_ADDMEMLOC:
        case PIC_FSRBACK:
        case PIC_LOADADDR:
        case PIC_MVFADDR:
        case PIC_MVWFADDR:
        case PIC_SWEND:
        case PIC_LABEL:
        case PIC_PROGLOC:
            return true;
        default:
            return false;
        }
    }

    // A register operand: a C variable as named, else one of the chip's registers by name.
    std::string reg(const Token& t) const {
        if (t.shape == 'n')
            return std::to_string(t.value);
        if (findsym(c_, t.text) == nullptr) {
            if (auto special = specialRegister(t.text))
                return *special;
        }
        return t.text;
    }

    bool put(int op, const std::string& operand = {}, int dest = -1) {
        emit(c_, op, operand, dest, line_);
        return true;
    }

    Compilation& c_;
    int line_ = 0;
    std::map<std::string, Token> equates_;
};

// Gathers the items of one line, from after ASM_INST_START up to ASM_INST_END.
const Item* gatherLine(const Item* item, AsmLine& l) {
    bool pageMark = false;
    for (; item != nullptr && item->kind != ASM_INST_END; item = item->next) {
        if (l.line == 0)
            l.line = item->line;
        switch (item->kind) {
        case ASMLABEL:
            l.label = item->cval;
            break;
        case ASMINST:
            if (l.mnemonic.empty()) {
                l.mnemonic = item->cval;
                l.opcode = lookupmnemonic(item->cval);
                break;
            }
            l.operands.push_back({'?', item->cval, 0, item->kind});
            break;
        case ASMEQU:
            l.equ = true;
            break;
        case ASM_PAGE:
            pageMark = true;
            break;
        case IDENTIFIER:
            if (pageMark && l.mnemonic.empty() && l.pageTarget.empty()) {
                l.pageTarget = item->cval;
                break;
            }
            l.operands.push_back({'r', item->cval, 0, item->kind});
            break;
        default:
            l.operands.push_back({shapeOf(item->kind), item->cval, item->ival, item->kind});
            break;
        }
    }
    for (const Token& t : l.operands)
        l.shape += t.shape;
    return item;
}

} // namespace

int lookupmnemonic(std::string_view mnemonic) {
    const std::string name = upper(mnemonic);
    for (const Mnemonic& m : SxMnemonics) {
        if (m.name == name)
            return m.opcode;
    }
    for (int opcode : PicStyleOpcodes) {
        if (opcodeName(opcode).substr(4) == name)
            return opcode;
    }
    return PIC_UNKNOWN_INSTRUCTION;
}

void genasm(Compilation& c, const Item* items) {
    const bool cached = c.instructions.cacheEnabled();
    c.instructions.setCacheEnabled(false);
    AsmTranslator translator(c);
    for (const Item* item = items; item != nullptr && item->kind != ASM_END; item = item->next) {
        switch (item->kind) {
        case ASM_INST_START: {
            AsmLine line;
            item = gatherLine(item->next, line);
            translator.translate(line);
            if (item == nullptr)
                return c.instructions.setCacheEnabled(cached);
            break;
        }
        case RASM_START:
            emit(c, PIC_RASMSTART, {}, -1, item->line);
            break;
        case RASM_END:
            emit(c, PIC_RASMEND, {}, -1, item->line);
            break;
        default:
            break;
        }
    }
    c.instructions.setCacheEnabled(cached);
}

} // namespace kavo
