// Relations: the parser writes a relation as EQU_MARK, the difference d of its operands, and
// the relation's node. The relation turns d (and the carry its subtraction left) into a 0/1
// byte: CLRF t, a test, INCF t,F that the test skips.
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/generator.hpp"

namespace kavo::codegen {

namespace {

bool isRelation(int kind) {
    return kind == LEQUALS || kind == LNOTEQ || kind == LESSTHAN || kind == BIGGERTHAN ||
           kind == LESSEQ || kind == BIGGEREQ;
}

// Loads d so that the zero flag tells whether it is 0.
void loadForZeroTest(Compilation& c, const Item& d, int line) {
    if (d.kind == INTEGER_CONSTANT) {
        // A 16-bit constant whose low byte is 0 is still not 0.
        const int truth = d.ival != 0 ? 1 : 0;
        emit(c, PIC_MOVLW, std::to_string(truth), -1, line, truth);
        emit(c, PIC_ANDLW, "255", -1, line, 255);
        return;
    }
    emitOn(c, PIC_MOVF, d, 0, line);
    if (d.kind == LONG_IDENTIFIER)
        emitOn(c, PIC_IORWF, d, 0, line, true);
}

} // namespace

bool generateRelation(Site& s) {
    Item* d = s.item->next;
    Item* relation = d != nullptr ? d->next : nullptr;
    if (d == nullptr || relation == nullptr || !isRelation(relation->kind))
        return false;
    Compilation& c = s.c;
    const int line = s.line();
    if (d->kind != INTEGER_CONSTANT && d->kind != IDENTIFIER && d->kind != LONG_IDENTIFIER) {
        if (isLeaf(d) || d->kind == ADDRESS) {
            c.error(strprintf("ERROR(C38): Line: %d Identifier or constant expected near %s.\n",
                              line, writtenAs(resultOf(*d)).c_str()));
            drop(s, relation);
            drop(s, s.item);
            return true;
        }
        return false;
    }
    const int kind = relation->kind;
    const bool useCarry = d->kind == INTEGER_CONSTANT || c.codegen.expressionSign == UNSIGNED;
    // The truth value is a signed 0 or 1 whatever the operands were.
    const std::string t = newTemporaryOfSign(c, false, SIGNED);
    TruthByte truth{t, c.instructions.last()};
    truth.clear = emit(c, PIC_CLRF, t, -1, line);
    if (kind == LEQUALS || kind == LNOTEQ) {
        loadForZeroTest(c, *d, line);
        truth.test = emit(c, kind == LEQUALS ? PIC_BTFSC : PIC_BTFSS, Status, Zero, line);
    } else {
        const bool whenNotNegative = kind == BIGGEREQ || kind == LESSEQ;
        if (useCarry)
            truth.test = emit(c, whenNotNegative ? PIC_BTFSC : PIC_BTFSS, Status, Carry, line);
        else
            truth.test = emitOn(c, whenNotNegative ? PIC_BTFSS : PIC_BTFSC, *d, 7, line,
                                d->kind == LONG_IDENTIFIER);
    }
    truth.increment = emit(c, PIC_INCF, t, 1, line);
    c.codegen.truthByte = truth;
    becomeLeaf(s.item, IDENTIFIER, t);
    drop(s, relation);
    drop(s, d);
    return true;
}

} // namespace kavo::codegen
