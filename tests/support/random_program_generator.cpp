// The generator of random programs: the globals, the functions with their parameters and
// locals, and their statements; the expressions come from ExpressionMaker. Loops run a
// fixed number of times and a function calls only those built before it. What the generator
// cannot bound (where a moved pointer ends up) the model checks; the caller throws such a
// program away.

#include "tests/support/random_program_generation.hpp"

#include <algorithm>

namespace kavo::testing::program {
namespace {

using dialect::Op;

int bytesOf(const Type& t) {
    return t.bits / 8;
}

class Generator {
public:
    Generator(std::uint32_t seed, const Features& features, sxsim::DeviceKind device)
        : g_(seed, features, device), f_(g_.features), p_(g_.program), e_(g_) {}

    Program program() {
        p_.typedefNames = f_.typedefNames;
        globals();
        const int functions = f_.calls ? 2 + g_.pick(3) : 0;
        for (int i = 0; i < functions; ++i)
            function("f" + std::to_string(i), 3 + g_.pick(4), true);
        function("main", 10 + g_.pick(8), false);
        return std::move(p_);
    }

private:
    // ---- Variables ----

    int add(Variable v) {
        p_.variables.push_back(std::move(v));
        const int id = static_cast<int>(p_.variables.size()) - 1;
        if (g_.function >= 0)
            g_.visible.push_back(id);
        return id;
    }

    Variable scalar(const std::string& name, const Type& t) {
        Variable v;
        v.name = name;
        v.type = t;
        v.spelling = g_.spelling(t);
        v.initial = {g_.value(t)};
        return v;
    }

    std::string nameFor(char prefix) const { return prefix + std::to_string(p_.variables.size()); }

    // Two scalars of each type, then structs, arrays and more scalars up to a number of bytes
    // that leaves the compiler's temporaries room on the chip: without upper banks the
    // SX52's globals stay in banks 1 to 7.
    void globals() {
        const int budget = !f_.manyGlobals ? 12 : !g_.sx52 ? 28 : f_.upperBanks ? 120 : 32;
        // The pointers to pointers added last, and on the SX52 one of depth 3 pointing at
        // them, take their bytes from the budget; on the SX28, with its 136 bytes of RAM,
        // there is one (its functions' pointers to pointers are of depth 3 at times).
        const int pointerPointers = f_.pointers && f_.pointerPointers ? (g_.sx52 ? 2 : 1) : 0;
        int bytes = pointerPointers + (pointerPointers > 0 && g_.sx52 ? 1 : 0);
        for (const Type& t : AllTypes) {
            for (int i = 0; i < 2; ++i)
                bytes += addScalar(t);
        }
        if (f_.structs)
            bytes += structs();
        if (f_.byteArrays)
            bytes += addArray(AllTypes[g_.pick(2)]);
        if (f_.wordArrays)
            bytes += addArray(AllTypes[2 + g_.pick(2)]);
        if (f_.structs && f_.pointers && f_.pointerMembers)
            bytes += pointerStructs() + list();
        while (bytes < budget) {
            const int kind = g_.pick(4);
            if (kind == 0 && f_.byteArrays)
                bytes += addArray(AllTypes[g_.pick(2)]);
            else if (kind == 1 && f_.wordArrays)
                bytes += addArray(AllTypes[2 + g_.pick(2)]);
            else
                bytes += addScalar(g_.anyType());
        }
        if (f_.fixedAddresses)
            fixedGlobals();
        if (f_.pointers) {
            for (int i = 0; i < 3; ++i)
                addPointer(g_.anyType());
        }
        for (int i = 0; i < pointerPointers; ++i)
            addPointerPointer(2);
        if (pointerPointers > 0 && g_.sx52)
            addPointerPointer(3);
    }

    int addScalar(const Type& t) {
        add(scalar(nameFor('g'), t));
        return bytesOf(t);
    }

