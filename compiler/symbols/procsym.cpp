// Declaration processing: procsym walks a declaration's items and enters what they declare
// (declareIdentifier, declarePointer, declareArray, declareFunction, declareTag,
// declareEnumerator, declarePrototype) into the symbol table or a member list; prototypes
// declare the function for the calls before its definition, and
// floating point is refused (refuseFloatingPoint). Initialisers of global and static
// variables become code that runs before main (generateDeclarationExpression).
#include "compiler/symbols/procsym.hpp"

#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/base/word_splitter.hpp"
#include "compiler/codegen/emit.hpp"
#include "compiler/codegen/functions.hpp"
#include "compiler/codegen/genexpr.hpp"
#include "compiler/frontend/typedef_derivation.hpp"
#include "compiler/run/nesting_level.hpp"
#include "compiler/symbols/pointer_types.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/symbols/types.hpp"

#include <algorithm>
#include <optional>
#include <utility>

namespace kavo {

namespace {

// What one declaration run has collected so far.
struct Declaration {
    int cls = 0;
    int type = 0;
    int base = 0;
    int sign = SIGNED;
    int qual = 0;
    bool typeGiven = false;
    std::string typeName;
    bool function = false;
    bool definingTag = false;
    bool structTypeFollows = false;
    bool arrayPending = false;
    bool unsizedArrayPending = false; // an array whose initialiser gives its size
    // The declarator's array sizes as the items give them, last dimension first.
    std::vector<int> dimensions;
    // The declarations are a function's parameters: an array parameter is a pointer.
    bool parameters = false;
    bool parametersFollow = false;
    // The pointers (*) written before a function's name: what it returns is a pointer of
    // that many levels to its specifiers' type.
    int returnPointers = 0;
    // The pointer being declared (type POINTER): the pointer levels of what it points at
    // (0 for int *p, 1 for int **pp) and the specifiers' type at the bottom. base follows:
    // POINTER, or innermost for one level.
    int levels = 0;
    int innermost = 0;
    // A pointer to an array (int (*pa)[2][3]): the array's dimensions, outermost first; the
    // array sizes came before the pointer, so they belong to what it points at.
    std::vector<int> pointeeArray;
    // What of the pointer's declaration cannot be built (a pointer to an array of pointers,
    // to a pointer to an array): the words of its C259, once the name is known.
    std::string refusedPointer;
    bool enumOpen = false;
    bool enumValueGiven = false;
    bool fixedLocation = false;
    int fixedAddress = 0;
    int enumCounter = 0;
    bool unsupportedType = false;
    // The specifiers named a typedef of typedefPointers pointer levels, or of an array of
    // typedefCount elements (of pointers when both are given): each declarator gets that
    // type under its own derivations.
    int typedefPointers = 0;
    int typedefCount = 0;
    std::vector<int> typedefRows; // the typedef's dimensions after the first
    bool typedefToArray = false;  // a pointer to the typedef's array: typedef int (*rows)[3]
    // const among the specifiers (every declarator's object, or what its pointers point at),
    // and const after a declarator's * (the pointer itself).
    bool constSpecifier = false;
    bool constPointer = false;
    bool volatileGiven = false;
    // A declarator was entered since the last specifier word: the next specifier word
    // starts a new declaration (struct members and parameters arrive back to back).
    bool declaredSinceSpecifiers = false;
    Symbol* lastTag = nullptr;
    // The width in bits the next member declarator takes (a bit-field); none for a member of
    // its type's whole size.
    std::optional<int> bitWidth;
};

constexpr int UnsizedDimension = -1000000;
constexpr int NonConstantDimension = -1000001;
// More elements than any data memory holds: the product of the sizes stops growing here.
constexpr int MaxArrayElements = 65535;

// A keyword as the user wrote it.
std::string name(int kind) {
    return std::string(kindSpelling(kind));
}

// The remainder keeps the sign of a negative value, as C's % does.
int modulo256(int value) {
    return value % 256;
}

// What a function returns, a kind under that many pointers, described as a pointer to it
// would be (pointer_types.hpp): base the returned kind; for a returned pointer base POINTER
// and the chain of what it points at. A char pointer, two bytes, is returned as a long is:
// base LONG, pointee CHAR.
Symbol returnedType(int kind, int pointers) {
    Symbol returned;
    if (pointers == 0) {
        returned.base = kind;
    } else if (pointers == 1 && kind == CHAR) {
        returned.base = LONG;
        returned.pointee = CHAR;
    } else {
        describePointer(returned, pointerType(pointers, kind, "", 0));
    }
    return returned;
}

// One more pointer level on the declarator's type: int becomes int *, int * becomes int **.
void addPointerLevel(Declaration& d) {
    if (d.type == POINTER) {
        ++d.levels;
    } else {
        d.innermost = d.type;
        d.levels = 0;
    }
    d.type = POINTER;
    d.base = d.levels == 0 ? d.innermost : POINTER;
}

// The pointer is declared: the next declarator starts from the specifiers' type again.
void endPointerDeclarator(Declaration& d) {
    d.type = d.innermost;
    d.base = d.innermost;
    d.levels = 0;
}

void startNewDeclarationIfNeeded(Declaration& d) {
    if (!d.declaredSinceSpecifiers)
        return;
    d.cls = 0;
    d.type = 0;
    d.base = 0;
    d.sign = SIGNED;
    d.qual = 0;
    d.typeGiven = false;
    d.typeName.clear();
    d.unsupportedType = false;
    d.typedefPointers = 0;
    d.typedefCount = 0;
    d.typedefRows.clear();
    d.typedefToArray = false;
    d.constSpecifier = false;
    d.constPointer = false;
    d.volatileGiven = false;
    d.declaredSinceSpecifiers = false;
}

bool isStorageClass(int kind) {
    return kind == AUTO || kind == REGISTER || kind == STATIC || kind == EXTERN || kind == TYPEDEF;
}

bool isTypeWord(int kind) {
    return kind == VOID || kind == CHAR || kind == SHORT || kind == INT || kind == LONG;
}

void takeTypeWord(Compilation& c, Declaration& d, const Item& item) {
    if (d.type == STRUCT || d.type == UNION) {
        d.type = item.kind;
    } else if (item.kind == CHAR && d.type == SHORT) {
        d.type = INT;
    } else if (!d.typeGiven) {
        d.type = item.kind;
    } else if (item.kind == LONG && d.type == LONG) {
        c.error(strprintf("ERROR(C334): Line: %d long long (a 32-bit integer) is not supported: "
                          "long, 16 bits, is the widest type.\n",
                          item.line));
    } else {
        c.error(strprintf("ERROR(C08): Line: %d Conflicting types defined near %s\n", item.line,
                          name(item.kind).c_str()));
    }
    d.typeGiven = true;
}

bool constantResult(const Compilation& c) {
    return c.codegen.lastResult.kind == INTEGER_CONSTANT;
}

const char* RedeclarationMismatch =
    "ERROR(C331): Line: %d The declaration of %s does not match its declaration in line %d.\n";

// A file-scope object declared again, with extern or without an initialiser, is the object
// declared first; so is the object an extern declaration inside a function names. The
// declarations must agree. Two initialisers are two definitions (C116).
Symbol* earlierDeclaration(Compilation& c, const Declaration& d, const SymbolList& target,
                           const Item& item, int type) {
    if (&target != &c.symbols.main || (curscope(c) != GlobalScope && d.cls != EXTERN) ||
        type == FUNCNAME || type == FUNCPTR || type == STRUCT_NAME || type == UNION_NAME ||
        type == ENUM)
        return nullptr;
    Symbol* earlier = findsymin(c, item.cval, GlobalScope);
    if (earlier == nullptr || earlier->type == FUNCNAME || earlier->type == FUNCPTR ||
        earlier->type == STRUCT_NAME || earlier->type == UNION_NAME || earlier->type == ENUM)
        return nullptr;
    const bool initialised = item.next != nullptr && item.next->kind == EXPSTART;
    if (initialised && earlier->initialised)
        return nullptr;
    const bool sameBase = type != POINTER && type != ARRAY && !(type == LONG && d.base == CHAR);
    const int base = type == POINTER || (type == LONG && d.type == POINTER) ? d.base : d.type;
    // Pointers agree on every level: an int ** is no int ***.
    const bool pointer = type == POINTER || (type == LONG && d.type == POINTER);
    const Symbol levels = pointerType(d.levels, d.innermost, d.typeName, d.sign);
    const bool agree =
        earlier->type == type && earlier->sign == d.sign && earlier->typeName == d.typeName &&
        (sameBase ? earlier->base == 0 || earlier->base == base : earlier->base == base) &&
        (type != POINTER || earlier->rowDimensions == d.pointeeArray) &&
        (!pointer ||
         (earlier->pointee == levels.pointee && earlier->deeperPointers == levels.deeperPointers &&
          earlier->innermost == levels.innermost));
    if (!agree) {
        c.error(strprintf(RedeclarationMismatch, item.line, item.cval.c_str(), earlier->line));
        return earlier;
    }
    if (d.cls != EXTERN)
        earlier->cls = d.cls;
    earlier->initialised = earlier->initialised || initialised;
    return earlier;
}

Symbol* enterSymbol(Compilation& c, Declaration& d, SymbolList& target, const Item& item, int type,
                    int qual) {
    if (Symbol* earlier = earlierDeclaration(c, d, target, item, type))
        return earlier;
    // An extern declaration inside a function declares the file-scope object.
    const std::string scope =
        d.cls == EXTERN && &target == &c.symbols.main ? GlobalScope : curscope(c);
    Symbol* symbol =
        addsym(c, target, d.cls, type, qual, item.cval, scope, d.typeName, d.sign, item.line);
    symbol->initialised = item.next != nullptr && item.next->kind == EXPSTART;
    if (scope != curscope(c))
        symbol->owner.clear(); // an extern inside a function belongs to no function
    if (d.fixedLocation)
        symbol->addr = d.fixedAddress;
    symbol->readOnly = d.type == POINTER ? d.constPointer : d.constSpecifier;
    const Symbol* tag = d.typeName.empty() ? nullptr : findtag(c, d.typeName);
    symbol->volatileObject = d.volatileGiven || (tag != nullptr && tag->volatileObject);
    if (symbol->volatileObject && &target != &c.symbols.main && !c.symbols.tagsBeingDefined.empty())
        c.symbols.tagsBeingDefined.back()->volatileObject = true;
    return symbol;
}

// An extern declaration inside a block names the file-scope object there, also where a local
// of that name is visible outside the block.
Symbol* enter(Compilation& c, Declaration& d, SymbolList& target, const Item& item, int type,
              int qual) {
    Symbol* symbol = enterSymbol(c, d, target, item, type, qual);
    if (d.cls == EXTERN && &target == &c.symbols.main && curscope(c) != GlobalScope &&
        symbol->scope == GlobalScope)
        nameInScope(c, *symbol, curscope(c));
    return symbol;
}

// A pointer to an array is one byte, a RAM address, whatever the array's elements (chars
// too: an array is never in program memory); its rows tell the steps of its subscripts.
// Its array must have numbered sizes and scalar elements, and be no member.
std::string refusedPointerToArray(const Declaration& d, const SymbolList& target,
                                  const Compilation& c) {
    if (!d.refusedPointer.empty())
        return d.refusedPointer;
    for (int size : d.pointeeArray) {
        if (size <= 0)
            return "to an array without a numbered size";
    }
    if (d.base != CHAR && d.base != SHORT && d.base != INT && d.base != LONG)
        return "to an array of anything but integers";
    if (&target != &c.symbols.main)
        return "to an array as a struct member";
    return "";
}

void declarePointer(Compilation& c, Declaration& d, SymbolList& target, const Item& item) {
    if (!d.pointeeArray.empty() || !d.refusedPointer.empty()) {
        const std::string refusal = refusedPointerToArray(d, target, c);
        if (!refusal.empty()) {
            c.error(strprintf("ERROR(C259): Line: %d the pointer %s %s is not supported by this "
                              "compiler yet.\n",
                              item.line, item.cval.c_str(), refusal.c_str()));
            d.pointeeArray.clear();
        }
        d.refusedPointer.clear();
    }
    if (!d.pointeeArray.empty()) {
        Symbol* symbol = enter(c, d, target, item, POINTER, d.qual);
        symbol->base = d.base;
        symbol->rowDimensions = d.pointeeArray;
        d.pointeeArray.clear();
        endPointerDeclarator(d);
        return;
    }
    // A char pointer may address the string table in program memory: it is two bytes (type
    // LONG). Any other pointer, a pointer to a char pointer too, is a RAM address.
    const Symbol type = pointerType(d.levels, d.innermost, d.typeName, d.sign);
    Symbol* symbol = enter(c, d, target, item, type.type, d.qual);
    describePointer(*symbol, type);
    // The specifiers' sign holds for the next declarator too: c of unsigned char *p, c is
    // an unsigned char.
    endPointerDeclarator(d);
}

// The DEC_LIST_START of the parameter declarations after a function's name, right after its
// FUNC_PROTO_END; none where the parentheses hold no declarations.
const Item* parameterDeclarations(const Item& name) {
    const Item* item = name.next;
    if (item == nullptr || item->kind != FUNC_PROTO_START)
        return nullptr;
    while (item != nullptr && item->kind != FUNC_PROTO_END)
        item = item->next;
    item = item != nullptr ? item->next : nullptr;
    return item != nullptr && item->kind == DEC_LIST_START ? item : nullptr;
}

// The parameter declarations after a function's name; none for an empty list.
const Item* parameterList(const Item& name) {
    const Item* declarations = parameterDeclarations(name);
    return declarations != nullptr ? declarations->sublist : nullptr;
}

// The type of each parameter as a prototype and its definition must agree on it: a scalar
// by its size (an array parameter is a pointer), a struct or union by its tag, passed whole;
// (void) has none.
std::vector<std::string> parameterTypes(const Compilation& c, const Item* parameters) {
    std::vector<std::string> types;
    int type = 0;
    bool given = false;
    int pointers = 0;
    std::string tag;
    const auto finish = [&] {
        if (given && pointers == 0 && (type == STRUCT || type == UNION))
            types.push_back(name(type) + " " + tag);
        else if (given && !(type == VOID && pointers == 0))
            types.push_back(std::to_string(pointers > 0 ? pointerBytes(pointers - 1, type)
                                                        : (type == LONG ? 2 : 1)));
        type = 0;
        given = false;
        pointers = 0;
    };
    for (const Item* item = parameters; item != nullptr; item = item->next) {
        const int kind = item->kind;
        if (kind == COMMA) {
            finish();
        } else if (isTypeWord(kind) || kind == STRUCT || kind == UNION) {
            type = kind;
            given = true;
        } else if (kind == STRUCT_TYPE && item->next != nullptr) {
            // The tag follows; its struct or union keyword comes after it.
            tag = visibletag(c, item->next->cval);
            item = item->next;
        } else if (kind == SIGNED || kind == UNSIGNED) {
            type = type == 0 ? INT : type;
            given = true;
        } else if (kind == POINTER || kind == LBRA || kind == ARRAY_SIZE) {
            ++pointers;
        } else if (kind == TYPEDEFNAME) {
            // A typedef'd array parameter is a pointer to its elements.
            const TypedefDerivation derivation = typedefDerivationOf(item->ival);
            pointers += derivation.pointers + (derivation.count > 0 ? 1 : 0) +
                        (derivation.toArray ? 1 : 0);
        }
    }
    finish();
    return types;
}

const char* PrototypeMismatch = "ERROR(C273): Line: %d %s of %s does not match its prototype.\n";

// Array sizes before a pointer where no pointer to an array can be built: C259 naming what
// was declared, and the sizes are dropped.
void refusePointeeArray(Compilation& c, Declaration& d, const std::string& what, int line) {
    c.error(strprintf("ERROR(C259): Line: %d %s is not supported by this compiler yet.\n", line,
                      what.c_str()));
    d.pointeeArray.clear();
    d.refusedPointer.clear();
}

// The parameter types a declaration of a function says; none when its parentheses are
// empty (f()), which in C leaves the parameters unsaid.
std::optional<std::vector<std::string>> saidParameterTypes(const Compilation& c,
                                                           const Item& name) {
    const Item* declarations = parameterDeclarations(name);
    if (declarations == nullptr)
        return std::nullopt;
    return parameterTypes(c, declarations->sublist);
}

// A function declared again: parameters said twice must agree; said once, they hold from
// then on.
void declareParametersAgain(Compilation& c, SymbolTable::Prototype& known,
                            const std::optional<std::vector<std::string>>& types,
                            const Item& item) {
    if (!types)
        return;
    if (known.parameterTypes && *known.parameterTypes != *types)
        c.error(strprintf(PrototypeMismatch, item.line, "This declaration", item.cval.c_str()));
    known.parameterTypes = types;
}

// A prototype declares the function: calls before its definition compile, and the
// definition takes over the symbol. Repeated prototypes must agree.
void declarePrototype(Compilation& c, Declaration& d, const Item& item) {
    const std::optional<std::vector<std::string>> types = saidParameterTypes(c, item);
    d.declaredSinceSpecifiers = true;
    if (!d.pointeeArray.empty())
        refusePointeeArray(c, d, "the function " + item.cval + " returning a pointer to an array",
                           item.line);
    const auto known = c.symbols.prototypes.find(item.cval);
    if (known != c.symbols.prototypes.end()) {
        declareParametersAgain(c, known->second, types, item);
        return;
    }
    if (functionSymbol(c, item.cval) != nullptr)
        return; // declared again after its definition
    Symbol* symbol = addsym(c, c.symbols.main, d.cls, FUNCNAME, d.qual, item.cval, item.cval,
                            d.typeName, d.sign, item.line);
    const bool pointer = d.type == POINTER;
    describePointer(*symbol, returnedType(pointer ? d.innermost : d.type,
                                          (pointer ? d.levels + 1 : 0) + d.typedefPointers));
    if (pointer)
        endPointerDeclarator(d); // the next declarator has pointers of its own
    c.symbols.prototypes[item.cval] = {types, false};
}

// A K&R definition, f(a, b): only names between the parentheses after the function's name.
bool definedWithIdentifierList(const Item& name) {
    const Item* item = name.next;
    if (item == nullptr || item->kind != FUNC_PROTO_START || item->next == nullptr ||
        item->next->kind == FUNC_PROTO_END)
        return false;
    for (item = item->next; item != nullptr && item->kind != FUNC_PROTO_END; item = item->next) {
        if (item->kind != IDENTIFIER)
            return false;
    }
    return item != nullptr;
}

// The definition of a function a prototype declared: the prototype's symbol is the one.
Symbol* takePrototype(Compilation& c, const Declaration& d, const Item& item,
                      const Symbol& returned) {
    const auto known = c.symbols.prototypes.find(item.cval);
    if (known == c.symbols.prototypes.end() || known->second.defined)
        return nullptr;
    known->second.defined = true;
    Symbol* symbol = functionSymbol(c, item.cval);
    if (symbol == nullptr)
        return nullptr;
    const bool knr = definedWithIdentifierList(item);
    if (knr)
        c.symbols.definitionToCheck = item.cval;
    if (symbol->base != returned.base || symbol->pointee != returned.pointee ||
        symbol->deeperPointers != returned.deeperPointers ||
        symbol->innermost != returned.innermost || symbol->typeName != d.typeName ||
        (known->second.parameterTypes && !knr &&
         *known->second.parameterTypes != parameterTypes(c, parameterList(item))))
        c.error(strprintf(PrototypeMismatch, item.line, "The definition", item.cval.c_str()));
    symbol->sign = d.sign;
    symbol->typeName = d.typeName;
    return symbol;
}

void declareFunction(Compilation& c, Declaration& d, SymbolList& target, const Item& item) {
    const bool interrupt = item.cval == "__interrupt";
    if (interrupt && !c.pragmas.has("INTERRUPT_LOC"))
        c.message(strprintf("WARNING(C112): Line: %d Found interrupt routine \"%s\" but pragma "
                            "\"%s\" is not defined.\n",
                            item.line, "__interrupt", "INTERRUPT_LOC"));
    if (!d.dimensions.empty())
        c.error(strprintf("ERROR(C259): Line: %d the function %s returning a pointer to an "
                          "array is not supported by this compiler yet.\n",
                          item.line, item.cval.c_str()));
    // A typedef'd pointer type returned adds its pointers under those written.
    const Symbol returned = returnedType(d.base, d.returnPointers + d.typedefPointers);
    Symbol* symbol = takePrototype(c, d, item, returned);
    if (symbol == nullptr)
        symbol = enter(c, d, target, item, FUNCNAME, d.qual);
    describePointer(*symbol, returned);
    d.returnPointers = 0;
    emit(c, PIC_LABEL, interrupt ? item.cval : "@" + item.cval, -1, item.line);
    if (interrupt)
        emit(c, PIC_SAVEINT, "", -1, item.line);
    d.function = false;
    d.sign = SIGNED;
}

void declareTag(Compilation& c, Declaration& d, SymbolList& target, const Item& item) {
    const int type = d.type == STRUCT || d.type == STRUCT_NAME ? STRUCT_NAME : UNION_NAME;
    // Tags are looked up in the main table, also those defined inside another struct. One
    // declared in a function while another of its name exists hides that one: it has a
    // name of its own.
    (void)target;
    Item tag = item;
    const std::string scope = curscope(c);
    if (scope != GlobalScope && findtag(c, item.cval) != nullptr) {
        tag.cval = item.cval + "~" + scope;
        c.symbols.tagAliases[item.cval + std::string(1, '\0') + scope] = tag.cval;
    }
    d.lastTag = enter(c, d, c.symbols.main, tag, type, d.qual);
    d.definingTag = false;
}

// The dimensions after the first, outermost first: a[2][3][4] has rows of {3, 4}.
std::vector<int> rowDimensions(const Declaration& d) {
    std::vector<int> rows(d.dimensions.rbegin(), d.dimensions.rend());
    if (!rows.empty())
        rows.erase(rows.begin());
    return rows;
}

int elementsPerRow(const std::vector<int>& rows) {
    int elements = 1;
    for (int size : rows)
        elements *= size;
    return elements;
}

Symbol* enterArray(Compilation& c, Declaration& d, SymbolList& target, const Item& item,
                   int count) {
    const std::vector<int> rows = rowDimensions(d);
    count *= elementsPerRow(rows);
    Symbol* symbol = enter(c, d, target, item, ARRAY, modulo256(count));
    if ((symbol->count != 0 && symbol->count != count) ||
        (symbol->count != 0 && symbol->rowDimensions != rows)) {
        c.error(strprintf(RedeclarationMismatch, item.line, item.cval.c_str(), symbol->line));
        return nullptr;
    }
    symbol->count = count;
    symbol->rowDimensions = rows;
    symbol->base = d.type;
    symbol->size = typesize(c, nullptr, d.type, d.typeName) * count;
    return symbol;
}

// Every dimension after the first has a constant size, and the whole array at most
// MaxArrayElements elements; else the error, and false.
bool dimensionsAreSound(Compilation& c, const Declaration& d, const Item& item) {
    long long elements = 1;
    for (std::size_t i = 0; i < d.dimensions.size(); ++i) {
        const int size = d.dimensions[i];
        const bool first = i + 1 == d.dimensions.size();
        if (size == NonConstantDimension) {
            c.error(strprintf("ERROR(C10): Line: %d Expecting constant expression for array "
                              "size.\n",
                              item.line));
            return false;
        }
        if (size == UnsizedDimension && !first) {
            c.error(strprintf("ERROR(C305): Line: %d Array %s: only its first dimension may be "
                              "left without a size.\n",
                              item.line, item.cval.c_str()));
            return false;
        }
        elements *= size == UnsizedDimension ? 1 : std::max(size, 1);
        if (elements > MaxArrayElements) {
            c.error(strprintf("ERROR(C306): Line: %d Array %s has more than %d elements.\n",
                              item.line, item.cval.c_str(), MaxArrayElements));
            return false;
        }
    }
    return true;
}

Symbol* declareArray(Compilation& c, Declaration& d, SymbolList& target, const Item& item) {
    d.arrayPending = false;
    if (!dimensionsAreSound(c, d, item)) {
        // After the error the name stands as a one-element array, so that its uses raise
        // nothing more.
        d.dimensions.clear();
        return enterArray(c, d, target, item, 1);
    }
    return enterArray(c, d, target, item, d.dimensions.back());
}

// An array parameter is a pointer to the array's first element: of an array of arrays
// (int r[][3], int r[2][3]), a pointer to its first row, int (*r)[3].
void declareArrayParameter(Compilation& c, Declaration& d, SymbolList& target,
                           const Item& item) {
    d.arrayPending = false;
    d.unsizedArrayPending = false;
    if (d.dimensions.size() > 1 && d.pointeeArray.empty()) {
        if (!dimensionsAreSound(c, d, item))
            d.dimensions.resize(1);
        d.pointeeArray = rowDimensions(d);
    }
    addPointerLevel(d); // char *argv[] is a char **argv
    declarePointer(c, d, target, item);
}

// t[] takes its element count from the initialiser that follows it.
Symbol* declareUnsizedArray(Compilation& c, Declaration& d, SymbolList& target,
                            const Item& item) {
    d.unsizedArrayPending = false;
    if (!dimensionsAreSound(c, d, item)) {
        d.dimensions.clear();
        return enterArray(c, d, target, item, 1);
    }
    const Item* initialiser = item.next;
    const int count = initialiser != nullptr && initialiser->kind == EXPSTART
                          ? initialisercount(c, initialiser->sublist, d.type, d.typeName,
                                             rowDimensions(d))
                          : -1;
    if (count <= 0 && d.cls == EXTERN) {
        // Its definition gives its size.
        Symbol* symbol = enter(c, d, target, item, ARRAY, 0);
        if (symbol->count == 0) {
            symbol->base = d.type;
            symbol->rowDimensions = rowDimensions(d);
        }
        return symbol;
    }
    if (count <= 0) {
        c.error(strprintf("ERROR(C276): Line: %d Array %s has no size: give its size, an "
                          "initialiser list, or (for a parameter) use a pointer.\n",
                          item.line, item.cval.c_str()));
    }
    // After the error the name stands as a one-element array, so its uses raise nothing more.
    return enterArray(c, d, target, item, count <= 0 ? 1 : count);
}

// The elements of an array of pointers are pointers of the declarator's type: the array
// describes them as a pointer to them would (pointer_types.hpp), base POINTER. A char pointer
// element is two bytes (a program memory address), any other one.
void describePointerElements(const Declaration& d, Symbol* array) {
    if (array == nullptr || array->pointee != 0)
        return; // declared before
    describePointer(*array, pointerType(d.levels + 1, d.innermost, d.typeName, d.sign));
    if (array->pointee == CHAR)
        array->size *= 2;
}

void declarePointerArray(Compilation& c, Declaration& d, SymbolList& target, const Item& item) {
    if (!d.pointeeArray.empty())
        refusePointeeArray(c, d, "the array " + item.cval + " of pointers to arrays", item.line);
    Symbol* symbol = d.arrayPending ? declareArray(c, d, target, item)
                                    : declareUnsizedArray(c, d, target, item);
    describePointerElements(d, symbol);
    endPointerDeclarator(d);
}

// int (*pa)[2][3]: the sizes seen so far are the array's the pointer points at.
void takePointeeArray(Declaration& d) {
    if (d.type == POINTER || !d.pointeeArray.empty())
        d.refusedPointer = "to an array of pointers or of arrays";
    d.pointeeArray.assign(d.dimensions.rbegin(), d.dimensions.rend());
    for (int& size : d.pointeeArray)
        size = size == UnsizedDimension || size == NonConstantDimension ? 0 : size;
    d.dimensions.clear();
    d.arrayPending = false;
    d.unsizedArrayPending = false;
    addPointerLevel(d);
}

void declareEnumerator(Compilation& c, Declaration& d, SymbolList& target, const Item& item) {
    if (d.enumValueGiven) {
        if (!constantResult(c)) {
            c.error(strprintf("ERROR(C11): Line: %d Expecting constant expression for enum "
                              "value.\n",
                              item.line));
            return;
        }
        d.enumCounter = c.codegen.lastResult.value;
    }
    // An enumerator is an int: a value no byte holds keeps its low byte, and says so.
    if (d.enumCounter < -128 || d.enumCounter > 255)
        c.message(strprintf("WARNING(C341): Line: %d The value %d of %s does not fit an int: "
                            "it is %d.\n",
                            item.line, d.enumCounter, item.cval.c_str(),
                            static_cast<signed char>(modulo256(d.enumCounter))));
    // Enumerators are ordinary names also when their enumeration is a struct's member.
    (void)target;
    enter(c, d, c.symbols.main, item, ENUM, modulo256(d.enumCounter));
    ++d.enumCounter;
}

// A declarator of a typedef'd array type, which takes no derivation of its own: declared
// here (true). Refused, false: the declarator is declared without the typedef's derivation,
// so that its uses raise nothing more.
bool declareTypedefArray(Compilation& c, Declaration& d, SymbolList& target, const Item& item) {
    const bool ownArray = d.arrayPending || d.unsizedArrayPending;
    // One pointer to the typedef's array (row3 *q), or the typedef's own pointer to an array
    // (rows r): a pointer to an array, as int (*q)[3] declares it.
    const bool onePointer = d.type == POINTER && d.levels == 0 && d.pointeeArray.empty();
    const bool pointerToArray = d.typedefToArray ? d.type != POINTER : onePointer;
    if (!d.function && !ownArray && d.typedefPointers == 0 && pointerToArray) {
        if (d.typedefToArray)
            addPointerLevel(d);
        d.pointeeArray = {d.typedefCount};
        d.pointeeArray.insert(d.pointeeArray.end(), d.typedefRows.begin(), d.typedefRows.end());
        declarePointer(c, d, target, item);
        return true;
    }
    if (d.function || ownArray || d.type == POINTER) {
        const std::string what = d.function ? "the function " + item.cval + " returning a value"
                                 : d.type == POINTER ? "the pointer " + item.cval
                                                     : "the array " + item.cval;
        c.error(strprintf("ERROR(C259): Line: %d %s of the typedef'd %s type is not supported by "
                          "this compiler yet.\n",
                          item.line, what.c_str(),
                          d.typedefToArray ? "pointer to an array" : "array"));
        return false;
    }
    if (d.typedefPointers == 0) {
        // The typedef's dimensions, as a declarator's items would give them: last first.
        d.dimensions.assign(d.typedefRows.rbegin(), d.typedefRows.rend());
        d.dimensions.push_back(d.typedefCount);
        // A parameter of an array type is a pointer, as one declared with the sizes is.
        if (d.parameters)
            declareArrayParameter(c, d, target, item);
        else
            enterArray(c, d, target, item, d.typedefCount);
        return true;
    }
    // An array of pointers (typedef char *strs[3]).
    for (int k = 0; k < d.typedefPointers; ++k)
        addPointerLevel(d);
    describePointerElements(d, enterArray(c, d, target, item, d.typedefCount));
    endPointerDeclarator(d);
    return true;
}

// A typedef'd pointer type's levels go under the declarator's own pointers: ip *q of
// typedef int *ip is an int **q, ip t[2] an array of int pointers.
void addTypedefPointers(Declaration& d) {
    if (d.type != POINTER) {
        // const before a typedef'd pointer type qualifies the pointer itself: const cp x is
        // char *const x.
        d.constPointer = d.constPointer || d.constSpecifier;
        addPointerLevel(d);
        d.levels += d.typedefPointers - 1;
    } else {
        d.levels += d.typedefPointers;
    }
    d.base = d.levels == 0 ? d.innermost : POINTER;
}

// The bits of the last member's byte the bit-fields there use: a bit-field shares the byte
// of the bit-field before it while its bits fit (low bits first). 8 when nothing is shared:
// after any other member, and in a union, where every member starts at bit 0.
int bitsUsedBefore(const Compilation& c, const Symbol* last) {
    const bool inUnion = !c.symbols.tagsBeingDefined.empty() &&
                         c.symbols.tagsBeingDefined.back()->type == UNION_NAME;
    return last != nullptr && last->bitWidth > 0 && !inUnion ? last->bitOffset + last->bitWidth
                                                             : 8;
}

// A member of a width in bits: of an 8-bit integer type, 1 to 8 bits wide. An unnamed one
// pads; one of width 0 fills the rest of the byte, so that the next starts a new one.
void declareBitField(Compilation& c, Declaration& d, SymbolList& target, const Item& item) {
    const int width = *std::exchange(d.bitWidth, std::nullopt);
    const bool unnamed = item.cval.starts_with(UnnamedBitField);
    const std::string called = unnamed ? "an unnamed bit-field" : "the bit-field " + item.cval;
    const bool byteType = d.type == CHAR || d.type == SHORT || d.type == INT;
    if (!byteType || d.arrayPending || d.unsizedArrayPending || d.function) {
        c.error(strprintf("ERROR(C342): Line: %d %s is not of an 8-bit integer type: a bit-field "
                          "is a char, short or int, signed or unsigned.\n",
                          item.line, called.c_str()));
        return;
    }
    if (width < (unnamed ? 0 : 1) || width > 8) {
        c.error(strprintf("ERROR(C343): Line: %d %s is %d bits wide: its type holds %s to 8 "
                          "bits.\n",
                          item.line, called.c_str(), width, unnamed ? "0" : "1"));
        return;
    }
    const int used = bitsUsedBefore(c, target.tail);
    if (width == 0 && used == 8)
        return;
    Symbol* field = enter(c, d, target, item, d.type, d.qual);
    field->bitOffset = used + std::max(width, 1) <= 8 ? used : 0;
    field->bitWidth = width == 0 ? 8 - used : width;
}

void declareIdentifier(Compilation& c, Declaration& d, SymbolList& target, const Item& item) {
    d.typeGiven = false;
    if (d.unsupportedType)
        return;
    if (d.bitWidth) {
        declareBitField(c, d, target, item);
        d.declaredSinceSpecifiers = true;
        return;
    }
    // The next declarator's pointers have qualifiers of their own.
    struct PointerConstEnds {
        Declaration& d;
        ~PointerConstEnds() {
            d.constPointer = false;
            d.dimensions.clear();
            d.pointeeArray.clear();
            d.refusedPointer.clear();
        }
    } pointerConstEnds{d};
    const bool typedefDerived = (d.typedefPointers > 0 || d.typedefCount > 0) && !d.definingTag &&
                                !d.structTypeFollows && !d.enumOpen;
    if (typedefDerived && d.typedefCount == 0 && !d.function)
        addTypedefPointers(d);
    if (typedefDerived && d.typedefCount > 0 && declareTypedefArray(c, d, target, item)) {
    } else if (d.parameters && (d.arrayPending || d.unsizedArrayPending)) {
        declareArrayParameter(c, d, target, item);
    } else if (d.type == POINTER && (d.arrayPending || d.unsizedArrayPending)) {
        declarePointerArray(c, d, target, item);
    } else if (d.type == POINTER) {
        declarePointer(c, d, target, item);
    } else if (d.function) {
        declareFunction(c, d, target, item);
    } else if (d.definingTag) {
        declareTag(c, d, target, item);
    } else if (d.structTypeFollows) {
        d.typeName = visibletag(c, item.cval);
        d.structTypeFollows = false;
        return;
    } else if (d.arrayPending) {
        declareArray(c, d, target, item);
    } else if (d.unsizedArrayPending) {
        declareUnsizedArray(c, d, target, item);
    } else if (d.enumOpen) {
        declareEnumerator(c, d, target, item);
    } else if (d.type == VOID) {
        // A void object has no size; it is entered as a char so that its uses raise nothing
        // more.
        c.error(strprintf("ERROR(C335): Line: %d %s is declared void: only a function or a "
                          "pointer may be.\n",
                          item.line, item.cval.c_str()));
        enter(c, d, target, item, CHAR, d.qual);
    } else if (d.type != 0 || d.cls != 0 || d.qual != 0) {
        enter(c, d, target, item, d.type, d.qual);
    } else {
        c.error(strprintf("ERROR(C12): Line: %d Cannot resolve declaration.\n", item.line));
        return;
    }
    d.declaredSinceSpecifiers = true;
}

// The names of a K&R definition's identifier list, f(a, b), from its FUNC_PROTO_START;
// none for a list of parameter declarations.
std::vector<std::string> identifierList(const Item& start) {
    std::vector<std::string> names;
    for (const Item* item = start.next; item != nullptr && item->kind != FUNC_PROTO_END;
         item = item->next) {
        if (item->kind != IDENTIFIER)
            return {};
        names.push_back(item->cval);
    }
    return names;
}

// The last item of a FUNC_PROTO_START ... FUNC_PROTO_END run.
Item* skipPrototype(Item* item) {
    while (item != nullptr && item->kind != FUNC_PROTO_END)
        item = item->next;
    return item;
}

// A function declared without a body (declarePrototype).
bool isPrototype(const Declaration& d, const Item& item) {
    return !d.function && item.next != nullptr && item.next->kind == FUNC_PROTO_START;
}

// The last item of a prototype's parameter run: its FUNC_PROTO_START ... FUNC_PROTO_END and
// the parameter declarations that follow.
Item* skipPrototypeParameters(Item* identifier) {
    Item* last = skipPrototype(identifier->next);
    if (last != nullptr && last->next != nullptr && last->next->kind == DEC_LIST_START)
        last = last->next;
    return last;
}

void refuseFloatingPoint(Compilation& c, Declaration& d, const Item& item) {
    if (item.cval == "_Bool")
        c.error(strprintf("ERROR(C340): Line: %d Type _Bool is not supported: every store into "
                          "it would have to turn a non-zero value into 1 (use unsigned char "
                          "and store 0 or 1).\n",
                          item.line));
    else
        c.error(strprintf("ERROR(C256): Line: %d Type %s is not supported: there is no "
                          "floating point arithmetic.\n",
                          item.line, item.kind == FLOAT ? "float" : "double"));
    d.unsupportedType = true;
    d.typeGiven = true;
}

// The initialiser of a global or static variable runs once, before main; any other
// declaration expression (a local's initialiser, a size, a value) stands where it is.
void generateDeclarationExpression(Compilation& c, const Declaration& d, Item& item) {
    const bool once =
        isinitialiser(item.sublist) && (curscope(c) == GlobalScope || d.cls == STATIC);
    Instruction* mark = once ? startupmark(c) : nullptr;
    geninitialiser(c, item.sublist);
    if (once)
        takestartupcode(c, mark);
}

void processItem(Compilation& c, Declaration& d, SymbolList& target, Item*& item);

void declareAll(Compilation& c, Item* first, SymbolList& target, bool parameters) {
    const NestingLevel level(c, first != nullptr ? first->line : c.currentLine);
    Declaration d;
    d.parameters = parameters;
    for (Item* item = first; item != nullptr && !level.refused();
         item = item != nullptr ? item->next : nullptr)
        processItem(c, d, target, item);
    setsizes(c);
}

} // namespace

void procsym(Compilation& c, Item* first, SymbolList& target) {
    declareAll(c, first, target, false);
}

namespace {

// The parameters of a K&R definition, declared now, against its prototype's: each of the
// same size, a struct or union of the same tag.
void checkAgainstPrototype(Compilation& c, const std::string& function,
                           const std::vector<Symbol*>& parameters, int line) {
    const auto known = c.symbols.prototypes.find(function);
    if (function.empty() || known == c.symbols.prototypes.end() ||
        !known->second.parameterTypes)
        return;
    std::vector<std::string> types;
    for (const Symbol* parameter : parameters) {
        const bool aggregate = parameter->type == STRUCT || parameter->type == UNION;
        types.push_back(aggregate ? name(parameter->type) + " " + parameter->typeName
                                  : std::to_string(parameter->size));
    }
    if (types != *known->second.parameterTypes)
        c.error(strprintf(PrototypeMismatch, line, "The definition", function.c_str()));
}

} // namespace

void declareIdentifierList(Compilation& c, int line) {
    const std::vector<std::string> names = std::exchange(c.symbols.identifierList, {});
    const std::string scope = curscope(c);
    std::vector<Symbol*> order;
    for (const std::string& name : names) {
        Symbol* parameter = findsymin(c, name, scope);
        if (parameter == nullptr) {
            parameter = addsym(c, c.symbols.main, 0, INT, 0, name, scope, "", SIGNED, line);
            setsizes(c);
        }
        order.push_back(parameter);
    }
    reorderSymbols(c, order);
    checkAgainstPrototype(c, std::exchange(c.symbols.definitionToCheck, {}), order, line);
}

void checkprototypes(Compilation& c) {
    std::vector<std::string> reported;
    for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        if (i->opcode != PIC_CALL)
            continue;
        const auto known = c.symbols.prototypes.find(i->operand);
        if (known == c.symbols.prototypes.end() || known->second.defined ||
            std::find(reported.begin(), reported.end(), i->operand) != reported.end())
            continue;
        reported.push_back(i->operand);
        c.error(strprintf("ERROR(C274): Line: %d Function %s is declared but never defined.\n",
                          i->line, i->operand.c_str()));
    }
}

