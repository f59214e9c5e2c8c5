// Memory reached through an address: array elements and pointers through the indirect
// register (FSR and INDF), struct members by compile-time offsets, string literals in the
// string table of program memory.
//
// An element or a dereferenced pointer that is the target of an assignment or of ++/-- is
// left as the INDF register itself (FSR pointing at it), so the store goes through; read
// anywhere else it is copied into a temporary at once, because the next access moves FSR.
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/generator.hpp"
#include "compiler/codegen/genexpr.hpp"
#include "compiler/codegen/item_list.hpp"
#include "compiler/symbols/pointer_types.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/symbols/types.hpp"

#include <algorithm>
#include <cctype>

namespace kavo::codegen {

namespace {

constexpr const char* FileSelect = "@__fsr__";
// The mark of a leaf that names a member array by its struct variable (see arraySymbolOf).
constexpr const char* MemberArrayMark = "(member array)";
// The mark of a pointer to a member struct reached through a pointer (p->in of p->in.x).
constexpr const char* StructThroughPointerMark = "(struct through pointer)";
// Positions 0 to this hold the string table.
constexpr int LastStringPosition = 8190;
// The largest value an escape in a character constant or string can give.
constexpr int MaxByteEscape = 255;

// FSR = W, the address of a byte of object: the set-up names the object, so that the bank
// pass knows the bank FSR selects.
void setUpFsrInto(Compilation& c, const std::string& object, int line) {
    Instruction* setUp = emit(c, PIC_MOVWF, FileSelect, -1, line);
    setUp->object = object;
    setUp->objectScope = c.codegen.globalScopeFlag ? std::string(GlobalScope) : scopeof(c, object);
}

// The element at FSR: read into a temporary that keeps the element's sign (a pointer, when
// elementPointer, a pointer to pointers or an array of pointers, gives its type), or left as
// INDF for a store.
void finishIndirect(Site& s, int elementSize, int sign, std::vector<Item*> consumed,
                    const Symbol* elementPointer = nullptr) {
    Compilation& c = s.c;
    const int line = s.line();
    if (isStoredInto(s.previous)) {
        becomeLeaf(s.item, elementSize == 2 ? LONG_IDENTIFIER : IDENTIFIER, Indirect);
        // INDF's own symbol knows nothing of the element: the leaf carries its sign, and
        // whether a RAM address stored there needs the char pointer's tag, or a step of a RAM
        // pointer there counts elements of that size.
        s.item->sign = sign == UNSIGNED ? UNSIGNED : SIGNED;
        if (elementPointer != nullptr)
            s.item->name = markPointerElement(c, pointerReached(*elementPointer));
    } else {
        const std::string t = elementPointer != nullptr
                                  ? newpointertmp(c, pointerReached(*elementPointer))
                                  : newTemporaryOfSign(c, elementSize == 2, sign);
        emit(c, PIC_MOVF, Indirect, 0, line);
        emit(c, PIC_MOVWF, t, -1, line);
        if (elementSize == 2) {
            emit(c, PIC_INCF, FileSelect, 1, line);
            emit(c, PIC_MOVF, Indirect, 0, line);
            emit(c, PIC_MOVWF, t, -1, line, 0, 1);
        }
        becomeLeaf(s.item, elementSize == 2 ? LONG_IDENTIFIER : IDENTIFIER, t);
    }
    for (Item* item : consumed)
        drop(s, item);
}

// The byte a char pointer leaf addresses, read by the string reader into a temporary of the
// pointer's sign (an unsigned char pointer reads 200 as 200).
std::string readProgramByte(Compilation& c, const Item& pointer, int sign, int line) {
    loadIntoSlots(c, pointer, 1, line);
    emit(c, PIC_CALL, "@__strings_", -1, line);
    const std::string t = newTemporaryOfSign(c, false, sign);
    emit(c, PIC_MOVWF, t, -1, line);
    return t;
}

// Where a char pointer plus an index points, in a char pointer temporary: the index is
// extended to 16 bits by its own sign.
std::string programAddress(Compilation& c, const Item& pointer, const Item& index, int line) {
    const std::string address = newpointertmp(c, *stringPointerOf(c, pointer));
    loadW(c, index, line);
    emitOn(c, PIC_ADDWF, pointer, 0, line);
    emit(c, PIC_MOVWF, address, -1, line);
    emitOn(c, PIC_MOVF, pointer, 0, line, true);
    emit(c, PIC_MOVWF, address, -1, line, 0, 1);
    emit(c, PIC_BTFSC, Status, Carry, line);
    emit(c, PIC_INCF, address, 1, line, 0, 1);
    if (index.kind == LONG_IDENTIFIER ||
        (index.kind == INTEGER_CONSTANT && ((index.ival >> 8) & 0xFF) != 0)) {
        loadW(c, index, line, true);
        emit(c, PIC_ADDWF, address, 1, line, 0, 1);
    } else if (index.kind == IDENTIFIER && signOf(c, index) == SIGNED) {
        emitOn(c, PIC_BTFSC, index, 7, line);
        emit(c, PIC_DECF, address, 1, line, 0, 1);
    }
    return address;
}

// p[i] on a pointer: the element i steps from where p points. Through a RAM pointer FSR is
// set up to p + i times the element's size; through a char pointer the byte at p + i is read
// by the string reader or written through FSR.
bool pointerElement(Site& s, Item* pointer, Item* index, std::vector<Item*> consumed) {
    Compilation& c = s.c;
    const int line = s.line();
    const Symbol* ram = ramPointerOf(c, *pointer);
    const bool addressTaken = s.previous != nullptr && s.previous->kind == ADDR;
    // An element of a struct pointer needs a member, or its address taken (&q[i]).
    if (ram != nullptr && (ram->base == STRUCT || ram->base == UNION) && !addressTaken)
        return false;
    genstatement(c, index->sublist);
    Item position;
    position.kind = c.codegen.lastResult.kind;
    position.cval = c.codegen.lastResult.name;
    position.ival = c.codegen.lastResult.value;
    if (ram == nullptr) {
        // Through a char pointer: the address p + i, read by the string reader, or written
        // through FSR.
        Item address;
        address.kind = LONG_IDENTIFIER;
        address.cval = programAddress(c, *pointer, position, line);
        releasePendingResult(c);
        if (addressTaken) {
            becomeLeaf(s.item, LONG_IDENTIFIER, address.cval);
            consumed.push_back(s.previous);
        } else if (isStoredInto(s.previous)) {
            pointFsrForStore(c, address, line);
            freetmp(c, address.cval);
            finishIndirect(s, 1, stringPointerOf(c, *pointer)->sign, consumed);
            return true;
        } else {
            const std::string t =
                readProgramByte(c, address, stringPointerOf(c, *pointer)->sign, line);
            freetmp(c, address.cval);
            becomeLeaf(s.item, IDENTIFIER, t);
        }
    } else {
        const int size = pointeeSize(c, *ram);
        loadScaledW(c, position, size, line);
        emitOn(c, PIC_ADDWF, *pointer, 0, line);
        releasePendingResult(c);
        if (addressTaken) {
            const std::string t = newpointertmp(c, *ram);
            emit(c, PIC_MOVWF, t, -1, line);
            becomeLeaf(s.item, IDENTIFIER, t);
            consumed.push_back(s.previous);
        } else {
            emit(c, PIC_MOVWF, FileSelect, -1, line);
            finishIndirect(s, size, ram->sign, consumed, ram->base == POINTER ? ram : nullptr);
            return true;
        }
    }
    for (Item* item : consumed)
        drop(s, item);
    return true;
}

// a[k] with a constant k inside the array is the array's variable at the element's offset,
// reached directly like a struct member: no FSR set-up, and the bank pass sees which bank it
// needs. &a[k] keeps the address computation.
bool directElement(Site& s, const Symbol& array, const ExpressionResult& position, int elementSize,
                   const std::vector<Item*>& consumed) {
    if (position.kind != INTEGER_CONSTANT || (s.previous != nullptr && s.previous->kind == ADDR))
        return false;
    const long offset = position.value * elementSize;
    if (offset < 0 || offset + elementSize > array.size)
        return false;
    Item* leaf = s.item->next;
    becomeLeaf(s.item, elementSize == 2 ? LONG_IDENTIFIER : IDENTIFIER, leaf->cval,
               leaf->ival + static_cast<int>(offset));
    // The leaf names the whole array, whose symbol is no scalar: the sign it carries tells
    // the element from the array itself (namesWholeArray).
    s.item->sign = signOfSymbol(array);
    releasePendingResult(s.c);
    for (Item* item : consumed)
        drop(s, item);
    return true;
}

} // namespace

bool isStoredInto(const Item* before) {
    if (before == nullptr)
        return false;
    const int kind = before->kind;
    return (kind >= ASSIGN && kind <= OREQ) || kind == PREINC || kind == POSTINC ||
           kind == PREDEC || kind == POSTDEC;
}

int addEscapeDigit(int value, int base, int digit) {
    return std::min(value * base + digit, MaxByteEscape + 1);
}

bool escapeFitsByte(Compilation& c, int value, int line) {
    if (value <= MaxByteEscape)
        return true;
    c.error(strprintf("ERROR(C279): Line: %d Constant value out of range.\n", line));
    return false;
}

std::string decodeString(Compilation& c, const std::string& raw, int line) {
    std::string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 >= raw.size()) {
            text.push_back(raw[i]);
            continue;
        }
        const char escape = raw[++i];
        switch (escape) {
        case 'n':
            text.push_back('\n');
            break;
        case 't':
            text.push_back('\t');
            break;
        case 'v':
            text.push_back('\v');
            break;
        case 'b':
            text.push_back('\b');
            break;
        case 'r':
            text.push_back('\r');
            break;
        case 'f':
            text.push_back('\f');
            break;
        case 'a':
            text.push_back('\a');
            break;
        case '\\':
            text.push_back('\\');
            break;
        case '?':
            text.push_back('?');
            break;
        case '\'':
            text.push_back('\'');
            break;
        case '"':
            text.push_back('"');
            break;
        case '0':
        case '1':
        case '2':
        case '3':
        case '4':
        case '5':
        case '6':
        case '7': {
            // One to three octal digits, as C reads them: "\101" is "A".
            int value = escape - '0';
            for (int digits = 1;
                 digits < 3 && i + 1 < raw.size() && raw[i + 1] >= '0' && raw[i + 1] <= '7';
                 ++digits)
                value = addEscapeDigit(value, 8, raw[++i] - '0');
            escapeFitsByte(c, value, line);
            text.push_back(static_cast<char>(value));
            break;
        }
        case 'x': {
            int value = 0;
            while (i + 1 < raw.size() && std::isxdigit(static_cast<unsigned char>(raw[i + 1]))) {
                const char h = raw[++i];
                value =
                    addEscapeDigit(value, 16,
                                   std::isdigit(static_cast<unsigned char>(h))
                                       ? h - '0'
                                       : std::tolower(static_cast<unsigned char>(h)) - 'a' + 10);
            }
            escapeFitsByte(c, value, line);
            text.push_back(static_cast<char>(value));
            break;
        }
        default:
            c.message(strprintf("WARNING: Line: %d Illegal string construct. \"\\%c not valid.\n",
                                line, escape));
            text.push_back(escape);
        }
    }
    return text;
}

