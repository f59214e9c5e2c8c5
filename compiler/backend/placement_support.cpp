// Shared helpers of page and bank placement: the chip layout read from the pragmas, operand
// values and addresses, and the opcode classes the passes reason with.
#include "compiler/backend/placement_internal.hpp"

#include "compiler/base/number_reader.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/tables/opcodes.hpp"

#include <cctype>

namespace kavo::placement {

namespace {

int pragmaNumber(const Compilation& c, std::string_view name, int fallback) {
    const std::optional<std::string> value = c.pragmas.get(name);
    return value ? static_cast<int>(readCompilerNumber(*value)) : fallback;
}

std::optional<int> characterConstant(std::string_view text) {
    if (text.size() == 3 && text.front() == '\'' && text.back() == '\'')
        return static_cast<unsigned char>(text[1]);
    if (text.size() == 4 && text.front() == '\'' && text[1] == '\\' && text.back() == '\'') {
        switch (text[2]) {
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 't':
            return '\t';
        case '0':
            return 0;
        default:
            return static_cast<unsigned char>(text[2]);
        }
    }
    return std::nullopt;
}

} // namespace

ChipLayout chiplayout(const Compilation& c) {
    ChipLayout chip;
    chip.romStart = pragmaNumber(c, "ROM_START", 0);
    chip.romEnd = pragmaNumber(c, "ROM_END", 511);
    chip.resetLoc = pragmaNumber(c, "RESET_LOC", 2047);
    chip.bigBanks = c.pragmas.has("SX_52_BANKS");
    chip.highBanksBit = pragmaNumber(c, "HIGH_BANKS_BIT", 7);
    return chip;
}

PlacementState& state(Compilation& c) {
    return *c.placement;
}

const CodeSegments& segments(Compilation& c) {
    PlacementState& s = state(c);
    if (!s.segmentsBuilt) {
        const ChipLayout chip = chiplayout(c);
        s.segments.reset(chip.romStart, chip.romEnd);
        s.segmentsBuilt = true;
    }
    return s.segments;
}

std::optional<int> literalvalue(std::string_view text) {
    if (const std::optional<int> character = characterConstant(text))
        return character;
    const bool negative = !text.empty() && text.front() == '-';
    const std::string_view digits = negative ? text.substr(1) : text;
    if (digits.empty() || std::isdigit(static_cast<unsigned char>(digits.front())) == 0)
        return std::nullopt;
    for (char ch : digits) {
        if (std::isxdigit(static_cast<unsigned char>(ch)) == 0 && ch != 'x' && ch != 'X')
            return std::nullopt;
    }
    const int value = static_cast<int>(readCompilerNumber(digits));
    return negative ? -value : value;
}

int operandaddress(const Compilation& c, const Instruction& i) {
    if (const std::optional<int> number = literalvalue(i.operand))
        return *number + i.offset;
    int address = -1;
    if (!i.scope.empty())
        address = getaddr(c, i.operand, i.scope);
    if (address < 0)
        address = getaddr(c, i.operand, GlobalScopeName);
    return address < 0 ? -1 : address + i.offset;
}

int operandsize(const Compilation& c, const Instruction& i) {
    const Symbol* symbol = i.scope.empty() ? nullptr : findsymin(c, i.operand, i.scope);
    if (symbol == nullptr)
        symbol = findsymin(c, i.operand, GlobalScopeName);
    return symbol != nullptr ? symbol->size : -1;
}

std::string targetlabel(const Compilation& c, const Instruction& i) {
    // A call names its function's vector, which sits in the first half of page 0 where CALL
    // can reach it; only a call with no vector of that name enters at the body ("@" + name).
    if (i.opcode == PIC_CALL && c.instructions.findLabel(i.operand) == nullptr &&
        c.instructions.findLabel("@" + i.operand) != nullptr)
        return "@" + i.operand;
    return i.operand;
}

bool isfileregister(int opcode) {
    return hasWorFDestination(opcode) || opcode == PIC_CLRF || opcode == PIC_MOVWF ||
           opcode == PIC_BCF || opcode == PIC_BSF || opcode == PIC_BTFSC || opcode == PIC_BTFSS;
}

bool isbittest(int opcode) {
    return opcode == PIC_BTFSC || opcode == PIC_BTFSS;
}

bool isskip(const Instruction& i) {
    switch (i.opcode) {
    case PIC_BTFSC:
    case PIC_BTFSS:
    case PIC_DECFSZ:
    case PIC_INCFSZ:
    case PIC_SC:
    case PIC_SKIP:
    case PIC_SZ:
    case PIC_SNC:
    case PIC_SNZ:
    case PIC_CSA:
    case PIC_CSAE:
    case PIC_CSB:
    case PIC_CSBE:
    case PIC_CSE:
    case PIC_CSNE:
        return true;
    default:
        return false;
    }
}

bool isreturn(int opcode) {
    return opcode == PIC_RETURN || opcode == PIC_RETLW || opcode == PIC_RETFIE ||
           opcode == PIC_RETP || opcode == PIC_RETIW;
}

namespace {

bool writesRegisterOperand(const Instruction& i) {
    switch (i.opcode) {
    case PIC_MOVWF:
    case PIC_CLRF:
    case PIC_BCF:
    case PIC_BSF:
        return true;
    case PIC_BTFSC:
    case PIC_BTFSS:
        return false;
    default:
        return isfileregister(i.opcode) && i.dest == 1;
    }
}

} // namespace

bool iscomputedjump(const Instruction& i) {
    return i.opcode == PIC_JMPW || (i.operand == ProgramCounter && writesRegisterOperand(i));
}

bool writesfsr(const Instruction& i) {
    return i.operand == FileSelect && writesRegisterOperand(i);
}

bool istransfer(int opcode) {
    return opcode == PIC_CALL || opcode == PIC_GOTO;
}

bool iswordless(int opcode) {
    switch (opcode) {
    case PIC_LABEL:
    case PIC_RASMSTART:
    case PIC_RASMEND:
    case PIC_STRINGLOC:
    case PIC_ORG:
    case PIC_VPSTART:
    case PIC_VPDONE:
    case PIC_RESET:
        return true;
    default:
        return false;
    }
}

bool endsflow(const Instruction& i) {
    return i.opcode == PIC_GOTO || isreturn(i.opcode) || iscomputedjump(i);
}

Instruction* nextword(const Instruction* i) {
    for (Instruction* n = i != nullptr ? i->next : nullptr; n != nullptr; n = n->next) {
        if (!iswordless(n->opcode))
            return n;
    }
    return nullptr;
}

int tablelength(const Instruction& jump) {
    int entries = 0;
    for (Instruction* n = nextword(&jump);
         n != nullptr && (n->opcode == PIC_GOTO || n->opcode == PIC_RETLW); n = nextword(n))
        ++entries;
    return entries;
}

Instruction* insertinstruction(Compilation& c, Instruction* at, int opcode,
                               const std::string& operand, int dest, int line) {
    Instruction* made = c.instructions.make();
    made->opcode = opcode;
    made->operand = operand;
    made->dest = dest;
    made->line = line;
    made->scope = GlobalScopeName;
    made->file = at != nullptr ? at->file : nullptr;
    c.instructions.insertAfter(at, made);
    return made;
}

} // namespace kavo::placement
