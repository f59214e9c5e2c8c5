// Final resolution (`finalresolution`): one walk over the placed list that resolves every
// operand to the number its instruction word holds, turns the remaining pseudo-instructions
// (string table start, interrupt and reset vectors) into plain instructions, and reports
// everything that cannot be resolved. Its result, the address after the last instruction,
// is the program size.
//
// Checks added to the plain resolution, because the chip would otherwise run wrong code:
// the reset jump runs with the page bits at 0, so its target must lie in page 0; a computed
// jump and its table must lie in the first half of one page (PC+W clears bit 8); a table
// entry jumps with the table's page bits; literals below -128 are out of range like those
// above 255.
#include "compiler/backend/backend.hpp"
#include "compiler/backend/placement_internal.hpp"
#include "compiler/base/number_reader.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/tables/call_tree.hpp"
#include "compiler/tables/opcodes.hpp"

namespace kavo {

using namespace placement;

namespace {

bool hasDestination(int opcode) {
    return isfileregister(opcode) && opcode != PIC_CLRF && opcode != PIC_MOVWF;
}

bool hasNoOperand(int opcode) {
    switch (opcode) {
    case PIC_CLRW:
    case PIC_NOP:
    case PIC_CLRWDT:
    case PIC_RETFIE:
    case PIC_RETURN:
    case PIC_SLEEP:
    case PIC_RETP:
    case PIC_RETIW:
    case PIC_JMPW:
    case PIC_SC:
    case PIC_NOTW:
    case PIC_CLC:
    case PIC_CLZ:
    case PIC_SKIP:
    case PIC_OPTION:
    case PIC_MOVMW:
    case PIC_MOVWM:
    case PIC_PROGLOC:
    case PIC_IREAD:
        return true;
    default:
        return false;
    }
}

bool isLiteral(int opcode) {
    return opcode == PIC_ANDLW || opcode == PIC_IORLW || opcode == PIC_MOVLW ||
           opcode == PIC_RETLW || opcode == PIC_XORLW;
}

bool addressOnly(int opcode) {
    // ORG, STRINGLOC and VPDONE take no word and carry no operand to resolve.
    return opcode == PIC_LABEL || opcode == PIC_RASMSTART || opcode == PIC_RASMEND ||
           opcode == PIC_ORG || opcode == PIC_STRINGLOC || opcode == PIC_VPDONE;
}

int folded(int value) {
    return value >= 256 && value <= 511 ? (value & 0xFF) & ~0x10 : value;
}

class FinalWalk {
public:
    explicit FinalWalk(Compilation& c) : c_(c), chip_(chiplayout(c)) {}

    int run() {
        for (Instruction* i = c_.instructions.head(); i != nullptr; i = i->next)
            resolve(*i);
        const int size = state(c_).programSize;
        if (chip_.romEnd < size)
            c_.error(strprintf("ERROR(C70): Memory limit exceeded (pragma %s = %d needs %d).\n",
                               "ROM_END", chip_.romEnd, size));
        return size;
    }

private:
    void resolve(Instruction& i) {
        const int op = i.opcode;
        const bool tableEntry = tableEntries_ > 0 && !iswordless(op);
        if (tableEntry)
            --tableEntries_;
        if (hasDestination(op) || op == PIC_BCF || op == PIC_BSF) {
            registerField(i, "C64", i.dest < 0 ? 0 : i.dest);
        } else if (op == PIC_CLRF || op == PIC_MOVWF || op == PIC_TRIS) {
            registerField(i, "C63", 0);
        } else if (isLiteral(op)) {
            literal(i);
        } else if (op == PIC_BANK || op == PIC_MODE || op == PIC_MOVLM || op == PIC_ADDRESSOF) {
            i.resolved = folded(literalvalue(i.operand).value_or(0));
        } else if (istransfer(op)) {
            transfer(i);
        } else if (op == PIC_PAGE) {
            page(i);
        } else if (op == PIC_LABELADDRHI || op == PIC_LABELADDR) {
            stringStart(i);
        } else if (op == PIC_INTERRUPT) {
            vector(i, "ERROR(C74): Line: %d interrupt label %s not found.\n");
        } else if (op == PIC_RESET) {
            vector(i, "ERROR(C73): Line: %d reset label %s not found.\n");
            checkResetTarget(i);
        } else if (hasNoOperand(op)) {
            i.resolved = 0;
        } else if (op == PIC_LABEL && isbridge(i)) {
            checkBridgeLanding(i);
        } else if (op == PIC_VPSTART || addressOnly(op)) {
            // the address is all there is
        } else {
            c_.error(strprintf("ERROR(C66): Unknown instruction: %s\n",
                               std::string(opcodeName(op)).substr(4).c_str()));
        }
        if (tableEntry)
            checkTableEntry(i);
        if (iscomputedjump(i))
            checkTable(i);
    }

    void registerField(Instruction& i, const char* code, int field) {
        const int address = operandaddress(c_, i);
        if (address < 0) {
            c_.error(strprintf("ERROR(%s): Line: %d Identifier %s not found.\n", code, i.line,
                               i.operand.c_str()));
            i.resolved = -1;
            return;
        }
        i.resolved = address % 32 + 32 * field;
    }