ResolvedMember resolveMembers(const Compilation& c, std::string tagName,
                              const std::vector<Item*>& members) {
    ResolvedMember result;
    for (std::size_t j = 0; j < members.size(); ++j) {
        const Symbol* tag = findtag(c, tagName);
        if (tag == nullptr) {
            result.errorFormat = j == 0 ? "ERROR(C27): Line: %d Identifier %s not defined.\n"
                                        : "ERROR(C28): Line: %d Identifier %s not defined.\n";
            result.errorName = tagName;
            return result;
        }
        const std::vector<const Symbol*> path = memberpath(c, tag->members, members[j]->cval);
        result.member = path.empty() ? nullptr : path.back();
        if (result.member == nullptr) {
            result.errorFormat = j + 1 == members.size()
                                     ? "ERROR(C29): Line: %d Identifier %s not defined.\n"
                                     : "ERROR(C26): Line: %d Identifier %s not defined.\n";
            result.errorName = members[j]->cval;
            return result;
        }
        for (const Symbol* step : path)
            result.offset += step->offset;
        tagName = result.member->typeName;
    }
    return result;
}

ResolvedMember resolveMemberChain(const Compilation& c, const std::string& tagName,
                                  const std::string& chain) {
    std::vector<Item> names;
    for (std::size_t at = 0; at < chain.size();) {
        const std::size_t next = std::min(chain.find('.', at), chain.size());
        Item name;
        name.cval = chain.substr(at, next - at);
        names.push_back(name);
        at = next + 1;
    }
    std::vector<Item*> members;
    for (Item& name : names)
        members.push_back(&name);
    return resolveMembers(c, tagName, members);
}

