// Register reuse: `reuseloc` finds a location that a variable of another function already
// holds when the two functions can never be active at the same time; `scopesrelated` is that
// call relation (with C135 for a chain of calls 150 deep, taken as recursion).
//
// `refuserecursion` stops the compilation (C135) at any call cycle, whether reuse is on or
// not: every variable has one place, so a function cannot be active twice.
//
// Two functions are active together only when one reaches the other through calls; the
// relation also counts the calls of inline assembly, and every function the interrupt
// routine reaches counts as related to every other, since the interrupt can stop the main
// line anywhere.
#include "compiler/base/fatal_stop.hpp"
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/runtime_routines.hpp"
#include "compiler/memory/memory_internal.hpp"
#include "compiler/tables/ram_map.hpp"

#include <array>
#include <set>
#include <unordered_map>

namespace kavo {

namespace {

constexpr int RecursionDepth = 150;

bool isRuntimeRoutine(std::string_view name) {
    for (std::string_view routine : RuntimeRoutineNames) {
        if (name == routine)
            return true;
    }
    return false;
}

[[noreturn]] void circularCall(Compilation& c, std::string_view function) {
    c.message(strprintf("FATAL(C135): Possible recursive or circular call involving %s.\n",
                        std::string(function).c_str()));
    c.message("Compiler exiting. Clear this error before compiling again.\n");
    throw FatalStop(fatal::CircularCall);
}

// Depth-first search for a call cycle through function; marks what it has finished.
void refuseCycleFrom(Compilation& c, const std::string& function, std::set<std::string>& open,
                     std::set<std::string>& done) {
    if (done.contains(function))
        return;
    if (!open.insert(function).second)
        circularCall(c, function);
    for (const std::string& callee : relatedcallees(c, function))
        refuseCycleFrom(c, callee, open, done);
    open.erase(function);
    done.insert(function);
}

bool related(Compilation& c, const std::string& a, const std::string& b) {
    const auto& interrupt = c.ram->interruptReachable;
    if (interrupt.contains(a) || interrupt.contains(b))
        return true;
    return scopesrelated(c, a, b) || scopesrelated(c, b, a);
}

// Compiler temporaries given to one function: they may share like its variables.
bool functionTemporary(const Symbol& s) {
    return !usedby(s).empty() && (s.name.starts_with("_tmp_") || s.name.starts_with("_swt_"));
}

// A symbol whose location may be handed to another variable of the same size. Globals,
// parameter slots, string entries and the compiler's registers never are.
bool donor(const Compilation& c, const Symbol& s, int size, bool temporariesOnly) {
    if (s.addr <= 0 || s.size != size || s.name.empty())
        return false;
    if (temporariesOnly && !functionTemporary(s))
        return false;
    if ((s.name.starts_with("_") || s.name.starts_with("@")) && !functionTemporary(s))
        return false;
    for (const RamRange& bank : c.ram->banks) {
        if (bank.start <= s.addr && s.addr + size - 1 <= bank.end)
            return true;
    }
    return false;
}

// Answers of the relation to one requester, by the other function's name.
using Verdicts = std::unordered_map<std::string, bool>;

// Every symbol on any byte of the block must be a non-static variable of a function
// unrelated to the requester.
bool mayShare(Compilation& c, int location, int size, const std::string& requester,
              bool temporariesOnly, Verdicts& verdicts) {
    if (requester == "__interrupt")
        return false;
    for (const Symbol* t : symbolscovering(c, location, location + size - 1)) {
        if (t->cls == STATIC || (temporariesOnly && !functionTemporary(*t)))
            return false;
        const std::string& owner = usedby(*t);
        auto known = verdicts.find(owner);
        if (known == verdicts.end())
            known = verdicts.emplace(owner, related(c, owner, requester)).first;
        if (known->second)
            return false;
    }
    return true;
}

} // namespace

bool scopesrelated(Compilation& c, std::string_view a, std::string_view b, int depth) {
    if (a.starts_with("@") || b.starts_with("@"))
        return !(isRuntimeRoutine(a) || isRuntimeRoutine(b));
    if (a == "__interrupt" || b == "__interrupt" || a == b || a.empty() || b.empty())
        return true;
    const std::string first(a);
    const std::string second(b);
    std::string key = first;
    key.push_back('\0');
    key.append(second);
    auto& memo = c.ram->relatedMemo;
    const auto known = memo.find(key);
    if (known != memo.end())
        return known->second;
    if (findcall(c.callTree, first) == nullptr)
        return true;
    bool answer = false;
    for (const std::string& callee : relatedcallees(c, first)) {
        if (depth >= RecursionDepth)
            circularCall(c, first);
        if (callee == second || scopesrelated(c, callee, second, depth + 1) ||
            scopesrelated(c, second, callee, depth + 1)) {
            answer = true;
            break;
        }
    }
    memo[key] = answer;
    return answer;
}

void refuserecursion(Compilation& c) {
    std::set<std::string> open;
    std::set<std::string> done;
    for (const CallTreeEntry* e = c.callTree.head; e != nullptr; e = e->next)
        refuseCycleFrom(c, e->name, open, done);
}

int reuseloc(Compilation& c, int size, std::string_view usedBy, bool temporariesOnly) {
    if (usedBy == "__interrupt")
        return -1;
    const std::string requester(usedBy);
    std::set<int> refused;
    Verdicts verdicts;
    for (const Symbol* d = c.symbols.main.head; d != nullptr; d = d->next) {
        if (!donor(c, *d, size, temporariesOnly) || refused.contains(d->addr))
            continue;
        if (mayShare(c, d->addr, size, requester, temporariesOnly, verdicts))
            return d->addr;
        refused.insert(d->addr);
    }
    return -1;
}

} // namespace kavo