    // At most 8 elements; on the SX28, with its 136 bytes of RAM, 16-bit ones at most 4.
    int addArray(const Type& t) {
        static constexpr int lengths[] = {2, 3, 4, 4, 5, 8};
        Variable v = scalar(nameFor('a'), t);
        v.storage = Storage::Array;
        v.length = lengths[g_.pick(std::size(lengths))];
        if (t.bits == 16 && !g_.sx52)
            v.length = std::min(v.length, 4);
        // Some of four or eight elements are two rows.
        if (f_.twoDimensions && v.length % 4 == 0 && g_.chance(0.4))
            v.columns = v.length / 2;
        v.initial.clear();
        for (int i = 0; i < v.length; ++i)
            v.initial.push_back(g_.value(t));
        const int bytes = v.length * bytesOf(t);
        add(std::move(v));
        return bytes;
    }

    int structs() {
        int bytes = 0;
        const int types = 1 + g_.pick(2);
        for (int s = 0; s < types; ++s) {
            StructType type{"T" + std::to_string(s), {}, {}};
            addMembers(type, 2 + g_.pick(3));
            p_.structs.push_back(type);
            for (int n = 1 + g_.pick(2); n > 0; --n)
                add(structVariable('s', s, bytes));
        }
        return bytes;
    }

    // A struct type of two or three pointers to the globals so far, and one or two variables
    // of it (one on the SX28, with its 136 bytes of RAM in banks no struct spans), each
    // member a pointer of its own: h.m0 = &x, *h.m0, h.m0[k], h.m0++. A member spelled
    // char * is a two-byte char pointer holding a tagged RAM address.
    int pointerStructs() {
        StructType type{"H" + std::to_string(p_.structs.size()), {}, {}};
        for (int m = 2 + g_.pick(2); m > 0; --m) {
            const Type t = g_.anyType();
            type.pointerMembers.push_back(
                {"m" + std::to_string(type.pointerMembers.size()), t, g_.spelling(t, true, true)});
        }
        p_.structs.push_back(type);
        int bytes = 0;
        for (int n = g_.sx52 ? 1 + g_.pick(2) : 1; n > 0; --n) {
            Variable v;
            v.name = nameFor('h');
            v.storage = Storage::Struct;
            v.structType = static_cast<int>(p_.structs.size()) - 1;
            const int holder = add(std::move(v));
            for (const Member& m : type.pointerMembers) {
                std::optional<Variable> pointer = pointerTo(m.type, m.spelling, false);
                if (!pointer)
                    continue;
                pointer->name = p_.variables[holder].name + "." + m.name;
                pointer->holder = holder;
                bytes += g_.charPointer(*pointer) ? 2 : 1;
                add(std::move(*pointer));
            }
        }
        return bytes;
    }

    // Two or three list nodes (two on the SX28), each one's next pointing at the one before;
    // main's first statement points the first one's at the last, closing a ring that any
    // number of ->next keeps inside. A global pointer to them walks it: p = p->next.
    int list() {
        StructType type{"L" + std::to_string(p_.structs.size()), {}, {}};
        type.linked = true;
        addMembers(type, 1 + g_.pick(2));
        p_.structs.push_back(type);
        const int structType = static_cast<int>(p_.structs.size()) - 1;
        std::vector<int> nodes, links;
        int bytes = 0;
        for (int n = g_.sx52 ? 2 + g_.pick(2) : 2; n > 0; --n) {
            nodes.push_back(add(structVariable('n', structType, bytes)));
            Variable next = listPointer(structType, nodes);
            next.name = p_.variables[nodes.back()].name + ".next";
            next.holder = nodes.back();
            next.initialPointer = {nodes.size() > 1 ? nodes[nodes.size() - 2] : -1, 0};
            links.push_back(add(std::move(next)));
            bytes += 1;
        }
        // Every pointer may point at every node.
        for (int link : links)
            p_.variables[link].pointees = nodes;
        Variable walker = listPointer(structType, nodes);
        walker.name = nameFor('p');
        walker.initialPointer = {g_.any(nodes), 0};
        add(std::move(walker));
        return bytes + 1;
    }

