#pragma once

#include <map>
#include <string>
#include <utility>

namespace kavo {

// The names symbols carry in the assembly text. A C name may exist in several scopes (a local
// i in two functions), while the assembler knows one flat namespace: the first scope seen for a
// name keeps the name, every later scope gets "%s_%d" with a counter shared by the whole run.
// The EQU section and the code both ask here, so they always agree: both pass the name as the
// assembly text spells it (after "@" became "A", when the run replaces it).
class AssemblerNames {
public:
    const std::string& nameFor(const std::string& name, const std::string& scope);

private:
    std::map<std::pair<std::string, std::string>, std::string> names_;
    std::map<std::string, std::string> firstScope_;
    int counter_ = 0;
};

} // namespace kavo