namespace {

// The parts of an element access, INDEX_ON base SUBSCRIPT i [SUBSCRIPT j ...] INDEX_OFF.
struct Subscripts {
    std::vector<Item*> indices;  // each subscript's EXPSTART, first first
    std::vector<Item*> consumed; // the items after INDEX_ON, last first (the order of drops)
};

bool readSubscripts(Item* base, Subscripts& out) {
    if (!isIdentifier(base))
        return false;
    out.consumed = {base};
    Item* item = base->next;
    while (item != nullptr && item->kind == SUBSCRIPT) {
        Item* index = item->next;
        if (index == nullptr || index->kind != EXPSTART)
            return false;
        out.consumed.push_back(item);
        out.consumed.push_back(index);
        out.indices.push_back(index);
        item = index->next;
    }
    if (item == nullptr || item->kind != INDEX_OFF || out.indices.empty())
        return false;
    out.consumed.push_back(item);
    std::reverse(out.consumed.begin(), out.consumed.end());
    return true;
}

// The number of elements one step of each subscript moves over: a[2][3][4] steps 12, 4, 1.
int elementsPerStep(const Symbol& array, std::size_t subscript) {
    int elements = 1;
    for (std::size_t i = subscript; i < array.rowDimensions.size(); ++i)
        elements *= array.rowDimensions[i];
    return elements;
}

// The subscripts' values folded into one element number of the whole array,
// i * 12 + j * 4 + k for a[i][j][k] of a[2][3][4], as an expression of its own: its items
// (prefix order, each subscript a nested expression) and then its value in lastResult.
void generateElementNumber(Compilation& c, const Symbol& array, const Subscripts& subscripts,
                           int line) {
    if (subscripts.indices.size() == 1 && array.rowDimensions.empty()) {
        genstatement(c, subscripts.indices.front()->sublist);
        return;
    }
    Item* list = nullptr;
    Item* last = nullptr;
    const auto add = [&](int kind, const std::string& text, int value) {
        Item* item = linkItemAfter(c, last, kind, text);
        item->ival = value;
        item->line = line;
        if (list == nullptr)
            list = item;
        last = item;
        return item;
    };
    for (std::size_t k = 1; k < subscripts.indices.size(); ++k)
        add(PLUS, "+", 0);
    for (std::size_t k = 0; k < subscripts.indices.size(); ++k) {
        const int step = elementsPerStep(array, k);
        if (step != 1)
            add(STAR, "*", 0);
        add(EXPSTART, "", 0)->sublist = subscripts.indices[k]->sublist;
        add(GETEXPVAL, "", 0);
        if (step != 1)
            add(INTEGER_CONSTANT, std::to_string(step), step);
    }
    genstatement(c, list);
}

// A pointer into the array (or through the pointer to an array) after `subscripts` of its
// subscripts: to its element, or to a row, int (*)[4] for m[i] of int m[2][3][4].
Symbol pointerTo(const Symbol& array, std::size_t subscripts = 0) {
    Symbol pointer;
    pointer.type = POINTER;
    pointer.base = array.base;
    pointer.typeName = array.typeName;
    pointer.sign = array.sign;
    const std::size_t from = std::min(subscripts, array.rowDimensions.size());
    pointer.rowDimensions.assign(array.rowDimensions.begin() + static_cast<std::ptrdiff_t>(from),
                                 array.rowDimensions.end());
    return pointer;
}

// W holds an address in the array after `subscripts` of its subscripts: the leaf becomes a
// pointer of its type. An array standing for its first element (decayed: the name, a row
// m[i], *pa) of chars is a char pointer; &c[i] stays a one-byte address.
void becomeAddressInW(Compilation& c, Item* leaf, const Symbol& array, std::size_t subscripts,
                      bool decayed, int line) {
    const Symbol pointer = pointerTo(array, subscripts);
    if (decayed && pointer.rowDimensions.empty() && array.base == CHAR) {
        becomeLeaf(leaf, LONG_IDENTIFIER, charPointerFromW(c, array.sign, line));
        return;
    }
    const std::string t = newpointertmp(c, pointer);
    emit(c, PIC_MOVWF, t, -1, line);
    becomeLeaf(leaf, IDENTIFIER, t);
}

// An array (a row m[i], *pa) is no object to store into: C refuses it.
bool refuseArrayTarget(Compilation& c, const std::string& name, int line) {
    c.error(strprintf("ERROR(C259): Line: %d storing into the array %s (an array is no "
                      "variable: store into its elements) is not supported by this compiler "
                      "yet.\n",
                      line, name.c_str()));
    c.codegen.abortExpression = true;
    return true;
}

// The array a leaf names: its variable, or the member array of a struct the leaf's mark
// names by its chain of members (s.m[i], s.in.m[i]).
const Symbol* arraySymbolOf(const Compilation& c, const Item& leaf) {
    const Symbol* symbol = findsym(c, leaf.cval);
    if (symbol == nullptr || !leaf.name.starts_with(MemberArrayMark))
        return symbol;
    return resolveMemberChain(c, symbol->typeName,
                              leaf.name.substr(std::string(MemberArrayMark).size()))
        .member;
}

// &pts[i] of an array of structs: the element's address, a pointer to its struct type.
bool addressOfAggregateElement(Site& s, const Item& array, const Symbol& symbol,
                               const Subscripts& subscripts) {
    Compilation& c = s.c;
    const int line = s.line();
    generateElementNumber(c, symbol, subscripts, line);
    const ExpressionResult position = c.codegen.lastResult;
    loadElementAddress(c, array, array.ival, position,
                       typesize(c, nullptr, symbol.base, symbol.typeName), line);
    releasePendingResult(c);
    const std::string t = newpointertmp(c, pointerTo(symbol));
    emit(c, PIC_MOVWF, t, -1, line);
    becomeLeaf(s.item, IDENTIFIER, t);
    for (Item* item : subscripts.consumed)
        drop(s, item);
    drop(s, s.previous);
    return true;
}

// a[i][j] on an array of pointers, or p[i][j] on a pointer to pointers: the element a[i] is a
// pointer, which the last subscript steps:
// INDEX_ON INDEX_ON a SUBSCRIPT i INDEX_OFF SUBSCRIPT j INDEX_OFF.
bool nestFirstSubscripts(Site& s, const Subscripts& subscripts) {
    linkItemAfter(s.c, subscripts.indices[subscripts.indices.size() - 2], INDEX_OFF, "");
    linkItemAfter(s.c, s.item, INDEX_ON, "");
    return true;
}

bool refuseElement(Site& s, const std::string& what) {
    s.c.error(strprintf("ERROR(C259): Line: %d %s is not supported by this compiler yet.\n",
                        s.line(), what.c_str()));
    s.c.codegen.abortExpression = true;
    return true;
}

} // namespace

