#include "compiler/base/stretch.hpp"

#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"

#include <vector>

namespace kavo {

namespace {

struct Level {
    int endKind;
    Item* owner; // the item whose sublist this level becomes; none for the outermost
    Item* head = nullptr;
    Item* tail = nullptr;
};

int matchingEnd(int kind) {
    switch (kind) {
    case EXPSTART:
        return EXPEND;
    case ASM_START:
        return ASM_END;
    default:
        return STRUCT_DEC_END;
    }
}

bool opensStretch(int kind, int startKind) {
    return kind == startKind || kind == EXPSTART || kind == ASM_START || kind == STRUCT_DEC_START;
}

// The node after the array sizes that start at n (of int (*f(void))[3], which the
// declarations refuse by the function's name).
const Node* afterArraySizes(const Node* n) {
    int depth = 0;
    while (n != nullptr &&
           (depth > 0 || n->kind == EXPSTART || n->kind == ARRAY_SIZE || n->kind == LBRA)) {
        depth += n->kind == EXPSTART ? 1 : n->kind == EXPEND ? -1 : 0;
        n = n->next;
    }
    return n;
}

void noteFunctionName(StretchTables& c, const Node* funcname) {
    // The pointers of the returned type, with their qualifiers, come before the name.
    const Node* next = afterArraySizes(funcname->next);
    while (next != nullptr &&
           (next->kind == POINTER || next->kind == CONST || next->kind == VOLATILE))
        next = next->next;
    if (next != nullptr && next->kind == IDENTIFIER) {
        c.functionName = next->cval;
        c.functionName2 = next->cval;
        return;
    }
    c.diagnostics.error(strprintf("ERROR(C07): Line: %d Expecting identifier for function name.\n",
                                  funcname->line));
}

Item* copyToItem(StretchTables& c, const Node* node, const std::string*& currentFile) {
    if (node->file != nullptr && !node->file->empty())
        currentFile = node->file;
    Item* item = c.items.make();
    item->name = node->name;
    item->kind = node->kind;
    item->cval = node->cval;
    item->ival = node->ival;
    item->line = node->line;
    item->file = currentFile != nullptr ? currentFile : c.strings.intern("");
    return item;
}

} // namespace

Stretch cutStretch(StretchTables c, Node* first, int startKind, int endKind) {
    // Nesting is followed with an explicit stack: deeply nested expressions must not be able
    // to exhaust the call stack.
    std::vector<Level> levels{{endKind, nullptr}};
    const std::string* currentFile = nullptr;
    for (Node* node = first; node != nullptr; node = node->next) {
        Level& level = levels.back();
        if (node->kind == level.endKind) {
            if (levels.size() == 1)
                return {level.head, node->next};
            level.owner->sublist = level.head;
            levels.pop_back();
            continue;
        }
        Item* item = copyToItem(c, node, currentFile);
        (level.tail != nullptr ? level.tail->next : level.head) = item;
        level.tail = item;
        if (node->kind == FUNCNAME)
            noteFunctionName(c, node);
        // Inside a struct's member list, the markers of a nested struct's own declaration do
        // not open a stretch: they would swallow the members' end and everything after it.
        const bool inMembers = level.endKind == STRUCT_DEC_END;
        if (opensStretch(node->kind, inMembers && startKind != STRUCT_DEC_START ? -1 : startKind))
            levels.push_back({node->kind == startKind ? endKind : matchingEnd(node->kind), item});
    }
    // The list ended inside the stretch: keep what was cut.
    while (levels.size() > 1) {
        levels.back().owner->sublist = levels.back().head;
        levels.pop_back();
    }
    return {levels.front().head, nullptr};
}

} // namespace kavo
