// The host model of a random program: an interpreter of its tree at the dialect's widths and
// rules (dialect_arithmetic.hpp). With no recursion each function is active at most once, so
// every variable, local or global, has one set of cells, as on the chip.

#include "tests/support/random_program.hpp"

#include <algorithm>
#include <variant>

namespace kavo::testing::program {

Type cellType(const Program& p, int variable, int cell) {
    const Variable& v = p.variables[variable];
    if (v.storage == Storage::Struct)
        return p.structs[v.structType].members[cell].type;
    return v.type;
}

int cellBits(const Program& p, int variable, int cell) {
    const Variable& v = p.variables[variable];
    return v.storage == Storage::Struct ? p.structs[v.structType].members[cell].bits : 0;
}

std::int32_t fieldValue(std::int32_t value, int bits, Type type) {
    const std::int32_t low = value & ((1 << bits) - 1);
    const std::int32_t top = 1 << (bits - 1);
    return type.isUnsigned || (low & top) == 0 ? low : low - 2 * top;
}

int cellCount(const Program& p, const Variable& v) {
    if (v.storage == Storage::Array)
        return v.length;
    if (v.storage == Storage::Struct)
        return static_cast<int>(p.structs[v.structType].members.size());
    return 1;
}

bool readsWholeStruct(const Program& p, const Expr& e) {
    return e.kind == Expr::Kind::Read && e.place.kind == Place::Kind::Variable &&
           p.variables[e.place.variable].storage == Storage::Struct;
}

namespace {

// Thrown where the program has no defined result.
struct Undefined {};

enum class Flow { Normal, Break, Continue, Return };

using dialect::Value;

class Model {
public:
    explicit Model(const Program& p) : p_(p), cells_(p.variables.size()), pointers_(cells_.size()) {
        for (std::size_t i = 0; i < p.variables.size(); ++i) {
            if (p.variables[i].function < 0)
                setUp(static_cast<int>(i));
        }
    }

    FinalCells run() {
        call(static_cast<int>(p_.functions.size()) - 1, {});
        return cells_;
    }

private:
    // A variable as its declaration leaves it: its initialiser, or nothing stored yet.
    void setUp(int variable) {
        const Variable& v = p_.variables[variable];
        cells_[variable].assign(cellCount(p_, v), std::nullopt);
        for (std::size_t c = 0; c < v.initial.size(); ++c)
            cells_[variable][c] = v.initial[c];
        pointers_[variable] = v.initialPointer;
    }

    // A struct argument comes as its cells, a scalar one as its value.
    using Argument = std::variant<Value, std::vector<std::optional<std::int32_t>>>;

    std::optional<Value> call(int function, const std::vector<Argument>& arguments) {
        const Function& f = p_.functions[function];
        for (std::size_t i = 0; i < f.parameters.size(); ++i) {
            const int parameter = f.parameters[i];
            const auto* value = std::get_if<Value>(&arguments[i]);
            // A reduced program may pass a number for a struct.
            if ((p_.variables[parameter].storage == Storage::Struct) == (value != nullptr))
                throw Undefined{};
            if (value != nullptr)
                cells_[parameter] = {dialect::convert(*value, p_.variables[parameter].type).v};
            else
                cells_[parameter] = std::get<1>(arguments[i]);
        }
        for (int local : f.locals)
            setUp(local);
        const Flow flow = execute(f.body);
        if (f.structResult >= 0) {
            if (flow != Flow::Return || returnedStruct_ != f.structResult)
                throw Undefined{};
            structReturned_ = returnedCells_;
        }
        if (!f.result)
            return std::nullopt;
        if (flow != Flow::Return || !returned_)
            throw Undefined{};
        return dialect::convert(*returned_, *f.result);
    }

    Flow execute(const std::vector<Statement>& statements) {
        for (const Statement& s : statements) {
            const Flow flow = execute(s);
            if (flow != Flow::Normal)
                return flow;
        }
        return Flow::Normal;
    }

