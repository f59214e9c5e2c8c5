// Leaves, the operands an operation works on: loading them into W (loadW) or runtime slots
// (loadIntoSlots), turning items into leaves (becomeLeaf, becomeConstant), widening 8-bit
// leaves to 16 bits (widen) and calling a runtime routine with two leaves (callRuntimeRoutine).
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/generator.hpp"
#include "compiler/codegen/item_list.hpp"
#include "compiler/symbols/pointer_types.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/symbols/types.hpp"
#include "compiler/tables/call_tree.hpp"

namespace kavo::codegen {

bool isLeaf(const Item* item) {
    return item != nullptr && (item->kind == INTEGER_CONSTANT || item->kind == IDENTIFIER ||
                               item->kind == LONG_IDENTIFIER || item->kind == ADDRESS);
}

bool isIdentifier(const Item* item) {
    return item != nullptr && (item->kind == IDENTIFIER || item->kind == LONG_IDENTIFIER);
}

bool isConstant(const Item* item) {
    return item != nullptr && item->kind == INTEGER_CONSTANT;
}

bool isWide(const Item* item) {
    return item != nullptr && item->kind == LONG_IDENTIFIER;
}

const Item* skipBrackets(const Item* i) {
    while (i != nullptr && (i->kind == SRC_ADDR || i->kind == DEST_ADDR ||
                            i->kind == POSTFIX_EXP_START || i->kind == POSTFIX_EXP_END))
        i = i->next;
    return i;
}

std::string lowByte(int value) {
    return std::to_string(value & 0xFF);
}

std::string highByte(int value) {
    return std::to_string((value >> 8) & 0xFF);
}

int signOf(const Compilation& c, const Item& leaf) {
    return signOf(c, resultOf(leaf));
}

int signOf(const Compilation& c, const ExpressionResult& result) {
    if (result.kind == INTEGER_CONSTANT)
        return result.value < 0 ? SIGNED : UNSIGNED;
    if (result.sign != 0)
        return result.sign;
    return signOfName(c, result.name);
}

int signOfName(const Compilation& c, const std::string& name) {
    const Symbol* symbol = findsym(c, name);
    return symbol != nullptr ? signOfSymbol(*symbol) : SIGNED;
}

int signOfSymbol(const Symbol& symbol) {
    if (symbol.type == POINTER)
        return UNSIGNED;
    return symbol.sign != 0 ? symbol.sign : SIGNED;
}

ExpressionResult resultOf(const Item& leaf) {
    const bool marked = leaf.name.starts_with(PointerElement);
    return {leaf.kind, leaf.cval, leaf.ival, leaf.sign, marked ? leaf.name : std::string()};
}

std::string writtenAs(const ExpressionResult& value) {
    switch (value.kind) {
    case INTEGER_CONSTANT:
        return std::to_string(value.value);
    case FLOATING_CONSTANT:
        return value.name;
    case IDENTIFIER:
    case LONG_IDENTIFIER:
        // The compiler's own names (temporaries, registers) hold computed values.
        for (const char* own : {"_tmp_", "_swt_", "_itr_", "_prm_", "@"}) {
            if (value.name.starts_with(own))
                return "this expression";
        }
        return value.name;
    default:
        return std::string(kindSpelling(value.kind));
    }
}

Instruction* emitOn(Compilation& c, int opcode, const Item& leaf, int dest, int line, bool high) {
    return emit(c, opcode, leaf.cval, dest, line, 0, leaf.ival + (high ? 1 : 0));
}

bool namesWholeArray(const Compilation& c, const std::string& name, int sign) {
    const Symbol* symbol = findsym(c, name);
    return symbol != nullptr && symbol->type == ARRAY && sign == 0;
}

void loadW(Compilation& c, const Item& leaf, int line, bool high) {
    if (leaf.kind == IDENTIFIER && namesWholeArray(c, leaf.cval, leaf.sign)) {
        // The array's first byte is not what its name means; its address as a value is not
        // built yet, so the statement is refused rather than compiled into a byte load.
        c.error(strprintf("ERROR(C259): Line: %d the name of array %s used as a value is not "
                          "supported by this compiler yet.\n",
                          line, leaf.cval.c_str()));
        return;
    }
    if (leaf.kind == INTEGER_CONSTANT) {
        const int byte = high ? (leaf.ival >> 8) & 0xFF : leaf.ival & 0xFF;
        emit(c, PIC_MOVLW, high ? highByte(leaf.ival) : lowByte(leaf.ival), -1, line, byte);
    } else if (high && leaf.kind != LONG_IDENTIFIER) {
        emit(c, PIC_MOVLW, "0", -1, line);
    } else {
        emitOn(c, PIC_MOVF, leaf, 0, line, high);
    }
}

const Symbol* typeOfLeaf(const Compilation& c, const Item& leaf) {
    if (!isIdentifier(&leaf))
        return nullptr;
    const std::string mark = PointerElement;
    if (leaf.name.starts_with(mark)) {
        const std::size_t k = std::stoul(leaf.name.substr(mark.size()));
        const std::deque<Symbol>& types = c.codegen.indirectPointerTypes;
        return k < types.size() ? &types[k] : nullptr;
    }
    return findsym(c, leaf.cval);
}

const Symbol* ramPointerOf(const Compilation& c, const Item& leaf) {
    const Symbol* symbol = typeOfLeaf(c, leaf);
    // A pointer to an array of chars is a RAM address too: arrays are never in program
    // memory.
    return symbol != nullptr && symbol->type == POINTER &&
                   (symbol->base != CHAR || !symbol->rowDimensions.empty())
               ? symbol
               : nullptr;
}

bool isCharAddress(const Compilation& c, const Item& leaf) {
    const Symbol* symbol = typeOfLeaf(c, leaf);
    return symbol != nullptr && symbol->type == POINTER && symbol->base == CHAR &&
           symbol->rowDimensions.empty();
}

bool mayBeNullPointer(const Compilation& c, const Item& leaf) {
    // A temporary holds an address computed here (&x, &a[i], p + k), never null.
    return ramPointerOf(c, leaf) != nullptr && !leaf.cval.starts_with("_tmp_");
}

std::optional<Symbol> addressType(const Compilation& c, const Item& leaf) {
    const Symbol* object = typeOfLeaf(c, leaf);
    if (object == nullptr || !object->rowDimensions.empty())
        return std::nullopt;
    if (object->type == POINTER || (object->type == LONG && object->base == CHAR))
        return pointerToPointer(*object);
    if (object->type != CHAR && object->type != SHORT && object->type != INT &&
        object->type != LONG && object->type != STRUCT && object->type != UNION)
        return std::nullopt;
    // One byte, whatever the object: the address of a char too, as &s[i] of a char array.
    Symbol pointer;
    pointer.type = POINTER;
    pointer.base = object->type;
    pointer.typeName = object->typeName;
    pointer.sign = object->sign;
    return pointer;
}

const Symbol* stringPointerOf(const Compilation& c, const Item& leaf) {
    const Symbol* symbol = typeOfLeaf(c, leaf);
    return symbol != nullptr && symbol->type == LONG && symbol->base == CHAR ? symbol : nullptr;
}

bool storesCharPointer(const Compilation& c, const Item& target) {
    return stringPointerOf(c, target) != nullptr;
}

int pointeeSize(Compilation& c, const Symbol& pointer) {
    if (pointer.base == STRUCT || pointer.base == UNION)
        return typesize(c, nullptr, pointer.base, pointer.typeName);
    // A pointer to an array steps over whole arrays; a char pointer pointed at is two bytes.
    int elements = 1;
    for (int size : pointer.rowDimensions)
        elements *= size;
    const bool wide = pointer.base == LONG || (pointer.base == POINTER && pointer.pointee == CHAR);
    return (wide ? 2 : 1) * elements;
}

std::string markPointerElement(Compilation& c, const Symbol& type) {
    std::deque<Symbol>& types = c.codegen.indirectPointerTypes;
    std::size_t k = 0;
    while (k < types.size() && !samePointerType(types[k], type))
        ++k;
    if (k == types.size())
        types.push_back(type);
    return PointerElement + std::to_string(k);
}

void loadScaledW(Compilation& c, const Item& index, int size, int line) {
    if (index.kind == INTEGER_CONSTANT) {
        const int bytes = (index.ival * size) & 0xFF;
        emit(c, PIC_MOVLW, std::to_string(bytes), -1, line, bytes);
    } else if (size == 1) {
        emitOn(c, PIC_MOVF, index, 0, line);
    } else if (size == 2) {
        emit(c, PIC_BCF, Status, Carry, line);
        emitOn(c, PIC_RLF, index, 0, line);
    } else {
        loadByteProduct(c, index, size, line);
    }
}

std::string newTemporary(Compilation& c, bool wide) {
    return newtmp(c, wide ? LONG : INT);
}

std::string newTemporaryOfSign(Compilation& c, bool wide, int sign) {
    const int expressionSign = c.codegen.expressionSign;
    if (sign == SIGNED || sign == UNSIGNED)
        c.codegen.expressionSign = sign;
    const std::string t = newTemporary(c, wide);
    c.codegen.expressionSign = expressionSign;
    return t;
}

void becomeLeaf(Item* item, int kind, const std::string& name, int offset) {
    item->reserved = 0; // a new leaf: the scan notes it when it first passes it
    item->kind = kind;
    item->cval = name;
    item->ival = offset;
    item->sign = 0;
    item->bitWidth = 0;
    item->sublist = nullptr;
    // A new value: the type a mark gave the old one no longer holds.
    if (item->name.starts_with(PointerElement))
        item->name.clear();
}

void becomeConstant(Item* item, int value) {
    item->reserved = 0;
    item->kind = INTEGER_CONSTANT;
    item->ival = value;
    item->cval = std::to_string(value);
    item->sign = 0;
    item->bitWidth = 0;
    item->sublist = nullptr;
}

void drop(Site& site, Item* item) {
    // Operations remove their own item, the leaves after it or the value before it.
    unlinkItem(site.c, site.list, item,
               item == site.previous ? site.beforePrevious : site.previous);
}

void dropRun(Site& site, const std::vector<Item*>& run, Item* before) {
    // Each removal leaves `before` in front of the next item of the run.
    for (Item* item : run)
        unlinkItem(site.c, site.list, item, before);
}

ExpressionResult settledValue(Compilation& c, const ExpressionResult& value, bool fsrMayMove,
                              int line) {
    const bool wide = value.kind == LONG_IDENTIFIER;
    if (value.name != "@__f0__" || (!wide && !fsrMayMove))
        return value;
    const std::string t = newTemporaryOfSign(c, wide, signOf(c, value));
    if (wide) {
        // The store left FSR at the high byte: read from there down.
        emit(c, PIC_MOVF, "@__f0__", 0, line);
        emit(c, PIC_MOVWF, t, -1, line, 0, 1);
        emit(c, PIC_DECF, "@__fsr__", 1, line);
    }
    emit(c, PIC_MOVF, "@__f0__", 0, line);
    emit(c, PIC_MOVWF, t, -1, line);
    return {value.kind, t, 0, 0, ""};
}

void copyInto(Compilation& c, const Item& x, const std::string& t, int line) {
    emitOn(c, PIC_MOVF, x, 0, line);
    emit(c, PIC_MOVWF, t, -1, line);
    if (isWide(&x)) {
        emitOn(c, PIC_MOVF, x, 0, line, true);
        emit(c, PIC_MOVWF, t, -1, line, 0, 1);
    }
}

Item* widen(Site& site, Item* leaf) {
    if (leaf->kind != IDENTIFIER)
        return leaf;
    Compilation& c = site.c;
    const int line = leaf->line;
    const std::string t = newTemporary(c, true);
    emitOn(c, PIC_MOVF, *leaf, 0, line);
    emit(c, PIC_MOVWF, t, -1, line);
    emit(c, PIC_CLRF, t, -1, line, 0, 1);
    if (signOf(c, *leaf) == SIGNED) {
        emitOn(c, PIC_BTFSC, *leaf, 7, line);
        emit(c, PIC_DECF, t, 1, line, 0, 1);
    }
    // The leaf now names the widened copy; a temporary it named before is free again.
    if (leaf->cval.starts_with("_tmp_"))
        freetmp(c, leaf->cval);
    becomeLeaf(leaf, LONG_IDENTIFIER, t);
    return leaf;
}

void callRuntimeRoutine(Compilation& c, int kind, const Item& left, const Item& right, int line) {
    const char* routine = "@__FUNC_MULT";
    if (kind == SHIFTL || kind == SHIFTLEQ)
        routine = "@__FUNC_SHIFTL";
    else if (kind == SHIFTR || kind == SHIFTREQ)
        routine = c.codegen.expressionSign == SIGNED ? "@__FUNC_SSHIFTR" : "@__FUNC_SHIFTR";
    else if (kind == MOD || kind == MODEQ)
        routine = c.codegen.expressionSign == SIGNED ? "@__FUNC_SMOD" : "@__FUNC_MOD";
    else if (kind == DIV || kind == DIVEQ)
        routine = c.codegen.expressionSign == SIGNED ? "@__FUNC_SDIV" : "@__FUNC_DIV";
    loadIntoSlots(c, left, 1, line);
    loadIntoSlots(c, right, 3, line);
    emit(c, PIC_CALL, routine, -1, line);
    addcall(c.callTree, c.codegen.functionName, routine);
}

void loadIntoSlots(Compilation& c, const Item& leaf, int first, int line) {
    const std::string low = newparm(c, first);
    const std::string high = newparm(c, first + 1);
    if (leaf.kind == INTEGER_CONSTANT) {
        loadW(c, leaf, line);
        emit(c, PIC_MOVWF, low, -1, line);
        loadW(c, leaf, line, true);
        emit(c, PIC_MOVWF, high, -1, line);
        return;
    }
    emitOn(c, PIC_MOVF, leaf, 0, line);
    emit(c, PIC_MOVWF, low, -1, line);
    if (leaf.kind == LONG_IDENTIFIER) {
        emitOn(c, PIC_MOVF, leaf, 0, line, true);
        emit(c, PIC_MOVWF, high, -1, line);
        return;
    }
    emit(c, PIC_CLRF, high, -1, line);
    if (signOf(c, leaf) == SIGNED) {
        emitOn(c, PIC_BTFSC, leaf, 7, line);
        emit(c, PIC_DECF, high, 1, line);
    }
}

} // namespace kavo::codegen
