// The generator of random programs. Every construct it writes has a defined result in the
// dialect: indexes are masked or bounded by the loop around them, divisors are odd or
// non-zero constants, shift counts lie in 0 to 15, loops run a fixed number of times and
// operands that C leaves unsequenced never touch the same variable. What it cannot bound
// (where a moved pointer ends up) the model checks; the caller throws such a program away.

#include "tests/support/random_program.hpp"
#include "tests/support/random_program_effects.hpp"

#include <algorithm>
#include <random>

namespace kavo::testing::program {
namespace {

using dialect::Op;

constexpr Type AllTypes[] = {dialect::SignedChar, dialect::UnsignedChar, dialect::SignedLong,
                             dialect::UnsignedLong};

int typeIndex(const Type& t) {
    return (t.bits == 16 ? 2 : 0) + (t.isUnsigned ? 1 : 0);
}

int bytesOf(const Type& t) {
    return t.bits / 8;
}

// The largest power of two not above n, less one: a mask keeping an index below n.
int maskBelow(int n) {
    int mask = 1;
    while (mask * 2 <= n)
        mask *= 2;
    return mask - 1;
}

class Generator {
public:
    Generator(std::uint32_t seed, const Features& features, sxsim::DeviceKind device)
        : random_(seed), f_(features), sx52_(device == sxsim::DeviceKind::SX52), effects_(p_) {}

    Program program() {
        globals();
        const int functions = f_.calls ? 2 + pick(3) : 0;
        for (int i = 0; i < functions; ++i)
            function("f" + std::to_string(i), 3 + pick(4), true);
        function("main", 10 + pick(8), false);
        return std::move(p_);
    }

private:
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random_) < p; }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    template <typename T> T any(const std::vector<T>& v) {
        return v[pick(static_cast<int>(v.size()))];
    }
    Type anyType() { return AllTypes[pick(4)]; }

    // ---- Types and values ----

    // Plain char is signed; a pointer's target is never spelled char (a char pointer reads
    // program memory).
    std::string spelling(const Type& t, bool pointee = false) {
        static const std::vector<std::string> words[4] = {
            {"char", "int", "short", "signed char", "signed"},
            {"unsigned char", "unsigned int", "unsigned", "unsigned short", "char unsigned",
             "int unsigned"},
            {"long", "signed long", "long signed"},
            {"unsigned long", "long unsigned"}};
        static const std::vector<std::string> pointeeWords[4] = {
            {"int", "short", "signed"},
            {"unsigned int", "unsigned", "unsigned short"},
            words[2],
            words[3]};
        const auto& choices = (pointee ? pointeeWords : words)[typeIndex(t)];
        return f_.typeSpellings ? any(choices) : choices[0];
    }

    std::int32_t value(const Type& t) {
        static constexpr std::int32_t edges[] = {0,      1,     2,     -1,   -2,  127,  128,
                                                 255,    256,   -128,  -129, 300, 1000, 32767,
                                                 -32768, 32768, 65535, 7,    44,  100};
        const std::int32_t raw =
            chance(0.5) ? edges[pick(std::size(edges))] : static_cast<std::int32_t>(random_());
        return dialect::normalize(raw, t);
    }

    std::int32_t constant() {
        const int kind = pick(10);
        if (kind < 5)
            return pick(10);
        if (kind < 8)
            return pick(384) - 128;
        return static_cast<std::int32_t>(random_() % 98304) - 32768;
    }

    Expr constantExpr(std::int32_t v) {
        Expr e;
        e.constant = v;
        return e;
    }

    // ---- Variables ----

    int add(Variable v) {
        p_.variables.push_back(std::move(v));
        const int id = static_cast<int>(p_.variables.size()) - 1;
        if (current_ >= 0)
            visible_.push_back(id);
        return id;
    }

    Variable scalar(const std::string& name, const Type& t) {
        Variable v;
        v.name = name;
        v.type = t;
        v.spelling = spelling(t);
        v.initial = {value(t)};
        return v;
    }

    std::string globalName(char prefix) { return prefix + std::to_string(p_.variables.size()); }

