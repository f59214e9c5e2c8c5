#pragma once

// What a piece of a random program reads and writes, by variable: an array or a struct counts
// as one, a pointer's target as every variable it may point into. C leaves the order of
// unsequenced operands open, so the generator never lets one operand write what another
// reads or writes: the model's order is then the compiler's too.

#include "tests/support/random_program.hpp"
#include "tests/support/random_program_walk.hpp"

#include <set>

namespace kavo::testing::program {

struct Effects {
    std::set<int> reads, writes;

    void add(const Effects& other) {
        reads.insert(other.reads.begin(), other.reads.end());
        writes.insert(other.writes.begin(), other.writes.end());
    }
    bool writesAny(const std::set<int>& variables) const {
        for (int v : variables) {
            if (writes.count(v) != 0)
                return true;
        }
        return false;
    }
    // Evaluated unsequenced, the two could give another result in another order.
    bool conflictsWith(const Effects& other) const {
        return writesAny(other.reads) || writesAny(other.writes) || other.writesAny(reads);
    }
};

class EffectTable {
public:
    explicit EffectTable(const Program& p) : p_(p) {}

    // What calling the function does to anything outside it; recorded once it is built.
    void record(int function, const std::vector<Statement>& body) {
        Effects all = of(body);
        const Function& f = p_.functions[function];
        for (const std::vector<int>* own : {&f.parameters, &f.locals}) {
            for (int v : *own) {
                all.reads.erase(v);
                all.writes.erase(v);
            }
        }
        if (calls_.size() <= static_cast<std::size_t>(function))
            calls_.resize(function + 1);
        calls_[function] = std::move(all);
    }

    // The variables a place may name (for a pointer: what it may point into; for a pointer to
    // pointers: what those may point into).
    std::set<int> targets(const Place& place) const {
        std::set<int> found;
        for (int pointer : pointersRead(place)) {
            const Variable& v = p_.variables[pointer];
            if (v.storage == Storage::Pointer)
                found.insert(v.pointees.begin(), v.pointees.end());
        }
        if (found.empty())
            found.insert(place.variable);
        return found;
    }

    // The pointers read to find the place: a pointer, or a pointer to pointers and the
    // pointers (to pointers) it may point at, and what those may point at.
    std::set<int> pointersRead(const Place& place) const {
        if (place.kind == Place::Kind::Arrow)
            return linksRead(place.variable);
        if (place.kind == Place::Kind::Pointee && place.form == Place::Form::Chosen)
            return {place.variable, place.member};
        if (place.kind == Place::Kind::Pointee || place.kind == Place::Kind::PointeeStep)
            return {place.variable};
        if (place.kind != Place::Kind::PointeePointee)
            return {};
        std::set<int> read{place.variable};
        std::vector<int> level{place.variable};
        while (!level.empty()) {
            std::vector<int> next;
            for (int pointer : level) {
                if (p_.variables[pointer].storage != Storage::PointerPointer)
                    continue;
                for (int at : p_.variables[pointer].pointees) {
                    if (read.insert(at).second)
                        next.push_back(at);
                }
            }
            level = std::move(next);
        }
        return read;
    }

    // A pointer to list nodes and every node's next it may follow.
    std::set<int> linksRead(int pointer) const {
        std::set<int> read{pointer};
        for (int node : p_.variables[pointer].pointees) {
            for (int next : pointerMembersOf(p_.variables, node))
                read.insert(next);
        }
        return read;
    }

    // Finding the place: its index and, through a pointer, reading (or stepping) the pointer.
    Effects address(const Place& place) const {
        Effects e;
        for (const Expr& index : place.index)
            e.add(of(index));
        const std::set<int> pointers = pointersRead(place);
        e.reads.insert(pointers.begin(), pointers.end());
        if (place.kind == Place::Kind::PointeeStep)
            e.writes.insert(place.variable);
        return e;
    }

    Effects of(const Expr& e) const {
        Effects all;
        auto visit = [&](const Expr& x) { all.add(own(x)); };
        walkExpression(e, visit);
        return all;
    }

    Effects of(const std::vector<Statement>& statements) const {
        Effects all;
        auto expression = [&](const Expr& x) { all.add(own(x)); };
        auto statement = [&](const Statement& s) { all.add(own(s)); };
        walkStatements(statements, statement, expression);
        return all;
    }

private:
    // A node's effects without those of its operands and indexes (the walk adds those).
    Effects own(const Expr& e) const {
        Effects x;
        if (e.kind == Expr::Kind::Call && static_cast<std::size_t>(e.function) < calls_.size())
            x = calls_[e.function];
        if (e.kind == Expr::Kind::Read || e.kind == Expr::Kind::Step)
            x.add(access(e.place, true, e.kind == Expr::Kind::Step));
        // Taking an address reads nothing; the test reads the pointer.
        if (e.kind == Expr::Kind::AddressTest)
            x.reads.insert(e.pointer);
        return x;
    }

    Effects own(const Statement& s) const {
        Effects x;
        switch (s.kind) {
        case Statement::Kind::Assign:
        case Statement::Kind::Compound:
            x = access(s.place, s.kind == Statement::Kind::Compound, true);
            break;
        case Statement::Kind::PointAt:
            x = access(s.place, false, false);
            x.writes.insert(s.pointer);
            break;
        case Statement::Kind::PointAtThrough: {
            x = access(s.place, false, false);
            x.reads.insert(s.pointer);
            const auto& pointers = p_.variables[s.pointer].pointees;
            x.writes.insert(pointers.begin(), pointers.end());
            break;
        }
        case Statement::Kind::MovePointer:
            x.reads.insert(s.pointer);
            x.writes.insert(s.pointer);
            break;
        case Statement::Kind::FollowLink:
            x.reads = linksRead(s.pointer);
            x.writes.insert(s.pointer);
            break;
        default:
            break;
        }
        if (s.counter >= 0) {
            x.reads.insert(s.counter);
            x.writes.insert(s.counter);
        }
        return x;
    }

    Effects access(const Place& place, bool read, bool write) const {
        Effects x;
        const std::set<int> pointers = pointersRead(place);
        x.reads.insert(pointers.begin(), pointers.end());
        if (place.kind == Place::Kind::PointeeStep)
            x.writes.insert(place.variable);
        for (int v : targets(place)) {
            if (read)
                x.reads.insert(v);
            if (write)
                x.writes.insert(v);
        }
        return x;
    }

    const Program& p_;
    std::vector<Effects> calls_;
};

} // namespace kavo::testing::program
