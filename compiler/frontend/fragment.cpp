// The node operations the grammar actions are written in: mark, token/tokenAs, copy/copyAs,
// ident, declaredName and label make nodes; join chains fragments; toNodeList hands a finished
// external declaration to the run's node list.
#include "compiler/frontend/fragment.hpp"

#include "compiler/base/kinds.hpp"
#include "compiler/base/node_list.hpp"

namespace kavo::frontend {

StackValue FragmentBuilder::mark(int kind) {
    return single(nodes_.makeNode(kind));
}

StackValue FragmentBuilder::token(const StackValue& symbol) {
    return single(nodes_.nodeFromValue(*symbol.token));
}

StackValue FragmentBuilder::tokenAs(const StackValue& symbol, int kind) {
    StackValue made = token(symbol);
    made.head->kind = kind;
    return made;
}

StackValue FragmentBuilder::copy(const StackValue& fragment) {
    return single(nodes_.myndup(fragment.head));
}

StackValue FragmentBuilder::copyAs(const StackValue& fragment, int kind) {
    StackValue made = copy(fragment);
    made.head->kind = kind;
    return made;
}

StackValue FragmentBuilder::ident(const StackValue& fragment) {
    return single(nodes_.dupident(fragment.head));
}

StackValue FragmentBuilder::declaredName(const StackValue& declarator) {
    int depth = 0;
    for (const Node* n = declarator.head; n != nullptr; n = n->next) {
        if (n->kind == EXPSTART)
            ++depth;
        else if (n->kind == EXPEND)
            --depth;
        else if (n->kind == IDENTIFIER && depth == 0)
            return single(nodes_.myndup(n));
        if (n == declarator.tail)
            break;
    }
    return ident(declarator);
}

StackValue FragmentBuilder::label() {
    return single(nodes_.newLabelNode());
}

StackValue FragmentBuilder::join(int tag, StackValue head,
                                 std::initializer_list<StackValue> parts) {
    for (const StackValue& part : parts) {
        // The tail has no successor, so append links the part at once without a walk.
        nodes_.append(tag, head.tail, part.head);
        head.tail = part.tail;
    }
    return head;
}

void FragmentBuilder::toNodeList(int tag, const StackValue& fragment) {
    // The first declaration of a parse goes to the end of whatever the list already holds
    // (assembly files included by the preprocessor); later ones follow the last one directly.
    nodes_.append(tag, listTail_, fragment.head);
    listTail_ = fragment.tail;
}

} // namespace kavo::frontend
