// The node operations the grammar actions are written in: mark, token/tokenAs, copy/copyAs,
// ident, constant, declaredName and label make nodes; join chains fragments, logical builds &&
// and ||, cast a cast's operator; toNodeList hands a finished external declaration to the run's
// node list.
#include "compiler/frontend/fragment.hpp"

#include "compiler/base/kinds.hpp"
#include "compiler/base/node_list.hpp"
#include "compiler/frontend/typedef_derivation.hpp"

#include <string>
#include <utility>

namespace kavo::frontend {

namespace {

std::string toLower(std::string_view text) {
    std::string lower(text);
    for (char& ch : lower)
        ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    return lower;
}

// The node before a fragment's last two; none in a fragment of fewer than three.
Node* beforeLastTwo(const StackValue& fragment) {
    for (Node* n = fragment.head; n != nullptr && n->next != nullptr; n = n->next) {
        if (n->next->next == fragment.tail)
            return n;
    }
    return nullptr;
}

} // namespace

StackValue FragmentBuilder::mark(int kind) {
    return single(nodes_.makeNode(kind));
}

StackValue FragmentBuilder::functionBody(StackValue block) {
    Node* open = block.head;
    if (open != nullptr && open->kind == LSQUIG && open->next != nullptr &&
        open->next->kind == NEWSCOPE)
        open->next->ival = FunctionBodyScope;
    return block;
}

StackValue FragmentBuilder::definedFunction(StackValue declarator) {
    Node* before = beforeLastTwo(declarator);
    if (before == nullptr || before->next->kind != FUNC_PROTO_START ||
        declarator.tail->kind != FUNC_PROTO_END)
        return declarator;
    before->next = nullptr;
    return StackValue{declarator.head, before, nullptr};
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

StackValue FragmentBuilder::constant(int value) {
    StackValue made = mark(INTEGER_CONSTANT);
    made.head->ival = value;
    made.head->cval = std::to_string(value);
    return made;
}

StackValue FragmentBuilder::integer(const StackValue& symbol) {
    StackValue number = token(symbol);
    const std::string suffix = number.head->name;
    if (suffix.empty())
        return number;
    number.head->name.clear();
    const int value = number.head->ival;
    const bool isUnsigned = suffix.find('U') != std::string::npos;
    const bool isLong = suffix.find('L') != std::string::npos;
    // A value no type of the list holds stays a bare constant and warns where it meets an
    // operand, as an unsuffixed one does.
    if (value > 0xFFFF)
        return number;
    const bool wide = isLong || value > 0xFF;
    const bool unsignedType = isUnsigned || value > 0x7FFF;
    StackValue made = mark(CAST);
    made.head->ival = wide ? 16 : 8;
    made.head->cval = std::string(unsignedType ? "unsigned " : "") + (wide ? "long" : "int");
    made.head->name = suffix;
    return join(__LINE__, made, {number});
}

StackValue FragmentBuilder::plainConstants(StackValue expression) {
    Node* previous = nullptr;
    for (Node* n = expression.head; n != nullptr && n != expression.tail;) {
        Node* next = n->next;
        if (n->kind == CAST && !n->name.empty()) {
            if (previous == nullptr)
                expression.head = next;
            else
                previous->next = next;
        } else {
            previous = n;
        }
        n = next;
    }
    return expression;
}

StackValue FragmentBuilder::logical(int tag, int jump, const StackValue& left,
                                    const StackValue& right) {
    const StackValue leave = label();
    const int decided = jump == NIF ? 1 : 0;
    auto store = [&](int value) {
        return join(tag, mark(EXPSTART),
                    {constant(value), mark(ASSIGN), mark(TOP_TMP_VAR), mark(EXPEND)});
    };
    const Decision decision{jump == NIF ? LOR : LAND, left, right, nullptr};
    const StackValue made =
        join(tag, mark(NEW_TMP_VAR),
             {store(decided), mark(EXPSTART), left, mark(EXPEND), copyAs(leave, jump),
              mark(EXPSTART), right, mark(EXPEND), copyAs(leave, jump), store(1 - decided),
              copyAs(leave, LABELNAME), mark(GETEXPVAL), mark(POP_TMP_VAR)});
    decisions_[made.head] = Decision{decision.kind, decision.left, decision.right, made.tail};
    return made;
}

StackValue FragmentBuilder::discarded(const StackValue& expression) {
    int depth = 0;
    const Node* closing = expression.head;
    for (; closing != nullptr; closing = closing->next) {
        depth += closing->kind == EXPSTART ? 1 : closing->kind == EXPEND ? -1 : 0;
        if (depth == 0 || closing == expression.tail)
            break;
    }
    const StackValue whole = closing == expression.tail
                                 ? expression
                                 : join(__LINE__, mark(EXPSTART), {expression, mark(EXPEND)});
    whole.head->ival = ValueDiscarded;
    return whole;
}

StackValue FragmentBuilder::unary(int tag, const StackValue& op, const StackValue& operand) {
    const StackValue made = join(tag, op, {operand});
    if (op.head->kind == BANG)
        decisions_[made.head] = Decision{BANG, operand, {}, made.tail};
    return made;
}

// The decision a fragment is: itself, or one inside brackets that only pass its value on:
// an expression's (EXPSTART d EXPEND), a parenthesised value's (EXPSTART d EXPEND
// GETEXPVAL), a postfix expression's (POSTFIX_EXP_START d POSTFIX_EXP_END).
const FragmentBuilder::Decision* FragmentBuilder::decisionIn(const StackValue& fragment) const {
    int expressions = 0;
    int postfixes = 0;
    const Node* n = fragment.head;
    auto found = decisions_.find(n);
    while (found == decisions_.end() && n != fragment.tail &&
           (n->kind == EXPSTART || n->kind == POSTFIX_EXP_START)) {
        (n->kind == EXPSTART ? expressions : postfixes) += 1;
        n = n->next;
        found = decisions_.find(n);
    }
    if (found == decisions_.end())
        return nullptr;
    const Decision& decision = found->second;
    const Node* closing = decision.tail;
    while (closing != fragment.tail) {
        closing = closing->next;
        if (closing == nullptr)
            return nullptr;
        if (closing->kind == EXPEND)
            --expressions;
        else if (closing->kind == POSTFIX_EXP_END)
            --postfixes;
        else if (closing->kind != GETEXPVAL)
            return nullptr;
    }
    return expressions == 0 && postfixes == 0 ? &decision : nullptr;
}

// One operand's jump: a decision jumps on its own operands, anything else is evaluated
// whole and tested.
StackValue FragmentBuilder::jumpOn(int tag, int jump, const StackValue& label,
                                   const StackValue& operand) {
    if (const Decision* decision = decisionIn(operand))
        return decide(tag, jump, label, *decision);
    return join(tag, mark(EXPSTART), {operand, mark(EXPEND), copyAs(label, jump)});
}

// a && b leaves on a false a, a || b on a true one; where that is the jump wanted both
// operands jump to the label, otherwise the first jumps past the second.
StackValue FragmentBuilder::decide(int tag, int jump, const StackValue& label, Decision decision) {
    // The operands leave the fragment they were built into.
    decision.left.tail->next = nullptr;
    if (decision.kind == BANG)
        return jumpOn(tag, jump == IF ? NIF : IF, label, decision.left);
    decision.right.tail->next = nullptr;
    const int leaves = decision.kind == LAND ? IF : NIF;
    if (leaves == jump)
        return join(tag, jumpOn(tag, jump, label, decision.left),
                    {jumpOn(tag, jump, label, decision.right)});
    const StackValue past = this->label();
    return join(tag, jumpOn(tag, leaves, past, decision.left),
                {jumpOn(tag, jump, label, decision.right), copyAs(past, LABELNAME)});
}

StackValue FragmentBuilder::condition(int tag, int jump, const StackValue& label,
                                      const StackValue& expression) {
    if (const Decision* decision = decisionIn(expression))
        return decide(tag, jump, label, *decision);
    return join(tag, expression, {copyAs(label, jump)});
}

StackValue FragmentBuilder::cast(const StackValue& typeName) {
    int bits = 8;
    bool integer = true;
    std::string words;
    std::string tag; // a struct's or union's name comes before its keyword
    for (const Node* n = typeName.head; n != nullptr; n = n->next) {
        const std::string_view name = kindName(n->kind);
        if (n->kind == LONG)
            bits = 16;
        else if (n->kind != CHAR && n->kind != SHORT && n->kind != INT && n->kind != SIGNED &&
                 n->kind != UNSIGNED && n->kind != CONST && n->kind != VOLATILE)
            integer = false;
        if (n->kind == POINTER) {
            words += " *";
        } else if (n->kind == TYPEDEFNAME) {
            const TypedefDerivation derivation = typedefDerivationOf(n->ival);
            for (int k = 0; k < derivation.pointers; ++k)
                words += " *";
            if (derivation.toArray)
                words += " (*)";
            if (derivation.count > 0)
                words += "[" + std::to_string(derivation.count) + "]";
        } else if (n->kind == IDENTIFIER) {
            tag = n->cval;
        } else if (n->kind == STRUCT || n->kind == UNION) {
            words += (words.empty() ? "" : " ") + toLower(name) + (tag.empty() ? "" : " " + tag);
        } else if (n->kind == FLOAT || n->kind == DOUBLE) {
            words += (words.empty() ? "" : " ") + n->cval; // float, double or _Bool
        } else if (n->kind != CONST && n->kind != VOLATILE && n->kind != STRUCT_TYPE &&
                   !name.empty()) {
            words += (words.empty() ? "" : " ") + toLower(name);
        }
        if (n == typeName.tail)
            break;
    }
    StackValue made = mark(CAST);
    made.head->ival = integer ? bits : 0;
    made.head->cval = words;
    return made;
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

StackValue FragmentBuilder::anonymousMember(const StackValue& specifiers) {
    // An unnamed aggregate's specifiers end in STRUCT_TYPE, its label tag, STRUCT or UNION.
    const Node* type = nullptr;
    for (const Node* n = specifiers.head; n != nullptr && n != specifiers.tail; n = n->next) {
        if (n->kind == STRUCT_TYPE && n->next != nullptr && n->next->next == specifiers.tail)
            type = n;
    }
    if (type == nullptr || !type->next->cval.starts_with("_LBL_"))
        return specifiers;
    return join(__LINE__, specifiers,
                {copyAs(StackValue{type->next, nullptr, nullptr}, IDENTIFIER)});
}

StackValue FragmentBuilder::sourceLabel(StackValue label) {
    label.head->ival = SourceLabel;
    return label;
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

namespace {

// n[a] is *(n + a), a[n]: a constant written before the array's name trades places with it.
void nameBeforeConstant(const StackValue& base, const StackValue& index) {
    Node* constant = base.head;
    if (constant != base.tail ||
        (constant->kind != INTEGER_CONSTANT && constant->kind != CHARACTER_CONSTANT))
        return;
    const Node* n = index.head;
    const int shape[] = {EXPSTART, POSTFIX_EXP_START, IDENTIFIER, POSTFIX_EXP_END, EXPEND};
    Node* name = nullptr;
    for (const int kind : shape) {
        if (n == nullptr || n->kind != kind)
            return;
        if (kind == IDENTIFIER)
            name = const_cast<Node*>(n);
        n = n == index.tail ? nullptr : n->next;
    }
    if (n != nullptr)
        return;
    std::swap(constant->kind, name->kind);
    std::swap(constant->cval, name->cval);
    std::swap(constant->ival, name->ival);
    std::swap(constant->name, name->name);
}

} // namespace

StackValue FragmentBuilder::subscript(int tag, StackValue base, StackValue index) {
    nameBeforeConstant(base, index);
    if (base.head->kind != INDEX_ON || base.tail->kind != INDEX_OFF || base.head == base.tail)
        return join(tag, mark(INDEX_ON), {base, mark(SUBSCRIPT), index, mark(INDEX_OFF)});
    Node* beforeEnd = base.head;
    while (beforeEnd->next != base.tail)
        beforeEnd = beforeEnd->next;
    beforeEnd->next = nullptr;
    const StackValue withoutEnd{base.head, beforeEnd, nullptr};
    base.tail->next = nullptr;
    return join(tag, withoutEnd, {mark(SUBSCRIPT), index, single(base.tail)});
}

void FragmentBuilder::toNodeList(int tag, const StackValue& fragment) {
    // The first declaration of a parse goes to the end of whatever the list already holds
    // (assembly files included by the preprocessor); later ones follow the last one directly.
    nodes_.append(tag, listTail_, fragment.head);
    listTail_ = fragment.tail;
}

} // namespace kavo::frontend
