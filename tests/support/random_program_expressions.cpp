// The expressions of random programs and the places they read and store into. Each is
// defined whatever the values: indexes are masked or bounded by the loop around them,
// divisors are odd or non-zero constants, shift counts lie in 0 to 15, and operands that C
// leaves unsequenced never touch the same variable (the second one becomes a constant).

#include "tests/support/random_program_generation.hpp"

#include <algorithm>

namespace kavo::testing::program {
namespace {

using dialect::Op;

// The largest power of two not above n, less one: a mask keeping an index below n.
int maskBelow(int n) {
    int mask = 1;
    while (mask * 2 <= n)
        mask *= 2;
    return mask - 1;
}

} // namespace

Expr ExpressionMaker::expression(int depth, bool effects) {
    if (depth <= 0 || g_.chance(0.25))
        return leaf();
    const Features& f = g_.features;
    for (;;) {
        const int kind = g_.pick(20);
        if (kind < 3)
            return unary(depth, effects);
        if (kind == 3 && f.casts)
            return cast(depth, effects);
        if (kind == 4 && f.conditionals)
            return conditional(depth, effects);
        if (kind == 5 && effects && !callable().empty())
            return call(g_.any(callable()), depth);
        if (kind == 6 && f.steps && effects)
            return step(place(true, true));
        if (kind == 7 && !memberPointers().empty() && g_.chance(0.5))
            return addressTest();
        if (kind > 6)
            return binary(depth, effects);
    }
}

// Half the time a relation, the most common condition.
Expr ExpressionMaker::condition(bool effects) {
    if (g_.chance(0.5))
        return expression(2, effects);
    static constexpr Op relations[] = {Op::Eq, Op::Ne, Op::Lt, Op::Gt, Op::Le, Op::Ge};
    Expr e = binaryExpr(relations[g_.pick(6)], expression(1, effects), expression(1, false));
    if (g_.effects.of(e.operands[0]).conflictsWith(g_.effects.of(e.operands[1])))
        e.operands[1] = constantExpr(g_.constant());
    return e;
}

// The pointers that are struct members the function may use.
std::vector<int> ExpressionMaker::memberPointers() const {
    std::vector<int> found;
    for (int v : g_.pointers()) {
        if (g_.program.variables[v].holder >= 0)
            found.push_back(v);
    }
    return found;
}

// h.m0 == &x or h.m0 != &x, x one of the cells the member may point at.
Expr ExpressionMaker::addressTest() {
    Expr e;
    e.kind = Expr::Kind::AddressTest;
    e.op = g_.chance(0.5) ? Op::Eq : Op::Ne;
    e.pointer = g_.any(memberPointers());
    const Variable& pointer = g_.program.variables[e.pointer];
    e.place = cellOf(pointer, g_.any(pointer.pointees));
    return e;
}

Place ExpressionMaker::place(bool forWriting, bool effects) {
    const Program& p = g_.program;
    const bool localsOnly = forWriting && g_.writesLocalsOnly;
    std::vector<int> scalars, arrays, structs, pointers, pointerPointers, links;
    for (int v : g_.visible) {
        const Variable& variable = p.variables[v];
        if (localsOnly && (variable.function < 0 || holdsAddress(variable)))
            continue;
        if (variable.storage == Storage::Scalar &&
            (!variable.counter || readsCounter(v, forWriting)))
            scalars.push_back(v);
        if (variable.storage == Storage::Array)
            arrays.push_back(v);
        if (variable.storage == Storage::Struct && cellCount(p, variable) > 0)
            structs.push_back(v);
        if (variable.storage == Storage::Pointer && !pointsAtStructs(variable))
            pointers.push_back(v);
        if (pointsAtStructs(variable))
            links.push_back(v);
        if (variable.storage == Storage::PointerPointer)
            pointerPointers.push_back(v);
    }
    for (;;) {
        const int kind = g_.pick(10);
        Place at;
        if (kind < 2 && !arrays.empty()) {
            at.kind = Place::Kind::Element;
            at.variable = g_.any(arrays);
            const Variable& array = p.variables[at.variable];
            at.index = elementIndex(array, array.length, effects);
            return at;
        }
        if (kind == 2 && !structs.empty()) {
            at.kind = Place::Kind::Member;
            at.variable = g_.any(structs);
            at.member = g_.pick(cellCount(p, p.variables[at.variable]));
            return at;
        }
        if (kind == 3 && !pointerPointers.empty() && g_.chance(0.5))
            return pointeePointee(g_.any(pointerPointers), effects);
        if (kind == 3 && !links.empty() && g_.chance(0.4))
            return arrow(g_.any(links));
        if (kind == 3 && !pointers.empty())
            return pointee(g_.any(pointers), effects);
        if (kind > 3) {
            at.variable = g_.any(scalars);
            return at;
        }
    }
}

// A counter is read only inside its loop, and never stored into.
bool ExpressionMaker::readsCounter(int counter, bool forWriting) const {
    return !forWriting && std::any_of(g_.loops.begin(), g_.loops.end(),
                                      [&](const auto& loop) { return loop.first == counter; });
}

// *p; through a walking pointer also p[i], *(p + k) and *p++; through a pointer to rows
// (*p)[c], p[r][c] and *(p[r] + c).
Place ExpressionMaker::pointee(int pointer, bool effects) {
    Place at;
    at.kind = Place::Kind::Pointee;
    at.variable = pointer;
    if (pointsAtRows(g_.program.variables[pointer])) {
        static constexpr Place::Form forms[] = {Place::Form::Star, Place::Form::Subscript,
                                                Place::Form::Sum};
        at.form = forms[g_.pick(3)];
        at.index = rowIndex(pointer, at.form);
        return at;
    }
    if (g_.features.pointerChoices && g_.chance(0.2)) {
        if (const std::optional<int> other = sameTypePointer(pointer)) {
            at.form = Place::Form::Chosen;
            at.member = *other;
            at.index = {condition(false)};
            return at;
        }
    }
    if (!g_.program.variables[pointer].walksArray)
        return at;
    const int form = g_.pick(4);
    if (form == 1) {
        at.form = Place::Form::Subscript;
        at.index = {pointerOffset(pointer, effects)};
        // p[f()] with f moving p: C leaves open whether p is read before or after the call.
        if (g_.effects.of(at.index.front()).writes.count(pointer) != 0)
            at.index = {pointerOffset(pointer, false)};
    } else if (form == 2) {
        at.form = Place::Form::Sum;
        at.index = {pointerOffset(pointer, false)};
    } else if (form == 3 && effects && g_.chance(0.3)) {
        at.kind = Place::Kind::PointeeStep;
    }
    return at;
}

// A visible pointer other than `pointer` of its type and spelling, for c ? pointer : it.
std::optional<int> ExpressionMaker::sameTypePointer(int pointer) {
    const Variable& p = g_.program.variables[pointer];
    std::vector<int> others;
    for (int v : g_.visible) {
        const Variable& q = g_.program.variables[v];
        if (v != pointer && q.storage == Storage::Pointer && !pointsAtStructs(q) &&
            !pointsAtRows(q) && q.spelling == p.spelling && q.type == p.type)
            others.push_back(v);
    }
    if (others.empty())
        return std::nullopt;
    return g_.any(others);
}

// p->m, p->next->m or p->next->next->m: every node's next points at a node.
Place ExpressionMaker::arrow(int pointer) {
    Place at;
    at.kind = Place::Kind::Arrow;
    at.variable = pointer;
    at.member = g_.pick(static_cast<int>(
        g_.program.structs[g_.program.variables[pointer].structType].members.size()));
    at.hops = g_.pick(3);
    return at;
}

// **pp or *pp[0]; when the pointers walk an array also (*pp)[i], *(*pp + k) and pp[0][i].
Place ExpressionMaker::pointeePointee(int pointer, bool effects) {
    Place at;
    at.kind = Place::Kind::PointeePointee;
    at.variable = pointer;
    const int form = g_.pick(4);
    if (!g_.program.variables[pointer].walksArray || form == 0) {
        at.form = g_.chance(0.5) ? Place::Form::Star : Place::Form::FirstRow;
        return at;
    }
    static constexpr Place::Form forms[] = {Place::Form::Subscript, Place::Form::Sum,
                                            Place::Form::FirstRow};
    at.form = forms[form - 1];
    at.index = {pointerOffset(pointer, effects && at.form != Place::Form::Sum)};
    // (*pp)[f()] with f moving a pointer pp may point at or pointing pp elsewhere: C leaves
    // open whether the pointers are read before or after the call.
    if (g_.effects.of(at.index.front()).writesAny(g_.effects.pointersRead(at)))
        at.index = {pointerOffset(pointer, false)};
    return at;
}

// The subscripts of a cell through a pointer to rows: a column after (*p), a row and a
// column otherwise (without side effects: C does not order them). The pointer is set into
// the first half of the rows; the row keeps it inside.
std::vector<Expr> ExpressionMaker::rowIndex(int pointer, Place::Form form) {
    const Variable& array = g_.walkedArray(pointer);
    Expr column = index(array.columns, false);
    if (form == Place::Form::Star)
        return {column};
    const int rows = array.length / array.columns;
    return {index(rows - std::max(1, rows / 2) + 1, false), column};
}

Place ExpressionMaker::cellOf(const Variable& pointer, int target) {
    const Variable& v = g_.program.variables[target];
    Place at;
    at.variable = target;
    if (pointsAtStructs(pointer))
        return at; // &n, a whole node
    if (pointsAtRows(pointer)) {
        // &a[r]: a row of the array's first half.
        at.kind = Place::Kind::Element;
        at.index = {index(std::max(1, v.length / v.columns / 2), false)};
    } else if (v.storage == Storage::Array) {
        at.kind = Place::Kind::Element;
        const int bound = pointer.walksArray ? std::max(1, v.length / 2) : v.length;
        at.index = elementIndex(v, bound, false);
    } else if (v.storage == Storage::Struct) {
        at.kind = Place::Kind::Member;
        std::vector<int> members;
        for (int c = 0; c < cellCount(g_.program, v); ++c) {
            // A bit-field has no address.
            if (cellType(g_.program, target, c) == pointer.type &&
                cellBits(g_.program, target, c) == 0)
                members.push_back(c);
        }
        at.member = g_.any(members);
    }
    return at;
}

// A walking pointer is set into the first half of its array; the offset keeps it inside.
Expr ExpressionMaker::pointerOffset(int pointer, bool effects) {
    const int length = g_.walkedArray(pointer).length;
    return index(length - std::max(1, length / 2) + 1, effects);
}

std::vector<Expr> ExpressionMaker::elementIndex(const Variable& array, int bound, bool effects) {
    if (array.columns == 0)
        return {index(bound, effects)};
    if (bound <= array.columns)
        return {constantExpr(0), index(bound, false)};
    return {index(array.length / array.columns, false), index(array.columns, false)};
}

// A constant, the counter of a loop around that stays below the bound, or an expression
// masked below it.
Expr ExpressionMaker::index(int bound, bool effects) {
    const int kind = g_.pick(3);
    if (kind == 0 || bound == 1)
        return constantExpr(g_.pick(bound));
    if (kind == 1) {
        for (const auto& [counter, highest] : g_.loops) {
            if (highest < bound) {
                Place at;
                at.variable = counter;
                return readOf(at);
            }
        }
    }
    return binaryExpr(Op::And, expression(1, effects), constantExpr(maskBelow(bound)));
}

Expr ExpressionMaker::leaf() {
    if (g_.chance(0.3))
        return constantExpr(g_.constant());
    return readOf(place(false, false));
}

Expr ExpressionMaker::unary(int depth, bool effects) {
    static constexpr Op ops[] = {Op::Neg, Op::Complement, Op::Not};
    Expr e;
    e.kind = Expr::Kind::Unary;
    e.op = ops[g_.pick(3)];
    e.operands = {expression(depth - 1, effects)};
    return e;
}

Expr ExpressionMaker::cast(int depth, bool effects) {
    Expr e;
    e.kind = Expr::Kind::Cast;
    e.castTo = g_.anyType();
    e.spelling = g_.spelling(e.castTo);
    e.operands = {expression(depth - 1, effects)};
    return e;
}

// Only the chosen branch runs: the three need no care for each other's effects.
Expr ExpressionMaker::conditional(int depth, bool effects) {
    Expr e;
    e.kind = Expr::Kind::Conditional;
    for (int i = 0; i < 3; ++i)
        e.operands.push_back(expression(depth - 1, effects));
    return e;
}

// Functions whose value an expression may use: those built before this one (so there is no
// recursion), none inside an argument when calls do not nest.
std::vector<int> ExpressionMaker::callable() const {
    std::vector<int> found;
    for (int f = 0; f < g_.function && callsBlocked_ == 0; ++f) {
        if (g_.program.functions[f].result)
            found.push_back(f);
    }
    return found;
}

// An argument that would touch what an earlier one touches is made again, then becomes a
// constant.
Expr ExpressionMaker::call(int function, int depth) {
    Expr e;
    e.kind = Expr::Kind::Call;
    e.function = function;
    Effects earlier;
    const int blocked = g_.features.nestedCalls ? 0 : 1;
    callsBlocked_ += blocked;
    for (std::size_t i = 0; i < g_.program.functions[function].parameters.size(); ++i) {
        const Variable& declared =
            g_.program.variables[g_.program.functions[function].parameters[i]];
        if (declared.storage == Storage::Struct) {
            // A struct only reads: what an earlier argument writes of it becomes a constant.
            Expr argument = wholeStruct(declared.structType);
            const Effects fx = g_.effects.of(argument);
            for (Expr& before : e.operands) {
                if (!readsWholeStruct(g_.program, before) &&
                    g_.effects.of(before).conflictsWith(fx))
                    before = constantExpr(g_.constant());
            }
            earlier.add(fx);
            e.operands.push_back(std::move(argument));
            continue;
        }
        const Type parameter = declared.type;
        Expr argument = argumentOf(depth, parameter);
        for (int attempt = 0; attempt < 3 && g_.effects.of(argument).conflictsWith(earlier);
             ++attempt)
            argument = argumentOf(depth, parameter);
        const Effects fx = g_.effects.of(argument);
        if (fx.conflictsWith(earlier))
            argument = constantExpr(g_.constant());
        else
            earlier.add(fx);
        e.operands.push_back(std::move(argument));
    }
    callsBlocked_ -= blocked;
    return e;
}

Expr ExpressionMaker::callAlone(int function) {
    ++callsBlocked_;
    Expr e = call(function, 1);
    --callsBlocked_;
    return e;
}

// Calls nest where they may, f(g(1)), and an argument computed into a temporary meets a
// later one computed around a call: f(x + 1, g() | 4).
Expr ExpressionMaker::argumentOf(int depth, const Type& parameter) {
    static constexpr Op ops[] = {Op::Add, Op::Sub, Op::Or, Op::Xor};
    if (g_.chance(0.15))
        return readOfType(parameter);
    const int kind = depth > 0 ? g_.pick(10) : 9;
    if (kind < 2 && !callable().empty())
        return call(g_.any(callable()), depth - 1);
    if (kind < 5 && !callable().empty())
        return binaryExpr(ops[g_.pick(4)], call(g_.any(callable()), depth - 1), leaf());
    if (kind < 7)
        return binaryExpr(ops[g_.pick(4)], leaf(), leaf());
    return expression(depth - 1, true);
}

// A struct variable of the type the function may use, read whole: a struct argument.
Expr ExpressionMaker::wholeStruct(int structType) {
    std::vector<int> candidates;
    for (int v : g_.visible) {
        const Variable& variable = g_.program.variables[v];
        if (variable.storage == Storage::Struct && variable.structType == structType)
            candidates.push_back(v);
    }
    Place at;
    at.variable = g_.any(candidates);
    return readOf(at);
}

// A variable, element, member or pointer target of the type, so that all of its bytes
// count: an argument of the parameter's type.
Expr ExpressionMaker::readOfType(const Type& t) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        Place at = place(false, false);
        if (g_.cellTypeOf(at) == t)
            return readOf(at);
    }
    return leaf();
}

