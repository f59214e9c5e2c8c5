// The assembly source writer: the placed instruction list as SX assembly text, and the code
// part of the listing when called in listing mode with a left margin. Operation: `writeasm`.
//
// Each instruction is one line with its source line in a comment; a change of source line
// writes an empty comment line, and an ORG line appears wherever the addresses stop running on
// (the first instruction, a gap left for Virtual Peripheral code, the vectors).
#include "compiler/backend/backend.hpp"

#include "compiler/backend/output_internal.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/tables/opcodes.hpp"

#include <algorithm>
#include <string>

namespace kavo {

namespace {

// Instructions after which the next one is expected at the next address.
bool advancesAddress(int opcode) {
    return opcode != PIC_LABEL && opcode != PIC_STRINGLOC && opcode != PIC_VPSTART &&
           opcode != PIC_ORG && opcode != PIC_VPDONE && !output::isRawAssemblyMarker(opcode);
}

void writeHeader(Compilation& c, OutputStream& file, const std::string& m) {
    const std::uint32_t romEnd = c.pragmas.number("ROM_END", 512);
    file.write(strprintf("%s\tDEVICE PAGES%u,BANKS8\n", m.c_str(), (romEnd + 1) / 512));
    file.write(strprintf("%s\tDEVICE STACKX,OPTIONX\n", m.c_str()));
    if (c.flags.debugForm == 0) {
        file.write(
            strprintf("%s;            Assembly code starts here                   \n", m.c_str()));
        file.write(
            strprintf("%s;--------------------------------------------------------\n", m.c_str()));
        return;
    }
    file.write(
        strprintf("%s;SCOPE          PC    OPCODE     VARIABLE/LABEL (OFFSET),DEST SOURCE-LINE\n",
                  m.c_str()));
    file.write(
        strprintf("%s;------------------------------------------------------------------------\n",
                  m.c_str()));
}

// "%-25s" and the line comment, the layout of every instruction line: six blanks before the
// text and fifteen after it, or for labels and ORG none before and twenty-one after. Built
// without printf since it is written once per instruction.
std::string commentedLine(bool indented, const std::string& text, int line,
                          const std::string& tail = {}) {
    constexpr std::size_t Width = 25;
    std::string out = indented ? "      " : "";
    out += text;
    if (text.size() < Width)
        out.append(Width - text.size(), ' ');
    out.append(indented ? 15 : 21, ' ');
    out += "; Line: ";
    out += std::to_string(line);
    out += tail;
    out += '\n';
    return out;
}

// A data word's comment shows the characters it holds.
std::string dataWordTail(const Instruction& i) {
    const bool first = output::isPrintable(i.value);
    const bool second = output::isPrintable(i.secondValue);
    if (first && second)
        return strprintf(", '%c', '%c'", i.value, i.secondValue);
    if (first)
        return strprintf(", '%c'", i.value);
    if (second)
        return strprintf(",    , '%c'", i.secondValue);
    return {};
}

std::string instructionLine(const std::string& text, const Instruction& i) {
    if (i.opcode == PIC_LABEL || i.opcode == PIC_ORG)
        return commentedLine(false, text, i.line);
    if (i.opcode == PIC_PROGLOC)
        return commentedLine(true, text, i.line, dataWordTail(i));
    return commentedLine(true, text, i.line);
}

std::string addressColumn(const Instruction& i) {
    if (i.word == NoMachineWord)
        return strprintf("%03X-          ", i.address);
    return strprintf("%03X- %03X      ", i.address, i.word);
}

class AsmWriter {
public:
    AsmWriter(Compilation& c, OutputStream& file, bool listing, std::string margin)
        : c_(c), file_(file), listing_(listing), m_(std::move(margin)) {}

    void write() {
        writeHeader(c_, file_, m_);
        Instruction* i = c_.instructions.head();
        if (i != nullptr && i->opcode == PIC_LABEL && i->operand == output::ProgramAnchor) {
            previousLine_ = i->line;
            i = i->next;
        }
        for (; i != nullptr; i = i->next) {
            if (output::isRawAssemblyMarker(i->opcode))
                continue;
            writeInstruction(*i);
            if (advancesAddress(i->opcode))
                ++expectedAddress_;
        }
    }

private:
    void writeInstruction(Instruction& i) {
        i.operand = output::printedName(c_, std::move(i.operand));
        const std::string text = output::instructionText(c_, i);
        if (text.empty())
            return;
        if (i.line != previousLine_)
            file_.write(m_ + ";\n");
        previousLine_ = i.line;
        // An ORG of the source is its own ORG line.
        if (i.opcode == PIC_ORG)
            expectedAddress_ = i.address;
        if (i.address != expectedAddress_) {
            file_.write(m_ + commentedLine(true, strprintf("ORG %d", i.address), i.line));
            expectedAddress_ = i.address;
        }
        if (listing_)
            file_.write(addressColumn(i));
        file_.write(instructionLine(text, i));
    }

    Compilation& c_;
    OutputStream& file_;
    bool listing_;
    std::string m_;
    int expectedAddress_ = -2;
    int previousLine_ = -1;
};

} // namespace

int writeasm(Compilation& c, OutputStream& file, int listingMode, std::string_view margin) {
    AsmWriter(c, file, listingMode != 0, std::string(margin)).write();
    return 1;
}

} // namespace kavo