    Flow execute(const Statement& s) {
        if (--budget_ < 0)
            throw Undefined{};
        switch (s.kind) {
        case Statement::Kind::Assign: {
            if (p_.variables[s.place.variable].storage == Storage::Struct &&
                s.place.kind == Place::Kind::Variable) {
                storeWhole(s.place.variable, s.value[0]);
                return Flow::Normal;
            }
            const PointerValue cell = locate(s.place);
            store(cell, evaluate(s.value[0]));
            return Flow::Normal;
        }
        case Statement::Kind::Compound: {
            const PointerValue cell = locate(s.place);
            const Value old = load(cell);
            const auto result = dialect::binary(s.op, old, evaluate(s.value[0]));
            if (!result)
                throw Undefined{};
            store(cell, *result);
            return Flow::Normal;
        }
        case Statement::Kind::Evaluate:
            // A call statement may call a void function.
            if (s.value[0].kind == Expr::Kind::Call)
                callOf(s.value[0]);
            else
                evaluate(s.value[0]);
            return Flow::Normal;
        case Statement::Kind::If:
            return execute(truth(evaluate(s.value[0])) ? s.body : s.orElse);
        case Statement::Kind::For:
        case Statement::Kind::While:
        case Statement::Kind::DoWhile:
            return loop(s);
        case Statement::Kind::Switch:
            return select(s);
        case Statement::Kind::Break:
            return Flow::Break;
        case Statement::Kind::Continue:
            return Flow::Continue;
        case Statement::Kind::Return:
            returned_.reset();
            returnedStruct_ = -1;
            if (!s.value.empty() && readsWholeStruct(p_, s.value[0])) {
                returnedStruct_ = p_.variables[s.value[0].place.variable].structType;
                returnedCells_ = cells_[s.value[0].place.variable];
            } else if (!s.value.empty()) {
                returned_ = evaluate(s.value[0]);
            }
            return Flow::Return;
        case Statement::Kind::PointAt:
            pointers_[s.pointer] = locate(s.place);
            return Flow::Normal;
        case Statement::Kind::PointAtThrough:
            pointers_[pointedAtPointer(s.pointer)] = locate(s.place);
            return Flow::Normal;
        case Statement::Kind::FollowLink:
            pointers_[s.pointer] = pointers_[nextOf(pointers_[s.pointer])];
            return Flow::Normal;
        case Statement::Kind::MovePointer:
            // p++ steps as p = p + 1 does.
            pointers_[s.pointer] = moved(pointers_[s.pointer],
                                         s.amount * std::max(p_.variables[s.pointer].columns, 1));
            return Flow::Normal;
        }
        return Flow::Normal;
    }

    // The counter is stepped where the C text steps it: after the body of a for (continue
    // included), before the body of a while or do.
    Flow loop(const Statement& s) {
        const PointerValue counter{s.counter, 0};
        store(counter, Value{0, dialect::Literal});
        const bool stepFirst = s.kind != Statement::Kind::For;
        bool first = true;
        while ((first && s.kind == Statement::Kind::DoWhile) || load(counter).v < s.trips) {
            first = false;
            if (stepFirst)
                step(counter, true);
            const Flow flow = execute(s.body);
            if (flow == Flow::Break)
                break;
            if (flow == Flow::Return)
                return flow;
            if (!stepFirst)
                step(counter, true);
        }
        return Flow::Normal;
    }

    // The statements from the matching case (or default) on, until a break.
    Flow select(const Statement& s) {
        const Value v = evaluate(s.value[0]);
        std::size_t start = s.cases.size();
        for (std::size_t i = 0; i < s.cases.size() && start == s.cases.size(); ++i) {
            if (s.cases[i].value && *s.cases[i].value == v.v)
                start = i;
        }
        for (std::size_t i = 0; i < s.cases.size() && start == s.cases.size(); ++i) {
            if (!s.cases[i].value)
                start = i;
        }
        for (std::size_t i = start; i < s.cases.size(); ++i) {
            const Flow flow = execute(s.cases[i].body);
            if (flow == Flow::Break)
                return Flow::Normal;
            if (flow != Flow::Normal)
                return flow;
        }
        return Flow::Normal;
    }

    static bool truth(const Value& v) { return v.v != 0; }

