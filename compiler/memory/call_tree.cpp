#include "compiler/memory/call_tree.hpp"

#include "compiler/driver/compilation.hpp"
#include "compiler/driver/kinds.hpp"

#include <algorithm>

namespace kavo {

namespace {

// The identifier a FUNCNAME or FUNCCALL node names, or none.
const Node* namedBy(const Node* node) {
    return node->next != nullptr && node->next->kind == IDENTIFIER ? node->next : nullptr;
}

} // namespace

CallTreeEntry* findcall(const Compilation& c, std::string_view function) {
    for (CallTreeEntry* entry = c.callTree.head; entry != nullptr; entry = entry->next) {
        if (entry->name == function)
            return entry;
    }
    return nullptr;
}

CallTreeEntry* addcall(Compilation& c, std::string_view function, std::string_view called) {
    CallTreeEntry* entry = findcall(c, function);
    if (entry == nullptr) {
        entry = c.callTree.arena.make();
        entry->name = function;
        entry->number = ++c.callTree.count;
        entry->next = c.callTree.head;
        c.callTree.head = entry;
    }
    if (!called.empty() &&
        std::find(entry->calls.begin(), entry->calls.end(), called) == entry->calls.end())
        entry->calls.insert(entry->calls.begin(), std::string(called));
    return entry;
}

void buildcalltree(Compilation& c) {
    std::string current;
    for (const Node* node = c.nodes.head(); node != nullptr; node = node->next) {
        const Node* name = namedBy(node);
        if (name == nullptr)
            continue;
        if (node->kind == FUNCNAME) {
            current = name->cval;
            addcall(c, current);
        } else if (node->kind == FUNCCALL) {
            addcall(c, current, name->cval);
        }
    }
}

bool isfunction(const Compilation& c, std::string_view name) {
    for (const Node* node = c.nodes.head(); node != nullptr; node = node->next) {
        const Node* named = namedBy(node);
        if (node->kind == FUNCNAME && named != nullptr && named->cval == name)
            return true;
    }
    return false;
}

} // namespace kavo