    Variable listPointer(int structType, const std::vector<int>& nodes) const {
        Variable v;
        v.storage = Storage::Pointer;
        v.structType = structType;
        v.type = p_.structs[structType].members[0].type;
        v.spelling = "struct " + p_.structs[structType].name;
        v.pointees = nodes;
        return v;
    }

    // The struct types a function may take or return whole.
    std::vector<int> plainStructs() const {
        std::vector<int> found;
        for (std::size_t i = 0; i < p_.structs.size(); ++i) {
            if (!p_.structs[i].holdsPointers())
                found.push_back(static_cast<int>(i));
        }
        return found;
    }

    // Integer members m0, m1 ... of any types; an 8-bit one may be a bit-field.
    void addMembers(StructType& type, int count) {
        for (int m = count; m > 0; --m) {
            const Type t = g_.anyType();
            type.members.push_back({"m" + std::to_string(type.members.size()), t, g_.spelling(t)});
            if (g_.features.bitFields && t.bits == 8 && g_.chance(0.4))
                type.members.back().bits = 1 + g_.pick(7);
        }
    }

    // A struct variable of the type, its members set to values; their bytes added to bytes.
    Variable structVariable(char prefix, int structType, int& bytes) {
        Variable v;
        v.name = nameFor(prefix);
        v.storage = Storage::Struct;
        v.structType = structType;
        for (const Member& m : p_.structs[structType].members) {
            const std::int32_t value = g_.value(m.type);
            v.initial.push_back(m.bits > 0 ? fieldValue(value, m.bits, m.type) : value);
            bytes += bytesOf(m.type);
        }
        return v;
    }

    // A global at the end of every bank above the first, 8 and 16 bits in turn, given its
    // value by main's first statements (the @ form takes no initialiser).
    void fixedGlobals() {
        for (int bank = 1; bank < (g_.sx52 && f_.upperBanks ? 16 : 8); ++bank) {
            const bool wide = bank % 2 == 0;
            Variable v = scalar(nameFor('g'), AllTypes[(wide ? 2 : 0) + g_.pick(2)]);
            v.fixedAddress = bank * 32 + (wide ? 0x1E : 0x1F);
            v.initial.clear();
            add(std::move(v));
        }
    }

    // The globals holding a cell of type t.
    std::vector<int> pointeesOf(const Type& t) const {
        std::vector<int> found;
        for (std::size_t i = 0; i < p_.variables.size(); ++i) {
            const Variable& v = p_.variables[i];
            const bool cells = v.storage == Storage::Scalar || v.storage == Storage::Array ||
                               v.storage == Storage::Struct;
            if (v.function < 0 && cells && firstCell(static_cast<int>(i), t) >= 0)
                found.push_back(static_cast<int>(i));
        }
        return found;
    }

    int firstCell(int variable, const Type& t) const {
        for (int c = 0; c < cellCount(p_, p_.variables[variable]); ++c) {
            if (cellType(p_, variable, c) == t && cellBits(p_, variable, c) == 0)
                return c; // a bit-field has no address
        }
        return -1;
    }

    int addPointer(const Type& t) {
        std::optional<Variable> v = pointerTo(t, g_.spelling(t, true), true);
        if (!v)
            return -1;
        v->name = (g_.function < 0 ? 'p' : 'q') + std::to_string(p_.variables.size());
        v->function = g_.function;
        return add(std::move(*v));
    }

    // A pointer either walks one array (indexed, moved) or points at one of a few cells;
    // none when no global holds a cell of the type.
    std::optional<Variable> pointerTo(const Type& t, const std::string& spelling, bool rows) {
        std::vector<int> candidates = pointeesOf(t);
        if (candidates.empty())
            return std::nullopt;
        Variable v;
        v.storage = Storage::Pointer;
        v.type = t;
        v.spelling = spelling;
        std::vector<int> arrays;
        for (int c : candidates) {
            if (p_.variables[c].storage == Storage::Array)
                arrays.push_back(c);
        }
        if (f_.pointerIndexing && !arrays.empty() && g_.chance(0.5)) {
            v.walksArray = true;
            v.pointees = {g_.any(arrays)};
            // Some walk the rows of an array of two dimensions.
            const int columns = p_.variables[v.pointees[0]].columns;
            if (rows && columns > 0 && g_.chance(0.5))
                v.columns = columns;
        } else {
            std::shuffle(candidates.begin(), candidates.end(), g_.random);
            candidates.resize(std::min<std::size_t>(candidates.size(), 1 + g_.pick(3)));
            v.pointees = candidates;
        }
        v.initialPointer = {v.pointees[0], firstCell(v.pointees[0], t)};
        return v;
    }