    void globals() {
        const int budget = !f_.manyGlobals ? 12 : !sx52_ ? 28 : f_.upperBanks ? 140 : 32;
        int bytes = 0;
        for (const Type& t : AllTypes) {
            for (int i = 0; i < 2; ++i)
                bytes += addScalar(t);
        }
        if (f_.structs)
            bytes += structs();
        while (bytes < budget) {
            const int kind = pick(4);
            if (kind == 0 && f_.byteArrays)
                bytes += addArray(AllTypes[pick(2)]);
            else if (kind == 1 && f_.wordArrays)
                bytes += addArray(AllTypes[2 + pick(2)]);
            else
                bytes += addScalar(anyType());
        }
        if (f_.byteArrays)
            addArray(AllTypes[pick(2)]);
        if (f_.wordArrays)
            addArray(AllTypes[2 + pick(2)]);
        if (f_.fixedAddresses)
            fixedGlobals();
        if (f_.pointers) {
            for (int i = 0; i < 3; ++i)
                addPointer(anyType());
        }
    }

    int addScalar(const Type& t) {
        add(scalar(globalName('g'), t));
        return bytesOf(t);
    }

    int addArray(const Type& t) {
        static constexpr int lengths[] = {2, 3, 4, 4, 5, 8};
        Variable v = scalar(globalName('a'), t);
        v.storage = Storage::Array;
        v.length = lengths[pick(std::size(lengths))];
        if (t.bits == 16)
            v.length = std::min(v.length, 8);
        v.initial.clear();
        for (int i = 0; i < v.length; ++i)
            v.initial.push_back(value(t));
        add(std::move(v));
        return v.length * bytesOf(t);
    }

    int structs() {
        int bytes = 0;
        for (int s = 0; s < 2; ++s) {
            StructType type{"T" + std::to_string(s), {}};
            const int members = 2 + pick(3);
            for (int m = 0; m < members; ++m) {
                const Type t = anyType();
                type.members.push_back({"m" + std::to_string(m), t, spelling(t)});
            }
            p_.structs.push_back(type);
            for (int n = 1 + pick(2); n > 0; --n) {
                Variable v;
                v.name = globalName('s');
                v.storage = Storage::Struct;
                v.structType = s;
                for (const Member& m : type.members) {
                    v.initial.push_back(value(m.type));
                    bytes += bytesOf(m.type);
                }
                add(std::move(v));
            }
        }
        return bytes;
    }

    // A global at the end of every bank above the first, 8 and 16 bits in turn, given its
    // value by main's first statements (the @ form takes no initialiser).
    void fixedGlobals() {
        for (int bank = 1; bank < (sx52_ && f_.upperBanks ? 16 : 8); ++bank) {
            const bool wide = bank % 2 == 0;
            Variable v = scalar(globalName('g'), AllTypes[(wide ? 2 : 0) + pick(2)]);
            v.fixedAddress = bank * 32 + (wide ? 0x1E : 0x1F);
            v.initial.clear();
            add(std::move(v));
        }
    }

    // The cells of type t a pointer may point at.
    std::vector<int> pointeesOf(const Type& t) const {
        std::vector<int> found;
        for (std::size_t i = 0; i < p_.variables.size(); ++i) {
            const Variable& v = p_.variables[i];
            if (v.function >= 0 || v.storage == Storage::Pointer)
                continue;
            for (int c = 0; c < cellCount(p_, v); ++c) {
                if (cellType(p_, static_cast<int>(i), c) == t) {
                    found.push_back(static_cast<int>(i));
                    break;
                }
            }
        }
        return found;
    }

    // A pointer either walks one array (indexed, moved) or points at one of a few cells.
    int addPointer(const Type& t) {
        std::vector<int> candidates = pointeesOf(t);
        if (candidates.empty())
            return -1;
        Variable v;
        v.name = (current_ < 0 ? "p" : "q") + std::to_string(p_.variables.size());
        v.storage = Storage::Pointer;
        v.type = t;
        v.spelling = spelling(t, true);
        v.function = current_;
        std::vector<int> arrays;
        for (int c : candidates) {
            if (p_.variables[c].storage == Storage::Array && p_.variables[c].length >= 2)
                arrays.push_back(c);
        }
        if (f_.pointerIndexing && !arrays.empty() && chance(0.5)) {
            v.walksArray = true;
            v.pointees = {any(arrays)};
        } else {
            std::shuffle(candidates.begin(), candidates.end(), random_);
            candidates.resize(std::min<std::size_t>(candidates.size(), 1 + pick(3)));
            v.pointees = candidates;
        }
        v.initialPointer = {v.pointees[0], firstCell(v.pointees[0], t)};
        return add(std::move(v));
    }

