// The liveness query every rewrite rests on (deadFrom and its shorthands): walking forward
// from a position, a resource is dead when an instruction that surely runs writes it before
// anything reads it. A word that a skip may pass does not surely run, so its write proves
// nothing. W and the flags are followed past labels and along jumps to the compiler's own
// labels (both ways after a skip), within a bounded number of words; registers, calls,
// returns, unknown instructions and the end of the list end the walk as a read. Also holds
// the register identity tests sameRegister and mayAlias.
#include "compiler/backend/optimiser.hpp"

#include <algorithm>

namespace kavo::optimiser {

bool sameRegister(const Instruction& a, const Instruction& b) {
    return a.operand == b.operand && a.offset == b.offset && a.scope == b.scope;
}

bool mayAlias(const Instruction& a, const Instruction& b) {
    return a.operand == b.operand && a.offset == b.offset;
}

namespace {

// How far a query walks. Beyond it the resource counts as read: a safe answer (the rule is not
// applied), and it keeps the optimiser linear in the length of a stretch, where thousands of
// initialised array elements in one straight run made every query walk to the stretch's end.
constexpr std::size_t WalkBound = 512;

bool reads(const Instruction& i, const Effects& e, const Resource& r) {
    if (r.flag != 0)
        return (e.reads & r.flag) != 0;
    return e.readsEveryRegister || (e.readsRegister && mayAlias(i, *r.reg));
}

bool writes(const Instruction& i, const Effects& e, const Resource& r) {
    if (r.flag != 0)
        return (e.writes & r.flag) != 0;
    return e.writesRegister && sameRegister(i, *r.reg);
}

// Words one question about W or a flag may walk: past it the answer is "live", so that the
// rules' time stays linear in the length of the code.
constexpr int FlagWalkBudget = 64;

// Whether W or a flag is written before it is read on every path from k. A label entered
// again closes a loop that never wrote the resource: it counts as a read, as a program's
// closing loop is where its state is observed.
bool flagDeadFrom(const Code& code, std::size_t k, unsigned flag, int& budget,
                  std::vector<std::size_t>& entered) {
    const Resource r{flag, nullptr};
    for (; k < code.size(); ++k) {
        if (--budget < 0)
            return false;
        const Instruction& i = *code.at(k);
        if (i.opcode == PIC_LABEL) {
            // The loop main ends in idles for ever: nothing reads W or a flag again.
            if (i.operand.starts_with("_BCL_") && code.is(k + 1, PIC_GOTO) &&
                code.at(k + 1)->operand == i.operand)
                return true;
            if (std::find(entered.begin(), entered.end(), k) != entered.end())
                return false;
            entered.push_back(k);
            continue;
        }
        const Effects e = effectsOf(i);
        if (reads(i, e, r))
            return false;
        if (i.opcode == PIC_GOTO && isCompilerLabel(i.operand)) {
            const auto target = code.labelPosition(i.operand);
            if (!target)
                return false;
            if (!code.guarded(k))
                return flagDeadFrom(code, *target, flag, budget, entered);
            if (!flagDeadFrom(code, *target, flag, budget, entered))
                return false;
            continue;
        }
        if (e.barrier)
            return false;
        if (writes(i, e, r) && !code.guarded(k))
            return true;
    }
    return false;
}

} // namespace

bool deadFrom(const Code& code, std::size_t k, const Resource& r) {
    if (r.flag != 0) {
        int budget = FlagWalkBudget;
        std::vector<std::size_t> entered;
        return flagDeadFrom(code, k, r.flag, budget, entered);
    }
    // A run-local temporary is never read past a label, a transfer or the end of the list.
    const bool runLocal = r.flag == 0 && code.runLocal(r.reg->operand);
    const std::size_t end = std::min(code.size(), k + WalkBound);
    for (; k < end; ++k) {
        const Instruction& i = *code.at(k);
        const Effects e = effectsOf(i);
        if (reads(i, e, r))
            return false;
        if (e.barrier || i.opcode == PIC_LABEL)
            return runLocal;
        if (writes(i, e, r) && !code.guarded(k))
            return true;
    }
    return k == code.size() && runLocal;
}

bool flagsDeadFrom(const Code& code, std::size_t k, unsigned flags) {
    for (unsigned flag : {W, C, DC, Z}) {
        if ((flags & flag) != 0 && !deadFrom(code, k, Resource{flag, nullptr}))
            return false;
    }
    return true;
}

bool registerDeadFrom(const Code& code, std::size_t k, const Instruction& reg) {
    return deadFrom(code, k, Resource{0, &reg});
}

} // namespace kavo::optimiser
