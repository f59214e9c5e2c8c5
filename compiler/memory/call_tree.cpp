// The call tree from the node list: `buildcalltree` enters every function definition and
// every call (a call outside any function is main's), `isfunction` asks whether the program defines
// a name, `functionpage` reads the page placement stored on a function's entry.
//
// `buildcalltree` also notes, apart from the tree, each call made while the arguments of an
// enclosing call are being loaded (`f(1, g())`): the arguments go straight into f's
// parameters, so those must survive g and whatever g calls. Register reuse treats such a
// call as if f made it.
#include "compiler/base/kinds.hpp"
#include "compiler/memory/memory.hpp"
#include "compiler/run/nesting_level.hpp"
#include "compiler/tables/ram_map.hpp"

#include <algorithm>
#include <vector>

namespace kavo {

namespace {

// The identifier a FUNCNAME, FUNCCALL or FUNC_START_PARAM node names, or none.
const Node* namedBy(const Node* node) {
    return node->next != nullptr && node->next->kind == IDENTIFIER ? node->next : nullptr;
}

void noteExtraCall(Compilation& c, const std::string& caller, const std::string& called) {
    std::vector<std::string>& calls = c.ram->extraCalls[caller];
    if (caller != called && std::find(calls.begin(), calls.end(), called) == calls.end())
        calls.push_back(called);
}

} // namespace

void buildcalltree(Compilation& c) {
    // Calls outside any function are made by initialisers of global variables, which run
    // at main's entry.
    std::string current = "main";
    // Callees whose arguments are being loaded, innermost last.
    std::vector<std::string> loading;
    for (const Node* node = c.nodes.head(); node != nullptr; node = node->next) {
        if (node->kind == FUNCEND)
            current = "main";
        const Node* name = namedBy(node);
        if (name == nullptr)
            continue;
        if (node->kind == FUNCNAME) {
            current = name->cval;
            loading.clear();
            addcall(c.callTree, current);
        } else if (node->kind == FUNC_START_PARAM) {
            loading.push_back(name->cval);
        } else if (node->kind == FUNCCALL) {
            if (!loading.empty() && loading.back() == name->cval)
                loading.pop_back();
            // Calls nested deeper than the generator accepts are refused there (C278); noting
            // them would only cost time growing with the square of the depth.
            if (loading.size() <= static_cast<std::size_t>(MaxNestingDepth)) {
                for (const std::string& callee : loading)
                    noteExtraCall(c, callee, name->cval);
            }
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
