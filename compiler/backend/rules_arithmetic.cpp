// Peephole rules on status bits and register arithmetic: rule5StatusBitRewritten,
// rule6SetThenClear, rule7ClearThenSet, rule13ZeroClearedTwice, rule14ZeroSetTwice,
// rule15AddZeroThenCarryTest, rule16AddZero, rule17CarryToByte, rule18CarryToByteInverted,
// rule23SetBitByOr, rule24ClearBitByAnd, rule26AddIntoRegister, rule27StoreBack,
// rule28StoreReloadBeforeTest, rule29LoadStoreReloadBeforeTest, rule30TemporaryPassThrough,
// rule32IncrementByAdd, rule33DecrementBySubtract, rule35AddOne, rule36OperateInPlace,
// rule37IncrementDecrement, rule49RotateFromSource, rule50RotateIntoW. Each states why the rewrite keeps every value later code reads.
#include "compiler/backend/rules.hpp"

namespace kavo::optimiser {

namespace {

// A word the skip passes whole: not a compound form that expands to several words.
bool singleWord(const Instruction& i) {
    return !effectsOf(i).barrier || i.opcode == PIC_GOTO || i.opcode == PIC_CALL ||
           i.opcode == PIC_RETURN || i.opcode == PIC_RETLW;
}

bool setsOrClearsBit(const Match& m, int k) {
    return m.op(k, PIC_BSF) || m.op(k, PIC_BCF);
}

// p1 sets or clears a STATUS bit that p2 (at distance) sets or clears again, and nothing in
// between reads it: p1's bit is never seen. Every word surely runs (no skip before p1).
bool overwrittenStatusBit(Match& m, int second) {
    if (!setsOrClearsBit(m, 1) || !setsOrClearsBit(m, second) ||
        m.p(1)->operand != StatusRegister || m.p(second)->operand != StatusRegister ||
        m.p(1)->dest != m.p(second)->dest || !m.movable(1, second) || !m.unguarded(1))
        return false;
    for (int k = 2; k < second; ++k) {
        if (!setsOrClearsBit(m, k) ||
            (m.p(k)->operand == StatusRegister && m.p(k)->dest == m.p(1)->dest))
            return false;
    }
    m.erase(1, 1);
    return true;
}

} // namespace

bool rule5StatusBitRewritten(Match& m) {
    return overwrittenStatusBit(m, 3);
}

bool rule6SetThenClear(Match& m) {
    return m.op(1, PIC_BSF) && m.op(2, PIC_BCF) && m.p(1)->scope == m.p(2)->scope &&
           overwrittenStatusBit(m, 2);
}

bool rule7ClearThenSet(Match& m) {
    return m.op(1, PIC_BCF) && m.op(2, PIC_BSF) && overwrittenStatusBit(m, 2);
}

bool rule13ZeroClearedTwice(Match& m) {
    return m.op(1, PIC_BCF) && m.op(2, PIC_BCF) && m.status(1, 2) && overwrittenStatusBit(m, 2);
}

bool rule14ZeroSetTwice(Match& m) {
    return m.op(1, PIC_BSF) && m.op(2, PIC_BSF) && m.status(1, 2) && overwrittenStatusBit(m, 2);
}

// W = 0; x += W never carries, so a following carry test always skips its word: the four
// words leave x as it was. W = 0 and the add's C, DC and Z are lost, so they must be dead.
bool rule15AddZeroThenCarryTest(Match& m) {
    if (!m.loads(1, 0) || !m.op(2, PIC_ADDWF) || m.p(2)->dest != 1 || !m.op(3, PIC_BTFSC) ||
        !m.status(3, 0) || m.p(4) == nullptr || m.op(4, PIC_LABEL) || m.op(4, PIC_PAGE) ||
        m.op(4, PIC_BANK) || !singleWord(*m.p(4)) || !m.ordinary(2) || !m.movable(1, 4) ||
        !m.unguarded(1) || !m.dead(5, W | Flags))
        return false;
    m.erase(1, 4);
    return true;
}

// W = 0; x += W leaves x; W = 0 and the flags are lost, so they must be dead.
bool rule16AddZero(Match& m) {
    if (!m.loads(1, 0) || !m.op(2, PIC_ADDWF) || m.p(2)->dest != 1 || !m.ordinary(2) ||
        !m.movable(1, 2) || !m.unguarded(1) || !m.dead(3, W | Flags))
        return false;
    m.erase(1, 2);
    return true;
}

namespace {

// A known carry turned into a byte: C = k; t = 0; if C (or !C) t++; W = t. The result is a
// known W and Z; C itself is no longer set and t no longer written, so both must be dead.
bool carryToByte(Match& m, int testOpcode) {
    if (!setsOrClearsBit(m, 0) || !m.status(0, 0) || !m.op(1, PIC_CLRF) || !m.op(2, testOpcode) ||
        !m.status(2, 0) || !m.op(3, PIC_INCF) || m.p(3)->dest != 1 || !m.op(4, PIC_MOVF) ||
        m.p(4)->dest != 0 || !isTemporary(m.p(1)->operand) || !m.same(1, 3) || !m.same(1, 4) ||
        !m.movable(0, 4) || !m.unguarded(0) || !m.dead(5, C) || !m.storeUnneeded(1, 3, 5))
        return false;
    const bool carry = m.op(0, PIC_BSF);
    const bool one = carry == (testOpcode == PIC_BTFSC);
    Instruction* c = m.p(0);
    c->opcode = one ? PIC_BCF : PIC_BSF;
    c->dest = 2;
    Instruction* load = m.p(1);
    load->opcode = PIC_MOVLW;
    load->operand = std::to_string(one ? 1 : 0);
    load->value = one ? 1 : 0;
    load->offset = 0;
    load->dest = -1;
    m.erase(2, 4);
    return true;
}

} // namespace

bool rule17CarryToByte(Match& m) {
    return carryToByte(m, PIC_BTFSC);
}

bool rule18CarryToByteInverted(Match& m) {
    return carryToByte(m, PIC_BTFSS);
}

namespace {

int singleBit(int k, bool set) {
    for (int bit = 0; bit < 8; ++bit) {
        if ((set && k == (1 << bit)) || (!set && k == (0xFF & ~(1 << bit))))
            return bit;
    }
    return -1;
}

// W = one bit; x |= W (x &= W) sets (clears) that bit of x. W and Z are no longer set.
bool bitByLiteral(Match& m, int operation, bool set) {
    if (!m.op(0, PIC_MOVLW) || !m.op(1, operation) || m.p(1)->dest != 1 || !m.ordinary(1) ||
        !m.movable(0, 1) || !m.unguarded(0) || !m.dead(2, W | Z))
        return false;
    const int bit = singleBit(m.literal(0), set);
    if (bit < 0)
        return false;
    Instruction* c = m.p(0);
    const Instruction* x = m.p(1);
    c->opcode = set ? PIC_BSF : PIC_BCF;
    c->operand = x->operand;
    c->offset = x->offset;
    c->scope = x->scope;
    c->value = x->value;
    c->dest = bit;
    m.erase(1, 1);
    return true;
}

} // namespace

bool rule23SetBitByOr(Match& m) {
    return bitByLiteral(m, PIC_IORWF, true);
}

bool rule24ClearBitByAnd(Match& m) {
    return bitByLiteral(m, PIC_ANDWF, false);
}

// W = x + W; x = W adds into x with the same flags; W keeps its old value, so it must be dead.
bool rule26AddIntoRegister(Match& m) {
    if (!m.op(1, PIC_ADDWF) || m.p(1)->dest != 0 || !m.op(2, PIC_MOVWF) || !m.same(1, 2) ||
        !m.ordinary(1) || !m.op(3, PIC_BTFSC) || !m.status(3, 0) || !m.movable(1, 3) ||
        !m.unguarded(1) || !m.dead(3, W))
        return false;
    m.p(1)->dest = 1;
    m.erase(2, 2);
    return true;
}

// W = x; x = W leaves x unchanged; W and Z from the load must be dead.
bool rule27StoreBack(Match& m) {
    if (!m.op(1, PIC_MOVF) || m.p(1)->dest != 0 || !m.op(2, PIC_MOVWF) || !m.same(1, 2) ||
        !m.ordinary(1) || !m.op(3, PIC_BTFSC) || !m.status(3, 0) || !m.movable(1, 3) ||
        !m.unguarded(1) || !m.dead(3, W | Z))
        return false;
    m.erase(1, 2);
    return true;
}

namespace {

// c left its result in W and set Z from it, and surely ran.
bool setsZeroFromW(const Match& m) {
    const Instruction* c = m.p(0);
    if (c == nullptr || !m.unguarded(0) || c->operand == StatusRegister)
        return false;
    switch (c->opcode) {
    case PIC_ADDWF:
    case PIC_SUBWF:
    case PIC_ANDWF:
    case PIC_IORWF:
    case PIC_XORWF:
    case PIC_COMF:
    case PIC_DECF:
    case PIC_INCF:
    case PIC_MOVF:
        return c->dest == 0;
    case PIC_ANDLW:
    case PIC_IORLW:
    case PIC_XORLW:
    case PIC_CLRW:
        return true;
    default:
        return false;
    }
}

// t = W; W = t leaves W; the reload's Z equals the Z c set from the same W, or is dead.
bool reloadBeforeTest(Match& m, bool dropStore) {
    if (!m.op(1, PIC_MOVWF) || !m.op(2, PIC_MOVF) || m.p(2)->dest != 0 || !m.same(1, 2) ||
        !isTemporary(m.p(1)->operand) || !m.movable(1, 2) || !m.unguarded(1))
        return false;
    if (!setsZeroFromW(m) && !m.dead(3, Z))
        return false;
    if (dropStore) {
        if (m.p(3) == nullptr || isSkip(*m.p(3)) || !m.storeUnneeded(1, 2, 3))
            return false;
        m.erase(1, 2);
    } else {
        m.erase(2, 2);
    }
    return true;
}

} // namespace

bool rule28StoreReloadBeforeTest(Match& m) {
    return !m.op(0, PIC_MOVLW) && m.op(3, PIC_BTFSC) && reloadBeforeTest(m, false);
}

bool rule29LoadStoreReloadBeforeTest(Match& m) {
    return m.op(0, PIC_MOVF) && m.op(3, PIC_BTFSC) && reloadBeforeTest(m, false);
}

bool rule30TemporaryPassThrough(Match& m) {
    return !m.op(0, PIC_CALL) && reloadBeforeTest(m, true);
}

namespace {

// W = 1; W = x op W; x = W steps x by one in place. W and the carries differ afterwards and
// must be dead; Z is the same.
bool stepByOne(Match& m, int operation, int replacement) {
    if (!m.loads(0, 1) || !m.op(1, operation) || m.p(1)->dest != 0 || !m.op(2, PIC_MOVWF) ||
        !m.same(1, 2) || !m.ordinary(1) || !m.movable(0, 2) || !m.unguarded(0) ||
        !m.dead(3, W | C | DC))
        return false;
    Instruction* c = m.p(0);
    const Instruction* x = m.p(1);
    c->opcode = replacement;
    c->operand = x->operand;
    c->offset = x->offset;
    c->scope = x->scope;
    c->value = x->value;
    c->dest = 1;
    m.erase(1, 2);
    return true;
}

} // namespace

bool rule32IncrementByAdd(Match& m) {
    return stepByOne(m, PIC_ADDWF, PIC_INCF);
}

bool rule33DecrementBySubtract(Match& m) {
    return stepByOne(m, PIC_SUBWF, PIC_DECF);
}

// W = 1; x + W becomes INCF x: the result and Z are the same, C and DC are not set (they must
// be dead), and with the result in x W keeps its old value (W must be dead).
bool rule35AddOne(Match& m) {
    if (!m.loads(0, 1) || !m.op(1, PIC_ADDWF) || !m.ordinary(1) || !m.movable(0, 1) ||
        !m.unguarded(0) || !m.dead(2, C | DC | (m.p(1)->dest == 1 ? unsigned{W} : 0u)))
        return false;
    Instruction* c = m.p(0);
    const Instruction* x = m.p(1);
    c->opcode = PIC_INCF;
    c->operand = x->operand;
    c->offset = x->offset;
    c->scope = x->scope;
    c->value = x->value;
    c->dest = x->dest;
    m.erase(1, 1);
    return true;
}

// W = op(x); x = W becomes x = op(x) with the same Z; W keeps its old value and must be dead.
bool rule36OperateInPlace(Match& m) {
    const int opcode = m.p(0) != nullptr ? m.p(0)->opcode : 0;
    if (opcode != PIC_DECF && opcode != PIC_INCF && opcode != PIC_XORWF && opcode != PIC_IORWF &&
        opcode != PIC_ANDWF)
        return false;
    if (m.p(0)->dest != 0 || !m.op(1, PIC_MOVWF) || !m.same(0, 1) || !m.ordinary(0) ||
        !m.movable(0, 1) || !m.unguarded(0) || !m.dead(2, W))
        return false;
    m.p(0)->dest = 1;
    m.erase(1, 1);
    return true;
}

// x++; x-- (or the reverse) leaves x; Z from the second must be dead.
bool rule37IncrementDecrement(Match& m) {
    const bool pair =
        (m.op(1, PIC_INCF) && m.op(2, PIC_DECF)) || (m.op(1, PIC_DECF) && m.op(2, PIC_INCF));
    if (!pair || m.p(1)->dest != 1 || m.p(2)->dest != 1 || !m.same(1, 2) || !m.ordinary(1) ||
        !m.movable(1, 2) || !m.unguarded(1) || !m.dead(3, Z))
        return false;
    m.erase(1, 2);
    return true;
}

} // namespace kavo::optimiser

