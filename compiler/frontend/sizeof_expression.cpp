// sizeof of an expression, typed as C types it and never evaluated. The operand's nodes are
// read in the grammar's prefix order: an arithmetic operator's size is the wider of its
// operands' (an int at least), a shift's is its left operand's, a relation's or a logical
// operator's an int's, an assignment's its target's and a comma expression's its last
// operand's, a conditional's the wider of its branches' and &x's a pointer to x's type. The
// objects' sizes come from the symbols, so the front end writes the rule as an expression of
// SIZEOF nodes that the code generator folds into one constant. A form it cannot type (a
// pointer reached through a computed address) gives nothing, and the caller refuses it.
#include "compiler/frontend/sizes_internal.hpp"

#include "compiler/base/kinds.hpp"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace kavo::frontend {

namespace {

// A size: a fragment the code generator folds, and its value when the words alone tell it.
struct Size {
    StackValue nodes;
    int known = -1;
};

class ExpressionSizer {
public:
    ExpressionSizer(FragmentBuilder& b, std::vector<const Node*> nodes)
        : b_(b), nodes_(std::move(nodes)) {}

    // The whole operand, which must be read to its end. At the top an array keeps its own
    // size (sizeof a); inside an expression it is a pointer.
    std::optional<StackValue> whole() {
        std::size_t next = 0;
        const std::optional<Size> size = operand(0, next, false);
        if (!size || next != nodes_.size())
            return std::nullopt;
        return size->nodes;
    }

private:
    FragmentBuilder& b_;
    std::vector<const Node*> nodes_;

    int kindAt(std::size_t i) const { return i < nodes_.size() ? nodes_[i]->kind : -1; }

    // The position after the marker that closes the one at `open`.
    std::size_t closing(std::size_t open, int opener, int closer) const {
        int depth = 0;
        for (std::size_t i = open; i < nodes_.size(); ++i) {
            depth += nodes_[i]->kind == opener ? 1 : nodes_[i]->kind == closer ? -1 : 0;
            if (depth == 0)
                return i + 1;
        }
        return nodes_.size() + 1; // unbalanced: never the operand's end
    }

    Size constant(int size) { return {sizeConstant(b_, size), size}; }

    // The wider of two sizes of integer or pointer values (1 or 2 bytes each, which the code
    // generator checks for an object): 1 + ((a - 1) | (b - 1)) when neither is known yet.
    Size wider(const Size& a, const Size& c) {
        if (a.known >= 0 && c.known >= 0)
            return constant(std::max({1, a.known, c.known}));
        if (a.known == 2 || c.known == 2)
            return constant(2);
        if (a.known >= 0)
            return c;
        if (c.known >= 0)
            return a;
        const auto lessOne = [&](const Size& s) {
            return b_.join(__LINE__, b_.mark(MINUS), {s.nodes, b_.constant(1)});
        };
        return {b_.join(__LINE__, b_.mark(PLUS),
                        {b_.constant(1), b_.mark(OR), lessOne(a), lessOne(c)}),
                -1};
    }

    std::optional<Size> object(std::size_t from, std::size_t to, bool asValue) {
        const std::vector<const Node*> part(nodes_.begin() + static_cast<std::ptrdiff_t>(from),
                                            nodes_.begin() + static_cast<std::ptrdiff_t>(to));
        std::optional<StackValue> size = sizeOfObject(b_, part, asValue);
        if (!size)
            return std::nullopt;
        const int kind = size->head->kind;
        const int known = kind == SIZEOF0 ? 0 : kind == SIZEOFS ? 1 : kind == SIZEOFL ? 2 : -1;
        return Size{*size, kind == INTEGER_CONSTANT ? size->head->ival : known};
    }

    // (expression) inside a postfix expression's markers: EXPSTART e EXPEND GETEXPVAL, or
    // for a comma expression EXPSTART a EXPEND EXPSTART b EXPEND GETEXPVAL. A call has the
    // same brackets around FUNCCALL or FUNC_START_PARAM and is not one.
    bool isParenthesised(std::size_t from, std::size_t to) const {
        return to > from + 3 && kindAt(from) == EXPSTART && kindAt(to - 1) == GETEXPVAL &&
               kindAt(from + 1) != FUNCCALL && kindAt(from + 1) != FUNC_START_PARAM;
    }

    // Parentheses keep an array an array, (a) or ("ab"); a comma expression's value is not.
    std::optional<Size> parenthesised(std::size_t from, std::size_t to, bool asValue) {
        const std::size_t first = closing(from, EXPSTART, EXPEND);
        std::size_t next = from + 1;
        std::optional<Size> size = operand(next, next, asValue || first != to - 1);
        if (next != first - 1)
            return std::nullopt;
        if (first == to - 1 || !size)
            return size;
        // A comma expression's value is its last operand's, in brackets of its own.
        if (kindAt(first) != EXPSTART || closing(first, EXPSTART, EXPEND) != to - 1)
            return std::nullopt;
        next = first + 1;
        size = operand(next, next, true);
        return next == to - 2 ? size : std::nullopt;
    }

    // An expression in its brackets, EXPSTART e EXPEND, or a comma expression's groups one
    // after another: the last group's value.
    std::optional<Size> groups(std::size_t at, std::size_t& next) {
        std::optional<Size> size;
        for (next = at; kindAt(next) == EXPSTART && kindAt(next + 1) != NEW_TMP_VAR_LONG;) {
            const std::size_t end = closing(next, EXPSTART, EXPEND);
            std::size_t inner = next + 1;
            size = operand(inner, inner, true);
            if (!size || inner + 1 != end)
                return std::nullopt;
            next = end;
        }
        return size;
    }

