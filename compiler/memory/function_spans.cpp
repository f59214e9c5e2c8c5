// Where each function's code lies in the instruction list (`functionspans`), whose variable a
// symbol is (`usedby`), and the call relation's inputs beyond the call tree
// (`preparerelation`, `relatedcallees`): calls from inline assembly and the set of functions
// the interrupt routine reaches.
#include "compiler/memory/memory_internal.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/tables/ram_map.hpp"

#include <algorithm>
#include <deque>
#include <unordered_set>

namespace kavo {

namespace {

std::unordered_set<std::string> functionNames(const Compilation& c) {
    std::unordered_set<std::string> names;
    for (const CallTreeEntry* e = c.callTree.head; e != nullptr; e = e->next)
        names.insert(e->name);
    return names;
}

// The function an entry label opens, or "".
std::string openedBy(const Instruction& i, const std::unordered_set<std::string>& functions) {
    if (i.opcode != PIC_LABEL)
        return {};
    if (i.operand == "__interrupt")
        return i.operand;
    if (i.operand.starts_with("@") && functions.contains(i.operand.substr(1)))
        return i.operand.substr(1);
    return {};
}

std::string endLabelOf(const std::string& function) {
    return function == "__interrupt" ? "_ITR_E" : "@" + function + "_END";
}

} // namespace

std::vector<FunctionSpan> functionspans(const Compilation& c) {
    const auto functions = functionNames(c);
    std::vector<FunctionSpan> spans;
    FunctionSpan* open = nullptr;
    std::string endLabel;
    for (Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        const std::string opened = openedBy(*i, functions);
        if (!opened.empty()) {
            spans.push_back({opened, i, i});
            open = &spans.back();
            endLabel = endLabelOf(opened);
            continue;
        }
        if (open == nullptr)
            continue;
        open->last = i;
        if (i->opcode == PIC_LABEL && i->operand == endLabel)
            open = nullptr;
    }
    return spans;
}

const std::string& usedby(const Symbol& symbol) {
    static const std::string global;
    return symbol.scope == GlobalScope ? global : symbol.owner;
}

std::vector<std::string> relatedcallees(const Compilation& c, const std::string& function) {
    std::vector<std::string> callees;
    if (const CallTreeEntry* entry = findcall(c.callTree, function))
        callees = entry->calls;
    const auto extra = c.ram->extraCalls.find(function);
    if (extra != c.ram->extraCalls.end()) {
        for (const std::string& callee : extra->second) {
            if (std::find(callees.begin(), callees.end(), callee) == callees.end())
                callees.push_back(callee);
        }
    }
    return callees;
}

namespace {

// Calls written as instructions (inline assembly) that the call tree does not list.
void noteInstructionCalls(Compilation& c) {
    for (const FunctionSpan& span : functionspans(c)) {
        const std::vector<std::string> listed = relatedcallees(c, span.function);
        forEachInSpan(span, [&](const Instruction& i) {
            if (i.opcode != PIC_CALL || findcall(c.callTree, i.operand) == nullptr ||
                std::find(listed.begin(), listed.end(), i.operand) != listed.end())
                return;
            auto& extra = c.ram->extraCalls[span.function];
            if (std::find(extra.begin(), extra.end(), i.operand) == extra.end())
                extra.push_back(i.operand);
        });
    }
}

void findInterruptReach(Compilation& c) {
    auto& reach = c.ram->interruptReachable;
    reach.clear();
    if (findcall(c.callTree, "__interrupt") == nullptr)
        return;
    std::deque<std::string> pending{"__interrupt"};
    while (!pending.empty()) {
        const std::string function = pending.front();
        pending.pop_front();
        if (!reach.insert(function).second)
            continue;
        for (const std::string& callee : relatedcallees(c, function))
            pending.push_back(callee);
    }
}

} // namespace

void preparerelation(Compilation& c) {
    noteInstructionCalls(c);
    findInterruptReach(c);
    c.ram->relatedMemo.clear();
}

} // namespace kavo
