// Removal of functions nobody calls: `deleteuncalled` deletes, in one pass over the call
// tree, every function that no call-tree entry, no PIC_CALL and no inline assembly names,
// cutting its definition out of the node list. The driver repeats it until nothing goes, so
// that functions called only from deleted ones go too.
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/memory/memory.hpp"
#include "compiler/tables/opcodes.hpp"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace kavo {

namespace {

// main, the interrupt routine and functions made from included assembly files run without a
// call the compiler can see.
bool enteredFromOutside(std::string_view name) {
    return name == "__interrupt" || name == "main" || name.starts_with("__asm_");
}

// The definition of a function in the node list: from the FUNCSTART before its FUNCNAME
// through the matching FUNCEND.
struct Definition {
    Node* beforeStart = nullptr; // the node before FUNCSTART; none when it is the head
    Node* start = nullptr;
    Node* end = nullptr;
};

// Every definition in node order, with the first definition of each name. The definition's
// own name is the first FUNCNAME after its FUNCSTART; a FUNCNAME inside a body names nothing.
struct Definitions {
    std::vector<Definition> inOrder;
    std::unordered_map<std::string, std::size_t> byName;
};

// What one removal pass knows about the program, gathered once so that the pass stays linear
// in the size of the program: how many call-tree entries call each name (kept in step as
// entries go), the names CALL instructions and asm blocks use, and where each definition is.
struct CallerIndex {
    std::unordered_map<std::string, int> treeCallers;
    std::unordered_set<std::string> calledByInstructions;
    std::unordered_set<std::string> namedInAssembly;
    Definitions definitions;
};

void countTreeCallers(const CallTree& tree, CallerIndex& index) {
    for (const CallTreeEntry* entry = tree.head; entry != nullptr; entry = entry->next) {
        for (const std::string& called : entry->calls)
            ++index.treeCallers[called];
    }
}

void collectCalledByInstructions(const Compilation& c, CallerIndex& index) {
    for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        if (i->opcode == PIC_CALL)
            index.calledByInstructions.insert(i->operand);
    }
}

bool isCalled(const CallerIndex& index, const std::string& name) {
    const auto it = index.treeCallers.find(name);
    return (it != index.treeCallers.end() && it->second > 0) ||
           index.calledByInstructions.contains(name) || index.namedInAssembly.contains(name);
}

// Identifiers inside asm blocks not generated yet: an assembly CALL of a function is only
// seen here before the main walk turns the block into instructions.
void collectNamedInAssembly(const Compilation& c, CallerIndex& index) {
    std::unordered_set<std::string>& names = index.namedInAssembly;
    int depth = 0;
    for (const Node* node = c.nodes.head(); node != nullptr; node = node->next) {
        if (node->kind == ASM_START)
            ++depth;
        else if (node->kind == ASM_END && depth > 0)
            --depth;
        else if (depth > 0 && node->kind == IDENTIFIER)
            names.insert(node->cval);
    }
}

Definitions indexDefinitions(const Compilation& c) {
    Definitions found;
    Definition open;
    std::string name;
    int depth = 0;
    Node* previous = nullptr;
    for (Node* node = c.nodes.head(); node != nullptr; previous = node, node = node->next) {
        if (node->kind == FUNCSTART) {
            if (depth++ == 0) {
                open = {previous, node, nullptr};
                name.clear();
            }
        } else if (node->kind == FUNCEND && depth > 0) {
            if (--depth == 0 && !name.empty()) {
                open.end = node;
                found.byName.emplace(name, found.inOrder.size());
                found.inOrder.push_back(open);
            }
        } else if (node->kind == FUNCNAME && depth == 1 && name.empty() && node->next != nullptr &&
                   node->next->kind == IDENTIFIER) {
            name = node->next->cval;
        }
    }
    return found;
}

// Cuts definition k out of the node list; the definition right after it now follows what
// preceded it.
void cutDefinition(Compilation& c, Definitions& definitions, std::size_t k) {
    Definition& d = definitions.inOrder[k];
    if (d.beforeStart != nullptr)
        d.beforeStart->next = d.end->next;
    else
        c.nodes.setHead(d.end->next);
    c.nodes.forgetTailMemo();
    for (std::size_t next = k + 1; next < definitions.inOrder.size(); ++next) {
        if (definitions.inOrder[next].start == nullptr)
            continue;
        if (definitions.inOrder[next].beforeStart == d.end)
            definitions.inOrder[next].beforeStart = d.beforeStart;
        break;
    }
    d.start = nullptr;
}

void unlinkEntry(CallTree& tree, CallTreeEntry* entry, CallerIndex& index) {
    for (const std::string& called : entry->calls)
        --index.treeCallers[called];
    removecall(tree, entry);
}

// Deletes the function of entry when nothing calls it; true when it did.
bool deleteIfUncalled(Compilation& c, CallTreeEntry* entry, CallerIndex& index) {
    const std::string& name = entry->name;
    if (enteredFromOutside(name) || isCalled(index, name))
        return false;
    const auto found = index.definitions.byName.find(name);
    if (found == index.definitions.byName.end() ||
        index.definitions.inOrder[found->second].start == nullptr)
        return false;
    cutDefinition(c, index.definitions, found->second);
    c.message(strprintf("WARNING: function %s never called, deleted.\n", name.c_str()));
    unlinkEntry(c.callTree, entry, index);
    return true;
}

} // namespace

bool deleteuncalled(Compilation& c) {
    CallerIndex index;
    countTreeCallers(c.callTree, index);
    collectCalledByInstructions(c, index);
    collectNamedInAssembly(c, index);
    index.definitions = indexDefinitions(c);
    CallTreeEntry* first = c.callTree.head;
    if (first == nullptr)
        return false;
    bool deleted = false;
    // Every entry after the first, then the first.
    for (CallTreeEntry* entry = first->next; entry != nullptr;) {
        CallTreeEntry* next = entry->next;
        deleted = deleteIfUncalled(c, entry, index) || deleted;
        entry = next;
    }
    deleted = deleteIfUncalled(c, first, index) || deleted;
    return deleted;
}

} // namespace kavo
