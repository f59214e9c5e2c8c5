// Checks an expression's items before generation: checkvars makes sure identifiers are visible
// and retags them by size, warning about constants too wide for their operand; setsign
// decides whether an operation is SIGNED or UNSIGNED.
#include "compiler/symbols/expression_checks.hpp"

#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/symbols/symbols.hpp"

namespace kavo {

namespace {

bool isBinaryOperator(int kind) {
    switch (kind) {
    case OR:
    case EXOR:
    case AND:
    case SHIFTR:
    case SHIFTL:
    case STAR:
    case PSTAR:
    case PLUS:
    case MINUS:
    case RELMINUS:
    case DIV:
    case MOD:
        return true;
    default:
        return false;
    }
}

bool isAssignment(int kind) {
    return kind >= ASSIGN && kind <= OREQ;
}

// Markers the parser puts around operands; the operands of an operator lie beyond them.
bool isOperandMarker(int kind) {
    return kind == POSTFIX_EXP_START || kind == POSTFIX_EXP_END || kind == SRC_ADDR ||
           kind == DEST_ADDR;
}

Item* operandFrom(Item* item) {
    while (item != nullptr && isOperandMarker(item->kind))
        item = item->next;
    return item;
}

bool isIdentifier(const Item* item) {
    return item != nullptr && (item->kind == IDENTIFIER || item->kind == LONG_IDENTIFIER);
}

// An identifier of a one-byte object; before retagging a long is still an IDENTIFIER.
bool isByteIdentifier(const Compilation& c, const Item* item) {
    if (item == nullptr || item->kind != IDENTIFIER)
        return false;
    const Symbol* symbol = findsym(c, item->cval);
    return symbol == nullptr ||
           (symbol->type != LONG && !(symbol->type == ARRAY && symbol->base == LONG));
}

bool isLargeConstant(const Item* item) {
    return item != nullptr && item->kind == INTEGER_CONSTANT && item->ival > 255;
}

// Function names are global wherever their symbol was recorded.
bool namesFunction(const Compilation& c, const Item& item) {
    return definedin(c, item.cval, GlobalScope) && findsym(c, item.cval) == nullptr;
}

bool visible(const Compilation& c, const Item& item) {
    return !scopeof(c, item.cval).empty() || namesFunction(c, item);
}

// 16-bit objects are worked on as LONG_IDENTIFIER leaves.
void retag(Compilation& c, Item& item) {
    const Symbol* symbol = findsym(c, item.cval);
    if (symbol == nullptr)
        return; // a function name
    switch (symbol->type) {
    case INT:
    case SHORT:
    case CHAR:
        return;
    case LONG:
        item.kind = LONG_IDENTIFIER;
        return;
    case ARRAY:
        if (symbol->base == LONG)
            item.kind = LONG_IDENTIFIER;
        return;
    case POINTER:
    case FARPOINTER:
    case STRUCT:
    case UNION:
    case STRUCT_NAME:
    case UNION_NAME:
    case FUNCNAME:
    case FUNCPTR:
        return;
    default:
        c.message(strprintf("BADIDENT1 %s scope %s type %s\n", item.cval.c_str(),
                            symbol->scope.c_str(), std::string(kindName(symbol->type)).c_str()));
    }
}

// An unsigned variable (or a pointer) makes the operation unsigned whatever the constant:
// u >= 7 for an unsigned char of 150 compares 150, not -106. Undefined names are reported by
// the caller's own walk, not here.
bool isUnsignedOperand(const Compilation& c, const Item& item) {
    if (namesFunction(c, item) || !visible(c, item))
        return false;
    const Symbol* symbol = findsym(c, item.cval);
    return symbol != nullptr &&
           (symbol->type == POINTER || symbol->type == FARPOINTER || symbol->sign == UNSIGNED);
}

int signOfConstantAgainst(const Compilation& c, const Item& constant, const Item& other) {
    if (isUnsignedOperand(c, other))
        return UNSIGNED;
    if (other.kind == LONG_IDENTIFIER)
        return constant.ival > 32767 ? UNSIGNED : SIGNED;
    return constant.ival > 127 ? UNSIGNED : SIGNED;
}

} // namespace

int checkvars(Compilation& c, Item* previous, Item* item) {
    if (item == nullptr) {
        c.message("WARNING: checkvars, got null pointer!\n");
        return 0;
    }
    if (item->kind == LONG_IDENTIFIER) {
        if (visible(c, *item))
            return 1;
        c.error(strprintf("ERROR(C18): Line: %d Identifier %s not defined in current scope.\n",
                          item->line, item->cval.c_str()));
        return 0;
    }
    if (item->kind == IDENTIFIER) {
        const bool called = previous != nullptr &&
                            (previous->kind == FUNCCALL || previous->kind == FUNC_START_PARAM);
        if (visible(c, *item)) {
            retag(c, *item);
        } else if (called) {
            // C89 would declare it an int function of whatever arguments come: their widths
            // would be guessed, so the call is refused instead.
            if (c.codegen.undeclaredCalls.emplace(item->cval, item->line).second)
                c.error(strprintf("ERROR(C347): Line: %d The function %s is called before it is "
                                  "declared: define it, or declare its prototype, before the "
                                  "call.\n",
                                  item->line, item->cval.c_str()));
            c.codegen.abortExpression = true; // the expression around the call stops too
            return 0;
        } else {
            c.error(strprintf("ERROR(C19): Line: %d Identifier %s not defined in current "
                              "scope.\n",
                              item->line, item->cval.c_str()));
        }
        return 1;
    }
    if (isBinaryOperator(item->kind)) {
        Item* left = operandFrom(item->next);
        Item* right = left != nullptr ? operandFrom(left->next) : nullptr;
        if (isByteIdentifier(c, left) && isLargeConstant(right))
            c.message(
                strprintf("WARNING(C252): Line: %d Constant value out of range.\n", item->line));
        else if (isLargeConstant(left) && isByteIdentifier(c, right))
            c.message(
                strprintf("WARNING(C253): Line: %d Constant value out of range.\n", item->line));
        return 1;
    }
    if (isAssignment(item->kind)) {
        // Assignments are infix: the value stands before the operator, the target after it.
        Item* target = operandFrom(item->next);
        if (isByteIdentifier(c, target) && isLargeConstant(previous))
            c.message(
                strprintf("WARNING(C254): Line: %d Constant value out of range.\n", item->line));
        else if (target != nullptr && target->kind == INTEGER_CONSTANT &&
                 isByteIdentifier(c, previous))
            c.message(
                strprintf("WARNING(C255): Line: %d Constant value out of range.\n", item->line));
        return 1;
    }
    return 1;
}

int setsign(Compilation& c, Item* previous, Item* item, int fallback) {
    if (item == nullptr) {
        c.message("WARNING: setsign, got null pointer!\n");
        return 0;
    }
    if (isIdentifier(item)) {
        if (namesFunction(c, *item))
            return fallback;
        const Symbol* symbol = visible(c, *item) ? findsym(c, item->cval) : nullptr;
        if (symbol == nullptr) {
            c.error(strprintf(item->kind == LONG_IDENTIFIER
                                  ? "ERROR(C18): Line: %d Identifier %s not defined in current "
                                    "scope.\n"
                                  : "ERROR(C19): Line: %d Identifier %s not defined in current "
                                    "scope.\n",
                              item->line, item->cval.c_str()));
            return fallback;
        }
        if (symbol->type == POINTER || symbol->type == FARPOINTER)
            return UNSIGNED;
        return symbol->sign;
    }
    Item* left = nullptr;
    Item* right = nullptr;
    if (isBinaryOperator(item->kind)) {
        left = item->next;
        right = left != nullptr ? left->next : nullptr;
    } else if (isAssignment(item->kind)) {
        left = item->next;
        right = previous;
    } else {
        return fallback;
    }
    if (left == nullptr || right == nullptr)
        return fallback;
    if (left->kind == INTEGER_CONSTANT && isIdentifier(right))
        return signOfConstantAgainst(c, *left, *right);
    if (right->kind == INTEGER_CONSTANT && isIdentifier(left))
        return signOfConstantAgainst(c, *right, *left);
    const int leftSign = isIdentifier(left) ? setsign(c, nullptr, left, fallback) : SIGNED;
    const int rightSign = isIdentifier(right) ? setsign(c, nullptr, right, fallback) : SIGNED;
    return leftSign == UNSIGNED || rightSign == UNSIGNED ? UNSIGNED : SIGNED;
}

void reportParameterMismatch(Compilation& c, int line, const Symbol& parameter,
                             const std::string& callee, const std::string& given) {
    const bool aggregate = parameter.type == STRUCT || parameter.type == UNION;
    const std::string wanted =
        aggregate ? std::string("a variable of type ") +
                        (parameter.type == UNION ? "union " : "struct ") + parameter.typeName
                  : std::string("a value that is not a struct or union");
    c.error(strprintf("ERROR(C310): Line: %d Parameter %s of %s takes %s: %s cannot be passed "
                      "for it.\n",
                      line, parameter.name.c_str(), callee.c_str(), wanted.c_str(),
                      given.c_str()));
}

} // namespace kavo