    Value evaluate(const Expr& e) {
        switch (e.kind) {
        case Expr::Kind::Constant:
            return Value{e.constant, dialect::Literal};
        case Expr::Kind::Read:
            if (readsWholeStruct(p_, e))
                throw Undefined{}; // a struct is no scalar value
            return load(locate(e.place));
        case Expr::Kind::Unary:
            return dialect::unary(e.op, evaluate(e.operands[0]));
        case Expr::Kind::Binary:
            return binary(e);
        case Expr::Kind::Cast:
            return dialect::convert(evaluate(e.operands[0]), e.castTo);
        case Expr::Kind::Conditional: {
            const bool condition = truth(evaluate(e.operands[0]));
            return dialect::convert(evaluate(e.operands[condition ? 1 : 2]), dialect::SignedLong);
        }
        case Expr::Kind::Call: {
            const auto result = callOf(e);
            if (e.member >= 0)
                return returnedMember(e);
            if (!result)
                throw Undefined{};
            return *result;
        }
        case Expr::Kind::Step: {
            const PointerValue cell = locate(e.place);
            const Value old = load(cell);
            step(cell, e.increment);
            return e.prefix ? load(cell) : old;
        }
        case Expr::Kind::AddressTest: {
            const PointerValue held = pointers_[e.pointer];
            if (held.variable < 0)
                throw Undefined{}; // a pointer never set
            const bool same = held == locate(e.place);
            return dialect::truth(e.op == dialect::Op::Eq ? same : !same);
        }
        }
        throw Undefined{};
    }

    std::optional<Value> callOf(const Expr& e) {
        std::vector<Argument> arguments;
        for (const Expr& argument : e.operands) {
            if (readsWholeStruct(p_, argument))
                arguments.emplace_back(cells_[argument.place.variable]);
            else
                arguments.emplace_back(evaluate(argument));
        }
        return call(e.function, arguments);
    }

    // f().m: a member of the struct the call returned.
    Value returnedMember(const Expr& e) const {
        const int type = p_.functions[e.function].structResult;
        if (type < 0 || e.member >= static_cast<int>(structReturned_.size()) ||
            !structReturned_[e.member])
            throw Undefined{};
        return Value{*structReturned_[e.member], p_.structs[type].members[e.member].type};
    }

    // s = f(): the struct f returns, copied whole.
    void storeWhole(int variable, const Expr& value) {
        if (value.kind != Expr::Kind::Call || value.member >= 0 ||
            p_.functions[value.function].structResult != p_.variables[variable].structType)
            throw Undefined{};
        callOf(value);
        cells_[variable] = structReturned_;
    }

    // && and || evaluate their right operand only when it decides the value.
    Value binary(const Expr& e) {
        const Value a = evaluate(e.operands[0]);
        if (e.op == dialect::Op::LogicalAnd && !truth(a))
            return dialect::truth(false);
        if (e.op == dialect::Op::LogicalOr && truth(a))
            return dialect::truth(true);
        const auto result = dialect::binary(e.op, a, evaluate(e.operands[1]));
        if (!result)
            throw Undefined{};
        return *result;
    }

    void step(const PointerValue& cell, bool increment) {
        const Value old = load(cell);
        store(cell, Value{old.v + (increment ? 1 : -1), old.type});
    }