bool generateElement(Site& s) {
    Compilation& c = s.c;
    const int line = s.line();
    Item* array = s.item->next;
    Subscripts subscripts;
    if (!readSubscripts(array, subscripts))
        return false;
    const std::size_t given = subscripts.indices.size();
    const Symbol* pointer = ramPointerOf(c, *array);
    if ((pointer != nullptr && pointer->rowDimensions.empty()) ||
        stringPointerOf(c, *array) != nullptr) {
        if (given > 1 && pointer != nullptr &&
            given <= 1 + static_cast<std::size_t>(pointedLevels(*pointer)))
            return nestFirstSubscripts(s, subscripts);
        if (given > 1)
            return refuseElement(s, "a second subscript on the pointer " + array->cval);
        return pointerElement(s, array, subscripts.indices.front(), subscripts.consumed);
    }
    // A pointer to an array is subscripted as the array would be, from where it points.
    const bool throughPointer = pointer != nullptr;
    const Symbol* symbol = throughPointer ? pointer : arraySymbolOf(c, *array);
    if (symbol == nullptr || (symbol->type != ARRAY && !throughPointer)) {
        // A computed value of no pointer type has no type left to subscript by.
        if (writtenAs(resultOf(*array)) != array->cval)
            return refuseElement(s, "a subscript on this computed value (store the pointer in "
                                    "a variable first)");
        c.error(strprintf("ERROR(C55): Line: %d Identifier %s not an array.\n", line,
                          array->cval.c_str()));
        for (Item* item : subscripts.consumed)
            drop(s, item == array ? s.item : item);
        return true;
    }
    const std::size_t dimensions = symbol->rowDimensions.size() + 1;
    // An element that is a pointer takes subscripts of its own: t[i][j] of int *t[2],
    // t[i][j][k] of int **t[2].
    if (given > dimensions &&
        given <= dimensions + static_cast<std::size_t>(pointedLevels(*symbol)) &&
        symbol->base == POINTER)
        return nestFirstSubscripts(s, subscripts);
    if (given > dimensions) {
        c.error(strprintf("ERROR(C307): Line: %d Array %s has %zu dimension%s: %zu subscripts "
                          "are too many.\n",
                          line, array->cval.c_str(), dimensions, dimensions == 1 ? "" : "s",
                          given));
        c.codegen.abortExpression = true;
        return true;
    }
    const int base = symbol->base;
    const int elementSize = base == LONG || (base == POINTER && symbol->pointee == CHAR) ? 2
                            : base == CHAR || base == INT || base == SHORT || base == POINTER
                                ? 1
                                : 0;
    if ((base == STRUCT || base == UNION) && given == 1 && dimensions == 1 &&
        s.previous != nullptr && s.previous->kind == ADDR)
        return addressOfAggregateElement(s, *array, *symbol, subscripts);
    // Arrays of aggregates need a multiplied index.
    if (elementSize != 1 && elementSize != 2)
        return false;
    const bool row = given < dimensions;
    const bool addressTaken = s.previous != nullptr && s.previous->kind == ADDR;
    if (row && !addressTaken && isStoredInto(s.previous))
        return refuseArrayTarget(c, array->cval + "[...]", line);
    generateElementNumber(c, *symbol, subscripts, line);
    const ExpressionResult position = c.codegen.lastResult;
    // A pointer element is read into a pointer temporary, which keeps what it points at.
    if (!row && !throughPointer && base != POINTER &&
        directElement(s, *symbol, position, elementSize, subscripts.consumed))
        return true;
    if (throughPointer) {
        Item index;
        index.kind = position.kind;
        index.cval = position.name;
        index.ival = position.value;
        loadScaledW(c, index, elementSize, line);
        emitOn(c, PIC_ADDWF, *array, 0, line);
    } else if (position.kind == INTEGER_CONSTANT) {
        emit(c, PIC_ADDMEMLOC, array->cval, -1, line, 0,
             array->ival + position.value * elementSize);
    } else {
        std::string indexRegister = position.name;
        int indexOffset = position.value;
        if (elementSize == 2) {
            const std::string doubled = newTemporary(c, false);
            emit(c, PIC_BCF, Status, Carry, line);
            emit(c, PIC_RLF, indexRegister, 0, line, 0, indexOffset);
            emit(c, PIC_MOVWF, doubled, -1, line);
            indexRegister = doubled;
            indexOffset = 0;
        }
        emit(c, PIC_ADDMEMLOC, array->cval, -1, line, 0, array->ival);
        emit(c, PIC_ADDWF, indexRegister, 0, line, 0, indexOffset);
        if (elementSize == 2)
            freetmp(c, indexRegister);
    }
    releasePendingResult(c);
    if (addressTaken || row) {
        // &a[i], or a row m[i] standing for its first element's address: the address, in W
        // now, is the value, a pointer of the element's or row's type: &a[i] + 1 steps one
        // element, &m[i] + 1 one row.
        becomeAddressInW(c, s.item, *symbol, addressTaken ? given - 1 : given, !addressTaken, line);
        for (Item* item : subscripts.consumed)
            drop(s, item);
        if (addressTaken)
            drop(s, s.previous);
        return true;
    }
    if (throughPointer)
        emit(c, PIC_MOVWF, FileSelect, -1, line);
    else
        pointFsrInto(c, array->cval, line);
    finishIndirect(s, elementSize, symbol->sign, subscripts.consumed,
                   base == POINTER ? symbol : nullptr);
    return true;
}