namespace kavo::optimiser {

namespace {

bool isRotate(const Match& m, int k) {
    return m.op(k, PIC_RLF) || m.op(k, PIC_RRF);
}

} // namespace

// W = x; t = W; C = 0; rotate t in place: a shift's first step. Rotating x into W and storing
// that in t leaves t and C the same (C is cleared first either way, and the clear commutes
// with the load). W ends rotated rather than x, and Z as it was rather than set by x, so both
// must be dead; t, a temporary, is written once instead of twice.
bool rule49RotateFromSource(Match& m) {
    if (!m.op(0, PIC_MOVF) || m.p(0)->dest != 0 || !m.op(1, PIC_MOVWF) || !m.op(2, PIC_BCF) ||
        !m.status(2, 0) || !isRotate(m, 3) || m.p(3)->dest != 1 || !m.same(1, 3) ||
        m.same(0, 1) || !isTemporary(m.p(1)->operand) || !m.movable(0, 3) || !m.unguarded(0) ||
        !m.dead(4, W | Z))
        return false;
    const std::size_t at = m.index();
    const Instruction clear = *m.p(2);
    m.p(0)->opcode = m.p(3)->opcode; // rotate x into W
    m.erase(2, 3);
    m.code().insertBefore(at, clear, PIC_BCF, clear.operand, clear.dest);
    return true;
}

// Rotate t in place, then W = t: a shift's last step. Rotating t into W gives W the same
// value; t keeps its old value, so its store must be unneeded, and Z (set by the load) dead.
// Unguarded: a skip over the rotation would otherwise leave W different.
bool rule50RotateIntoW(Match& m) {
    if (!isRotate(m, 0) || m.p(0)->dest != 1 || !m.op(1, PIC_MOVF) || m.p(1)->dest != 0 ||
        !m.same(0, 1) || !m.ordinary(0) || !m.movable(0, 1) || !m.unguarded(0) ||
        !m.storeUnneeded(0, 1, 2) || !m.dead(2, Z))
        return false;
    m.p(0)->dest = 0;
    m.erase(1, 1);
    return true;
}

} // namespace kavo::optimiser