    void literal(Instruction& i) {
        const auto value = literalvalue(i.operand);
        if (!value) {
            c_.error(strprintf("ERROR(C64): Line: %d Identifier %s not found.\n", i.line,
                               i.operand.c_str()));
            return;
        }
        if (*value > 255 || *value < -128)
            c_.error(strprintf("ERROR(C251): Line: %d Constant value out of range.\n", i.line));
        i.resolved = *value;
    }

    int labelAddress(const std::string& label) const { return c_.placement->labels.address(label); }

    void transfer(Instruction& i) {
        const std::string label = targetlabel(c_, i);
        if (const auto number = literalvalue(label)) {
            c_.message(strprintf("WARNING(C202): Line: %d hardcoded label %s found.\n", i.line,
                                 i.operand.c_str()));
            i.resolved = *number;
        } else {
            i.resolved = labelAddress(label);
            noteTarget(i, label);
        }
        if (i.resolved < 0) {
            c_.error(
                strprintf("ERROR(C65): Line: %d label %s not found.\n", i.line, i.operand.c_str()));
            return;
        }
        if (i.opcode == PIC_CALL && i.resolved % PageWords >= 256)
            c_.error(strprintf("ERROR(C250): Line: %d address (%d) of %s not in first half of "
                               "page.\n",
                               i.line, i.resolved, label.c_str()));
    }

    // The optimiser reads which label and which function a transfer reaches.
    void noteTarget(Instruction& i, const std::string& label) const {
        if (const LabelEntry* entry = c_.placement->labels.find(label))
            i.targetLabel = entry->sequence;
        const std::string_view function =
            std::string_view(label).substr(label.starts_with("@") ? 1 : 0);
        if (const CallTreeEntry* callee = findcall(c_.callTree, function))
            i.targetFunction = callee->number;
    }

    void page(Instruction& i) {
        if (const auto number = literalvalue(i.operand)) {
            i.resolved = *number;
        } else {
            const int address = labelAddress(i.operand);
            if (address < 0)
                c_.error(strprintf("ERROR(C201): Line: %d PAGE: label %s not found.\n", i.line,
                                   i.operand.c_str()));
            i.resolved = pageOfAddress(address);
        }
        i.operand = strprintf("%d", i.resolved);
    }

    void stringStart(Instruction& i) {
        const int address = labelAddress("@__s_start_");
        if (address < 0)
            c_.error(
                strprintf("ERROR(C65): Line: %d label %s not found.\n", i.line, "@__s_start_"));
        const int value = i.opcode == PIC_LABELADDRHI ? address / 256 : address % 256;
        i.opcode = PIC_MOVLW;
        i.operand = strprintf("%d", value);
        i.resolved = value;
    }

    void vector(Instruction& i, const char* missing) {
        i.resolved = labelAddress(i.operand);
        if (i.resolved < 0)
            c_.error(strprintf(missing, i.line, i.operand.c_str()));
        i.opcode = PIC_GOTO;
    }

    // A run of words that must stay together and fits in no segment lands past its bridge.
    void checkBridgeLanding(const Instruction& label) {
        const Instruction* code = nextword(&label);
        if (code != nullptr && code->address != label.address)
            c_.error(strprintf("ERROR: Line: %d %d words that must stay together fit in no free "
                               "code segment.\n",
                               code->line, groupwords(code)));
    }

    // Reset leaves the page bits at 0: the reset jump reaches page 0 only.
    void checkResetTarget(const Instruction& i) {
        if (i.resolved >= PageWords)
            c_.error(strprintf("ERROR(C330): Line: %d address (%d) of %s not in page 0 for the "
                               "reset jump.\n",
                               i.line, i.resolved, i.operand.c_str()));
    }

    // PC+W keeps the page bits and clears bit 8: the whole table must lie in the first half
    // of the jump's page.
    void checkTable(const Instruction& jump) {
        tableEntries_ = tablelength(jump);
        tablePage_ = pageOfAddress(jump.address);
        const int last = jump.address + tableEntries_;
        if (jump.address % PageWords + tableEntries_ >= 256 || pageOfAddress(last) != tablePage_)
            c_.error(strprintf("ERROR(C250): Line: %d address (%d) of %s not in first half of "
                               "page.\n",
                               jump.line, last, "jump table"));
    }

    void checkTableEntry(const Instruction& entry) {
        if (entry.opcode != PIC_GOTO || entry.resolved < 0)
            return;
        if (pageOfAddress(entry.resolved) != tablePage_)
            c_.error(strprintf("ERROR: Line: %d jump table entry %s lies outside the page of "
                               "its table.\n",
                               entry.line, entry.operand.c_str()));
    }

    Compilation& c_;
    ChipLayout chip_;
    int tableEntries_ = 0;
    int tablePage_ = 0;
};

} // namespace

namespace {

// The compiler generates for the CARRYX fuse off: with it on, ADD, SUB and JMP PC+W add the
// carry and every 16-bit sequence changes meaning.
void checkcarryx(Compilation& c) {
    const auto fusex = c.pragmas.get("FUSEX_WORD_VAL");
    if (fusex && (readCompilerNumber(*fusex) & 0x40) == 0)
        c.error("ERROR: FUSEX_WORD_VAL turns CARRYX on (bit 6 clear); the compiled code needs it "
                "off.\n");
}

} // namespace

int finalresolution(Compilation& c) {
    while (labeltablepass(c)) {
    }
    checkcarryx(c);
    return FinalWalk(c).run();
}

} // namespace kavo
