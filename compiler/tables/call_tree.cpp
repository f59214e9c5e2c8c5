#include "compiler/tables/call_tree.hpp"

#include <algorithm>

namespace kavo {

CallTreeEntry* findcall(const CallTree& tree, std::string_view function) {
    for (CallTreeEntry* entry = tree.head; entry != nullptr; entry = entry->next) {
        if (entry->name == function)
            return entry;
    }
    return nullptr;
}

CallTreeEntry* addcall(CallTree& tree, std::string_view function, std::string_view called) {
    CallTreeEntry* entry = findcall(tree, function);
    if (entry == nullptr) {
        entry = tree.arena.make();
        entry->name = function;
        entry->number = ++tree.count;
        entry->next = tree.head;
        tree.head = entry;
    }
    if (!called.empty() &&
        std::find(entry->calls.begin(), entry->calls.end(), called) == entry->calls.end())
        entry->calls.insert(entry->calls.begin(), std::string(called));
    return entry;
}

} // namespace kavo