namespace {

// Whether an array name after the item before it is not a value: the array of an element,
// the operand of sizeof or &, an assignment's target (an initialiser's part comes right
// after its =); an element reached directly names the array with a sign of its own.
bool arrayNameIsNoValue(const Item& name, const Item* before) {
    return name.ival != 0 || name.sign != 0 || name.name == ObjectPart ||
           (before != nullptr &&
            (before->kind == INDEX_ON || before->kind == SIZEOF || before->kind == ADDR ||
             before->kind == DEST_ADDR || (before->kind >= ASSIGN && before->kind <= OREQ)));
}

// Whether the list is one name between markers.
bool isWholeExpression(const Item* list) {
    int names = 0;
    for (const Item* item = list; item != nullptr; item = item->next) {
        if (isIdentifier(item))
            ++names;
        else if (item->kind != SRC_ADDR && item->kind != POSTFIX_EXP_START &&
                 item->kind != POSTFIX_EXP_END)
            return false;
    }
    return names == 1;
}

// The array's address in a pointer to its first element: of an array of arrays, a pointer
// to its first row.
void takeArrayAddress(Compilation& c, Item& name, const Symbol& array) {
    emit(c, PIC_ADDRESSOF, name.cval, -1, name.line);
    becomeAddressInW(c, &name, array, 0, true, name.line);
}

} // namespace

void arrayNamesBecomeAddresses(Compilation& c, Item* list) {
    if (isWholeExpression(list))
        return;
    const Item* before = nullptr;
    // A member chain's base and names are looked up in the struct, not here.
    MemberChainReader chains;
    for (Item* item = list; item != nullptr; item = item->next) {
        const bool skipped = chains.see(*item) != MemberChainReader::Role::Other;
        if (!skipped && isIdentifier(item) && !arrayNameIsNoValue(*item, before)) {
            const Symbol* symbol = findsym(c, item->cval);
            if (symbol != nullptr && symbol->type == ARRAY)
                takeArrayAddress(c, *item, *symbol);
        }
        if (item->kind != POSTFIX_EXP_START)
            before = item;
    }
}

bool arrayLeafBecomesAddress(Compilation& c, Item& leaf) {
    if (!isIdentifier(&leaf) || !namesWholeArray(c, leaf.cval, leaf.sign) ||
        leaf.name == ObjectPart)
        return false;
    takeArrayAddress(c, leaf, *findsym(c, leaf.cval));
    return true;
}

bool generatePointerAccess(Site& s) {
    Compilation& c = s.c;
    const int line = s.line();
    Item* pointer = s.item->next;
    if (!isLeaf(pointer))
        return false;
    const Symbol* symbol = isIdentifier(pointer) ? typeOfLeaf(c, *pointer) : nullptr;
    if (symbol == nullptr)
        return false;
    if (symbol->type == LONG && symbol->base == CHAR && isStoredInto(s.previous)) {
        pointFsrForStore(c, *pointer, line);
        finishIndirect(s, 1, symbol->sign, {pointer});
        return true;
    }
    if (symbol->type == LONG && symbol->base == CHAR) {
        // The string reader fetches the byte from program memory, or from RAM by the tag.
        becomeLeaf(s.item, IDENTIFIER, readProgramByte(c, *pointer, symbol->sign, line));
        drop(s, pointer);
        return true;
    }
    if (symbol->type == POINTER && !symbol->rowDimensions.empty()) {
        // *pa of a pointer to an array is the array, standing for its first element.
        if (isStoredInto(s.previous))
            return refuseArrayTarget(c, "*" + writtenAs(resultOf(*pointer)), line);
        emitOn(c, PIC_MOVF, *pointer, 0, line);
        becomeAddressInW(c, s.item, *symbol, 1, true, line);
        drop(s, pointer);
        return true;
    }
    if (symbol->type == POINTER && symbol->base == VOID) {
        c.error(strprintf("ERROR(C336): Line: %d %s is a void pointer: * reaches no object "
                          "through it (cast it to a pointer to the object's type first).\n",
                          line, writtenAs(resultOf(*pointer)).c_str()));
        c.codegen.abortExpression = true;
        return true;
    }
    const int base = symbol->type == POINTER ? symbol->base : getbase(c, pointer->cval);
    const int elementSize = base == LONG || (base == POINTER && symbol->pointee == CHAR)      ? 2
                            : base == CHAR || base == INT || base == SHORT || base == POINTER ? 1
                                                                                              : 0;
    if (symbol->type != POINTER) {
        // A pointer member arrives as the pointer it holds: a member here is no pointer.
        const bool member = symbol->type == STRUCT || symbol->type == UNION;
        const std::string name =
            member ? "this member of " + pointer->cval : writtenAs(resultOf(*pointer));
        if (member || name == pointer->cval)
            c.error(strprintf("ERROR(C337): Line: %d %s is not a pointer: * reaches nothing "
                              "through it.\n",
                              line, name.c_str()));
        else
            c.error(strprintf("ERROR(C259): Line: %d * of %s is not supported by this compiler "
                              "yet.\n",
                              line, name.c_str()));
        c.codegen.abortExpression = true;
        return true;
    }
    if (elementSize == 0)
        return false; // a whole struct, copied elsewhere
    emitOn(c, PIC_MOVF, *pointer, 0, line);
    emit(c, PIC_MOVWF, FileSelect, -1, line);
    finishIndirect(s, elementSize, symbol->sign, {pointer},
                   base == POINTER ? symbol : nullptr);
    return true;
}

