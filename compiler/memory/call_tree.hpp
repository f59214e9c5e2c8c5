#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kavo {

class Compilation;

// One function of the call tree and the functions it calls.
struct CallTreeEntry {
    std::string name;
    int page = -1;                  // the function's page; -1 until known or when it spans pages
    bool fixed = false;             // the page became -1 after it had been known
    int number = 0;                 // 1, 2, 3 ... in order of creation
    std::vector<std::string> calls; // each once, newest first
    CallTreeEntry* next = nullptr;
};

// Finds or creates the entry of function (new entries go to the front) and, when called is
// not empty, records the call once.
CallTreeEntry* addcall(Compilation& c, std::string_view function, std::string_view called = {});

// Enters every defined function and every call of the node list.
void buildcalltree(Compilation& c);

// The node list defines a function of that name.
bool isfunction(const Compilation& c, std::string_view name);

CallTreeEntry* findcall(const Compilation& c, std::string_view function);

} // namespace kavo
