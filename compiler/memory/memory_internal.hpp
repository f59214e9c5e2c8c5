#pragma once

// Helpers the memory passes share; not for other layers.
#include "compiler/memory/memory.hpp"
#include "compiler/tables/instruction_list.hpp"
#include "compiler/tables/opcodes.hpp"

#include <string>
#include <vector>

namespace kavo {

// The instructions of one function body: from its entry label up to its end label, or up to
// the next function's entry label when it has none.
struct FunctionSpan {
    std::string function;
    Instruction* label = nullptr; // the entry label
    Instruction* last = nullptr;  // the last instruction of the body
};

// Calls visit on each instruction of the span, in order.
template <class Visit> void forEachInSpan(const FunctionSpan& span, Visit visit) {
    for (Instruction* i = span.label; i != nullptr; i = i->next) {
        visit(*i);
        if (i == span.last)
            break;
    }
}

// The bodies of every function of the call tree (runtime routines and "__interrupt"
// included) in program order.
std::vector<FunctionSpan> functionspans(const Compilation& c);

// The function whose variable a symbol is, for register reuse: "" for a global.
const std::string& usedby(const Symbol& symbol);

// Adds to the relation the calls written in inline assembly, and works out which functions
// the interrupt routine reaches. Run once before register reuse asks anything.
void preparerelation(Compilation& c);

// C135 and the fatal stop when the calls (with those noted apart from the tree) form a cycle.
void refuserecursion(Compilation& c);

// The callees the relation follows from a function: its call-tree calls and the calls noted
// apart from the tree.
std::vector<std::string> relatedcallees(const Compilation& c, const std::string& function);

// Names of the compiler's scratch registers.
constexpr const char* ScratchP0 = "@__P0tmp_";
constexpr const char* ScratchInt = "@__SxItmp_";
constexpr const char* ScratchLong = "@__SxLtmp_";

} // namespace kavo

namespace kavo {

// The index of placed symbols that makes placement fast: built before the placement of every
// variable, kept up to date by noteplaced, dropped afterwards (queries then walk the list).
void indexplacements(Compilation& c);
void noteplaced(Compilation& c, Symbol* symbol);
void dropplacementindex(Compilation& c);
// The placed symbols (string entries left out) covering any address of [first, last].
std::vector<Symbol*> symbolscovering(const Compilation& c, int first, int last);

} // namespace kavo
