// Casts (generateCast): the operand converted to char, short or int (8 bits) or long
// (16 bits), signed or unsigned. Narrowing keeps the low byte; widening extends by the
// operand's own sign; the result is a temporary of the cast's type, so that the operations
// after it see that type, a cast constant too. A cast to a RAM pointer type (a pointer to
// short, int, long or a struct or union) makes a pointer of that type from the operand's low
// byte, a RAM address, and so does a cast to a void pointer or to a pointer to pointers; a
// cast to a char pointer makes a RAM address of anything but a char pointer. A cast to any
// other type (a struct, void, a floating type) is refused: its conversion would not be what
// C does.
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/generator.hpp"
#include "compiler/symbols/pointer_types.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/tables/ram_map.hpp"

namespace kavo::codegen {

namespace {

int converted(int value, bool wide, int sign) {
    const int bits = value & (wide ? 0xFFFF : 0xFF);
    const int top = wide ? 0x8000 : 0x80;
    return sign == SIGNED && (bits & top) != 0 ? bits - 2 * top : bits;
}

// The cast's type words in any order: "unsigned char", "char unsigned", "long unsigned".
int castSign(const Item& cast) {
    return (" " + cast.cval + " ").find(" unsigned ") != std::string::npos ? UNSIGNED : SIGNED;
}

// The RAM pointer a cast's words name ("int *", "unsigned long *", "struct pt *", "void *",
// "char * *", "int * * *"); false for any other type (a char pointer is no RAM pointer).
bool ramPointerType(const Compilation& c, const std::string& words, Symbol& pointer) {
    std::string base = words;
    int stars = 0;
    while (base.ends_with(" *")) {
        base.resize(base.size() - 2);
        ++stars;
    }
    if (stars == 0 || base.find('*') != std::string::npos)
        return false;
    const int sign = (" " + base + " ").find(" unsigned ") != std::string::npos ? UNSIGNED : SIGNED;
    std::string tag;
    int innermost = 0;
    bool known = true;
    for (const char* aggregate : {"struct ", "union "}) {
        if (base.starts_with(aggregate)) {
            innermost = base.starts_with("struct ") ? STRUCT : UNION;
            tag = visibletag(c, base.substr(std::string(aggregate).size()));
            known = findtag(c, tag) != nullptr;
        }
    }
    if (innermost == 0 && base == "void") {
        innermost = VOID;
    } else if (innermost == 0 && base.find("char") != std::string::npos) {
        innermost = CHAR;
    } else if (innermost == 0) {
        innermost = base.find("long") != std::string::npos    ? LONG
                    : base.find("short") != std::string::npos ? SHORT
                                                              : INT;
        known = base.find("int") != std::string::npos || innermost != INT || base == "signed" ||
                base == "unsigned";
    }
    pointer = pointerType(stars - 1, innermost, tag, sign);
    return known && pointer.type == POINTER;
}

// Whether a cast's words name a char pointer ("char *", "unsigned char *"), and its sign.
bool namesCharPointer(const std::string& words, int& sign) {
    if (!words.ends_with(" *") || words.find('*') != words.size() - 1 ||
        (" " + words).find(" char ") == std::string::npos)
        return false;
    sign = (" " + words).find(" unsigned ") != std::string::npos ? UNSIGNED : SIGNED;
    return true;
}

// A constant RAM address is numbered as `@` numbers variables; on the 48/52-pin parts that
// numbering is not the chip's, so (char *)0x31 becomes the FSR value that reaches `a @ 0x31`.
// A computed address is taken as the chip's own.
void placeConstantAddress(const Compilation& c, Item& x) {
    if (x.kind == INTEGER_CONSTANT && c.pragmas.has("SX_52_BANKS") && x.ival >= 0 &&
        x.ival < 512)
        becomeConstant(&x, fsrform(x.ival));
}

// (T *)x: x's low byte, a RAM address, in a pointer of the cast's type (a char pointer's low
// byte is the RAM address it holds when it points at RAM).
bool castToPointer(Site& s, const Symbol& pointer) {
    Compilation& c = s.c;
    Item* x = s.item->next;
    if (!isLeaf(x))
        return false;
    placeConstantAddress(c, *x);
    loadW(c, *x, s.line());
    const std::string t = newpointertmp(c, pointer);
    emit(c, PIC_MOVWF, t, -1, s.line());
    becomeLeaf(s.item, IDENTIFIER, t);
    drop(s, x);
    return true;
}

// (char *)x: a char pointer stays as it is; anything else is a RAM address, its low byte.
bool castToCharPointer(Site& s, int sign) {
    Compilation& c = s.c;
    Item* x = s.item->next;
    if (!isLeaf(x))
        return false;
    if (stringPointerOf(c, *x) != nullptr) {
        drop(s, s.item);
        return true;
    }
    placeConstantAddress(c, *x);
    becomeLeaf(s.item, LONG_IDENTIFIER, charPointerFromRamAddress(c, *x, sign, s.line()));
    drop(s, x);
    return true;
}

} // namespace

bool generateCast(Site& s) {
    Compilation& c = s.c;
    const int line = s.line();
    Item* x = s.item->next;
    if (s.item->ival == 0) {
        Symbol pointer;
        if (ramPointerType(c, s.item->cval, pointer))
            return castToPointer(s, pointer);
        int sign = SIGNED;
        if (namesCharPointer(s.item->cval, sign))
            return castToCharPointer(s, sign);
        c.error(strprintf("ERROR(C270): Line: %d A cast to %s is not supported: casts convert "
                          "to char, short, int, long or a pointer (to one of them, a struct, "
                          "void or a pointer) only.\n",
                          line, s.item->cval.c_str()));
        drop(s, s.item);
        return true;
    }
    if (!isLeaf(x))
        return false;
    const bool wide = s.item->ival == 16;
    const int sign = castSign(*s.item);
    if (x->kind == INTEGER_CONSTANT) {
        // A constant of the cast's type: a temporary, since a bare constant would take the
        // type of whatever it meets.
        c.codegen.expressionSign = sign;
        const std::string t = newTemporary(c, wide);
        becomeConstant(x, converted(x->ival, wide, sign));
        loadW(c, *x, line);
        emit(c, PIC_MOVWF, t, -1, line);
        if (wide) {
            loadW(c, *x, line, true);
            emit(c, PIC_MOVWF, t, -1, line, 0, 1);
        }
        becomeLeaf(s.item, wide ? LONG_IDENTIFIER : IDENTIFIER, t);
        drop(s, x);
        return true;
    }
    if (!isIdentifier(x) || (isWide(x) == wide && signOf(c, *x) == sign)) {
        drop(s, s.item);
        return true;
    }
    c.codegen.expressionSign = sign;
    if (wide && !isWide(x)) {
        x = widen(s, x); // extended by the operand's own sign into a temporary of this sign
        drop(s, s.item);
        return true;
    }
    const std::string t = newTemporary(c, wide);
    emitOn(c, PIC_MOVF, *x, 0, line);
    emit(c, PIC_MOVWF, t, -1, line);
    if (wide) {
        emitOn(c, PIC_MOVF, *x, 0, line, true);
        emit(c, PIC_MOVWF, t, -1, line, 0, 1);
    }
    becomeLeaf(s.item, wide ? LONG_IDENTIFIER : IDENTIFIER, t);
    drop(s, x);
    return true;
}

} // namespace kavo::codegen
