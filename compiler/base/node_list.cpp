#include "compiler/base/node_list.hpp"

#include "compiler/base/fatal_stop.hpp"
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"

namespace kavo {

namespace {
// A walk longer than this means the program is beyond what the compiler handles.
constexpr int MaxAppendWalk = 60000;
} // namespace

Node* NodeList::makeNode(int kind) {
    Node* node = arena_.make();
    node->kind = kind;
    node->cval = "ExMk";
    node->line = currentLine_;
    return node;
}

void NodeList::alreadyInList(const Node* node) {
    diagnostics_.message("FATAL: Node already in list!\n");
    diagnostics_.message(strprintf("Offending node: %s type: %s\n", node->cval.c_str(),
                                   std::string(kindName(node->kind)).c_str()));
    throw FatalStop(fatal::NodeAlreadyInList);
}

void NodeList::append(int /*tag*/, Node* list, Node* node) {
    if (node == nullptr) {
        diagnostics_.message("FATAL: Null pointer passed to append!\n");
        throw FatalStop(fatal::NullAppend);
    }
    if (list == nullptr) {
        if (head_ == nullptr) {
            head_ = node;
            return;
        }
        list = head_;
    }
    // Appending a node to itself would close a loop that every later walk follows forever.
    if (list == node)
        alreadyInList(node);
    if (list->next == nullptr) {
        list->next = node;
        return;
    }
    Node* last = (list == memoList_ && memoTail_ != nullptr) ? memoTail_ : list;
    if (last == node)
        alreadyInList(node);
    int steps = 0;
    while (last->next != nullptr) {
        last = last->next;
        if (last == node)
            alreadyInList(node);
        if (++steps > MaxAppendWalk) {
            diagnostics_.message("FATAL: append failure, program too long!!!\n");
            throw FatalStop(fatal::ListTooLong);
        }
    }
    last->next = node;
    memoList_ = list;
    memoTail_ = node;
}

Node* NodeList::myndup(const Node* node) {
    if (node == nullptr) {
        diagnostics_.message(
            strprintf("WARNING: myndup: bad pointer! ptr = %p\n", static_cast<const void*>(node)));
        throw FatalStop(fatal::MyndupBadPointer);
    }
    Node* copy = arena_.make();
    copy->name = node->name;
    copy->kind = node->kind;
    copy->cval = node->cval;
    copy->ival = node->ival;
    copy->line = node->line;
    copy->file = node->file;
    return copy;
}

Node* NodeList::dupident(const Node* node) {
    if (node == nullptr) {
        diagnostics_.message(strprintf("WARNING: dupident: bad pointer! ptr = %p\n",
                                       static_cast<const void*>(node)));
        throw FatalStop(fatal::DupidentBadPointer);
    }
    for (const Node* n = node; n != nullptr; n = n->next) {
        if (n->kind == IDENTIFIER)
            return myndup(n);
    }
    diagnostics_.error(strprintf("ERROR(C06): Line: %3d Identifier not found.\n", node->line));
    throw FatalStop(fatal::IdentifierNotFound);
}

Node* NodeList::nodeFromValue(const ParserValue& value) {
    Node* node = arena_.make();
    node->kind = value.kind;
    node->name = value.text;
    node->cval = value.cval;
    node->line = value.line;
    node->ival = value.ival;
    node->file = strings_.intern(value.file);
    return node;
}

Node* NodeList::newLabelNode() {
    Node* node = makeNode(DESTLABEL);
    node->cval = strprintf("_LBL_%d", ++labelCounter_);
    return node;
}

} // namespace kavo
