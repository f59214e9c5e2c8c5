// Appending instructions to the run's instruction list: emit (with the duplicate-label check),
// emitbeforeswend for a switch's comparisons, which collect before its PIC_SWEND marker, and
// dropswend, which removes that marker once the switch is done.
#include "compiler/codegen/emit.hpp"

#include "compiler/base/text_format.hpp"
#include "compiler/symbols/symbols.hpp"

#include <cctype>
#include <string>

namespace kavo {

namespace {

Instruction* makeInstruction(Compilation& c, int opcode, std::string_view operand, int dest,
                             int line, int value, int offset) {
    Instruction* instruction = c.instructions.make();
    instruction->opcode = opcode;
    instruction->operand = operand;
    instruction->dest = dest;
    instruction->line = line;
    instruction->value = value;
    instruction->offset = offset;
    instruction->file = c.codegen.codegenFile != nullptr ? c.codegen.codegenFile
                                                         : c.strings.intern(c.files.sourceFileName);
    return instruction;
}

// Whether a remembered marker position still holds: the marker and the record before it
// are both in the list, one after the other.
bool stillInPlace(const Compilation& c, const SwitchMarker& m) {
    if (m.marker == nullptr || m.marker->unlinked)
        return false;
    if (m.previous == nullptr)
        return c.instructions.head() == m.marker;
    return !m.previous->unlinked && m.previous->next == m.marker;
}

// Finds the PIC_SWEND marker of switchEnd and the record before it: where the switch left
// it, else by a walk from the head (a switch's comparisons would otherwise walk the whole
// list once each).
SwitchMarker& findSwitchEnd(Compilation& c, std::string_view switchEnd) {
    SwitchMarker& m = c.codegen.switchMarkers[std::string(switchEnd)];
    if (stillInPlace(c, m))
        return m;
    m = {};
    for (Instruction* i = c.instructions.head(); i != nullptr; m.previous = i, i = i->next) {
        if (i->opcode == PIC_SWEND && i->operand == switchEnd) {
            m.marker = i;
            return m;
        }
    }
    return m;
}

} // namespace

namespace {

// A C label as its program writes it: the name after the function's in _L<n><function>_name.
std::string writtenLabel(const std::string& name) {
    std::size_t digits = 2;
    while (digits < name.size() && std::isdigit(static_cast<unsigned char>(name[digits])) != 0)
        ++digits;
    if (!name.starts_with("_L") || digits == 2 || digits > 6)
        return name;
    const std::size_t skip = digits + std::stoul(name.substr(2, digits - 2)) + 1;
    return skip < name.size() ? name.substr(skip) : name;
}

// A record as emit() makes it: C118 for a repeated label, the operand's scope.
Instruction* makeChecked(Compilation& c, int opcode, std::string_view operand, int dest, int line,
                         int value, int offset) {
    Instruction* instruction = makeInstruction(c, opcode, operand, dest, line, value, offset);
    if (opcode == PIC_LABEL) {
        if (const Instruction* earlier = c.instructions.findLabel(instruction->operand))
            c.error(strprintf("ERROR(C118): Line: %d Label %s previously declared near line %d.\n",
                              line, writtenLabel(instruction->operand).c_str(), earlier->line));
    }
    instruction->scope = c.codegen.globalScopeFlag ? std::string(GlobalScope) : scopeof(c, operand);
    return instruction;
}

} // namespace

Instruction* emit(Compilation& c, int opcode, std::string_view operand, int dest, int line,
                  int value, int offset) {
    Instruction* instruction = makeChecked(c, opcode, operand, dest, line, value, offset);
    c.instructions.append(instruction);
    return instruction;
}

Instruction* emitafter(Compilation& c, Instruction* at, int opcode, std::string_view operand,
                       int dest, int line, int value, int offset) {
    Instruction* instruction = makeChecked(c, opcode, operand, dest, line, value, offset);
    c.instructions.insertAfter(at, instruction);
    return instruction;
}

Instruction* emitbeforeswend(Compilation& c, int opcode, std::string_view operand, int dest,
                             int line, int value, std::string_view switchEnd) {
    Instruction* instruction = makeInstruction(c, opcode, operand, dest, line, value, 0);
    instruction->scope = GlobalScope;
    SwitchMarker& m = findSwitchEnd(c, switchEnd);
    if (m.marker == nullptr) {
        c.instructions.append(instruction);
    } else {
        c.instructions.insertAfter(m.previous, instruction);
        m.previous = instruction;
    }
    return instruction;
}

void emitswend(Compilation& c, const std::string& switchEnd, int line) {
    Instruction* previous = c.instructions.last();
    Instruction* marker = emit(c, PIC_SWEND, switchEnd, -1, line);
    c.codegen.switchMarkers[switchEnd] = {previous, marker};
}

void dropswend(Compilation& c, std::string_view switchEnd) {
    const SwitchMarker m = findSwitchEnd(c, switchEnd);
    if (m.marker != nullptr)
        c.instructions.remove(m.previous, m.marker);
    c.codegen.switchMarkers.erase(std::string(switchEnd));
}

Instruction* lastInstruction(const Compilation& c) {
    Instruction* last = c.instructions.head();
    while (last != nullptr && last->next != nullptr)
        last = last->next;
    return last;
}

Instruction* findStringLoc(const Compilation& c) {
    for (Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        if (i->opcode == PIC_STRINGLOC)
            return i;
    }
    return nullptr;
}

void moveEmittedAfter(Compilation& c, Instruction* tail, Instruction* anchor) {
    if (tail == nullptr || anchor == nullptr || anchor == tail)
        return;
    const bool cache = c.instructions.cacheEnabled();
    c.instructions.setCacheEnabled(false);
    Instruction* cursor = anchor;
    while (tail->next != nullptr) {
        Instruction* moved = tail->next;
        c.instructions.remove(tail, moved);
        c.instructions.insertAfter(cursor, moved);
        cursor = moved;
    }
    c.instructions.setCacheEnabled(cache);
}

} // namespace kavo
