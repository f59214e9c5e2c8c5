// Code that runs once before main: the initialisers of global and static variables. They are
// generated where their declarations stand, taken out of the list there (takestartupcode)
// and placed at main's entry (placestartupcode), which the reset vector reaches first.
#include "compiler/base/kinds.hpp"
#include "compiler/codegen/emit.hpp"
#include "compiler/codegen/functions.hpp"

namespace kavo {

Instruction* startupmark(const Compilation& c) {
    return c.instructions.last();
}

void takestartupcode(Compilation& c, Instruction* mark) {
    const bool cache = c.instructions.cacheEnabled();
    c.instructions.setCacheEnabled(false);
    Instruction* previous = mark;
    Instruction* first = mark != nullptr ? mark->next : c.instructions.head();
    while (first != nullptr) {
        Instruction* next = first->next;
        c.instructions.remove(previous, first);
        c.codegen.startupCode.push_back(first);
        first = next;
    }
    c.instructions.setCacheEnabled(cache);
}

void placestartupcode(Compilation& c) {
    if (c.codegen.startupCode.empty())
        return;
    Instruction* at = const_cast<Instruction*>(c.instructions.findLabel("@main"));
    // Without a main the code stays at the end, where it was made (the reset label is
    // reported missing).
    if (at == nullptr)
        at = c.instructions.last();
    const bool cache = c.instructions.cacheEnabled();
    c.instructions.setCacheEnabled(false);
    for (Instruction* i : c.codegen.startupCode) {
        c.instructions.insertAfter(at, i);
        at = i;
    }
    c.instructions.setCacheEnabled(cache);
    c.codegen.startupCode.clear();
}

} // namespace kavo
