// Removal of functions nobody calls: `deleteuncalled` deletes, in one pass over the call
// tree, every function that no call-tree entry, no PIC_CALL and no inline assembly names,
// cutting its definition out of the node list. The driver repeats it until nothing goes, so
// that functions called only from deleted ones go too.
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/memory/memory.hpp"
#include "compiler/tables/opcodes.hpp"

#include <algorithm>
#include <unordered_set>

namespace kavo {

namespace {

// main, the interrupt routine and functions made from included assembly files run without a
// call the compiler can see.
bool enteredFromOutside(std::string_view name) {
    return name == "__interrupt" || name == "main" || name.starts_with("__asm_");
}

bool calledInTree(const CallTree& tree, std::string_view name) {
    for (const CallTreeEntry* entry = tree.head; entry != nullptr; entry = entry->next) {
        if (std::find(entry->calls.begin(), entry->calls.end(), name) != entry->calls.end())
            return true;
    }
    return false;
}

bool calledInInstructions(const Compilation& c, std::string_view name) {
    for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        if (i->opcode == PIC_CALL && i->operand == name)
            return true;
    }
    return false;
}

// Identifiers inside asm blocks not generated yet: an assembly CALL of a function is only
// seen here before the main walk turns the block into instructions.
std::unordered_set<std::string> namedInAssembly(const Compilation& c) {
    std::unordered_set<std::string> names;
    int depth = 0;
    for (const Node* node = c.nodes.head(); node != nullptr; node = node->next) {
        if (node->kind == ASM_START)
            ++depth;
        else if (node->kind == ASM_END && depth > 0)
            --depth;
        else if (depth > 0 && node->kind == IDENTIFIER)
            names.insert(node->cval);
    }
    return names;
}

// The definition of a function in the node list: from the FUNCSTART before its FUNCNAME
// through the matching FUNCEND.
struct Definition {
    Node* beforeStart = nullptr; // the node before FUNCSTART; none when it is the head
    Node* start = nullptr;
    Node* end = nullptr;
};

// The definition's own name is the first FUNCNAME after its FUNCSTART; a FUNCNAME of a
// prototype between definitions, or inside a body, names no definition.
Definition findDefinition(const Compilation& c, std::string_view name) {
    Definition open;
    bool named = false;
    int depth = 0;
    Node* previous = nullptr;
    for (Node* node = c.nodes.head(); node != nullptr; previous = node, node = node->next) {
        if (node->kind == FUNCSTART) {
            if (depth++ == 0) {
                open = {previous, node, nullptr};
                named = false;
            }
        } else if (node->kind == FUNCEND && depth > 0) {
            if (--depth == 0 && named) {
                open.end = node;
                return open;
            }
        } else if (node->kind == FUNCNAME && depth == 1 && !named) {
            if (node->next == nullptr || node->next->kind != IDENTIFIER)
                continue;
            if (node->next->cval != name) {
                depth = 0; // not this definition: look for the next FUNCSTART
                open = {};
                continue;
            }
            named = true;
        }
    }
    return {};
}

void cutDefinition(Compilation& c, const Definition& d) {
    if (d.beforeStart != nullptr)
        d.beforeStart->next = d.end->next;
    else
        c.nodes.setHead(d.end->next);
    c.nodes.forgetTailMemo();
}

void unlinkEntry(CallTree& tree, CallTreeEntry* entry) {
    CallTreeEntry** link = &tree.head;
    while (*link != nullptr && *link != entry)
        link = &(*link)->next;
    if (*link == entry)
        *link = entry->next;
}

// Deletes the function of entry when nothing calls it; true when it did.
bool deleteIfUncalled(Compilation& c, CallTreeEntry* entry,
                      const std::unordered_set<std::string>& assemblyNames) {
    const std::string& name = entry->name;
    if (enteredFromOutside(name) || calledInTree(c.callTree, name) ||
        assemblyNames.contains(name) || calledInInstructions(c, name))
        return false;
    const Definition definition = findDefinition(c, name);
    if (definition.start == nullptr)
        return false;
    cutDefinition(c, definition);
    c.message(strprintf("WARNING: function %s never called, deleted.\n", name.c_str()));
    unlinkEntry(c.callTree, entry);
    return true;
}

} // namespace

bool deleteuncalled(Compilation& c) {
    const std::unordered_set<std::string> assemblyNames = namedInAssembly(c);
    CallTreeEntry* first = c.callTree.head;
    if (first == nullptr)
        return false;
    bool deleted = false;
    // Every entry after the first, then the first.
    for (CallTreeEntry* entry = first->next; entry != nullptr;) {
        CallTreeEntry* next = entry->next;
        deleted = deleteIfUncalled(c, entry, assemblyNames) || deleted;
        entry = next;
    }
    deleted = deleteIfUncalled(c, first, assemblyNames) || deleted;
    return deleted;
}

} // namespace kavo
