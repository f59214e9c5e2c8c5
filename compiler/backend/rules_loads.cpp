// Peephole rules on loads and stores of W: rule1StringAddress, rule2Literals, rule3ReturnLiteral,
// rule4AddressPlusConstant, rule8ReloadAroundLiteral, rule9OrLiteral, rule10AndLiteral,
// rule19AddOperands, rule20IncrementedLiteral, rule21ScratchReload, rule22Reload,
// rule31ClearByLiteral, rule34ComplementIndirect, rule39DecrementToW, rule40TwoLoads,
// rule41LoadBeforeSubtract, rule43SignTestOnStore, rule44LoadBeforeIncrementSkip,
// rule45UnusedResult, rule47DeadTemporaryStore, rule51DeadGuardedStep.
// Each states why the rewrite keeps every value later code reads.
#include "compiler/backend/rules.hpp"

namespace kavo::optimiser {

// GETSTRADDRHI then GETSTRADDR: both only load W, and the second surely runs (the first is
// no skip), so the first load is never seen.
bool rule1StringAddress(Match& m) {
    if (!m.op(1, PIC_GETSTRADDRHI) || !m.op(2, PIC_GETSTRADDR) || !m.movable(1, 2) ||
        !m.unguarded(1))
        return false;
    m.erase(1, 1);
    return true;
}

// Two literal loads in a row: the second overwrites W, flags are untouched by either.
bool rule2Literals(Match& m) {
    if (!m.op(1, PIC_MOVLW) || !m.op(2, PIC_MOVLW) || !m.movable(1, 2) || !m.unguarded(1))
        return false;
    m.erase(1, 1);
    return true;
}

// MOVLW k; RETURN returns k in W exactly as RETLW k does; neither touches a flag. A skip
// before the load would pass only the load in the original, so none may precede it.
bool rule3ReturnLiteral(Match& m) {
    if (!m.op(0, PIC_MOVLW) || !m.op(1, PIC_RETURN) || !m.movable(0, 1) || !m.unguarded(0))
        return false;
    Instruction* c = m.p(0);
    c->opcode = PIC_RETLW;
    c->value = c->value != 0 ? c->value : m.literal(0);
    // The offset field marks a function's closing return; the RETLW takes that role over.
    c->offset = m.p(1)->offset;
    m.erase(1, 1);
    return true;
}

// x = &y; x++; x += k; W = x leaves x and W at &y + k + 1; the shorter form loads that
// address directly. The add and the load set C, DC and Z, which must be dead.
bool rule4AddressPlusConstant(Match& m) {
    if (!m.op(0, PIC_ADDRESSOF) || !m.op(1, PIC_MOVWF) || !m.op(2, PIC_INCF) ||
        !m.op(3, PIC_MOVLW) || !m.op(4, PIC_ADDWF) || !m.op(5, PIC_MOVF) || !m.movable(0, 5) ||
        !m.unguarded(0) || !m.ordinary(1))
        return false;
    if (!m.same(1, 2) || !m.same(1, 4) || !m.same(1, 5) || m.p(2)->dest != 1 || m.p(4)->dest != 1 ||
        m.p(5)->dest != 0 || m.literal(3) < 0 || !m.dead(6, Flags))
        return false;
    m.p(0)->offset += m.literal(3) + 1;
    m.erase(2, 5);
    return true;
}

// x = W; W = k; W = x: the literal load is dead, and W and Z end the same (from x = the
// first W). Holds with the store skipped as well, since x then keeps its old value both ways.
bool rule8ReloadAroundLiteral(Match& m) {
    if (!m.op(1, PIC_MOVWF) || !(m.op(2, PIC_MOVLW) || m.op(2, PIC_ADDRESSOF)) ||
        !m.op(3, PIC_MOVF) || m.p(3)->dest != 0 || !m.same(1, 3) || !m.ordinary(1) ||
        !m.movable(1, 3) || !m.unguarded(1))
        return false;
    m.erase(2, 2);
    return true;
}

// x = W; W = k; W = W op x computes W op k with the same Z; the store into x may only go
// when nothing reads x again (a temporary named nowhere else, or dead).
static bool literalOperation(Match& m, int operation, int literalForm) {
    if (!m.op(0, PIC_MOVWF) || !m.op(1, PIC_MOVLW) || !m.op(2, operation) || m.p(2)->dest != 0 ||
        !m.same(0, 2) || !m.movable(0, 2) || !m.unguarded(0) || m.literal(1) < 0 ||
        !m.storeUnneeded(0, 2, 3))
        return false;
    Instruction* c = m.p(0);
    c->opcode = literalForm;
    c->operand = m.p(1)->operand;
    c->value = m.p(1)->value;
    c->dest = -1;
    c->offset = 0;
    c->line = m.p(2)->line;
    m.erase(1, 2);
    return true;
}

bool rule9OrLiteral(Match& m) {
    return literalOperation(m, PIC_IORWF, PIC_IORLW);
}

bool rule10AndLiteral(Match& m) {
    return m.p(0) != nullptr && isTemporary(m.p(0)->operand) &&
           literalOperation(m, PIC_ANDWF, PIC_ANDLW);
}

// x = W; W = y; W = x + W equals x = W; W = y + W: addition and its flags are symmetric.
// The store must surely run (no skip before it): skipped, the original adds the old x.
bool rule19AddOperands(Match& m) {
    if (!m.op(1, PIC_MOVWF) || !m.op(2, PIC_MOVF) || !m.op(3, PIC_ADDWF) || m.p(2)->dest != 0 ||
        m.p(3)->dest != 0 || !m.same(1, 3) || !m.ordinary(1) || !m.ordinary(2) ||
        m.p(1)->scope != m.p(2)->scope || !m.movable(1, 3) || !m.unguarded(1))
        return false;
    Instruction* add = m.p(3);
    const Instruction* load = m.p(2);
    add->operand = load->operand;
    add->offset = load->offset;
    add->scope = load->scope;
    add->value = load->value;
    m.erase(2, 2);
    return true;
}

// W = k; x = W; x++ stores k + 1 either way; W then differs and Z is no longer set, so both
// must be dead.
bool rule20IncrementedLiteral(Match& m) {
    if (!m.op(0, PIC_MOVLW) || !m.op(1, PIC_MOVWF) || !m.op(2, PIC_INCF) || m.p(2)->dest != 1 ||
        !m.same(1, 2) || m.literal(0) < 0 || !m.ordinary(1) || !m.movable(0, 2) ||
        !m.unguarded(0) || !m.dead(3, W | Z))
        return false;
    const int k = (m.literal(0) + 1) & 0xFF;
    m.p(0)->operand = std::to_string(k);
    m.p(0)->value = k;
    m.erase(2, 2);
    return true;
}

// Storing W into a byte and loading it back leaves W as it was; only Z (set by the load) is
// lost, so Z must be dead. The store must surely run.
static bool reload(Match& m, bool needStoreAfter) {
    if (!m.op(0, PIC_MOVWF) || !m.op(1, PIC_MOVF) || m.p(1)->dest != 0 || !m.same(0, 1) ||
        !m.ordinary(0) || !m.movable(0, 1) || !m.unguarded(0))
        return false;
    if (needStoreAfter && !m.op(2, PIC_MOVWF))
        return false;
    if (!m.dead(2, Z))
        return false;
    m.erase(1, 1);
    return true;
}

bool rule21ScratchReload(Match& m) {
    return m.p(0) != nullptr && m.p(0)->operand == "@__SxItmp_" && reload(m, false);
}

bool rule22Reload(Match& m) {
    return reload(m, true);
}

// W = 0; x = W clears x as CLRF does, but CLRF leaves W and sets Z: both must be dead. A
// volatile variable in RAM takes the same single write.
bool rule31ClearByLiteral(Match& m) {
    if (!m.loads(0, 0) || !m.op(1, PIC_MOVWF) || m.op(2, PIC_MOVWF) || !m.plainRam(1) ||
        !m.movable(0, 1) || !m.unguarded(0) || !m.dead(2, W | Z))
        return false;
    Instruction* c = m.p(0);
    const Instruction* store = m.p(1);
    c->opcode = PIC_CLRF;
    c->operand = store->operand;
    c->offset = store->offset;
    c->scope = store->scope;
    c->value = store->value;
    c->dest = -1;
    m.erase(1, 1);
    return true;
}

// W = *FSR; t = W; W = ~t; u = W complements the indirect byte into W directly, with the same
// Z. t is no longer written, so it must be needed nowhere.
bool rule34ComplementIndirect(Match& m) {
    if (!m.op(0, PIC_MOVF) || m.p(0)->operand != IndirectRegister || m.p(0)->dest != 0 ||
        !m.op(1, PIC_MOVWF) || !m.op(2, PIC_COMF) || m.p(2)->dest != 0 || !m.op(3, PIC_MOVWF) ||
        !isTemporary(m.p(1)->operand) || !isTemporary(m.p(3)->operand) || !m.same(1, 2) ||
        !m.movable(0, 3) || !m.unguarded(0) || !m.storeUnneeded(1, 2, 3))
        return false;
    m.p(0)->opcode = PIC_COMF;
    m.erase(1, 2);
    return true;
}

// A load whose W and Z are both overwritten by the next word before anything reads them.
static bool overwrittenLoad(Match& m, int firstOpcode, int firstDest) {
    if (!m.op(1, firstOpcode) || (firstDest >= 0 && m.p(1)->dest != firstDest) ||
        !m.movable(1, 2) || !m.unguarded(1) || !m.dead(2, W | Z))
        return false;
    m.erase(1, 1);
    return true;
}

// W = x - 1 then a MOVF: the MOVF sets Z; W must be dead (a MOVF x,F does not load W).
bool rule39DecrementToW(Match& m) {
    return m.op(2, PIC_MOVF) && overwrittenLoad(m, PIC_DECF, 0);
}

// Two loads: the second overwrites W and Z.
bool rule40TwoLoads(Match& m) {
    return m.op(2, PIC_MOVF) && m.p(2)->dest == 0 && overwrittenLoad(m, PIC_MOVF, -1);
}

// A load, then a literal load and a subtraction into a register: W and Z are overwritten.
bool rule41LoadBeforeSubtract(Match& m) {
    return m.op(2, PIC_MOVLW) && m.op(3, PIC_SUBWF) && m.p(3)->dest == 1 &&
           overwrittenLoad(m, PIC_MOVF, -1);
}

// After a call, t = W; y = W; W = 0; if t.7 W = 255: y holds the same byte as t when the bit
// is tested, so the test may read y and the store into t go when t is needed nowhere else.
bool rule43SignTestOnStore(Match& m) {
    if (!m.op(0, PIC_CALL) || !m.op(1, PIC_MOVWF) || !m.op(2, PIC_MOVWF) || !m.op(3, PIC_CLRW) ||
        !m.op(4, PIC_BTFSC) || !m.op(5, PIC_MOVLW) || !m.op(6, PIC_MOVWF) ||
        !isTemporary(m.p(1)->operand) || !m.same(1, 4) || m.p(4)->dest != 7 || !m.ordinary(2) ||
        m.same(1, 2) || !m.movable(1, 6) || !m.storeUnneeded(1, 2, 5))
        return false;
    Instruction* test = m.p(4);
    const Instruction* y = m.p(2);
    test->operand = y->operand;
    test->offset = y->offset;
    test->scope = y->scope;
    m.erase(1, 1);
    return true;
}

// W = x before x is incremented and tested: W and Z from the load must be dead.
bool rule44LoadBeforeIncrementSkip(Match& m) {
    if (!m.op(1, PIC_MOVF) || m.p(1)->dest != 0 || !m.op(2, PIC_INCFSZ) || m.p(2)->dest != 1 ||
        !m.same(1, 2) || !m.movable(1, 2) || !m.unguarded(1) || !m.dead(3, W | Z))
        return false;
    m.erase(1, 1);
    return true;
}

// A word that only computes W and flags nobody reads: `x++` as a statement leaves the old
// value in W, for instance. Its register read must not matter: a byte that holds what was
// written to it, or the byte the word before just read or wrote. Unguarded, so that no skip
// passes a different word afterwards.
bool rule45UnusedResult(Match& m) {
    const Instruction* i = m.p(1);
    if (i == nullptr || !m.movable(1, 1) || !m.unguarded(1))
        return false;
    const Effects e = effectsOf(*i);
    if (e.barrier || e.skip || e.writesRegister || e.readsEveryRegister || (e.writes & W) == 0)
        return false;
    if (e.readsRegister && !m.ordinary(1) && !(m.same(0, 1) && effectsOf(*m.p(0)).readsRegister))
        return false;
    if (!m.dead(2, e.writes))
        return false;
    m.erase(1, 1);
    return true;
}

// A store into a temporary that every path writes again before reading: the difference a
// relation leaves once the condition jumps on its flag, or the high byte of a 16-bit value
// only whose low byte is stored. MOVWF changes no flag, CLRF sets Z, which must then be dead;
// the store must not be guarded, or the skip would pass another word afterwards. The byte
// that carries a 16-bit result's high half across a return is read by the caller and stays.
bool rule47DeadTemporaryStore(Match& m) {
    const Instruction* store = m.p(1);
    const bool clear = m.op(1, PIC_CLRF);
    if (!(m.op(1, PIC_MOVWF) || clear) || !isTemporary(store->operand) ||
        store->operand == m.compilation().codegen.returnHighRegister || !m.movable(1, 1) ||
        !m.unguarded(1) || !(m.registerDead(2, *store) || m.code().neverRead(*store)) ||
        (clear && !m.dead(2, Z)))
        return false;
    m.erase(1, 1);
    return true;
}

} // namespace kavo::optimiser

namespace kavo::optimiser {

// A bit test guarding a step of a temporary no path reads again: the sign extension of a
// value only whose low byte is kept. Both words go when Z (the step's flag) is dead and the
// test reads plain RAM; the test must not itself be guarded, or an earlier skip would pass
// another word afterwards.
bool rule51DeadGuardedStep(Match& m) {
    const bool test = m.op(0, PIC_BTFSC) || m.op(0, PIC_BTFSS);
    const bool step = (m.op(1, PIC_DECF) || m.op(1, PIC_INCF)) && m.p(1)->dest == 1;
    if (!test || !step || !m.plainRam(0) || !isTemporary(m.p(1)->operand) ||
        m.p(1)->operand == m.compilation().codegen.returnHighRegister || !m.movable(0, 1) ||
        !m.unguarded(0) || !(m.registerDead(2, *m.p(1)) || m.code().neverRead(*m.p(1))) ||
        !m.dead(2, Z))
        return false;
    m.erase(0, 1);
    return true;
}

} // namespace kavo::optimiser