    // Whether the pointer (to pointers) points at char cells spelled char: its pointers to
    // pointers are char ** (or char ***) then.
    static bool reachesChars(const Program& p, const Variable& v) {
        const Variable& pointer = v.storage == Storage::Pointer ? v : p.variables[v.pointees[0]];
        return pointer.storage == Storage::Pointer ? Generation::charPointer(pointer)
                                                   : reachesChars(p, pointer);
    }

    // A pointer to pointers of one type that the function may use: a global one points only
    // at global pointers. Of depth 2 it points at pointers (int **pp = &p, char **), of depth
    // 3 at pointers to pointers (int ***ppp = &pp). The ones it may point at all walk the
    // same array or none does, are all spelled char or none is, and share a target a store
    // through it (*pp = &x, *ppp = &p) may give any of them.
    int addPointerPointer(int depth) {
        std::vector<int> candidates;
        for (std::size_t i = 0; i < p_.variables.size(); ++i) {
            const Variable& v = p_.variables[i];
            // A pointer to rows is no pointer a pointer to pointers reaches.
            const bool level = depth == 2 ? v.storage == Storage::Pointer && !pointsAtRows(v) &&
                                                !pointsAtStructs(v)
                                          : v.storage == Storage::PointerPointer && v.depth == 2;
            if (level && (v.function < 0 || v.function == g_.function))
                candidates.push_back(static_cast<int>(i));
        }
        if (candidates.empty())
            return -1;
        std::shuffle(candidates.begin(), candidates.end(), g_.random);
        const Variable& first = p_.variables[candidates[0]];
        const bool chars = reachesChars(p_, first);
        Variable v;
        v.name = (g_.function < 0 ? 'p' : 'q') + std::to_string(p_.variables.size());
        v.storage = Storage::PointerPointer;
        v.depth = depth;
        v.type = first.type;
        v.spelling = chars ? first.spelling : g_.spelling(first.type, true, false);
        v.function = g_.function;
        v.walksArray = first.walksArray;
        v.pointees = {candidates[0]};
        for (std::size_t i = 1; i < candidates.size() && v.pointees.size() < 3; ++i) {
            const Variable& other = p_.variables[candidates[i]];
            std::vector<int> more = v.pointees;
            more.push_back(candidates[i]);
            if (other.type == first.type && other.walksArray == first.walksArray &&
                reachesChars(p_, other) == chars && !sharedPointees(more).empty())
                v.pointees = std::move(more);
        }
        v.initialPointer = {v.pointees[0], 0};
        return add(std::move(v));
    }

    // What every one of the pointers may point at.
    std::vector<int> sharedPointees(const std::vector<int>& pointers) const {
        std::vector<int> shared;
        for (int target : p_.variables[pointers[0]].pointees) {
            bool everywhere = true;
            for (int pointer : pointers) {
                const auto& pointees = p_.variables[pointer].pointees;
                everywhere = everywhere &&
                             std::find(pointees.begin(), pointees.end(), target) != pointees.end();
            }
            if (everywhere)
                shared.push_back(target);
        }
        return shared;
    }

    // ---- Functions ----