Expr ExpressionMaker::step(const Place& at) {
    Expr e;
    e.kind = Expr::Kind::Step;
    e.place = at;
    e.increment = g_.chance(0.5);
    // x++ on *p would read as (*p)++, which the dialect refuses; on **pp, *pp[0] and
    // *(*pp + k) it would step the pointer.
    const bool subscript = at.form == Place::Form::Subscript ||
                           (at.form == Place::Form::FirstRow && !at.index.empty());
    const bool star =
        at.kind == Place::Kind::PointeeStep ||
        ((at.kind == Place::Kind::Pointee || at.kind == Place::Kind::PointeePointee) && !subscript);
    e.prefix = star || g_.chance(0.5);
    if (at.kind == Place::Kind::PointeeStep) {
        e.place.kind = Place::Kind::Pointee;
        e.place.form = Place::Form::Star;
    }
    return e;
}

Expr ExpressionMaker::binary(int depth, bool effects) {
    std::vector<Op> ops = {Op::Add, Op::Sub, Op::And, Op::Or, Op::Xor,        Op::Eq,       Op::Ne,
                           Op::Lt,  Op::Gt,  Op::Le,  Op::Ge, Op::LogicalAnd, Op::LogicalOr};
    if (g_.features.runtimeOperations)
        ops.insert(ops.end(), {Op::Mul, Op::Div, Op::Mod, Op::Shl, Op::Shr});
    const Op op = g_.any(ops);
    Expr left = expression(depth - 1, effects);
    if (op == Op::LogicalAnd || op == Op::LogicalOr) {
        // The right operand is sequenced after the left one.
        const bool sideEffects = g_.features.shortCircuit && effects && g_.chance(0.6);
        return binaryExpr(op, std::move(left),
                          sideEffects ? sideEffect(depth - 1) : expression(depth - 1, false));
    }
    Expr right = op == Op::Shl || op == Op::Shr   ? shiftCount(depth - 1, effects)
                 : op == Op::Div || op == Op::Mod ? divisor(depth - 1, effects)
                                                  : expression(depth - 1, effects);
    if (g_.effects.of(left).conflictsWith(g_.effects.of(right)))
        right = constantExpr(1 + g_.pick(9));
    return binaryExpr(op, std::move(left), std::move(right));
}

