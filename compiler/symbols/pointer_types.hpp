#pragma once

// Pointer types as chains of levels. A pointer symbol describes what it points at with base
// (the kind one level down), pointee (when base is POINTER: the kind two levels down) and,
// for three levels and more, deeperPointers and innermost (see Symbol). A function returning
// a pointer, and an array of pointers, describe the pointer they return or hold the same way,
// as if they pointed at it: int **f() and int **t[2] are described like an int ***.
//
// A pointer to char is two bytes (a program memory or tagged RAM address, type LONG); every
// other pointer, a pointer to a char pointer too, is one byte of RAM address (type POINTER).

#include "compiler/base/kinds.hpp"
#include "compiler/tables/symbol_table.hpp"

#include <string>

namespace kavo {

// The pointer levels of what the pointer points at: 0 for int * (base INT), 1 for int **,
// 2 for int ***.
inline int pointedLevels(const Symbol& p) {
    if (p.base != POINTER)
        return 0;
    if (p.pointee != POINTER)
        return 1;
    return 2 + p.deeperPointers;
}

// The kind at the bottom of the chain: INT for int ***, STRUCT for struct pt **.
inline int innermostKind(const Symbol& p) {
    if (p.base != POINTER)
        return p.base;
    if (p.pointee != POINTER)
        return p.pointee;
    return p.innermost;
}

// A pointer to `levels` levels of pointers to `innermost` (of the tag typeName and the sign):
// pointerType(0, INT) is an int *, pointerType(2, CHAR) a char ***.
inline Symbol pointerType(int levels, int innermost, const std::string& typeName, int sign) {
    Symbol p;
    p.type = levels == 0 && innermost == CHAR ? LONG : POINTER;
    p.base = levels == 0 ? innermost : POINTER;
    p.pointee = levels == 1 ? innermost : levels >= 2 ? POINTER : 0;
    p.deeperPointers = levels >= 2 ? levels - 2 : 0;
    p.innermost = levels >= 2 ? innermost : 0;
    p.typeName = typeName;
    p.sign = sign;
    return p;
}

// Gives target the chain of type (base, pointee, deeperPointers, innermost); its own type,
// tag and sign stay.
inline void describePointer(Symbol& target, const Symbol& type) {
    target.base = type.base;
    target.pointee = type.pointee;
    target.deeperPointers = type.deeperPointers;
    target.innermost = type.innermost;
}

// The pointer a pointer to pointers points at (*pp of an int ** is an int *); the pointer a
// function returns or an element of an array of pointers is.
inline Symbol pointerReached(const Symbol& p) {
    const int levels = pointedLevels(p);
    return pointerType(levels > 0 ? levels - 1 : 0, innermostKind(p), p.typeName, p.sign);
}

// A pointer to the pointer p, the inverse of pointerReached: &p of an int * is an int **.
inline Symbol pointerToPointer(const Symbol& p) {
    return pointerType(pointedLevels(p) + 1, innermostKind(p), p.typeName, p.sign);
}

// Whether two pointer symbols have the same type.
inline bool samePointerType(const Symbol& a, const Symbol& b) {
    return a.type == b.type && a.base == b.base && a.pointee == b.pointee &&
           a.deeperPointers == b.deeperPointers && a.innermost == b.innermost &&
           a.typeName == b.typeName && a.sign == b.sign && a.rowDimensions == b.rowDimensions;
}

// The bytes of a pointer to `levels` levels of pointers to innermost: 2 for a char pointer.
inline int pointerBytes(int levels, int innermost) {
    return levels == 0 && innermost == CHAR ? 2 : 1;
}

} // namespace kavo