    // One branch of c ? a : b, EXPSTART value GETEXPVAL ASSIGN TOP_TMP_VAR EXPEND; the first
    // branch's value is an expression in its own brackets.
    std::optional<Size> branch(std::size_t at, std::size_t& next) {
        next = closing(at, EXPSTART, EXPEND);
        std::size_t end = at + 1;
        if (kindAt(at) != EXPSTART || next > nodes_.size())
            return std::nullopt;
        const bool bracketed = kindAt(at + 1) == EXPSTART && kindAt(at + 2) != NEW_TMP_VAR_LONG;
        std::optional<Size> size = bracketed ? groups(at + 1, end) : operand(at + 1, end, true);
        return end + 4 == next && kindAt(end) == GETEXPVAL ? size : std::nullopt;
    }

    // c ? a : b: EXPSTART NEW_TMP_VAR_LONG c EXPEND IF, the first branch, GOTO LABELNAME, the
    // second branch, LABELNAME TOP_TMP_VAR POP_TMP_VAR. The condition is not sized.
    std::optional<Size> conditional(std::size_t at, std::size_t& next) {
        std::size_t end = closing(at, EXPSTART, EXPEND) + 1;
        const std::optional<Size> first = branch(end, end);
        if (!first || kindAt(end) != GOTO || kindAt(end + 1) != LABELNAME)
            return std::nullopt;
        const std::optional<Size> second = branch(end + 2, end);
        if (!second || kindAt(end) != LABELNAME || kindAt(end + 2) != POP_TMP_VAR)
            return std::nullopt;
        next = end + 3;
        return wider(*first, *second);
    }

    // &x: a pointer to x's type, which the code generator tells from x's SIZEOF node.
    std::optional<Size> address(std::size_t at, std::size_t& next) {
        std::optional<Size> target = operand(at + 1, next, false);
        if (!target || target->nodes.head->kind != SIZEOF ||
            (target->nodes.head->ival & ~SizeOfAsValue) == SizeOfReturn)
            return std::nullopt;
        target->nodes.head->ival = (target->nodes.head->ival & ~SizeOfAsValue) | SizeOfAddress;
        target->known = -1;
        return target;
    }

    // The operand that starts at `at`; `next` is set to the position after it.
    std::optional<Size> operand(std::size_t at, std::size_t& next, bool asValue) {
        const int kind = kindAt(at);
        if (kind == POSTFIX_EXP_START) {
            next = closing(at, POSTFIX_EXP_START, POSTFIX_EXP_END);
            if (next > nodes_.size())
                return std::nullopt;
            if (isParenthesised(at + 1, next - 1))
                return parenthesised(at + 1, next - 1, asValue);
            return object(at, next, asValue);
        }
        if (kind == POSTINC_START) { // ++x, --x: x's own size
            next = closing(at + 2, POSTFIX_EXP_START, POSTFIX_EXP_END);
            return next > nodes_.size() ? std::nullopt : object(at, next, true);
        }
        if (kind == RESOLV_PTR) { // *p; *(p + 1) is not typed here
            std::size_t end = at + 1;
            if (!operand(at + 1, end, true))
                return std::nullopt;
            next = end;
            return object(at, end, true);
        }
        if (kind == EXPSTART && kindAt(at + 1) == NEW_TMP_VAR_LONG)
            return conditional(at, next);
        if (kind == ADDR)
            return address(at, next);
        if (kind == CAST) {
            if (!operand(at + 1, next, true) || nodes_[at]->ival <= 0)
                return std::nullopt;
            return constant(nodes_[at]->ival / 8);
        }
        if (kind == UMINUS || kind == TILDE || kind == UPLUS) {
            std::optional<Size> value = operand(at + 1, next, true);
            return value ? std::optional<Size>(wider(*value, constant(1))) : std::nullopt;
        }
        if (kind == BANG)
            return operand(at + 1, next, true) ? std::optional<Size>(constant(1)) : std::nullopt;
        if (kind == EQU_MARK) { // EQU_MARK MINUS|RELMINUS a b relation: an int
            std::size_t end = at + 2;
            if (!operand(at + 2, end, true) || !operand(end, end, true))
                return std::nullopt;
            next = end + 1;
            return constant(1);
        }
        if (kind == NEW_TMP_VAR) { // && and ||: an int
            next = closing(at, NEW_TMP_VAR, POP_TMP_VAR);
            return next > nodes_.size() ? std::nullopt : std::optional<Size>(constant(1));
        }
        if (kind == SRC_ADDR) { // SRC_ADDR value operator DEST_ADDR target: the target's
            std::size_t end = at + 1;
            if (!operand(at + 1, end, true) || kindAt(end + 1) != DEST_ADDR)
                return std::nullopt;
            return operand(end + 2, next, true);
        }
        const bool arithmetic = kind == PLUS || kind == MINUS || kind == STAR || kind == DIV ||
                                kind == MOD || kind == OR || kind == AND || kind == EXOR;
        if (arithmetic || kind == SHIFTL || kind == SHIFTR) {
            std::size_t end = at + 1;
            const std::optional<Size> left = operand(at + 1, end, true);
            const std::optional<Size> right = left ? operand(end, next, true) : std::nullopt;
            if (!right)
                return std::nullopt;
            return wider(*left, arithmetic ? *right : constant(1));
        }
        return std::nullopt;
    }
};

} // namespace

std::optional<StackValue> sizeOfExpression(FragmentBuilder& b, const StackValue& operand) {
    std::vector<const Node*> nodes;
    for (const Node* n = operand.head; n != nullptr; n = n->next) {
        nodes.push_back(n);
        if (n == operand.tail)
            break;
    }
    return ExpressionSizer(b, std::move(nodes)).whole();
}

} // namespace kavo::frontend
