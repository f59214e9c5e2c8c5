// Removal of symbols no instruction names before RAM is handed out: `deleteunusedvars`
// deletes unused variables (not functions or enumerators) with a warning each, `dropunusedtemps` silently drops the compiler
// temporaries ("_tmp_") that optimisation left without a use.
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/memory/memory.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/tables/opcodes.hpp"

#include <array>
#include <functional>
#include <string_view>
#include <unordered_set>

namespace kavo {

namespace {

std::unordered_set<std::string_view> operandNames(const Compilation& c) {
    std::unordered_set<std::string_view> names;
    for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next)
        names.insert(i->operand);
    return names;
}

bool startsWithAny(std::string_view name, std::initializer_list<std::string_view> prefixes) {
    for (std::string_view prefix : prefixes) {
        if (name.starts_with(prefix))
            return true;
    }
    return false;
}

// Compiler-made names that stay whether used or not: temporaries, parameter slots, the RAM
// reserved for Virtual Peripheral code and the compiler's registers (and string entries,
// which live in program memory, except for the first symbol).
bool keptByName(std::string_view name, bool first) {
    if (!first && name.starts_with("_str_"))
        return true;
    return startsWithAny(name, {"_tmp_", "_prm_", "_asm_", "@_"});
}

// Removes, after the first symbol and then the first, each symbol doomed says must go.
void removeSymbols(Compilation& c, const std::function<bool(const Symbol&, bool first)>& doomed,
                   const std::function<void(const Symbol&)>& report) {
    Symbol* first = c.symbols.main.head;
    if (first == nullptr)
        return;
    Symbol* previous = first;
    for (Symbol* s = first->next; s != nullptr;) {
        Symbol* next = s->next;
        if (doomed(*s, false)) {
            report(*s);
            removesym(c, previous, s);
        } else {
            previous = s;
        }
        s = next;
    }
    if (doomed(*first, true)) {
        report(*first);
        removesym(c, nullptr, first);
    }
}

} // namespace

void deleteunusedvars(Compilation& c) {
    const auto used = operandNames(c);
    removeSymbols(
        c,
        [&](const Symbol& s, bool first) {
            if (!first && (s.type == STRUCT_NAME || s.type == UNION_NAME))
                return false;
            // Functions and enumerators are not variables: they take no RAM, and the
            // listing names them whether an operand does or not (main is never called).
            if (s.type == FUNCNAME || s.type == ENUM)
                return false;
            return !keptByName(s.name, first) && !used.contains(s.name);
        },
        [&](const Symbol& s) {
            c.message(strprintf("WARNING: Variable %s never used, deleting.\n", s.name.c_str()));
        });
}

void dropunusedtemps(Compilation& c) {
    const auto used = operandNames(c);
    removeSymbols(
        c,
        [&](const Symbol& s, bool first) {
            return !first && s.name.starts_with("_tmp_") && !used.contains(s.name);
        },
        [](const Symbol&) {});
}

} // namespace kavo