namespace {

int scalarSize(int type) {
    return type == LONG ? 2 : type == CHAR || type == INT || type == SHORT ? 1 : 0;
}

// A member that holds a pointer: a RAM pointer (not to an array) or a char pointer.
bool holdsPointer(const Symbol& member) {
    return (member.type == POINTER && member.rowDimensions.empty()) ||
           (member.type == LONG && member.base == CHAR);
}

// The item before reads through the value: *m, m[i], m->x.
bool readsThrough(const Item* previous) {
    return previous != nullptr && (previous->kind == RESOLV_PTR || previous->kind == INDEX_ON ||
                                   previous->kind == POINTERSYM);
}

// The bytes of a member read or written whole: a number or a pointer; 0 for the rest.
int memberBytes(const Symbol& member) {
    if (holdsPointer(member))
        return member.type == LONG ? 2 : 1;
    return scalarSize(member.type);
}

// A pointer member read through (*s.p, s.p[i], s.next->x): its value goes into a temporary
// that knows what it points at, which the struct it is a member of does not tell.
bool pointerMemberValue(Site& s, const Item& base, const Symbol& member, int offset) {
    Compilation& c = s.c;
    const int line = s.line();
    const int bytes = member.type == LONG ? 2 : 1;
    const std::string t = newpointertmp(c, member);
    for (int byte = 0; byte < bytes; ++byte) {
        emit(c, PIC_MOVF, base.cval, 0, line, 0, base.ival + offset + byte);
        emit(c, PIC_MOVWF, t, -1, line, 0, byte);
    }
    becomeLeaf(s.item, bytes == 2 ? LONG_IDENTIFIER : IDENTIFIER, t);
    return true;
}

// The items from `from` up to (not including) `to`.
std::vector<Item*> itemsBetween(Item* from, const Item* to) {
    std::vector<Item*> items;
    for (Item* i = from; i != nullptr && i != to; i = i->next)
        items.push_back(i);
    return items;
}

// A member of an element of an array of structs: the element's address is computed at run
// time (index times element size through the multiply routine, plus the array's address and
// the member's offset) into FSR, and the member is reached through INDF.
bool memberOfElement(Site& s, Item* indexOn, int depth) {
    Compilation& c = s.c;
    const int line = s.line();
    Item* array = indexOn->next;
    Subscripts subscripts;
    if (array == nullptr || array->kind != IDENTIFIER || !readSubscripts(array, subscripts))
        return false;
    std::vector<Item*> members;
    for (Item* m = subscripts.consumed.front()->next;
         m != nullptr && static_cast<int>(members.size()) < depth; m = m->next)
        members.push_back(m);
    // The array may be a member array of a struct (pl.pts[i].x): its own symbol says.
    const Symbol* symbol = arraySymbolOf(c, *array);
    // q[i].m of a pointer to structs reaches them as an array would, from where it points.
    const bool throughPointer = symbol != nullptr && symbol->type == POINTER &&
                                symbol->rowDimensions.empty() && array->ival == 0;
    // g[i][j].m takes a subscript for each dimension.
    const std::size_t dimensions = symbol != nullptr ? symbol->rowDimensions.size() + 1 : 0;
    if (symbol == nullptr || (symbol->type != ARRAY && !throughPointer) ||
        (symbol->base != STRUCT && symbol->base != UNION) ||
        subscripts.indices.size() != (throughPointer ? 1 : dimensions))
        return false;
    const ResolvedMember resolved = resolveMembers(c, symbol->typeName, members);
    const int size = resolved.member != nullptr ? memberBytes(*resolved.member) : 0;
    // A member array used as a value (pts[i].m[j], f(pts[i].m)) is a pointer to its first
    // element.
    const bool memberArray = resolved.member != nullptr && resolved.member->type == ARRAY &&
                             (s.previous == nullptr || (s.previous->kind != ADDR &&
                                                        s.previous->kind != SIZEOF));
    if (resolved.errorFormat != nullptr || (size == 0 && !memberArray))
        return false;
    if (memberArray && isStoredInto(s.previous))
        return refuseElement(s, "the member array " + members.back()->cval + " as a target");
    const int elementSize = typesize(c, nullptr, symbol->base, symbol->typeName);
    generateElementNumber(c, *symbol, subscripts, line);
    const ExpressionResult position = c.codegen.lastResult;
    loadElementAddress(c, *array, array->ival + resolved.offset, position, elementSize, line);
    releasePendingResult(c);
    std::vector<Item*> consumed = itemsBetween(s.item->next, members.back()->next);
    if (memberArray) {
        becomeAddressInW(c, s.item, *resolved.member, 0, true, line);
        for (Item* item : consumed)
            drop(s, item);
        return true;
    }
    if (s.previous != nullptr && s.previous->kind == ADDR) {
        // &a[i].m: the member's address, in W now, is the value: a pointer of its type.
        const std::string t = newpointertmp(c, pointerTo(*resolved.member));
        emit(c, PIC_MOVWF, t, -1, line);
        becomeLeaf(s.item, IDENTIFIER, t);
        consumed.push_back(s.previous);
        for (Item* item : consumed)
            drop(s, item);
        return true;
    }
    if (throughPointer)
        emit(c, PIC_MOVWF, FileSelect, -1, line);
    else
        pointFsrInto(c, array->cval, line);
    if (holdsPointer(*resolved.member)) {
        // pts[i].next->v: the member is the pointer it holds (see generateMemberThroughPointer).
        const Symbol holder = pointerToPointer(*resolved.member);
        finishIndirect(s, size, signOfSymbol(*resolved.member), consumed, &holder);
        return true;
    }
    finishIndirect(s, size, signOfSymbol(*resolved.member), consumed);
    markBitField(*s.item, *resolved.member);
    return true;
}

} // namespace

void loadElementAddress(Compilation& c, const Item& array, int offset,
                        const ExpressionResult& position, int elementSize, int line) {
    // Elements reached through a pointer start where it points.
    const bool throughPointer = ramPointerOf(c, array) != nullptr;
    if (position.kind == INTEGER_CONSTANT) {
        if (throughPointer)
            loadPointerPlus(c, array, offset + position.value * elementSize, line);
        else
            emit(c, PIC_ADDMEMLOC, array.cval, -1, line, 0, offset + position.value * elementSize);
        return;
    }
    const std::string base = newTemporary(c, false);
    if (throughPointer)
        loadPointerPlus(c, array, offset, line);
    else
        emit(c, PIC_ADDRESSOF, array.cval, -1, line, 0, offset);
    emit(c, PIC_MOVWF, base, -1, line);
    Item factor;
    factor.kind = position.kind;
    factor.cval = position.name;
    factor.ival = position.value;
    loadIntoSlots(c, factor, 1, line);
    Item size16;
    size16.kind = INTEGER_CONSTANT;
    size16.ival = elementSize;
    loadIntoSlots(c, size16, 3, line);
    emit(c, PIC_CALL, "@__FUNC_MULT", -1, line);
    emit(c, PIC_ADDWF, base, 0, line);
    freetmp(c, base);
}

void pointFsrInto(Compilation& c, const std::string& object, int line) {
    if (object.empty()) {
        emit(c, PIC_MOVWF, FileSelect, -1, line);
        return;
    }
    emit(c, PIC_SETIRP, object, -1, line);
    setUpFsrInto(c, object, line);
}

void loadPointerPlus(Compilation& c, const Item& pointer, int offset, int line) {
    if (offset == 0) {
        emitOn(c, PIC_MOVF, pointer, 0, line);
        return;
    }
    emit(c, PIC_MOVLW, std::to_string(offset), -1, line, offset);
    emitOn(c, PIC_ADDWF, pointer, 0, line);
}