    int firstCell(int variable, const Type& t) const {
        for (int c = 0;; ++c) {
            if (cellType(p_, variable, c) == t)
                return c;
        }
    }

    // ---- Functions ----

    void function(const std::string& name, int statements, bool withResult) {
        Function f;
        f.name = name;
        if (withResult && chance(0.75)) {
            f.result = anyType();
            f.resultSpelling = spelling(*f.result);
        }
        p_.functions.push_back(f);
        current_ = static_cast<int>(p_.functions.size()) - 1;
        visible_.clear();
        for (std::size_t i = 0; i < p_.variables.size(); ++i) {
            if (p_.variables[i].function < 0)
                visible_.push_back(static_cast<int>(i));
        }
        for (int i = withResult ? pick(4) : 0; i > 0; --i) {
            Variable v = scalar("x" + std::to_string(p_.variables.size()), anyType());
            v.initial.clear();
            v.function = current_;
            v.parameter = true;
            p_.functions[current_].parameters.push_back(add(std::move(v)));
        }
        for (int i = 1 + pick(3); i > 0; --i) {
            Variable v = scalar("v" + std::to_string(p_.variables.size()), anyType());
            v.function = current_;
            p_.functions[current_].locals.push_back(add(std::move(v)));
        }
        if (f_.pointers && chance(0.4)) {
            const int pointer = addPointer(anyType());
            if (pointer >= 0)
                p_.functions[current_].locals.push_back(pointer);
        }
        counters_.clear();
        remaining_ = statements;
        std::vector<Statement> body;
        if (!withResult)
            body = fixedStarts();
        while (remaining_ > 0)
            body.push_back(statement(0));
        if (p_.functions[current_].result)
            body.push_back(returnStatement());
        p_.functions[current_].body = std::move(body);
        effects_.record(current_, p_.functions[current_].body);
    }

    std::vector<Statement> fixedStarts() {
        std::vector<Statement> starts;
        for (std::size_t i = 0; i < p_.variables.size(); ++i) {
            const Variable& v = p_.variables[i];
            if (v.fixedAddress < 0)
                continue;
            Statement s;
            s.kind = Statement::Kind::Assign;
            s.place.variable = static_cast<int>(i);
            s.value = {constantExpr(value(v.type))};
            starts.push_back(std::move(s));
        }
        return starts;
    }

    Statement returnStatement() {
        Statement s;
        s.kind = Statement::Kind::Return;
        if (p_.functions[current_].result)
            s.value = {expression(2, true)};
        return s;
    }

    // The counter of the loop at this nesting depth, declared on first use.
    int counter(int nesting) {
        while (static_cast<int>(counters_.size()) <= nesting) {
            Variable v;
            v.name = "k" + std::to_string(p_.variables.size());
            v.type = AllTypes[pick(2)];
            v.spelling = spelling(v.type);
            v.function = current_;
            v.counter = true;
            const int id = add(std::move(v));
            p_.functions[current_].locals.push_back(id);
            counters_.push_back(id);
        }
        return counters_[nesting];
    }

    // ---- Statements ----

    std::vector<Statement> statements(int count, int depth) {
        std::vector<Statement> list;
        for (int i = 0; i < count && remaining_ > 0; ++i)
            list.push_back(statement(depth));
        return list;
    }

