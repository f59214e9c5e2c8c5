// Peephole rules on jumps and calls: rule11JumpToNext, rule12UnreachableJump,
// rule25ZeroFlagAfterCall, rule38InvertedTest, rule48UnreachableReturn. None touches a word of a
// computed jump table.
#include "compiler/backend/rules.hpp"

namespace kavo::optimiser {

// GOTO L right before L: falling through reaches the same word. Not when a skip guards the
// jump (removing it would let the skip pass L's first word instead).
bool rule11JumpToNext(Match& m) {
    if (!m.op(1, PIC_GOTO) || !m.op(2, PIC_LABEL) || m.p(1)->operand != m.p(2)->operand ||
        !m.movable(1, 2) || !m.unguarded(1))
        return false;
    m.erase(1, 1);
    return true;
}

// GOTO; GOTO; GOTO: the third is unreachable, since the second is an unconditional jump that
// surely runs (a GOTO is no skip) and no label precedes the third.
bool rule12UnreachableJump(Match& m) {
    if (!m.op(0, PIC_GOTO) || !m.op(1, PIC_GOTO) || !m.op(2, PIC_GOTO) || !m.movable(0, 2))
        return false;
    m.erase(2, 2);
    return true;
}

// A call whose result is tested through Z: OR W with 0 sets Z from the returned W, which is
// what the test means. The call must surely run, or the OR would change Z on a path where
// the original tested the older Z.
bool rule25ZeroFlagAfterCall(Match& m) {
    if (!m.op(0, PIC_CALL) || !(m.op(1, PIC_BTFSC) || m.op(1, PIC_BTFSS)) || !m.status(1, 2) ||
        !m.movable(0, 1) || !m.unguarded(0))
        return false;
    Instruction* made = m.code().insertBefore(m.index() + 1, *m.p(0), PIC_IORLW, "0", -1);
    made->scope.clear();
    return true;
}

// BTFSC b; GOTO L; GOTO M; L: becomes BTFSS b; GOTO M; L:. The test must surely run: a skip
// before it would pass the test and run GOTO L in the original. L stays while another
// instruction still names it.
bool rule38InvertedTest(Match& m) {
    if (!m.op(0, PIC_BTFSC) || !m.op(1, PIC_GOTO) || !m.op(2, PIC_GOTO) || !m.op(3, PIC_LABEL) ||
        m.p(1)->operand != m.p(3)->operand || !m.movable(0, 3) || !m.unguarded(0))
        return false;
    const std::string label = m.p(3)->operand;
    m.p(0)->opcode = PIC_BTFSS;
    m.p(1)->operand = m.p(2)->operand;
    m.p(1)->scope = m.p(2)->scope;
    m.erase(2, 2);
    // The label itself and the jump now naming M are no longer uses of L.
    if (isCompilerLabel(label) && usesOf(m.code(), label) == 1)
        m.erase(2, 2);
    return true;
}

// return x; at a function's end: RETURN (or RETLW) and then the function's closing RETURN,
// which no path reaches: the first surely runs (no skip guards it) and no label stands
// between them. The first return takes the closing mark over.
bool rule48UnreachableReturn(Match& m) {
    const bool returns = m.op(0, PIC_RETURN) || m.op(0, PIC_RETLW);
    if (!returns || !m.op(1, PIC_RETURN) || !m.movable(0, 1) || !m.unguarded(0))
        return false;
    if (m.p(1)->offset != 0)
        m.p(0)->offset = m.p(1)->offset;
    m.erase(1, 1);
    return true;
}

} // namespace kavo::optimiser
