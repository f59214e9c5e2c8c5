#pragma once

#include "compiler/base/arena.hpp"

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace kavo {

// One function of the call tree and the functions it calls.
struct CallTreeEntry {
    std::string name;
    int page = -1;                  // the function's page; -1 until known or when it spans pages
    bool fixed = false;             // the page became -1 after it had been known
    int number = 0;                 // 1, 2, 3 ... in order of creation
    std::vector<std::string> calls; // each once, newest first
    std::unordered_set<std::string> callNames; // the same names, to keep them once quickly
    CallTreeEntry* next = nullptr;
};

// The call tree: entries newest first.
struct CallTree {
    explicit CallTree(Diagnostics& diagnostics) : arena(diagnostics) {}
    Arena<CallTreeEntry> arena;
    CallTreeEntry* head = nullptr;
    int count = 0;
    // The entries in the list by name, so that a lookup does not walk it.
    std::unordered_map<std::string, CallTreeEntry*> byName;
};

// Finds or creates the entry of function (new entries go to the front) and, when called is
// not empty, records the call once.
CallTreeEntry* addcall(CallTree& tree, std::string_view function, std::string_view called = {});

CallTreeEntry* findcall(const CallTree& tree, std::string_view function);

// Takes the entry out of the tree.
void removecall(CallTree& tree, CallTreeEntry* entry);

} // namespace kavo