    // The cell a place names; a pointer's target must lie inside its object.
    PointerValue locate(const Place& place) {
        switch (place.kind) {
        case Place::Kind::Variable:
            return {place.variable, 0};
        case Place::Kind::Element: {
            // a[r][c] is cell r * columns + c; the row a[r] starts at cell r * columns.
            const int columns = p_.variables[place.variable].columns;
            int cell = evaluate(place.index[0]).v * std::max(columns, 1);
            if (place.index.size() == 2)
                cell += evaluate(place.index[1]).v;
            return inside({place.variable, cell});
        }
        case Place::Kind::Member:
            return {place.variable, place.member};
        case Place::Kind::Pointee:
            if (place.form == Place::Form::Chosen)
                return inside(
                    pointers_[evaluate(place.index[0]).v != 0 ? place.variable : place.member]);
            return pointee(pointers_[place.variable], place);
        case Place::Kind::PointeePointee: {
            // Through each pointer to pointers down to the pointer: ***ppp reads ppp and pp.
            int pointer = pointedAtPointer(place.variable);
            while (p_.variables[pointer].storage == Storage::PointerPointer)
                pointer = pointedAtPointer(pointer);
            return pointee(pointers_[pointer], place);
        }
        case Place::Kind::Arrow: {
            PointerValue node = pointers_[place.variable];
            for (int hop = 0; hop < place.hops; ++hop)
                node = pointers_[nextOf(node)];
            return inside({node.variable, place.member});
        }
        case Place::Kind::PointeeStep: {
            const PointerValue at = inside(pointers_[place.variable]);
            pointers_[place.variable] = moved(at, 1);
            return at;
        }
        }
        throw Undefined{};
    }

    // The target of a pointer holding `at`, moved by the place's offset (through a pointer
    // to rows: by its rows and columns).
    PointerValue pointee(const PointerValue& at, const Place& place) {
        int offset = place.index.empty() ? 0 : evaluate(place.index[0]).v;
        const int columns = p_.variables[place.variable].columns;
        if (place.kind == Place::Kind::Pointee && columns > 0 && place.index.size() == 2)
            offset = offset * columns + evaluate(place.index[1]).v;
        return inside(offset == 0 ? at : moved(at, offset));
    }

    // The pointer (to pointers) a pointer to pointers points at.
    int pointedAtPointer(int pointer) const {
        const int at = pointers_[pointer].variable;
        if (at < 0 || !holdsAddress(p_.variables[at]))
            throw Undefined{};
        return at;
    }

    // The next member of the list node a pointer holds.
    int nextOf(const PointerValue& node) const {
        if (node.variable < 0)
            throw Undefined{}; // a next never set
        const std::vector<int> next = pointerMembersOf(p_.variables, node.variable);
        if (next.size() != 1 || !pointsAtStructs(p_.variables[next[0]]))
            throw Undefined{};
        return next[0];
    }

    PointerValue inside(const PointerValue& at) const {
        if (at.variable < 0 || at.cell < 0 || at.cell >= cellCount(p_, p_.variables[at.variable]))
            throw Undefined{};
        return at;
    }

    // Only a pointer into an array moves, and at most to one past its end.
    PointerValue moved(const PointerValue& at, int amount) const {
        if (at.variable < 0 || p_.variables[at.variable].storage != Storage::Array)
            throw Undefined{};
        const PointerValue to{at.variable, at.cell + amount};
        if (to.cell < 0 || to.cell > p_.variables[at.variable].length)
            throw Undefined{};
        return to;
    }

    // A bit-field's value is promoted to an int, signed: every value fits one.
    Value load(const PointerValue& cell) const {
        const auto& v = cells_[cell.variable][cell.cell];
        if (!v)
            throw Undefined{};
        const bool field = cellBits(p_, cell.variable, cell.cell) > 0;
        return Value{*v, field ? dialect::SignedChar : cellType(p_, cell.variable, cell.cell)};
    }

    void store(const PointerValue& cell, const Value& v) {
        const Type type = cellType(p_, cell.variable, cell.cell);
        const int bits = cellBits(p_, cell.variable, cell.cell);
        const std::int32_t stored = dialect::convert(v, type).v;
        cells_[cell.variable][cell.cell] = bits > 0 ? fieldValue(stored, bits, type) : stored;
    }

    const Program& p_;
    FinalCells cells_;
    std::vector<PointerValue> pointers_;
    std::optional<Value> returned_;
    // What the last struct return statement returned, and the last call of a function
    // returning a struct.
    int returnedStruct_ = -1;
    std::vector<std::optional<std::int32_t>> returnedCells_, structReturned_;
    long budget_ = 100'000;
};

} // namespace

std::optional<FinalCells> modelRun(const Program& p) {
    try {
        return Model(p).run();
    } catch (const Undefined&) {
        return std::nullopt;
    }
}

} // namespace kavo::testing::program
