// Address resolution: after RAM allocation the address pseudo-instructions become literal
// loads (`resolveaddresses`), and the address loads whose symbol had no place yet are
// resolved or reported as C89 just before the final resolution (`resolveaddressof`). The
// interrupt context markers, whose work the context save has done, go here too.
//
// On the 48/52-pin parts (SX_52_BANKS) an address that reaches FSR is written in the chip's
// FSR form, (bank << 4) | (offset mod 16): the chip's banks are FSR bits 7:4 while the
// compiler counts bank x 32 + offset, so this is what makes `p = &v; *p` reach v itself.
// The upper eight banks come with FSR bit 7 in that form, so the STATUS bit 7 rewrite of
// PIC_SETIRP is dropped there: on those parts STATUS bit 7 is a page bit.
#include "compiler/backend/backend.hpp"
#include "compiler/backend/placement_internal.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/tables/opcodes.hpp"
#include "compiler/tables/ram_map.hpp"

namespace kavo {

using namespace placement;

namespace {

// The PIC-style value of an upper-half address: its low byte with bit 4 cleared.
int foldedaddress(int address) {
    if (address >= 256 && address <= 511)
        return (address & 0xFF) & ~0x10;
    return address;
}

void becomeLiteralLoad(Instruction& i, int value) {
    i.opcode = PIC_MOVLW;
    i.operand = strprintf("%d", value);
    i.offset = 0;
    i.dest = -1;
}

// A RAM address loaded to be used through FSR; false (with an error) when the chip cannot
// reach it that way.
bool fsrAddress(Compilation& c, const ChipLayout& chip, const Instruction& i, int address,
                int& value) {
    if (!chip.bigBanks) {
        value = foldedaddress(address);
        return true;
    }
    if (address % 32 >= 16 && address / 32 == 0) {
        c.error(strprintf("ERROR: Line: %d %s lies in bank 0, which this part cannot reach "
                          "through FSR.\n",
                          i.line, i.operand.c_str()));
        return false;
    }
    value = fsrform(address);
    return true;
}

// Strings live in program memory: their "address" is a table position, not a RAM address.
bool namesString(const Instruction& i) {
    return i.operand.starts_with("_str_");
}

// Turns an address load into a literal load; false when its symbol has no address yet.
bool resolveLoad(Compilation& c, const ChipLayout& chip, Instruction& i) {
    const int address = operandaddress(c, i);
    if (address < 0)
        return false;
    int value = 0;
    switch (i.opcode) {
    case PIC_GETSTRADDRHI:
        value = address / 256;
        break;
    case PIC_GETSTRADDR:
        value = address % 256;
        break;
    default:
        if (namesString(i))
            value = foldedaddress(address);
        else if (!fsrAddress(c, chip, i, address, value))
            return true; // reported; the load stays as it is
        else if (!chip.bigBanks && i.opcode == PIC_ADDMEMLOC)
            value = address % 256;
        break;
    }
    becomeLiteralLoad(i, value);
    return true;
}

bool isAddressLoad(int opcode) {
    return opcode == PIC_ADDRESSOF || opcode == PIC_ADDMEMLOC || opcode == PIC_GETSTRADDR ||
           opcode == PIC_GETSTRADDRHI;
}

// Sets or clears the data-address high bit before an indirect access; false when the
// instruction goes away.
bool resolveSetIrp(Compilation& c, const ChipLayout& chip, Instruction& i) {
    if (chip.bigBanks || chip.usesPageBit2())
        return false;
    const int address = operandaddress(c, i) - i.offset;
    i.opcode = address >= 256 ? PIC_BSF : PIC_BCF;
    i.operand = Status;
    i.dest = 7;
    i.offset = 0;
    i.scope = GlobalScopeName;
    return true;
}

} // namespace

void resolveaddresses(Compilation& c) {
    const ChipLayout chip = chiplayout(c);
    const bool cache = c.instructions.cacheEnabled();
    c.instructions.setCacheEnabled(false);
    Instruction* previous = nullptr;
    for (Instruction* i = c.instructions.head(); i != nullptr;) {
        Instruction* next = i->next;
        switch (i->opcode) {
        case PIC_SIZEOF:
            becomeLiteralLoad(*i, operandsize(c, *i));
            break;
        case PIC_SAVEINT:
        case PIC_RESTOREINT:
            // The interrupt context is saved by then; the markers take no word.
            c.instructions.remove(previous, i);
            i = next;
            continue;
        case PIC_SETIRP:
            if (!resolveSetIrp(c, chip, *i)) {
                c.instructions.remove(previous, i);
                i = next;
                continue;
            }
            break;
        case PIC_ADDMEMLOC:
        case PIC_ADDRESSOF:
        case PIC_GETSTRADDRHI:
        case PIC_GETSTRADDR:
            resolveLoad(c, chip, *i); // an address still unknown is left for C89
            break;
        default:
            break;
        }
        previous = i;
        i = next;
    }
    c.instructions.setCacheEnabled(cache);
}

void resolveaddressof(Compilation& c) {
    const ChipLayout chip = chiplayout(c);
    for (Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        if (!isAddressLoad(i->opcode) || resolveLoad(c, chip, *i))
            continue;
        c.error(strprintf("ERROR(C89): Line: %d Cannot resolve address for %s\n", i->line,
                          i->operand.c_str()));
        becomeLiteralLoad(*i, 0);
    }
}

} // namespace kavo