    Statement statement(int depth) {
        --remaining_;
        const bool nested = depth < 3;
        for (;;) {
            switch (pick(16)) {
            case 0:
            case 1:
                if (f_.compoundAssignments)
                    return compound();
                break;
            case 2:
                return stepStatement();
            case 3:
                if (f_.calls && current_ > 0)
                    return callStatement();
                break;
            case 4:
            case 5:
                if (nested)
                    return ifStatement(depth);
                break;
            case 6:
                if (f_.loops && nested && loops_.size() < 2)
                    return loop(depth);
                break;
            case 7:
                if (f_.switches && nested)
                    return switchStatement(depth);
                break;
            case 8:
                if (f_.pointers && !pointers().empty())
                    return pointAt();
                break;
            case 9:
                if (f_.pointerIndexing && !walkingPointers().empty() && chance(0.3))
                    return movePointer();
                break;
            case 10:
                if (nested && isFunctionBody() && chance(0.3))
                    return earlyReturn();
                break;
            default:
                return assignment();
            }
        }
    }

    bool isFunctionBody() const { return p_.functions[current_].name != "main"; }

    Statement assignment() {
        Statement s;
        s.kind = Statement::Kind::Assign;
        s.place = place(true, true);
        s.value = {valueFor(
            s.place, [&] { return expression(1 + pick(3), true); }, true)};
        return s;
    }

    // A value for a store into the place, regenerated (then a constant) while it would touch
    // what the store touches unsequenced.
    template <typename Make> Expr valueFor(const Place& target, Make make, bool readsAllowed) {
        const Effects address = effects_.address(target);
        const std::set<int> targets = effects_.targets(target);
        for (int attempt = 0; attempt < 4; ++attempt) {
            Expr value = make();
            const Effects fx = effects_.of(value);
            bool clash = address.conflictsWith(fx) || fx.writesAny(targets);
            for (int v : targets)
                clash = clash || (!readsAllowed && fx.reads.count(v) != 0);
            if (!clash)
                return value;
        }
        return constantExpr(pick(5) + 1);
    }

    Statement compound() {
        Statement s;
        s.kind = Statement::Kind::Compound;
        s.place = place(true, true);
        std::vector<Op> ops = {Op::Add, Op::Sub, Op::And, Op::Or, Op::Xor};
        // The dialect refuses * / % << >> assignments on a 16-bit value found through an
        // index or a pointer.
        const bool indirect16 = cellTypeOf(s.place).bits == 16 &&
                                s.place.kind != Place::Kind::Variable &&
                                s.place.kind != Place::Kind::Member;
        if (f_.runtimeOperations && !indirect16)
            ops.insert(ops.end(), {Op::Mul, Op::Div, Op::Mod, Op::Shl, Op::Shr});
        s.op = any(ops);
        s.value = {valueFor(
            s.place,
            [&] {
                if (s.op == Op::Shl || s.op == Op::Shr)
                    return shiftCount(1, true);
                if (s.op == Op::Div || s.op == Op::Mod)
                    return divisor(1, true);
                if (f_.aliasing && chance(0.4))
                    return alias(s.place);
                return expression(1 + pick(2), true);
            },
            f_.aliasing)};
        return s;
    }

    // A value reading the target itself or another element of its array: x += x, a[i] -= a[j].
    Expr alias(const Place& target) {
        Expr e;
        e.kind = Expr::Kind::Read;
        e.place = target;
        if (target.kind == Place::Kind::Element)
            e.place.index = {index(p_.variables[target.variable].length, false)};
        if (target.kind == Place::Kind::PointeeStep) {
            e.place.kind = Place::Kind::Pointee;
            e.place.form = Place::Form::Star;
        }
        if (target.kind == Place::Kind::Pointee && !target.index.empty())
            e.place.index = {pointerOffset(target.variable, false)};
        if (!chance(0.5))
            return e;
        Expr sum;
        sum.kind = Expr::Kind::Binary;
        sum.op = chance(0.5) ? Op::Add : Op::Xor;
        sum.operands = {e, expression(1, false)};
        return sum;
    }

    Statement stepStatement() {
        Statement s;
        s.kind = Statement::Kind::Evaluate;
        s.value = {step(place(true, true))};
        return s;
    }

    Statement callStatement() {
        Statement s;
        s.kind = Statement::Kind::Evaluate;
        s.value = {call(pick(current_), 2)};
        return s;
    }

