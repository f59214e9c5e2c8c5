// Reduction of a failing random program: statements are removed (or an if or a loop replaced
// by its body) and expressions replaced by one of their operands or by 0 or 1, each change
// kept while the program still fails the same way. The model rejects the changes that leave
// the program undefined, so the caller sees only defined programs.

#include "tests/support/random_program.hpp"
#include "tests/support/random_program_walk.hpp"

namespace kavo::testing::program {
namespace {

using Slot = std::pair<std::vector<Statement>*, std::size_t>;

// Where each statement sits, in the walk's order. A function's closing return stays (its
// value is reduced): without it the function would have no value.
void collect(std::vector<Statement>& list, std::vector<Slot>& slots, bool functionBody) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (!(functionBody && i + 1 == list.size() && list[i].kind == Statement::Kind::Return))
            slots.emplace_back(&list, i);
        collect(list[i].body, slots, false);
        collect(list[i].orElse, slots, false);
        for (Case& c : list[i].cases)
            collect(c.body, slots, false);
    }
}

std::vector<Slot> statementSlots(Program& p) {
    std::vector<Slot> slots;
    for (Function& f : p.functions)
        collect(f.body, slots, true);
    return slots;
}

// The n-th statement removed, or replaced by its body; none when there is no n-th.
std::optional<bool> cutStatement(Program& p, int n, bool hoist) {
    const std::vector<Slot> slots = statementSlots(p);
    if (n >= static_cast<int>(slots.size()))
        return std::nullopt;
    auto [list, i] = slots[n];
    if (hoist && (*list)[i].body.empty())
        return false;
    std::vector<Statement> body = hoist ? std::move((*list)[i].body) : std::vector<Statement>{};
    list->erase(list->begin() + static_cast<std::ptrdiff_t>(i));
    list->insert(list->begin() + static_cast<std::ptrdiff_t>(i), body.begin(), body.end());
    return true;
}

// The n-th expression replaced by its operand `choice`, or (past its operands) by 0 or 1;
// none when there is no n-th.
std::optional<bool> simplifyExpression(Program& p, int n, std::size_t choice) {
    std::optional<bool> done;
    auto expression = [&](Expr& e) {
        if (n-- != 0)
            return;
        done = false;
        if (choice < e.operands.size()) {
            Expr operand = e.operands[choice];
            e = std::move(operand);
            done = true;
        } else if (choice - e.operands.size() < 2 &&
                   !(e.kind == Expr::Kind::Constant && e.constant <= 1)) {
            const auto constant = static_cast<std::int32_t>(choice - e.operands.size());
            e = Expr{};
            e.constant = constant;
            done = true;
        }
    };
    auto statement = [](Statement&) {};
    for (Function& f : p.functions)
        walkStatements(f.body, statement, expression);
    return done;
}

// The n-th variable left out of the text (when nothing uses it: else the text is the same);
// none when there is no n-th.
std::optional<bool> omitVariable(Program& p, int n) {
    if (n >= static_cast<int>(p.variables.size()))
        return std::nullopt;
    if (p.variables[n].omitted)
        return false;
    const std::string before = programText(p);
    p.variables[n].omitted = true;
    return programText(p) != before;
}

// Every variable nothing uses left out at once.
std::optional<bool> omitAllVariables(Program& p, int n) {
    if (n > 0)
        return std::nullopt;
    const std::string before = programText(p);
    for (Variable& v : p.variables)
        v.omitted = true;
    return programText(p) != before;
}

// Tries the change at every position in turn; true when one was kept.
template <typename Change>
bool reduceBy(Program& p, const std::function<bool(const Program&)>& stillFails, Change change) {
    bool kept = false;
    for (int n = 0;; ++n) {
        Program candidate = p;
        const std::optional<bool> applied = change(candidate, n);
        if (!applied)
            return kept;
        if (*applied && stillFails(candidate)) {
            p = std::move(candidate);
            kept = true;
            --n; // what followed now sits at n
        }
    }
}

} // namespace

Program reduced(Program p, const std::function<bool(const Program&)>& stillFails) {
    for (bool progress = true; progress;) {
        progress = false;
        for (bool hoist : {false, true}) {
            progress |= reduceBy(p, stillFails,
                                 [&](Program& c, int n) { return cutStatement(c, n, hoist); });
        }
        if (!reduceBy(p, stillFails, omitAllVariables))
            progress |= reduceBy(p, stillFails, omitVariable);
        for (std::size_t choice = 0; choice < 5; ++choice) {
            progress |= reduceBy(
                p, stillFails, [&](Program& c, int n) { return simplifyExpression(c, n, choice); });
        }
    }
    return p;
}

} // namespace kavo::testing::program