    void function(const std::string& name, int statements, bool withResult) {
        Function f;
        f.name = name;
        if (withResult && g_.chance(0.75)) {
            f.result = g_.anyType();
            f.resultSpelling = g_.spelling(*f.result);
        } else if (withResult && f_.structResults && !plainStructs().empty() && g_.chance(0.6)) {
            f.structResult = g_.any(plainStructs());
            f.resultSpelling = "struct " + p_.structs[f.structResult].name;
        }
        p_.functions.push_back(f);
        g_.function = static_cast<int>(p_.functions.size()) - 1;
        g_.writesLocalsOnly = withResult && g_.chance(0.5);
        Function& built = p_.functions.back();
        g_.visible.clear();
        for (std::size_t i = 0; i < p_.variables.size(); ++i) {
            if (p_.variables[i].function < 0)
                g_.visible.push_back(static_cast<int>(i));
        }
        for (int i = withResult ? g_.pick(4) : 0; i > 0; --i) {
            Variable v = scalar(nameFor('x'), g_.anyType());
            v.initial.clear();
            v.function = g_.function;
            v.parameter = true;
            built.parameters.push_back(add(std::move(v)));
        }
        if (withResult && f_.structArguments && !plainStructs().empty() && g_.chance(0.5))
            structParameter(built);
        for (int i = 1 + g_.pick(3); i > 0; --i) {
            Variable v = scalar(nameFor('v'), g_.anyType());
            v.function = g_.function;
            built.locals.push_back(add(std::move(v)));
        }
        if (f_.pointers && g_.chance(0.4)) {
            const int pointer = addPointer(g_.anyType());
            if (pointer >= 0)
                built.locals.push_back(pointer);
        }
        if (f_.pointers && f_.pointerPointers && g_.chance(0.3)) {
            const int pointer = addPointerPointer(g_.chance(0.3) ? 3 : 2);
            if (pointer >= 0)
                built.locals.push_back(pointer);
        }
        counters_.clear();
        remaining_ = statements;
        std::vector<Statement> body = withResult ? std::vector<Statement>{} : fixedStarts();
        while (remaining_ > 0)
            body.push_back(statement(0));
        if (built.result || built.structResult >= 0)
            body.push_back(closingReturn());
        built.body = std::move(body);
        g_.effects.record(g_.function, built.body);
    }

    // A struct passed by value, among the scalar parameters: the function reads and changes
    // its own copy.
    void structParameter(Function& built) {
        Variable v;
        v.name = nameFor('x');
        v.storage = Storage::Struct;
        v.structType = g_.any(plainStructs());
        v.spelling = "struct " + p_.structs[v.structType].name;
        v.function = g_.function;
        v.parameter = true;
        const int at = g_.pick(static_cast<int>(built.parameters.size()) + 1);
        built.parameters.insert(built.parameters.begin() + at, add(std::move(v)));
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
            s.value = {constantExpr(g_.value(v.type))};
            starts.push_back(std::move(s));
        }
        // The first list node's next, closing the ring at the last node.
        for (std::size_t i = 0; i < p_.variables.size(); ++i) {
            const Variable& v = p_.variables[i];
            if (!pointsAtStructs(v) || v.holder < 0 || v.initialPointer.variable >= 0)
                continue;
            Statement s;
            s.kind = Statement::Kind::PointAt;
            s.pointer = static_cast<int>(i);
            s.place.variable = v.pointees.back();
            starts.push_back(std::move(s));
        }
        return starts;
    }

    Statement returnStatement() {
        Statement s;
        s.kind = Statement::Kind::Return;
        const Function& f = p_.functions[g_.function];
        if (f.result)
            s.value = {e_.expression(2, true)};
        else if (f.structResult >= 0)
            s.value = {e_.wholeStruct(f.structResult)};
        return s;
    }

    // A value depending on every parameter the value leaves alone: a wrong argument shows in
    // what the caller stores.
    Statement closingReturn() {
        Statement s = returnStatement();
        if (!p_.functions[g_.function].result)
            return s; // a struct, returned whole
        static constexpr Op ops[] = {Op::Add, Op::Sub, Op::Xor};
        for (int parameter : p_.functions[g_.function].parameters) {
            if (g_.effects.of(s.value[0]).writes.count(parameter) != 0)
                continue;
            Place at;
            at.variable = parameter;
            if (p_.variables[parameter].storage == Storage::Struct) {
                at.kind = Place::Kind::Member;
                at.member = g_.pick(cellCount(p_, p_.variables[parameter]));
            }
            s.value[0] = binaryExpr(ops[g_.pick(3)], readOf(at), std::move(s.value[0]));
        }
        return s;
    }