    Statement ifStatement(int depth) {
        Statement s;
        s.kind = Statement::Kind::If;
        s.value = {condition(true)};
        s.body = statements(1 + pick(3), depth + 1);
        if (chance(0.3) && remaining_ > 0)
            s.orElse = {ifStatement(depth)};
        else if (chance(0.5))
            s.orElse = statements(1 + pick(2), depth + 1);
        return s;
    }

    Expr condition(bool effects) {
        if (chance(0.5))
            return expression(2, effects);
        Expr e;
        e.kind = Expr::Kind::Binary;
        static constexpr Op relations[] = {Op::Eq, Op::Ne, Op::Lt, Op::Gt, Op::Le, Op::Ge};
        e.op = relations[pick(6)];
        e.operands = {expression(1, effects), expression(1, false)};
        if (effects_.of(e.operands[0]).conflictsWith(effects_.of(e.operands[1])))
            e.operands[1] = constantExpr(constant());
        return e;
    }

    Statement loop(int depth) {
        static constexpr Statement::Kind kinds[] = {Statement::Kind::For, Statement::Kind::While,
                                                    Statement::Kind::DoWhile};
        Statement s;
        s.kind = kinds[pick(3)];
        s.counter = counter(static_cast<int>(loops_.size()));
        s.trips = 1 + pick(4);
        loops_.push_back({s.counter, s.trips});
        s.body = statements(1 + pick(3), depth + 1);
        if (chance(0.5)) {
            Statement exit;
            exit.kind = Statement::Kind::If;
            exit.value = {condition(false)};
            Statement jump;
            jump.kind = chance(0.5) ? Statement::Kind::Break : Statement::Kind::Continue;
            exit.body = {jump};
            s.body.insert(s.body.begin() + pick(static_cast<int>(s.body.size()) + 1), exit);
        }
        loops_.pop_back();
        return s;
    }

    Statement switchStatement(int depth) {
        Statement s;
        s.kind = Statement::Kind::Switch;
        Expr value = expression(2, true);
        if (shape(value).type.literal) {
            value = Expr{};
            value.kind = Expr::Kind::Read;
            value.place = place(false, false);
        }
        const Type t = shape(value).type;
        s.value = {value};
        std::vector<std::int32_t> labels;
        for (int n = 2 + pick(3); n > 0; --n) {
            const std::int32_t label = caseLabel(t);
            if (std::find(labels.begin(), labels.end(), label) == labels.end())
                labels.push_back(label);
        }
        const int defaultAt = chance(0.6) ? pick(static_cast<int>(labels.size()) + 1) : -1;
        for (std::size_t i = 0; i <= labels.size(); ++i) {
            if (static_cast<int>(i) == defaultAt)
                s.cases.push_back(switchCase(std::nullopt, depth));
            if (i < labels.size())
                s.cases.push_back(switchCase(labels[i], depth));
        }
        return s;
    }

    // Labels where the values gather: small numbers and the edges of the type.
    std::int32_t caseLabel(const Type& t) {
        static constexpr std::int32_t labels[] = {
            0, 1, 2, 3, -1, 127, -128, 255, 128, 300, 256, -300, 1000, 65535, 32767, -32768, 44};
        for (;;) {
            const std::int32_t label = labels[pick(std::size(labels))];
            if (dialect::fits(label, t))
                return label;
        }
    }

    Case switchCase(std::optional<std::int32_t> label, int depth) {
        Case c{label, statements(1 + pick(2), depth + 1)};
        const int end = pick(10);
        Statement jump;
        jump.kind = Statement::Kind::Break;
        if (end < 7)
            c.body.push_back(jump);
        else if (end == 9 && !loops_.empty()) {
            jump.kind = Statement::Kind::Continue;
            c.body.push_back(jump);
        }
        return c;
    }

    Statement earlyReturn() {
        Statement s;
        s.kind = Statement::Kind::If;
        s.value = {condition(true)};
        s.body = {returnStatement()};
        return s;
    }

    std::vector<int> pointers() const {
        std::vector<int> found;
        for (int v : visible_) {
            if (p_.variables[v].storage == Storage::Pointer)
                found.push_back(v);
        }
        return found;
    }