namespace {

// A storage class without a type word declares an int, as C90 says: static k = 3;, static
// f(void) { ... }, a K&R parameter declared register a;.
void implicitInt(Declaration& d) {
    // A struct, union or enum tag's name is no declarator: its type word comes after it.
    const bool tagName = d.structTypeFollows || d.definingTag || d.enumOpen;
    if (d.type == 0 && !d.typeGiven && d.cls != 0 && d.cls != TYPEDEF && !tagName)
        d.type = INT;
}

void processItem(Compilation& c, Declaration& d, SymbolList& target, Item*& item) {
    const int kind = item->kind;
    if (kind == FUNCNAME || kind == IDENTIFIER)
        implicitInt(d);
    if (isStorageClass(kind) || isTypeWord(kind) || kind == SIGNED || kind == UNSIGNED ||
        kind == CONST || kind == VOLATILE || kind == STRUCT || kind == UNION || kind == FLOAT ||
        kind == DOUBLE || kind == STRUCT_TYPE || kind == STRUCT_NAME || kind == TYPEDEFNAME)
        startNewDeclarationIfNeeded(d);

    if (isStorageClass(kind)) {
        if (d.cls == 0)
            d.cls = kind;
        else
            c.error(strprintf("ERROR(C09): Line: %d Conflicting class defined near %s\n",
                              item->line, name(kind).c_str()));
    } else if (isTypeWord(kind)) {
        takeTypeWord(c, d, *item);
    } else if (kind == FLOAT || kind == DOUBLE) {
        refuseFloatingPoint(c, d, *item);
    } else if (kind == SIGNED || kind == UNSIGNED) {
        // The order of the words does not matter: long unsigned is unsigned long.
        d.sign = kind;
        if (!d.typeGiven)
            d.type = INT;
    } else if (kind == CONST || kind == VOLATILE) {
        d.volatileGiven = d.volatileGiven || kind == VOLATILE;
        if (kind == CONST && d.type == POINTER)
            d.constPointer = true;
        else if (kind == CONST)
            d.constSpecifier = true;
        if (d.qual == 0)
            d.qual = kind;
        else
            c.message(strprintf("Line: %d : Conflicting qualifier defined near %s\n", item->line,
                                name(kind).c_str()));
    } else if (kind == STRUCT || kind == UNION) {
        if (d.type != 0)
            c.error(strprintf("ERROR(C13): Line: %d Conflicting types defined near %s curent "
                              "type is %s\n",
                              item->line, name(kind).c_str(), name(d.type).c_str()));
        else
            d.type = kind;
    } else if (kind == POINTER) {
        // A qualifier before a further * belongs to the pointer that one points at: p of
        // int *const *p is not const itself.
        if (d.type == POINTER)
            d.constPointer = false;
        if (d.function) {
            ++d.returnPointers;
        } else if (d.arrayPending || d.unsizedArrayPending) {
            takePointeeArray(d);
        } else {
            if (d.type == POINTER && !d.pointeeArray.empty())
                d.refusedPointer = "to a pointer to an array";
            addPointerLevel(d);
        }
    } else if (kind == TYPEDEFNAME) {
        const TypedefDerivation derivation = typedefDerivationOf(item->ival);
        d.typedefPointers = derivation.pointers;
        d.typedefCount = derivation.count;
        d.typedefToArray = derivation.toArray;
        d.typedefRows.clear();
        for (const std::string& word : splitWords(item->name).words) {
            if (!word.empty())
                d.typedefRows.push_back(std::stoi(word));
        }
    } else if (kind == FUNCNAME) {
        d.function = true;
        d.returnPointers = 0;
        d.base = d.type;
    } else if (kind == STRUCT_NAME) {
        d.definingTag = true;
    } else if (kind == STRUCT_TYPE) {
        d.structTypeFollows = true;
    } else if (kind == STRUCT_DEC_START) {
        if (d.lastTag != nullptr) {
            // An aggregate has its size once all its members are in.
            c.symbols.tagsBeingDefined.push_back(d.lastTag);
            procsym(c, item->sublist, d.lastTag->members);
            c.symbols.tagsBeingDefined.pop_back();
        }
        // The members' end resets what the tag's declaration collected.
        d.type = 0;
        d.sign = SIGNED;
        d.typeGiven = false;
        d.definingTag = false;
        d.structTypeFollows = false;
    } else if (kind == ENUMSTART) {
        d.enumOpen = true;
        d.enumCounter = 0;
    } else if (kind == ENUMEND) {
        // An object of an enumeration type is an int.
        d.enumOpen = false;
        if (!d.typeGiven) {
            d.type = INT;
            d.typeGiven = true;
        }
    } else if (kind == ENUM_INIT_VAL) {
        d.enumValueGiven = true;
    } else if (kind == ENUM_INIT_VAL_END) {
        d.enumValueGiven = false;
    } else if (kind == ARRAY_SIZE || kind == LBRA) {
        // The items give the last dimension first: the one seen last is the first, whose
        // size alone an initialiser may give.
        d.dimensions.push_back(kind == LBRA          ? UnsizedDimension
                               : constantResult(c) ? c.codegen.lastResult.value
                                                   : NonConstantDimension);
        d.arrayPending = kind == ARRAY_SIZE;
        d.unsizedArrayPending = kind == LBRA;
    } else if (kind == BIT_FIELD) {
        // After the error the member is declared 1 bit wide: nothing more is reported.
        d.bitWidth = constantResult(c) ? c.codegen.lastResult.value : 1;
        if (!constantResult(c))
            c.error(strprintf("ERROR(C345): Line: %d The width of a bit-field must be a constant "
                              "expression.\n",
                              item->line));
    } else if (kind == FORCED_MEM_LOC) {
        if (constantResult(c) && c.codegen.lastResult.value < 0) {
            c.error(strprintf("ERROR(C349): Line: %d The address %d given with @ is negative: RAM "
                              "addresses start at 0.\n",
                              item->line, c.codegen.lastResult.value));
        } else if (constantResult(c)) {
            d.fixedLocation = true;
            d.fixedAddress = c.codegen.lastResult.value;
        } else {
            c.error(strprintf("ERROR(C14): Line: %d Constant expression required for memory "
                              "location.\n",
                              item->line));
        }
    } else if (kind == FORCED_MEM_LOC_END) {
        d.fixedLocation = false;
    } else if (kind == EXPSTART) {
        generateDeclarationExpression(c, d, *item);
    } else if (kind == DEC_LIST_START) {
        declareAll(c, item->sublist, c.symbols.main, d.parametersFollow);
        d.parametersFollow = false;
    } else if (kind == DEC_LIST_END) {
        // A nested struct's declaration inside a member list leaves its end marker here.
    } else if (kind == FUNC_PROTO_START) {
        c.symbols.identifierList = identifierList(*item);
        item = skipPrototype(item);
        d.parametersFollow = true;
    } else if (kind == IDENTIFIER && isPrototype(d, *item)) {
        declarePrototype(c, d, *item);
        item = skipPrototypeParameters(item);
    } else if (kind == COMMA) {
        // Parameters are separated: the next specifier word starts the next one.
        d.declaredSinceSpecifiers = true;
    } else if (kind == IDENTIFIER) {
        declareIdentifier(c, d, target, *item);
    } else {
        c.message(strprintf("procsym: got symbol %s\n", std::string(kindName(kind)).c_str()));
    }
}

} // namespace

} // namespace kavo