namespace {

// p->in.x: the member chain after a member struct reached through a pointer, read or written
// through FSR at the pointer plus the chain's offset.
bool memberThroughStructPointer(Site& s, const Item& pointer, const std::vector<Item*>& members) {
    Compilation& c = s.c;
    const int line = s.line();
    const Symbol* symbol = findsym(c, pointer.cval);
    const ResolvedMember resolved = resolveMembers(c, symbol->typeName, members);
    const int size = resolved.member != nullptr ? scalarSize(resolved.member->type) : 0;
    if (resolved.errorFormat != nullptr) {
        c.error(strprintf(resolved.errorFormat, line, resolved.errorName.c_str()));
        c.codegen.abortExpression = true;
        return true;
    }
    if (size == 0)
        return refuseElement(s, "a member that is an array or a struct of a struct reached "
                                "through a pointer");
    loadPointerPlus(c, pointer, resolved.offset, line);
    emit(c, PIC_MOVWF, FileSelect, -1, line);
    finishIndirect(s, size, signOfSymbol(*resolved.member),
                   itemsBetween(s.item->next, members.back()->next));
    markBitField(*s.item, *resolved.member);
    return true;
}

} // namespace

bool generateMember(Site& s) {
    Compilation& c = s.c;
    const int line = s.line();
    int depth = 0;
    Item* base = s.item;
    while (base != nullptr && base->kind == ST_ADDR_RESOLVE) {
        ++depth;
        base = base->next;
    }
    if (base != nullptr && base->kind == INDEX_ON)
        return memberOfElement(s, base, depth);
    if (base == nullptr || base->kind != IDENTIFIER) {
        if (base != nullptr && isLeaf(base)) {
            c.error(strprintf("ERROR(C24): Line: %d Expecting identifier.\n", line));
            drop(s, s.item);
            return true;
        }
        return false;
    }
    // A base computed in parentheses ((*pp)->in.x) may still have its closing brackets
    // before the member names.
    while (base->next != nullptr &&
           (base->next->kind == POSTFIX_EXP_END || base->next->kind == POSTFIX_EXP_START))
        unlinkItem(c, s.list, base->next, base);
    std::vector<Item*> members;
    for (Item* m = base->next; m != nullptr && static_cast<int>(members.size()) < depth;
         m = m->next)
        members.push_back(m);
    if (base->name == StructThroughPointerMark)
        return memberThroughStructPointer(s, *base, members);
    const Symbol* symbol = findsym(c, base->cval);
    ResolvedMember resolved;
    if (symbol == nullptr) {
        resolved.errorFormat = "ERROR(C25): Line: %d Identifier %s not defined.\n";
        resolved.errorName = base->cval;
    } else {
        resolved = resolveMembers(c, symbol->typeName, members);
    }
    if (resolved.errorFormat != nullptr || resolved.member == nullptr) {
        if (resolved.errorFormat != nullptr)
            c.error(strprintf(resolved.errorFormat, line, resolved.errorName.c_str()));
        // After an error the base variable stands for the whole chain, so the scan goes on.
        dropRun(s, members, base);
        dropRun(s, itemsBetween(s.item, base), s.previous);
        return true;
    }
    if (resolved.member->type == ARRAY && s.previous != nullptr && s.previous->kind == INDEX_ON) {
        // An element of a member array: the base variable at the member's offset, marked with
        // the chain that finds the member's own array symbol.
        std::string chain;
        for (const Item* m : members)
            chain += (chain.empty() ? "" : ".") + m->cval;
        becomeLeaf(s.item, IDENTIFIER, base->cval, base->ival + resolved.offset);
        s.item->sign = signOfSymbol(*resolved.member);
        s.item->name = MemberArrayMark + chain;
        dropRun(s, members, base);
        dropRun(s, itemsBetween(s.item->next, base->next), s.item);
        return true;
    }
    const bool addressOrSize =
        s.previous != nullptr && (s.previous->kind == ADDR || s.previous->kind == SIZEOF);
    if (resolved.member->type == ARRAY && !addressOrSize) {
        // A member array used as a value is a pointer to its first element (row).
        if (isStoredInto(s.previous))
            return refuseElement(s, "the member array " + members.back()->cval + " as a target");
        emit(c, PIC_ADDRESSOF, base->cval, -1, line, 0, base->ival + resolved.offset);
        becomeAddressInW(c, s.item, *resolved.member, 0, true, line);
        dropRun(s, members, base);
        dropRun(s, itemsBetween(s.item->next, base->next), s.item);
        return true;
    }
    if (holdsPointer(*resolved.member) && readsThrough(s.previous)) {
        pointerMemberValue(s, *base, *resolved.member, resolved.offset);
        dropRun(s, members, base);
        dropRun(s, itemsBetween(s.item->next, base->next), s.item);
        return true;
    }
    // The member is the base variable at the members' summed offset.
    const int kind = resolved.member->type == LONG ? LONG_IDENTIFIER : IDENTIFIER;
    becomeLeaf(s.item, kind, base->cval, base->ival + resolved.offset);
    // The leaf names the whole variable, whose symbol does not know the member's sign, nor
    // what a pointer member points at, nor its type, which its address (a pointer to it)
    // needs.
    s.item->sign = signOfSymbol(*resolved.member);
    markBitField(*s.item, *resolved.member);
    if (holdsPointer(*resolved.member) || (addressOrSize && s.previous->kind == ADDR))
        s.item->name = markPointerElement(c, *resolved.member);
    dropRun(s, members, base);
    dropRun(s, itemsBetween(s.item->next, base->next), s.item);
    return true;
}

bool generateConstantAddressAccess(Site& s) {
    Item* address = s.item->next;
    if (!isConstant(address) || address->ival < 0 || address->ival > 255)
        return false;
    // FSR holds the whole address: bank and register.
    emit(s.c, PIC_MOVLW, std::to_string(address->ival & 0xFF), -1, s.line(), address->ival & 0xFF);
    emit(s.c, PIC_MOVWF, FileSelect, -1, s.line());
    finishIndirect(s, 1, UNSIGNED, {address});
    return true;
}