    std::vector<int> walkingPointers() const {
        std::vector<int> found;
        for (int v : pointers()) {
            if (p_.variables[v].walksArray)
                found.push_back(v);
        }
        return found;
    }

    // p = &g, &a[k], &s.m; a walking pointer to an element of its first half.
    Statement pointAt() {
        Statement s;
        s.kind = Statement::Kind::PointAt;
        s.pointer = any(pointers());
        const Variable& pointer = p_.variables[s.pointer];
        const int target = any(pointer.pointees);
        const Variable& v = p_.variables[target];
        s.place.variable = target;
        if (v.storage == Storage::Array) {
            s.place.kind = Place::Kind::Element;
            const int bound = pointer.walksArray ? std::max(1, v.length / 2) : v.length;
            s.place.index = {index(bound, false)};
        } else if (v.storage == Storage::Struct) {
            s.place.kind = Place::Kind::Member;
            std::vector<int> members;
            for (int c = 0; c < cellCount(p_, v); ++c) {
                if (cellType(p_, target, c) == pointer.type)
                    members.push_back(c);
            }
            s.place.member = any(members);
        }
        return s;
    }

    Statement movePointer() {
        Statement s;
        s.kind = Statement::Kind::MovePointer;
        s.pointer = any(walkingPointers());
        s.amount = 1;
        return s;
    }

    // ---- Places ----

    Type cellTypeOf(const Place& at) const {
        const Variable& v = p_.variables[at.variable];
        if (v.storage == Storage::Pointer)
            return v.type;
        return cellType(p_, at.variable, at.kind == Place::Kind::Member ? at.member : 0);
    }

    Place place(bool forWriting, bool effects) {
        std::vector<int> scalars, arrays, structs, pointers;
        for (int v : visible_) {
            const Variable& variable = p_.variables[v];
            if (variable.storage == Storage::Scalar &&
                (!variable.counter || readsCounter(v, forWriting)))
                scalars.push_back(v);
            if (variable.storage == Storage::Array)
                arrays.push_back(v);
            if (variable.storage == Storage::Struct)
                structs.push_back(v);
            if (variable.storage == Storage::Pointer)
                pointers.push_back(v);
        }
        for (;;) {
            const int kind = pick(10);
            Place at;
            if (kind < 2 && !arrays.empty()) {
                at.kind = Place::Kind::Element;
                at.variable = any(arrays);
                at.index = {index(p_.variables[at.variable].length, effects)};
                return at;
            }
            if (kind == 2 && !structs.empty()) {
                at.kind = Place::Kind::Member;
                at.variable = any(structs);
                at.member = pick(cellCount(p_, p_.variables[at.variable]));
                return at;
            }
            if (kind == 3 && !pointers.empty())
                return pointee(any(pointers), effects);
            if (kind > 3) {
                at.variable = any(scalars);
                return at;
            }
        }
    }

    // A counter is read only inside its loop, and never stored into.
    bool readsCounter(int counter, bool forWriting) const {
        return !forWriting && std::any_of(loops_.begin(), loops_.end(),
                                          [&](const auto& loop) { return loop.first == counter; });
    }

    // *p; through a walking pointer also p[i], *(p + k) and *p++.
    Place pointee(int pointer, bool effects) {
        Place at;
        at.kind = Place::Kind::Pointee;
        at.variable = pointer;
        if (!p_.variables[pointer].walksArray)
            return at;
        const int form = pick(4);
        if (form == 1) {
            at.form = Place::Form::Subscript;
            at.index = {pointerOffset(pointer, effects)};
        } else if (form == 2) {
            at.form = Place::Form::Sum;
            at.index = {pointerOffset(pointer, false)};
        } else if (form == 3 && effects && chance(0.3)) {
            at.kind = Place::Kind::PointeeStep;
        }
        return at;
    }

    // An offset that keeps a pointer set into the first half of its array inside it.
    Expr pointerOffset(int pointer, bool effects) {
        const int length = p_.variables[p_.variables[pointer].pointees[0]].length;
        return index(length - std::max(1, length / 2) + 1, effects);
    }

