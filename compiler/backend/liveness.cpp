// The liveness query every rewrite rests on (deadFrom and its shorthands): walking forward
// from a position, a resource is dead when an instruction that surely runs writes it before
// anything reads it. A word that a skip may pass does not surely run, so its write proves
// nothing; labels, transfers, unknown instructions and the end of the list end the walk as
// a read. Also holds the register identity tests sameRegister and mayAlias.
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

} // namespace

bool deadFrom(const Code& code, std::size_t k, const Resource& r) {
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
