// Temporaries of their own for every function: `separatefunctiontemps`.
//
// The code generator takes temporaries ("_tmp_", and "_swt_" for switch values) from pools
// shared by the whole program, so a function and the functions it calls work in the same
// names. A value that waits in a temporary across a call (the first result in
// `f() + g()`, an argument while the next one calls a function, a switch value) would then
// be overwritten by the callee. Each temporary used in a function's body becomes that
// function's own ("_tmp_3" in f becomes "_tmp_3_f", a symbol in f's scope used by f), so no
// two functions ever hold the same temporary; register reuse may then let the temporaries
// of functions that are never active together share a location, as it does for locals.
//
// The return-high register stays shared: a callee writes it just before returning and the
// caller reads it right after the call. The interrupt routine has its own "_itr_" names.
#include "compiler/memory/memory_internal.hpp"
#include "compiler/symbols/symbols.hpp"

#include <unordered_set>

namespace kavo {

namespace {

bool pooled(const std::string& name) {
    return name.starts_with("_tmp_") || name.starts_with("_swt_");
}

// The temporary of function standing for the pooled one: made on first use.
std::string ownTemporary(Compilation& c, const std::string& pooledName,
                         const std::string& function) {
    const std::string name = pooledName + "_" + function;
    if (findsymin(c, name, function) != nullptr)
        return name;
    const Symbol* original = findsymin(c, pooledName, GlobalScope);
    Symbol* made = addsym(c, c.symbols.main, 0, original != nullptr ? original->type : INT, 0, name,
                          function, "", original != nullptr ? original->sign : SIGNED, 0);
    made->size = original != nullptr ? original->size : 1;
    // A pointer to char is two bytes of address: sized again, it must still say what it
    // points at, or it would shrink to one byte and its high byte overlap the next variable.
    if (original != nullptr && original->type == POINTER && original->base == CHAR)
        made->base = CHAR;
    made->owner = function;
    return name;
}

void removeUnusedPooled(Compilation& c, const std::unordered_set<std::string>& renamed) {
    std::unordered_set<std::string> stillUsed;
    for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next)
        stillUsed.insert(i->operand);
    Symbol* previous = nullptr;
    for (Symbol* s = c.symbols.main.head; s != nullptr;) {
        Symbol* next = s->next;
        if (s->scope == GlobalScope && renamed.contains(s->name) && !stillUsed.contains(s->name))
            removesym(c, previous, s);
        else
            previous = s;
        s = next;
    }
}

} // namespace

void separatefunctiontemps(Compilation& c) {
    const std::string& high = c.codegen.returnHighRegister;
    std::unordered_set<std::string> renamed;
    for (const FunctionSpan& span : functionspans(c)) {
        // The interrupt routine has its own names; runtime routines use none.
        if (span.function == "__interrupt" || span.function.starts_with("@"))
            continue;
        forEachInSpan(span, [&](Instruction& i) {
            if (pooled(i.operand) && i.operand != high) {
                renamed.insert(i.operand);
                i.operand = ownTemporary(c, i.operand, span.function);
                i.scope = span.function;
            }
        });
    }
    removeUnusedPooled(c, renamed);
}

} // namespace kavo
