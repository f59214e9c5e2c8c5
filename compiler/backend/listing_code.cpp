// The intermediate listing: the placed instruction list printed record by record, with the
// opcode names of the compiler's own instruction set instead of SX mnemonics. It takes the
// code's place in the assembly file when ASM_FORMAT is set, for looking at what the generator
// and the optimiser made. DEBUG_FORM chooses the layout: 0 reads like assembly, 1 adds the
// scope, address and offset of every record, 2 also the resolved values. Operation: `listcode`.
#include "compiler/backend/backend.hpp"

#include "compiler/backend/output_internal.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/tables/assembler_names.hpp"
#include "compiler/tables/label_table.hpp"
#include "compiler/tables/opcodes.hpp"

#include <string>

namespace kavo {

namespace {

bool isJumpOrCall(int opcode) {
    return opcode == PIC_GOTO || opcode == PIC_CALL;
}

std::string bareOpcode(int opcode) {
    std::string_view name = opcodeName(opcode);
    if (name.starts_with("PIC_"))
        name.remove_prefix(4);
    return std::string(name);
}

class CodeLister {
public:
    CodeLister(Compilation& c, OutputStream& file) : c_(c), file_(file), form_(c.flags.debugForm) {}

    void list() {
        writeHeader();
        const Instruction* i = c_.instructions.head();
        if (i != nullptr && i->opcode == PIC_LABEL && i->operand == output::ProgramAnchor) {
            previousLine_ = i->line;
            i = i->next;
        }
        for (; i != nullptr; i = i->next) {
            if (form_ == 0 && output::isRawAssemblyMarker(i->opcode))
                continue;
            if (i->line != previousLine_)
                file_.write(";\n");
            previousLine_ = i->line;
            if (form_ == 0)
                writeAssemblyLike(*i);
            else
                writeDetailed(*i);
        }
    }

private:
    void writeHeader() {
        if (form_ == 0) {
            file_.write(";     OPCODE     VARIABLE/LABEL ,DEST         SOURCE-LINE\n");
            file_.write(";--------------------------------------------------------\n");
            return;
        }
        file_.write(";SCOPE          PC    OPCODE     VARIABLE/LABEL (OFFSET),DEST SOURCE-LINE\n");
        file_.write(";------------------------------------------------------------------------\n");
    }

    void writeAssemblyLike(const Instruction& i) {
        if (i.address != expectedAddress_) {
            file_.write(strprintf("      ORG  %d\n", i.address));
            expectedAddress_ = i.address;
        }
        const std::string op = bareOpcode(i.opcode);
        const std::string operand = operandName(i);
        if (i.opcode == PIC_LABEL) {
            file_.write(
                strprintf("%-23s                       ; Line: %d\n", operand.c_str(), i.line));
        } else if ((i.opcode == PIC_RETLW || i.opcode == PIC_PROGLOC) &&
                   output::isPrintable(i.value)) {
            file_.write(strprintf("      %-11s%-15s              ; Line: %d, '%c'\n", op.c_str(),
                                  operand.c_str(), i.line, i.value));
        } else if (i.dest >= 0) {
            file_.write(strprintf("      %-11s%-15s,%-3d          ; Line: %d\n", op.c_str(),
                                  operand.c_str(), i.dest, i.line));
        } else if (i.offset >= 0) {
            file_.write(strprintf("      %-11s%-15s              ; Line: %d\n", op.c_str(),
                                  operand.c_str(), i.line));
        }
        if (i.opcode != PIC_LABEL && i.opcode != PIC_STRINGLOC)
            ++expectedAddress_;
    }

    // The operand as the assembly names it, a byte beyond the first with its offset.
    std::string operandName(const Instruction& i) const {
        if (i.operand.empty())
            return {};
        const std::string& name =
            c_.assemblerNames->nameFor(output::printedName(c_, i.operand), i.scope);
        if (i.offset != 0)
            return strprintf("%s_%d", name.c_str(), i.offset);
        return name;
    }

    void writeDetailed(const Instruction& i) {
        file_.write(strprintf("%-14s ", i.scope.c_str()));
        const std::string op = bareOpcode(i.opcode);
        const char* operand = i.operand.c_str();
        if (i.opcode == PIC_LABEL) {
            if (form_ == 2)
                file_.write(strprintf("%03d   %-11s%-23s%3d   ; Line: %d\n", i.address, "LABEL",
                                      operand, i.resolved, i.line));
            else
                file_.write(strprintf("%03d   %-11s%-23s      ; Line: %d\n", i.address, "LABEL",
                                      operand, i.line));
            return;
        }
        if (form_ == 1) {
            if (i.dest < 0)
                file_.write(strprintf("%03d   %-11s%-15s(%d)           ; Line: %d\n", i.address,
                                      op.c_str(), operand, i.offset, i.line));
            else
                file_.write(strprintf("%03d   %-11s%-15s(%d),%-3d       ; Line: %d\n", i.address,
                                      op.c_str(), operand, i.offset, i.dest, i.line));
            return;
        }
        if (i.dest >= 0)
            file_.write(strprintf("%03d   %-11s%-15s(%d),%-3d %3d   ; Line: %d\n", i.address,
                                  op.c_str(), operand, i.offset, i.dest, i.resolved, i.line));
        else if (isJumpOrCall(i.opcode))
            file_.write(strprintf("%03d   %-11s%-15s(%d)     %3d   ; Line: %d (addr: %d)\n",
                                  i.address, op.c_str(), operand, i.offset, i.resolved % PageWords,
                                  i.line, i.resolved));
        else
            file_.write(strprintf("%03d   %-11s%-15s(%d)     %3d   ; Line: %d\n", i.address,
                                  op.c_str(), operand, i.offset, i.resolved, i.line));
    }

    Compilation& c_;
    OutputStream& file_;
    std::uint32_t form_;
    int expectedAddress_ = -2;
    int previousLine_ = -1;
};

} // namespace

void listcode(Compilation& c, OutputStream& file) {
    CodeLister(c, file).list();
}

} // namespace kavo
