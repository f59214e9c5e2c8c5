// The call tree of the program: buildcalltree enters every function the node list defines and
// every call it makes; isfunction tells whether a name is a defined function.
#include "compiler/memory/call_tree.hpp"

#include "compiler/base/kinds.hpp"
#include "compiler/run/compilation.hpp"

namespace kavo {

namespace {

// The identifier a FUNCNAME or FUNCCALL node names, or none.
const Node* namedBy(const Node* node) {
    return node->next != nullptr && node->next->kind == IDENTIFIER ? node->next : nullptr;
}

} // namespace

void buildcalltree(Compilation& c) {
    std::string current;
    for (const Node* node = c.nodes.head(); node != nullptr; node = node->next) {
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

bool isfunction(const Compilation& c, std::string_view name) {
    for (const Node* node = c.nodes.head(); node != nullptr; node = node->next) {
        const Node* named = namedBy(node);
        if (node->kind == FUNCNAME && named != nullptr && named->cval == name)
            return true;
    }
    return false;
}

} // namespace kavo
