// Char pointers reach both memories. A char pointer is two bytes: a string's position in the
// string table of program memory, or a RAM address in its low byte with CharPointerRamTag in
// its high byte. Reads go through the string reader, which follows the tag; a store goes
// through FSR, which the tag points at the RAM byte or, for a string, at a scratch byte, so
// that a store through a pointer to a string literal changes nothing.
#include "compiler/base/kinds.hpp"
#include "compiler/codegen/emit.hpp"
#include "compiler/codegen/generator.hpp"
#include "compiler/symbols/symbols.hpp"

namespace kavo::codegen {

namespace {

constexpr const char* FileSelect = "@__fsr__";
// Written instead of a string's byte: a compiler scratch byte that holds nothing across a
// store.
constexpr const char* IgnoredStore = "@__SxItmp_";
constexpr int RamTagBit = 7;
static_assert(CharPointerRamTag == 1 << RamTagBit);

// W = 0 instead of the tag when the address just loaded is 0 (the load set the zero flag,
// which neither a store nor a literal changes).
void clearTagOfNull(Compilation& c, int line) {
    emit(c, PIC_BTFSC, Status, Zero, line);
    emit(c, PIC_MOVLW, "0", -1, line);
}

} // namespace

Symbol charPointerType(int sign) {
    Symbol pointer;
    pointer.type = LONG;
    pointer.base = CHAR;
    pointer.sign = sign;
    return pointer;
}

std::string charPointerFromW(Compilation& c, int sign, int line) {
    c.codegen.charPointersReachRam = true;
    const std::string t = newpointertmp(c, charPointerType(sign));
    emit(c, PIC_MOVWF, t, -1, line);
    emit(c, PIC_MOVLW, std::to_string(CharPointerRamTag), -1, line, CharPointerRamTag);
    emit(c, PIC_MOVWF, t, -1, line, 0, 1);
    return t;
}

std::string charPointerFromRamAddress(Compilation& c, const Item& address, int sign, int line) {
    loadW(c, address, line);
    const bool constant = address.kind == INTEGER_CONSTANT;
    if (!constant && !mayBeNullPointer(c, address))
        return charPointerFromW(c, sign, line);
    // No object lives at RAM address 0 (INDF's): a null pointer converted stays null, and
    // the constant 0 is the null pointer.
    c.codegen.charPointersReachRam = true;
    const std::string t = newpointertmp(c, charPointerType(sign));
    emit(c, PIC_MOVWF, t, -1, line);
    const int tag = !constant || (address.ival & 0xFF) != 0 ? CharPointerRamTag : 0;
    emit(c, PIC_MOVLW, std::to_string(tag), -1, line, tag);
    if (!constant)
        clearTagOfNull(c, line);
    emit(c, PIC_MOVWF, t, -1, line, 0, 1);
    return t;
}

void pointFsrForStore(Compilation& c, const Item& pointer, int line) {
    emitOn(c, PIC_MOVF, pointer, 0, line);
    emitOn(c, PIC_BTFSS, pointer, RamTagBit, line, true);
    emit(c, PIC_ADDRESSOF, IgnoredStore, -1, line);
    emit(c, PIC_MOVWF, FileSelect, -1, line);
}

} // namespace kavo::codegen
