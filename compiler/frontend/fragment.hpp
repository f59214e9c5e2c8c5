#pragma once

#include "compiler/base/node.hpp"

#include <initializer_list>
#include <unordered_map>

namespace kavo {
class NodeList;
}

namespace kavo::frontend {

// One entry of the parser's value stack. A token carries its scanned value; a nonterminal
// carries its fragment: the chain of nodes from head to tail. Keeping the tail lets every
// append of a grammar action start at the fragment's last node, so building the node list is
// linear in the program however long its functions and statement lists grow.
struct StackValue {
    Node* head;
    Node* tail;
    const ParserValue* token;
};

// The node operations the grammar actions are written in.
class FragmentBuilder {
public:
    explicit FragmentBuilder(NodeList& nodes) : nodes_(nodes) {}

    // A marker node of kind (make-node).
    StackValue mark(int kind);
    // A node from a token's value (#k); tokenAs changes its kind.
    StackValue token(const StackValue& symbol);
    StackValue tokenAs(const StackValue& symbol, int kind);
    // A copy of the fragment's head node alone (copy($k)), optionally with another kind.
    StackValue copy(const StackValue& fragment);
    StackValue copyAs(const StackValue& fragment, int kind);
    // A copy of the first IDENTIFIER node of the fragment (ident($k)).
    StackValue ident(const StackValue& fragment);
    // An INTEGER_CONSTANT node of value.
    StackValue constant(int value);
    // An integer constant as written: one with a suffix is a cast of the number to the type
    // the suffix gives it (the first of C's list for that suffix that holds the value).
    StackValue integer(const StackValue& symbol);
    // A constant expression where only the value counts (sizes, case labels, enumerators):
    // the casts a suffix made are left out.
    StackValue plainConstants(StackValue expression);
    // The CAST node of a type name's fragment: the width of an integer type (0 for any other
    // type: pointers, structs, void, floating types) and the type's words.
    StackValue cast(const StackValue& typeName);
    // A copy of the name a declarator declares: its first IDENTIFIER outside the size
    // expressions of arrays (which may name constants of their own).
    StackValue declaredName(const StackValue& declarator);
    // A member declaration without a declarator: an unnamed struct or union is a member
    // named after its tag, whose members are reached as the enclosing aggregate's own.
    StackValue anonymousMember(const StackValue& specifiers);
    // A function's declarator in its definition: there empty parentheses say the function
    // takes no parameters, so their FUNC_PROTO_START FUNC_PROTO_END (parameters unsaid) go.
    StackValue definedFunction(StackValue declarator);
    // A function's body: a scope it opens for its declarations is marked FunctionBodyScope.
    StackValue functionBody(StackValue block);
    // A fresh label slot (new-label-node); only copies of it are ever appended.
    StackValue label();
    // A LABELNAME or GOTO of a C label (of function scope, unlike the compiler's labels).
    StackValue sourceLabel(StackValue label);
    // base[index]: INDEX_ON base SUBSCRIPT index INDEX_OFF. A base that is itself an element,
    // a[i][j], takes the index as one more subscript, INDEX_ON a SUBSCRIPT i SUBSCRIPT j
    // INDEX_OFF, so that the generator sees every subscript of an array of arrays at once.
    StackValue subscript(int tag, StackValue base, StackValue index);
    // Appends every part, in order, to the end of head's fragment and returns the result.
    // The tag names the grammar action.
    StackValue join(int tag, StackValue head, std::initializer_list<StackValue> parts);
    // The node run of && (jump IF, leaving on a false operand) and || (jump NIF, leaving on a
    // true one): a one-byte temporary takes the deciding value, each operand is tested whole
    // by the jump, and the value is 0 or 1.
    StackValue logical(int tag, int jump, const StackValue& left, const StackValue& right);
    // A unary operator and its operand; a ! is remembered for condition().
    StackValue unary(int tag, const StackValue& op, const StackValue& operand);
    // An expression whose value nothing reads, so marked. A comma expression is wrapped
    // whole: its later operands follow its first one's brackets, where a statement would
    // leave them behind.
    StackValue discarded(const StackValue& expression);
    // A statement's condition and its jump (IF: to the label when the expression is false;
    // NIF: when it is true). A condition that is &&, || or ! jumps on each operand in turn,
    // in C's order, instead of building their 0/1 value and testing it.
    StackValue condition(int tag, int jump, const StackValue& label, const StackValue& expression);
    // Appends a complete external declaration to the run's node list.
    void toNodeList(int tag, const StackValue& fragment);

private:
    static StackValue single(Node* node) { return StackValue{node, node, nullptr}; }

    // An &&, || or ! fragment as its operands (right unused for !), kept by its head node.
    struct Decision {
        int kind = 0; // LAND, LOR or BANG
        StackValue left{};
        StackValue right{};
        const Node* tail = nullptr;
    };
    const Decision* decisionIn(const StackValue& fragment) const;
    StackValue jumpOn(int tag, int jump, const StackValue& label, const StackValue& operand);
    StackValue decide(int tag, int jump, const StackValue& label, Decision decision);

    std::unordered_map<const Node*, Decision> decisions_;

    NodeList& nodes_;
    Node* listTail_ = nullptr; // last node this parser appended to the run's node list
};

} // namespace kavo::frontend
