// Placement order for RAM allocation: countuses counts every unplaced symbol's operand uses in
// the instruction list, mostused picks the next symbol to place.
#include "compiler/base/kinds.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/tables/instruction_list.hpp"

#include <unordered_map>

namespace kavo {

namespace {

// Enumerators, functions and tags occupy no RAM and are never placed.
bool neverPlaced(int type) {
    return type == ENUM || type == FUNCNAME || type == FUNCPTR || type == STRUCT_NAME ||
           type == UNION_NAME;
}

} // namespace

void countuses(Compilation& c) {
    std::unordered_map<std::string, int> operandUses;
    for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next)
        ++operandUses[i->operand];
    for (Symbol* s = c.symbols.main.head; s != nullptr; s = s->next) {
        if (s->addr >= 0)
            continue;
        if (neverPlaced(s->type)) {
            s->uses = -1;
            continue;
        }
        const auto found = operandUses.find(s->name);
        s->uses = found != operandUses.end() ? found->second : 0;
    }
}

Symbol* mostused(Compilation& c) {
    Symbol* best = nullptr;
    for (Symbol* s = c.symbols.main.head; s != nullptr; s = s->next) {
        if (s->addr >= 1 || s->uses < 0)
            continue;
        if (best == nullptr || s->uses >= best->uses)
            best = s;
    }
    if (best != nullptr)
        best->uses = -(best->uses + 1);
    return best;
}

} // namespace kavo