namespace {

// p->m of a member array: a pointer to its first element, which a subscript steps (a char
// pointer for chars; of a member array of arrays, a pointer to its first row).
bool memberArrayThroughPointer(Site& s, const Item& pointer, const Symbol& member, int offset) {
    Compilation& c = s.c;
    const int line = s.line();
    loadPointerPlus(c, pointer, offset, line);
    becomeAddressInW(c, s.item, member, 0, true, line);
    drop(s, s.item->next);
    return true;
}

// p->in of a member struct whose own member follows (p->in.x): a pointer to the member
// struct, marked so that the member after it is reached through it.
bool memberStructThroughPointer(Site& s, const Item& pointer, const Symbol& member, int offset) {
    Compilation& c = s.c;
    const int line = s.line();
    loadPointerPlus(c, pointer, offset, line);
    Symbol inner;
    inner.type = POINTER;
    inner.base = member.type;
    inner.typeName = member.typeName;
    const std::string t = newpointertmp(c, inner);
    emit(c, PIC_MOVWF, t, -1, line);
    becomeLeaf(s.item, IDENTIFIER, t);
    s.item->name = StructThroughPointerMark;
    drop(s, s.item->next);
    return true;
}

} // namespace

bool generateMemberThroughPointer(Site& s) {
    Compilation& c = s.c;
    const int line = s.line();
    Item* pointer = s.item->next;
    if (!isLeaf(pointer))
        return false;
    const Symbol* symbol = typeOfLeaf(c, *pointer); // a ?: of pointers carries its type
    const bool toAggregate = symbol != nullptr && symbol->type == POINTER &&
                             (symbol->base == STRUCT || symbol->base == UNION);
    const ResolvedMember resolved =
        toAggregate ? resolveMembers(c, symbol->typeName, {s.item}) : ResolvedMember{};
    if (resolved.member != nullptr && resolved.member->type == ARRAY)
        return memberArrayThroughPointer(s, *pointer, *resolved.member, resolved.offset);
    if (resolved.member != nullptr &&
        (resolved.member->type == STRUCT || resolved.member->type == UNION) &&
        s.previous != nullptr && s.previous->kind == ST_ADDR_RESOLVE)
        return memberStructThroughPointer(s, *pointer, *resolved.member, resolved.offset);
    if (resolved.member != nullptr && resolved.member->type != ARRAY && s.previous != nullptr &&
        s.previous->kind == ADDR) {
        // &p->m: the pointer plus the member's offset, a pointer of the member's type.
        loadPointerPlus(c, *pointer, resolved.offset, line);
        const std::string t = newpointertmp(c, pointerTo(*resolved.member));
        emit(c, PIC_MOVWF, t, -1, line);
        becomeLeaf(s.item, IDENTIFIER, t);
        drop(s, pointer);
        drop(s, s.previous);
        return true;
    }
    const int size = resolved.member != nullptr ? memberBytes(*resolved.member) : 0;
    if (resolved.errorFormat != nullptr) {
        c.error(strprintf(resolved.errorFormat, line, resolved.errorName.c_str()));
    } else if (size == 0) {
        c.error(strprintf("ERROR(C259): Line: %d member access through a pointer (->%s) %s is "
                          "not supported by this compiler yet.\n",
                          line, s.item->cval.c_str(),
                          !toAggregate ? "on something other than a pointer to a struct"
                                       : "to a member that is a struct"));
    }
    if (resolved.errorFormat != nullptr || size == 0) {
        c.codegen.abortExpression = true;
        return true;
    }
    // FSR = the pointer + the member's offset.
    loadPointerPlus(c, *pointer, resolved.offset, line);
    emit(c, PIC_MOVWF, FileSelect, -1, line);
    if (holdsPointer(*resolved.member)) {
        // p->next->x: the member is read as the pointer it is (stored into, it takes a char
        // pointer's RAM tag or steps by what it points at).
        const Symbol holder = pointerToPointer(*resolved.member);
        finishIndirect(s, size, resolved.member->sign, {pointer}, &holder);
        return true;
    }
    finishIndirect(s, size, resolved.member->sign, {pointer});
    markBitField(*s.item, *resolved.member);
    return true;
}

bool generateString(Site& s) {
    Compilation& c = s.c;
    const int line = s.line();
    if (isStoredInto(s.previous) && s.previous->kind >= ASSIGN && s.previous->kind <= OREQ) {
        c.error(strprintf("ERROR(C58): Line: %d Strings cannot be an lvalue.\n", line));
        drop(s, s.item);
        return true;
    }
    if (isStoredInto(s.previous)) {
        c.error(strprintf("ERROR(C56): Line: %d String must be an rvalue.\n", line));
        drop(s, s.item);
        return true;
    }
    const std::string text = decodeString(c, s.item->cval, line);
    // Position 0 is a null char pointer: the table starts with a spare 0 byte, so that no
    // string's pointer compares equal to 0.
    c.codegen.stringTableSize = std::max(c.codegen.stringTableSize, 1);
    const int position = c.codegen.stringTableSize;
    if (position + static_cast<int>(text.size()) > LastStringPosition) {
        c.error(strprintf("ERROR(C31): Line: %d No space for string \"%s\"\n", line,
                          s.item->cval.c_str()));
        // The statement goes on with a 0 in the string's place: one message for the fault.
        becomeConstant(s.item, 0);
        return true;
    }
    const std::string name = strprintf("_str_%d", position);
    Symbol* symbol = addsym(c, c.symbols.main, 0, STRING, 0, name, GlobalScope, "", UNSIGNED, line);
    symbol->size = static_cast<int>(text.size()) + 1;
    c.codegen.stringConstants.push_back({name, text, position});
    c.codegen.stringTableSize += static_cast<int>(text.size()) + 1;
    const std::string t = newTemporary(c, true);
    if (s.previous != nullptr && s.previous->kind == ADDR) {
        // The address of a string: both bytes of its place.
        emit(c, PIC_ADDRESSOF, name, -1, line);
        emit(c, PIC_MOVWF, t, -1, line);
        emit(c, PIC_ADDRESSOF, name, -1, line, 0, 1);
        emit(c, PIC_MOVWF, t, -1, line, 0, 1);
        drop(s, s.previous);
    } else {
        // The value is a two-byte pointer into the string table.
        emit(c, PIC_GETSTRADDRHI, name, -1, line);
        emit(c, PIC_MOVWF, t, -1, line, 0, 1);
        emit(c, PIC_GETSTRADDR, name, -1, line);
        emit(c, PIC_MOVWF, t, -1, line);
    }
    becomeLeaf(s.item, LONG_IDENTIFIER, t);
    // "ab"[i]: the string is subscripted as the char pointer it is.
    if (s.previous != nullptr && s.previous->kind == INDEX_ON)
        s.item->name = markPointerElement(c, pointerType(0, CHAR, "", SIGNED));
    return true;
}

} // namespace kavo::codegen
