// Call vectors: `makecallvectors` lists every function the program calls and puts, in front
// of the string table, one jump per function ("f: GOTO @f"). Every CALL lands on its jump,
// which sits early in the program, within the first half of its page, whatever the page of
// the function body.
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/emit.hpp"
#include "compiler/memory/memory.hpp"

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace kavo {

namespace {

bool numeric(const std::string& operand) {
    return !operand.empty() && std::isdigit(static_cast<unsigned char>(operand.front())) != 0;
}

// Names in order of first sight.
struct NoteList {
    std::vector<std::string> names;
    std::set<std::string> seen;

    void note(const std::string& name) {
        if (seen.insert(name).second)
            names.push_back(name);
    }
};

const Instruction* findOpcode(const Compilation& c, int opcode) {
    for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        if (i->opcode == opcode)
            return i;
    }
    return nullptr;
}

// A CALL of a label of assembly code (no C function has that name) goes straight to the
// label: a vector jumps to a function's body label "@name", which a plain label lacks.
bool callsAssemblyLabel(const Compilation& c, const std::set<std::string>& functions,
                        const Instruction& i) {
    return i.opcode == PIC_CALL && functions.count(i.operand) == 0 &&
           c.instructions.findLabel(i.operand) != nullptr;
}

// Names needing a vector in order of first sight: calls of functions before the Virtual
// Peripheral code ends, every call, reset and interrupt jump after it.
std::vector<std::string> calledNames(const Compilation& c) {
    const std::set<std::string> functions = definedFunctions(c);
    NoteList called;
    const Instruction* vpDone = findOpcode(c, PIC_VPDONE);
    const Instruction* i = c.instructions.head();
    if (vpDone != nullptr) {
        for (; i != vpDone; i = i->next) {
            if (i->opcode == PIC_CALL && !numeric(i->operand) && functions.count(i->operand) != 0)
                called.note(i->operand);
        }
    }
    for (; i != nullptr; i = i->next) {
        const bool jump =
            i->opcode == PIC_CALL || i->opcode == PIC_RESET || i->opcode == PIC_INTERRUPT;
        if (jump && !numeric(i->operand) && !callsAssemblyLabel(c, functions, *i))
            called.note(i->operand);
    }
    if (c.pragmas.has("NO_RESET_VECTOR"))
        called.note("main");
    return called.names;
}

Instruction* beforeStringPlaceholder(const Compilation& c, bool& found) {
    Instruction* previous = nullptr;
    for (Instruction* i = c.instructions.head(); i != nullptr; previous = i, i = i->next) {
        if (i->opcode == PIC_STRINGLOC) {
            found = true;
            return previous;
        }
    }
    found = false;
    return previous;
}

} // namespace

void makecallvectors(Compilation& c) {
    const std::vector<std::string> names = calledNames(c);
    bool found = false;
    Instruction* at = beforeStringPlaceholder(c, found);
    if (!found)
        return;
    for (const std::string& name : names) {
        if (name == "__interrupt")
            continue;
        at = emitafter(c, at, PIC_LABEL, name);
        at = emitafter(c, at, PIC_GOTO, strprintf("@%s", name.c_str()));
    }
}

} // namespace kavo