// A call or a step: what && and || may leave undone.
Expr ExpressionMaker::sideEffect(int depth) {
    if (!callable().empty() && (g_.chance(0.5) || !g_.features.steps))
        return call(g_.any(callable()), depth);
    if (g_.features.steps)
        return step(place(true, false));
    return expression(depth, false);
}

// A constant, or an expression masked with 15.
Expr ExpressionMaker::shiftCount(int depth, bool effects) {
    if (g_.chance(0.5))
        return constantExpr(g_.pick(16));
    return binaryExpr(Op::And, expression(depth, effects), constantExpr(15));
}

// A non-zero constant, or an expression with its lowest bit set.
Expr ExpressionMaker::divisor(int depth, bool effects) {
    if (g_.chance(0.4)) {
        const std::int32_t c = g_.constant();
        return constantExpr(c == 0 ? 3 : c);
    }
    return binaryExpr(Op::Or, expression(depth, effects), constantExpr(1));
}

// x += x, a[i] -= a[j], *p ^= p[k] + 1: the target, another element or through the same
// pointer, alone or in a sum.
Expr ExpressionMaker::alias(const Place& target) {
    Place at = target;
    if (target.kind == Place::Kind::Element)
        at.index = elementIndex(g_.program.variables[target.variable],
                                g_.program.variables[target.variable].length, false);
    if (target.kind == Place::Kind::PointeeStep) {
        at.kind = Place::Kind::Pointee;
        at.form = Place::Form::Star;
    }
    if (target.kind == Place::Kind::Pointee && pointsAtRows(g_.program.variables[target.variable]))
        at.index = rowIndex(target.variable, target.form);
    else if ((target.kind == Place::Kind::Pointee || target.kind == Place::Kind::PointeePointee) &&
             !target.index.empty())
        at.index = {pointerOffset(target.variable, false)};
    if (g_.chance(0.5))
        return readOf(at);
    return binaryExpr(g_.chance(0.5) ? Op::Add : Op::Xor, readOf(at), expression(1, false));
}

// With 1 standing for anything not known before the run.
dialect::Value ExpressionMaker::shape(const Expr& e) const {
    switch (e.kind) {
    case Expr::Kind::Constant:
        return {e.constant, dialect::Literal};
    case Expr::Kind::Read:
    case Expr::Kind::Step:
        return {1, g_.cellTypeOf(e.place)};
    case Expr::Kind::Unary:
        return dialect::unary(e.op, shape(e.operands[0]));
    case Expr::Kind::Cast:
        return dialect::convert(shape(e.operands[0]), e.castTo);
    case Expr::Kind::Conditional:
        return {1, dialect::SignedLong};
    case Expr::Kind::AddressTest:
        return dialect::truth(true);
    case Expr::Kind::Call:
        return {1, *g_.program.functions[e.function].result};
    case Expr::Kind::Binary: {
        const auto v = dialect::binary(e.op, shape(e.operands[0]), shape(e.operands[1]));
        return v ? *v : dialect::Value{1, dialect::SignedLong};
    }
    }
    return {1, dialect::SignedLong};
}

} // namespace kavo::testing::program