    // An index below the bound: a constant, the counter of a loop around that stays below
    // it, or an expression masked below it.
    Expr index(int bound, bool effects) {
        const int kind = pick(3);
        if (kind == 0 || bound == 1)
            return constantExpr(pick(bound));
        if (kind == 1) {
            for (const auto& [counter, trips] : loops_) {
                if (trips <= bound) {
                    Expr e;
                    e.kind = Expr::Kind::Read;
                    e.place.variable = counter;
                    return e;
                }
            }
        }
        Expr masked;
        masked.kind = Expr::Kind::Binary;
        masked.op = Op::And;
        masked.operands = {expression(1, effects), constantExpr(maskBelow(bound))};
        return masked;
    }

    // ---- Expressions ----

    Expr expression(int depth, bool effects) {
        if (depth <= 0 || chance(0.25))
            return leaf();
        for (;;) {
            const int kind = pick(20);
            if (kind < 3)
                return unary(depth, effects);
            if (kind == 3 && f_.casts)
                return cast(depth, effects);
            if (kind == 4 && f_.conditionals)
                return conditional(depth, effects);
            if (kind == 5 && effects && !callable().empty())
                return call(any(callable()), depth);
            if (kind == 6 && f_.steps && effects)
                return step(place(true, true));
            if (kind > 6)
                return binary(depth, effects);
        }
    }

    Expr leaf() {
        if (chance(0.3))
            return constantExpr(constant());
        Expr e;
        e.kind = Expr::Kind::Read;
        e.place = place(false, false);
        return e;
    }

    Expr unary(int depth, bool effects) {
        static constexpr Op ops[] = {Op::Neg, Op::Complement, Op::Not};
        Expr e;
        e.kind = Expr::Kind::Unary;
        e.op = ops[pick(3)];
        e.operands = {expression(depth - 1, effects)};
        return e;
    }

    Expr cast(int depth, bool effects) {
        Expr e;
        e.kind = Expr::Kind::Cast;
        e.castTo = anyType();
        e.spelling = spelling(e.castTo);
        e.operands = {expression(depth - 1, effects)};
        return e;
    }

    Expr conditional(int depth, bool effects) {
        Expr e;
        e.kind = Expr::Kind::Conditional;
        for (int i = 0; i < 3; ++i)
            e.operands.push_back(expression(depth - 1, effects));
        return e;
    }

    // Functions whose value an expression may use: none inside an argument when calls do
    // not nest.
    std::vector<int> callable() const {
        std::vector<int> found;
        for (int f = 0; f < current_ && callsBlocked_ == 0; ++f) {
            if (p_.functions[f].result)
                found.push_back(f);
        }
        return found;
    }

    // Arguments that would touch what another one touches become constants.
    Expr call(int function, int depth) {
        Expr e;
        e.kind = Expr::Kind::Call;
        e.function = function;
        Effects earlier;
        callsBlocked_ += f_.nestedCalls ? 0 : 1;
        for (std::size_t i = 0; i < p_.functions[function].parameters.size(); ++i) {
            Expr argument = chance(0.3) && !callable().empty() ? call(any(callable()), depth - 1)
                                                               : expression(depth - 1, true);
            const Effects fx = effects_.of(argument);
            if (fx.conflictsWith(earlier))
                argument = constantExpr(constant());
            else
                earlier.add(fx);
            e.operands.push_back(std::move(argument));
        }
        callsBlocked_ -= f_.nestedCalls ? 0 : 1;
        return e;
    }

    Expr step(const Place& at) {
        Expr e;
        e.kind = Expr::Kind::Step;
        e.place = at;
        e.increment = chance(0.5);
        // x++ on *p would read as (*p)++, which the dialect refuses.
        const bool star = at.kind == Place::Kind::PointeeStep ||
                          (at.kind == Place::Kind::Pointee && at.form != Place::Form::Subscript);
        e.prefix = star || chance(0.5);
        if (at.kind == Place::Kind::PointeeStep) {
            e.place.kind = Place::Kind::Pointee;
            e.place.form = Place::Form::Star;
        }
        return e;
    }

