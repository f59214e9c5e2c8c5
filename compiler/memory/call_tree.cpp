// The call tree from the node list: `buildcalltree` enters every function definition and
// every call (a call outside any function is main's), `isfunction` asks whether the program defines
// a name, `functionpage` reads the page placement stored on a function's entry.
//
// A call written inside another call's arguments (`f(1, g())`) is made by the function the
// statement is in, not by f: argument lowering moves every argument into f's parameters
// right before f is called, after g has returned, so f's parameters need not survive g, and
// f(f(x)) or f(1, g()) with g calling f is no cycle.
#include "compiler/base/kinds.hpp"
#include "compiler/memory/memory.hpp"

namespace kavo {

namespace {

// The identifier a FUNCNAME or FUNCCALL node names, or none.
const Node* namedBy(const Node* node) {
    return node->next != nullptr && node->next->kind == IDENTIFIER ? node->next : nullptr;
}

} // namespace

void buildcalltree(Compilation& c) {
    // Calls outside any function are made by initialisers of global variables, which run
    // at main's entry.
    std::string current = "main";
    for (const Node* node = c.nodes.head(); node != nullptr; node = node->next) {
        if (node->kind == FUNCEND)
            current = "main";
        const Node* name = namedBy(node);
        if (name == nullptr)
            continue;
        if (node->kind == FUNCNAME) {
            current = name->cval;
            addcall(c.callTree, current);
        } else if (node->kind == FUNCCALL) {
            addcall(c.callTree, current, name->cval);
        }
    }
}

std::set<std::string> definedFunctions(const Compilation& c) {
    std::set<std::string> names;
    for (const Node* node = c.nodes.head(); node != nullptr; node = node->next) {
        const Node* named = namedBy(node);
        if (node->kind == FUNCNAME && named != nullptr)
            names.insert(named->cval);
    }
    return names;
}

bool isfunction(const Compilation& c, std::string_view name) {
    for (const Node* node = c.nodes.head(); node != nullptr; node = node->next) {
        const Node* named = namedBy(node);
        if (node->kind == FUNCNAME && named != nullptr && named->cval == name)
            return true;
    }
    return false;
}

int functionpage(const Compilation& c, std::string_view name) {
    const CallTreeEntry* entry = findcall(c.callTree, name);
    return entry != nullptr ? entry->page : -1;
}

} // namespace kavo
