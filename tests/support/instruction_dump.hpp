#pragma once

#include "compiler/tables/instruction_list.hpp"
#include "compiler/tables/opcodes.hpp"

#include <string>
#include <vector>

namespace kavo::testing {

// One instruction as a test reads it: "MOVF a,W", "ADDWF x+1,F", "BTFSC @__stat__.2",
// "MOVLW 5", "LABEL _BCL_0".
inline std::string describe(const Instruction& i) {
    std::string name(opcodeName(i.opcode));
    if (name.starts_with("PIC_"))
        name = name.substr(4);
    std::string text = name;
    if (!i.operand.empty())
        text += " " + i.operand;
    if (i.offset != 0 && !i.operand.empty())
        text += (i.offset > 0 ? "+" : "") + std::to_string(i.offset);
    if (hasWorFDestination(i.opcode)) {
        text += i.dest == 1 ? ",F" : ",W";
        return text;
    }
    switch (i.opcode) {
    case PIC_BCF:
    case PIC_BSF:
    case PIC_BTFSC:
    case PIC_BTFSS:
        text += "." + std::to_string(i.dest);
        break;
    default:
        break;
    }
    return text;
}

// The instructions after the label `from` up to (not including) the label `to` ("" = end).
inline std::vector<std::string> instructionsBetween(const InstructionList& list,
                                                    const std::string& from,
                                                    const std::string& to = "") {
    std::vector<std::string> out;
    bool inside = false;
    for (const Instruction* i = list.head(); i != nullptr; i = i->next) {
        if (i->opcode == PIC_LABEL && i->operand == to && inside && !to.empty())
            break;
        if (inside)
            out.push_back(describe(*i));
        if (i->opcode == PIC_LABEL && i->operand == from)
            inside = true;
    }
    return out;
}

} // namespace kavo::testing