    Expr binary(int depth, bool effects) {
        std::vector<Op> ops = {Op::Add, Op::Sub,        Op::And,      Op::Or, Op::Xor,
                               Op::Eq,  Op::Ne,         Op::Lt,       Op::Gt, Op::Le,
                               Op::Ge,  Op::LogicalAnd, Op::LogicalOr};
        if (f_.runtimeOperations)
            ops.insert(ops.end(), {Op::Mul, Op::Div, Op::Mod, Op::Shl, Op::Shr});
        Expr e;
        e.kind = Expr::Kind::Binary;
        e.op = any(ops);
        e.operands = {expression(depth - 1, effects)};
        if (e.op == Op::LogicalAnd || e.op == Op::LogicalOr) {
            // The right operand is sequenced after the left one.
            const bool sideEffects = f_.shortCircuit && effects;
            e.operands.push_back(sideEffects && chance(0.6) ? sideEffect(depth - 1)
                                                            : expression(depth - 1, false));
            return e;
        }
        Expr right = e.op == Op::Shl || e.op == Op::Shr   ? shiftCount(depth - 1, effects)
                     : e.op == Op::Div || e.op == Op::Mod ? divisor(depth - 1, effects)
                                                          : expression(depth - 1, effects);
        if (effects_.of(e.operands[0]).conflictsWith(effects_.of(right)))
            right = constantExpr(1 + pick(9));
        e.operands.push_back(std::move(right));
        return e;
    }

    // A step or a call: what && and || may leave undone.
    Expr sideEffect(int depth) {
        if (!callable().empty() && (chance(0.5) || !f_.steps))
            return call(any(callable()), depth);
        if (f_.steps)
            return step(place(true, false));
        return expression(depth, false);
    }

    // A count in 0 to 15: a constant, or an expression masked with 15.
    Expr shiftCount(int depth, bool effects) {
        if (chance(0.5))
            return constantExpr(pick(16));
        Expr masked;
        masked.kind = Expr::Kind::Binary;
        masked.op = Op::And;
        masked.operands = {expression(depth, effects), constantExpr(15)};
        return masked;
    }

    // Never zero: a non-zero constant, or an expression with its lowest bit set.
    Expr divisor(int depth, bool effects) {
        if (chance(0.4)) {
            const std::int32_t c = constant();
            return constantExpr(c == 0 ? 3 : c);
        }
        Expr odd;
        odd.kind = Expr::Kind::Binary;
        odd.op = Op::Or;
        odd.operands = {expression(depth, effects), constantExpr(1)};
        return odd;
    }

    // The type an expression has (and its value when it is a literal), with 1 standing for
    // anything not known before the run.
    dialect::Value shape(const Expr& e) const {
        switch (e.kind) {
        case Expr::Kind::Constant:
            return {e.constant, dialect::Literal};
        case Expr::Kind::Read:
        case Expr::Kind::Step:
            return {1, cellTypeOf(e.place)};
        case Expr::Kind::Unary:
            return dialect::unary(e.op, shape(e.operands[0]));
        case Expr::Kind::Cast:
            return dialect::convert(shape(e.operands[0]), e.castTo);
        case Expr::Kind::Conditional:
            return {1, dialect::SignedLong};
        case Expr::Kind::Call:
            return {1, *p_.functions[e.function].result};
        case Expr::Kind::Binary: {
            const auto v = dialect::binary(e.op, shape(e.operands[0]), shape(e.operands[1]));
            return v ? *v : dialect::Value{1, dialect::SignedLong};
        }
        }
        return {1, dialect::SignedLong};
    }

    std::mt19937 random_;
    Features f_;
    bool sx52_;
    Program p_;
    EffectTable effects_;
    int current_ = -1;                       // the function being built
    std::vector<int> visible_;               // the variables it may use
    std::vector<int> counters_;              // its loop counters, by nesting depth
    std::vector<std::pair<int, int>> loops_; // counter and trips of the loops around
    int remaining_ = 0;                      // statements still to generate
    int callsBlocked_ = 0;                   // inside an argument, calls do not nest
};

} // namespace

Program generateProgram(std::uint32_t seed, const Features& features, sxsim::DeviceKind device) {
    return Generator(seed, features, device).program();
}

} // namespace kavo::testing::program