    // The counter of the loop at this nesting depth, declared on first use.
    int counter(int nesting) {
        while (static_cast<int>(counters_.size()) <= nesting) {
            Variable v;
            v.name = nameFor('k');
            v.type = AllTypes[g_.pick(2)];
            v.spelling = g_.spelling(v.type);
            v.function = g_.function;
            v.counter = true;
            const int id = add(std::move(v));
            p_.functions[g_.function].locals.push_back(id);
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
        const bool inFunction = p_.functions[g_.function].name != "main";
        for (;;) {
            switch (g_.pick(16)) {
            case 0:
            case 1:
                if (f_.compoundAssignments)
                    return compound();
                break;
            case 2:
                return evaluate(e_.step(e_.place(true, true)));
            case 3:
                // A struct result is not thrown away: the dialect refuses f(); there.
                if (f_.calls && g_.function > 0) {
                    const int callee = g_.pick(g_.function);
                    if (p_.functions[callee].structResult < 0)
                        return evaluate(e_.call(callee, 2));
                }
                break;
            case 4:
            case 5:
                if (nested)
                    return ifStatement(depth);
                break;
            case 6:
                if (f_.loops && nested && g_.loops.size() < 2)
                    return loop(depth);
                break;
            case 7:
                if (f_.switches && nested)
                    return switchStatement(depth);
                break;
            case 8:
                if (!g_.listPointers().empty() && !g_.writesLocalsOnly && g_.chance(0.3))
                    return followLink();
                if (!g_.pointerPointers().empty() && !g_.writesLocalsOnly && g_.chance(0.6))
                    return g_.chance(0.5) ? pointAtPointer() : pointAtThrough();
                if (f_.pointers && !g_.pointers().empty() && !g_.writesLocalsOnly)
                    return pointAt();
                break;
            case 9:
                if (f_.pointerIndexing && !g_.pointers(true).empty() && !g_.writesLocalsOnly &&
                    g_.chance(0.3))
                    return movePointer();
                break;
            case 10:
                if (nested && inFunction && g_.chance(0.3))
                    return earlyReturn();
                break;

            default:
                return assignment();
            }
        }
    }

    Statement evaluate(Expr e) {
        Statement s;
        s.kind = Statement::Kind::Evaluate;
        s.value = {std::move(e)};
        return s;
    }

    Statement assignment() {
        if (f_.structResults && g_.chance(0.2)) {
            if (auto s = structAssignment())
                return *s;
        }
        Statement s;
        s.kind = Statement::Kind::Assign;
        s.place = e_.place(true, true);
        s.value = {valueFor(
            s.place, [&] { return e_.expression(1 + g_.pick(3), true); }, true)};
        return s;
    }

    // s = f(...) or x = f(...).m, f returning a struct. The struct comes back in one static
    // return area, and the dialect refuses another call in the same expression: f's
    // arguments and the target call nothing.
    std::optional<Statement> structAssignment() {
        std::vector<int> functions;
        for (int f = 0; f < g_.function; ++f) {
            if (p_.functions[f].structResult >= 0)
                functions.push_back(f);
        }
        if (functions.empty())
            return std::nullopt;
        const int function = g_.any(functions);
        const int type = p_.functions[function].structResult;
        std::vector<int> wholes;
        for (int v : g_.visible) {
            const Variable& variable = p_.variables[v];
            if (variable.storage == Storage::Struct && variable.structType == type &&
                !(g_.writesLocalsOnly && variable.function < 0))
                wholes.push_back(v);
        }
        const bool whole = !wholes.empty() && g_.chance(0.5);
        Statement s;
        s.kind = Statement::Kind::Assign;
        if (whole)
            s.place.variable = g_.any(wholes);
        else
            s.place = e_.place(true, false);
        const int members = static_cast<int>(p_.structs[type].members.size());
        s.value = {valueFor(
            s.place,
            [&] {
                Expr call = e_.callAlone(function);
                call.member = whole ? -1 : g_.pick(members);
                return call;
            },
            true)};
        if (whole && s.value[0].kind != Expr::Kind::Call)
            return std::nullopt;
        return s;
    }

    // A value for a store into the place, regenerated (then a constant) while it would touch
    // what the store touches unsequenced; without aliasing it may not read the target.
    template <typename Make> Expr valueFor(const Place& target, Make make, bool readsAllowed) {
        const Effects address = g_.effects.address(target);
        const std::set<int> targets = g_.effects.targets(target);
        for (int attempt = 0; attempt < 4; ++attempt) {
            Expr value = make();
            const Effects fx = g_.effects.of(value);
            bool clash = address.conflictsWith(fx) || fx.writesAny(targets);
            for (int v : targets)
                clash = clash || (!readsAllowed && fx.reads.count(v) != 0);
            if (!clash)
                return value;
        }
        return constantExpr(g_.pick(5) + 1);
    }

    Statement compound() {
        Statement s;
        s.kind = Statement::Kind::Compound;
        s.place = e_.place(true, true);
        std::vector<Op> ops = {Op::Add, Op::Sub, Op::And, Op::Or, Op::Xor};
        // The dialect refuses * / % << >> assignments on a 16-bit value found through an
        // index or a pointer.
        const bool indirect16 = g_.cellTypeOf(s.place).bits == 16 &&
                                s.place.kind != Place::Kind::Variable &&
                                s.place.kind != Place::Kind::Member;
        if (f_.runtimeOperations && !indirect16)
            ops.insert(ops.end(), {Op::Mul, Op::Div, Op::Mod, Op::Shl, Op::Shr});
        s.op = g_.any(ops);
        s.value = {valueFor(
            s.place,
            [&] {
                if (s.op == Op::Shl || s.op == Op::Shr)
                    return e_.shiftCount(1, true);
                if (s.op == Op::Div || s.op == Op::Mod)
                    return e_.divisor(1, true);
                if (f_.aliasing && g_.chance(0.4))
                    return e_.alias(s.place);
                return e_.expression(1 + g_.pick(2), true);
            },
            f_.aliasing)};
        return s;
    }

    Statement ifStatement(int depth) {
        Statement s;
        s.kind = Statement::Kind::If;
        s.value = {e_.condition(true)};
        s.body = statements(1 + g_.pick(3), depth + 1);
        if (g_.chance(0.3) && remaining_ > 0)
            s.orElse = {ifStatement(depth)};
        else if (g_.chance(0.5))
            s.orElse = statements(1 + g_.pick(2), depth + 1);
        return s;
    }

    // A counted loop, half the time with an `if (...) break;` or `continue;` in its body.
    Statement loop(int depth) {
        static constexpr Statement::Kind kinds[] = {Statement::Kind::For, Statement::Kind::While,
                                                    Statement::Kind::DoWhile};
        Statement s;
        s.kind = kinds[g_.pick(3)];
        s.counter = counter(static_cast<int>(g_.loops.size()));
        s.trips = 1 + g_.pick(4);
        // A while or do steps its counter before the body: there it runs from 1 to trips.
        g_.loops.push_back({s.counter, s.kind == Statement::Kind::For ? s.trips - 1 : s.trips});
        s.body = statements(1 + g_.pick(3), depth + 1);
        if (g_.chance(0.5)) {
            Statement exit;
            exit.kind = Statement::Kind::If;
            exit.value = {e_.condition(false)};
            Statement jump;
            jump.kind = g_.chance(0.5) ? Statement::Kind::Break : Statement::Kind::Continue;
            exit.body = {jump};
            s.body.insert(s.body.begin() + g_.pick(static_cast<int>(s.body.size()) + 1), exit);
        }
        g_.loops.pop_back();
        return s;
    }

    // Distinct labels within the value's type, and a default half the time.
    Statement switchStatement(int depth) {
        Statement s;
        s.kind = Statement::Kind::Switch;
        Expr value = e_.expression(2, true);
        if (e_.shape(value).type.literal) {
            value = Expr{};
            value.kind = Expr::Kind::Read;
            value.place = e_.place(false, false);
        }
        const Type t = e_.shape(value).type;
        s.value = {std::move(value)};
        std::vector<std::int32_t> labels;
        for (int n = 2 + g_.pick(3); n > 0; --n) {
            const std::int32_t label = caseLabel(t);
            if (std::find(labels.begin(), labels.end(), label) == labels.end())
                labels.push_back(label);
        }
        const int defaultAt = g_.chance(0.6) ? g_.pick(static_cast<int>(labels.size()) + 1) : -1;
        for (std::size_t i = 0; i <= labels.size(); ++i) {
            if (static_cast<int>(i) == defaultAt)
                s.cases.push_back(switchCase(std::nullopt, depth));
            if (i < labels.size())
                s.cases.push_back(switchCase(labels[i], depth));
        }
        return s;
    }

    // Labels where the values gather: small numbers and the edges of the types.
    std::int32_t caseLabel(const Type& t) {
        static constexpr std::int32_t labels[] = {
            0, 1, 2, 3, -1, 127, -128, 255, 128, 300, 256, -300, 1000, 65535, 32767, -32768, 44};
        for (;;) {
            const std::int32_t label = labels[g_.pick(std::size(labels))];
            if (dialect::fits(label, t))
                return label;
        }
    }

    // Ending in a break, running on into the next case, or (in a loop) continuing it.
    Case switchCase(std::optional<std::int32_t> label, int depth) {
        Case c{label, statements(1 + g_.pick(2), depth + 1)};
        const int end = g_.pick(10);
        Statement jump;
        jump.kind = Statement::Kind::Break;
        if (end < 7)
            c.body.push_back(jump);
        else if (end == 9 && !g_.loops.empty()) {
            jump.kind = Statement::Kind::Continue;
            c.body.push_back(jump);
        }
        return c;
    }

    Statement earlyReturn() {
        Statement s;
        s.kind = Statement::Kind::If;
        s.value = {e_.condition(true)};
        s.body = {returnStatement()};
        return s;
    }

    // p = &g, &a[k], &s.m.
    Statement pointAt() {
        Statement s;
        s.kind = Statement::Kind::PointAt;
        s.pointer = g_.any(g_.pointers());
        const Variable& pointer = p_.variables[s.pointer];
        s.place = e_.cellOf(pointer, g_.any(pointer.pointees));
        return s;
    }

    // pp = &p;
    Statement pointAtPointer() {
        Statement s;
        s.kind = Statement::Kind::PointAt;
        s.pointer = g_.any(g_.pointerPointers());
        s.place.variable = g_.any(p_.variables[s.pointer].pointees);
        return s;
    }

    // *pp = &x; x one that every pointer pp may point at may point at too. *ppp = &p; p one
    // that every pointer to pointers ppp may point at may point at too.
    Statement pointAtThrough() {
        Statement s;
        s.kind = Statement::Kind::PointAtThrough;
        s.pointer = g_.any(g_.pointerPointers());
        const std::vector<int>& pointers = p_.variables[s.pointer].pointees;
        s.place = e_.cellOf(p_.variables[pointers[0]], g_.any(sharedPointees(pointers)));
        return s;
    }

    // p = p->next;
    Statement followLink() {
        Statement s;
        s.kind = Statement::Kind::FollowLink;
        s.pointer = g_.any(g_.listPointers());
        return s;
    }

    Statement movePointer() {
        Statement s;
        s.kind = Statement::Kind::MovePointer;
        s.pointer = g_.any(g_.pointers(true));
        s.amount = 1;
        s.stepped = p_.variables[s.pointer].holder >= 0 && g_.chance(0.5);
        return s;
    }

    Generation g_;
    const Features& f_;
    Program& p_;
    ExpressionMaker e_;
    std::vector<int> counters_; // the function's loop counters, by nesting depth
    int remaining_ = 0;         // statements still to generate in the function
};

} // namespace

Program generateProgram(std::uint32_t seed, const Features& features, sxsim::DeviceKind device) {
    return Generator(seed, features, device).program();
}

} // namespace kavo::testing::program
