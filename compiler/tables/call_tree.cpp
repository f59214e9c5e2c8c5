#include "compiler/tables/call_tree.hpp"

namespace kavo {

CallTreeEntry* findcall(const CallTree& tree, std::string_view function) {
    const auto found = tree.byName.find(std::string(function));
    return found != tree.byName.end() ? found->second : nullptr;
}

CallTreeEntry* addcall(CallTree& tree, std::string_view function, std::string_view called) {
    CallTreeEntry* entry = findcall(tree, function);
    if (entry == nullptr) {
        entry = tree.arena.make();
        entry->name = function;
        entry->number = ++tree.count;
        entry->next = tree.head;
        tree.head = entry;
        tree.byName.emplace(entry->name, entry);
    }
    if (!called.empty() && entry->callNames.emplace(called).second)
        entry->calls.insert(entry->calls.begin(), std::string(called));
    return entry;
}

void removecall(CallTree& tree, CallTreeEntry* entry) {
    CallTreeEntry** link = &tree.head;
    while (*link != nullptr && *link != entry)
        link = &(*link)->next;
    if (*link == entry)
        *link = entry->next;
    const auto found = tree.byName.find(entry->name);
    if (found != tree.byName.end() && found->second == entry)
        tree.byName.erase(found);
}

} // namespace kavo
