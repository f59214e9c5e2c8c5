// The bank an instruction needs (`bankof`): a register access names its bank unless the
// register is one every bank reaches; instructions that reach no register are looked
// through, so that a selection lands before the literal load that feeds a store.
#include "compiler/backend/bank_of.hpp"

#include "compiler/backend/placement_internal.hpp"
#include "compiler/base/number_reader.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/tables/opcodes.hpp"

namespace kavo::placement {

namespace {

bool lookedThrough(int opcode) {
    switch (opcode) {
    case PIC_CLRW:
    case PIC_NOP:
    case PIC_ANDLW:
    case PIC_CLRWDT:
    case PIC_IORLW:
    case PIC_MOVLW:
    case PIC_SLEEP:
    case PIC_XORLW:
    case PIC_OPTION:
    case PIC_TRIS:
    case PIC_PAGE:
    case PIC_MODE:
    case PIC_RETP:
    case PIC_RETIW:
    case PIC_LABELADDRHI:
    case PIC_JMPW:
    case PIC_SC:
    case PIC_NOTW:
    case PIC_CLC:
    case PIC_CLZ:
    case PIC_SKIP:
    case PIC_MOVLM:
    case PIC_SETIRP:
    case PIC_LABELADDR:
    case PIC_STRINGLOC:
    case PIC_GETSTRADDR:
    case PIC_GETSTRADDRHI:
    case PIC_ADDRESSOF:
    case PIC_VPSTART:
    case PIC_VPDONE:
    case PIC_ORG:
        return true;
    default:
        return false;
    }
}

bool needsNone(int opcode) {
    switch (opcode) {
    case PIC_CALL:
    case PIC_GOTO:
    case PIC_RETFIE:
    case PIC_RETLW:
    case PIC_RETURN:
    case PIC_BANK:
    case PIC_MOVMW:
    case PIC_MOVWM:
    case PIC_PROGLOC:
    case PIC_IREAD:
    case PIC_INTERRUPT:
    case PIC_RESET:
    case PIC_RASMSTART:
    case PIC_RASMEND:
        return true;
    default:
        return false;
    }
}

int pragmaOr(const Compilation& c, const std::string& name, int fallback) {
    const auto value = c.pragmas.get(name);
    return value ? static_cast<int>(readCompilerNumber(*value)) : fallback;
}

} // namespace

CommonRanges::CommonRanges(const Compilation& c) {
    for (int n = 0; n < 4; ++n) {
        const int start = n == 0 ? 2 : 0;
        const int end = n == 0 ? 4 : 0;
        ranges_[static_cast<std::size_t>(n)] = {
            pragmaOr(c, strprintf("COMMON_BANK_START_%d", n), start),
            pragmaOr(c, strprintf("COMMON_BANK_END_%d", n), end)};
    }
}

bool CommonRanges::common(int address) const {
    const int offset = address % 32;
    // Offsets 0 to 15 are the global registers on every part.
    if (offset < 16)
        return true;
    for (const auto& [start, end] : ranges_) {
        if (start <= offset && offset <= end)
            return true;
    }
    return false;
}

bool knownforbanks(int opcode) {
    return isfileregister(opcode) || lookedThrough(opcode) || needsNone(opcode) ||
           opcode == PIC_LABEL;
}

BankNeed ownbank(const Compilation& c, const CommonRanges& common, const Instruction& i) {
    if (!isfileregister(i.opcode) || i.operand == FileSelect || i.operand == Indirect)
        return BankNeed::none();
    const int address = operandaddress(c, i);
    if (address < 0 || common.common(address))
        return BankNeed::none();
    return BankNeed::of(address / 32);
}

BankNeed bankof(const Compilation& c, const CommonRanges& common, const Instruction* i) {
    for (; i != nullptr; i = i->next) {
        if (i->opcode == PIC_LABEL)
            return BankNeed::unknown();
        if (isfileregister(i->opcode)) {
            const BankNeed own = ownbank(c, common, *i);
            if (own.kind == BankNeed::Bank || i->operand == FileSelect || i->operand == Indirect)
                return own;
            continue;
        }
        if (!lookedThrough(i->opcode))
            return BankNeed::none();
    }
    return BankNeed::unknown();
}

} // namespace kavo::placement
