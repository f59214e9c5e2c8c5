// Bit-fields: a struct member of a width in bits lives in some bits of a byte it shares with
// the bit-fields beside it. A member access leaves the byte as its leaf, marked with the
// field's bits (markBitField). Read, the field is taken out into a temporary at once: shifted
// down, masked, and extended by its sign. Stored into, the new bits are merged into the byte
// with a single write (byte ^= (byte ^ bits) & mask), so that the other fields, and the other
// pins of a port a struct overlays, keep theirs. A compound assignment or ++/-- works on the
// field's value in a temporary and stores that back.
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/generator.hpp"
#include "compiler/symbols/symbols.hpp"

#include <string>

namespace kavo::codegen {

namespace {

int fieldMask(const Item& field) {
    return (1 << field.bitWidth) - 1;
}

// The value a field of this width and sign holds after v is stored into it.
int storedValue(const Item& field, int sign, int v) {
    const int bits = v & fieldMask(field);
    const int top = 1 << (field.bitWidth - 1);
    return sign == UNSIGNED || (bits & top) == 0 ? bits : bits - 2 * top;
}

// t = the field's value, from its byte (t may be the byte itself, a temporary of ours).
void extractInto(Compilation& c, const Item& byte, int offset, int width, int sign,
                 const std::string& t, int line) {
    const int mask = (1 << width) - 1;
    const bool inPlace = byte.cval == t && byte.ival == 0;
    int shifts = offset;
    if (!inPlace && width == 1 && sign == UNSIGNED) {
        // The skip guards a literal load: nothing between it and the skip may select a bank.
        emit(c, PIC_MOVLW, "0", -1, line, 0);
        emitOn(c, PIC_BTFSC, byte, offset, line);
        emit(c, PIC_MOVLW, "1", -1, line, 1);
        emit(c, PIC_MOVWF, t, -1, line);
        return;
    }
    if (inPlace && shifts >= 4) {
        emit(c, PIC_SWAPF, t, 1, line);
        shifts -= 4;
    } else if (!inPlace) {
        // One read of the byte: a port's pins are sampled once.
        emitOn(c, shifts >= 4 ? PIC_SWAPF : shifts == 1 ? PIC_RRF : PIC_MOVF, byte, 0, line);
        shifts = shifts >= 4 ? shifts - 4 : shifts == 1 ? 0 : shifts;
        if (shifts == 0) {
            // The rotate's carry and the other fields are masked off before the store.
            emit(c, PIC_ANDLW, std::to_string(mask), -1, line, mask);
            emit(c, PIC_MOVWF, t, -1, line);
        } else {
            emit(c, PIC_MOVWF, t, -1, line);
        }
    }
    if (inPlace || shifts > 0) {
        for (int i = 0; i < shifts; ++i)
            emit(c, PIC_RRF, t, 1, line);
        emit(c, PIC_MOVLW, std::to_string(mask), -1, line, mask);
        emit(c, PIC_ANDWF, t, 1, line);
    }
    if (sign != UNSIGNED && width < 8) {
        const int extension = 0xFF & ~mask;
        emit(c, PIC_MOVLW, std::to_string(extension), -1, line, extension);
        emit(c, PIC_BTFSC, t, width - 1, line);
        emit(c, PIC_IORWF, t, 1, line);
    }
}

// The field's value in a temporary (the byte's own temporary when it is one). The temporary
// is signed whatever the field's sign: every value of a field narrower than a byte is an
// int's, and C promotes it to int, so even an unsigned one compares and divides as a signed
// value (7 > -8).
std::string readField(Compilation& c, const Item& byte, int offset, int width, int sign,
                      int line) {
    const bool ownTemporary = byte.cval.starts_with("_tmp_") && byte.ival == 0;
    const std::string t = ownTemporary ? byte.cval : newTemporaryOfSign(c, false, SIGNED);
    extractInto(c, byte, offset, width, sign, t, line);
    return t;
}

// Stores the value leaf's low bits into the field at byte.
void storeField(Compilation& c, const Item& byte, const Item& value, int offset, int width,
                int line) {
    const int mask = ((1 << width) - 1) << offset;
    if (value.kind == INTEGER_CONSTANT) {
        const int bits = (value.ival << offset) & mask;
        if (width == 1) {
            emitOn(c, bits != 0 ? PIC_BSF : PIC_BCF, byte, offset, line);
            return;
        }
        emitOn(c, PIC_MOVF, byte, 0, line);
        emit(c, PIC_ANDLW, std::to_string(0xFF & ~mask), -1, line, 0xFF & ~mask);
        if (bits != 0)
            emit(c, PIC_IORLW, std::to_string(bits), -1, line, bits);
        emitOn(c, PIC_MOVWF, byte, -1, line);
        return;
    }
    // W = the value shifted to the field's place; the bits around it are masked below.
    if (offset == 1) {
        emitOn(c, PIC_RLF, value, 0, line);
    } else if (offset == 0) {
        loadW(c, value, line);
    } else {
        const std::string t = newTemporary(c, false);
        loadW(c, value, line);
        emit(c, PIC_MOVWF, t, -1, line);
        int shifts = offset;
        if (shifts >= 4) {
            emit(c, PIC_SWAPF, t, 1, line);
            shifts -= 4;
        }
        for (int i = 0; i < shifts; ++i)
            emit(c, PIC_RLF, t, 1, line);
        emit(c, PIC_MOVF, t, 0, line);
        freetmp(c, t);
    }
    emitOn(c, PIC_XORWF, byte, 0, line);
    emit(c, PIC_ANDLW, std::to_string(mask), -1, line, mask);
    emitOn(c, PIC_XORWF, byte, 1, line);
}

// Whether anything reads the operation's value: the statement's value is read, or an item of
// the list is neither one of the operation's own nor a bracket.
bool valueRead(const Site& s, const Item* value, const Item* target) {
    if (!s.c.codegen.resultDiscarded)
        return true;
    for (const Item* i = s.list; i != nullptr; i = i->next) {
        const bool bracket = i->kind == SRC_ADDR || i->kind == DEST_ADDR ||
                             i->kind == POSTFIX_EXP_START || i->kind == POSTFIX_EXP_END ||
                             i->kind == POSTINC_START || i->kind == POSTINC_END;
        if (i != value && i != s.item && i != target && !bracket)
            return true;
    }
    return false;
}

// The byte the field lives in, kept at FSR across a runtime routine's call: its address is
// saved first and FSR is set up from it again after.
struct KeptFsr {
    Compilation& c;
    std::string address;
    KeptFsr(Compilation& compilation, const Item& byte, int line) : c(compilation) {
        if (byte.cval != Indirect)
            return;
        address = newTemporaryOfSign(c, false, UNSIGNED);
        emit(c, PIC_MOVF, "@__fsr__", 0, line);
        emit(c, PIC_MOVWF, address, -1, line);
    }
    void restore(int line) {
        if (address.empty())
            return;
        emit(c, PIC_MOVF, address, 0, line);
        emit(c, PIC_MOVWF, "@__fsr__", -1, line);
        freetmp(c, address);
    }
};

} // namespace

void markBitField(Item& leaf, const Symbol& member) {
    // A field of the whole byte is the byte.
    if (member.bitWidth == 0 || member.bitWidth == 8)
        return;
    leaf.bitOffset = member.bitOffset;
    leaf.bitWidth = member.bitWidth;
    leaf.sign = signOfSymbol(member);
}

void refuseBitFieldAddress(Compilation& c, int line) {
    c.error(strprintf("ERROR(C344): Line: %d A bit-field has no address of its own: & and sizeof "
                      "do not take one.\n",
                      line));
}

bool finishBitFieldAccess(Site& s, bool acted) {
    Item* leaf = s.item;
    if (!acted || !isLeaf(leaf) || leaf->bitWidth == 0 || isStoredInto(s.previous))
        return acted;
    if (s.previous != nullptr && (s.previous->kind == ADDR || s.previous->kind == SIZEOF)) {
        refuseBitFieldAddress(s.c, s.line());
        s.c.codegen.abortExpression = true;
        return true;
    }
    const int sign = leaf->sign == UNSIGNED ? UNSIGNED : SIGNED;
    const std::string t =
        readField(s.c, *leaf, leaf->bitOffset, leaf->bitWidth, sign, s.line());
    becomeLeaf(leaf, IDENTIFIER, t);
    leaf->sign = SIGNED; // the byte's own temporary kept the member's sign
    return true;
}

bool generateBitFieldAssignment(Site& s) {
    Compilation& c = s.c;
    const int line = s.line();
    Item* value = s.previous;
    Item* target = s.item->next;
    const Item byte = *target;
    const int sign = byte.sign == UNSIGNED ? UNSIGNED : SIGNED;
    const bool read = valueRead(s, value, target);
    if (s.item->kind == ASSIGN) {
        storeField(c, byte, *value, byte.bitOffset, byte.bitWidth, line);
        if (read && value->kind == INTEGER_CONSTANT)
            becomeConstant(target, storedValue(byte, sign, value->ival));
        else if (read)
            becomeLeaf(target, IDENTIFIER,
                       readField(c, byte, byte.bitOffset, byte.bitWidth, sign, line));
        else
            target->bitWidth = 0;
        drop(s, value);
        drop(s, s.item);
        return true;
    }
    // x op= v: the operation on the field's value, then the result stored back.
    KeptFsr kept(c, byte, line);
    const std::string t = readField(c, byte, byte.bitOffset, byte.bitWidth, sign, line);
    becomeLeaf(target, IDENTIFIER, t);
    generateAssignment(s); // leaves the target, t, as the value
    kept.restore(line);
    storeField(c, byte, *target, byte.bitOffset, byte.bitWidth, line);
    if (read)
        extractInto(c, *target, 0, byte.bitWidth, sign, t, line);
    return true;
}

bool generateBitFieldStep(Site& s) {
    Compilation& c = s.c;
    const int line = s.line();
    const int kind = s.item->kind;
    Item* target = s.item->next;
    const Item byte = *target;
    const int sign = byte.sign == UNSIGNED ? UNSIGNED : SIGNED;
    const bool read = valueRead(s, nullptr, target);
    const bool after = kind == POSTINC || kind == POSTDEC;
    const std::string t = readField(c, byte, byte.bitOffset, byte.bitWidth, sign, line);
    std::string old;
    if (read && after) {
        old = newTemporaryOfSign(c, false, SIGNED);
        emit(c, PIC_MOVF, t, 0, line);
        emit(c, PIC_MOVWF, old, -1, line);
    }
    emit(c, kind == PREINC || kind == POSTINC ? PIC_INCF : PIC_DECF, t, 1, line);
    Item stepped;
    stepped.kind = IDENTIFIER;
    stepped.cval = t;
    storeField(c, byte, stepped, byte.bitOffset, byte.bitWidth, line);
    if (read && !after)
        extractInto(c, stepped, 0, byte.bitWidth, sign, t, line);
    if (!old.empty())
        freetmp(c, t);
    becomeLeaf(target, IDENTIFIER, old.empty() ? t : old);
    drop(s, s.item);
    return true;
}

} // namespace kavo::codegen
