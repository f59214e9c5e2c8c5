#include "compiler/codegen/genexpr.hpp"

#include "compiler/codegen/emit.hpp"
#include "compiler/codegen/item_list.hpp"
#include "compiler/driver/kinds.hpp"
#include "compiler/driver/text_format.hpp"
#include "compiler/symbols/symbols.hpp"

#include <cstdint>
#include <optional>

namespace kavo {

namespace {

bool isBinaryOperator(int kind) {
    switch (kind) {
    case PLUS:
    case MINUS:
    case RELMINUS:
    case STAR:
    case PSTAR:
    case DIV:
    case MOD:
    case SHIFTL:
    case SHIFTR:
    case OR:
    case AND:
    case EXOR:
        return true;
    default:
        return false;
    }
}

bool isUnaryOperator(int kind) {
    return kind == TILDE || kind == BANG || kind == UMINUS || kind == UPLUS;
}

bool isConstant(const Item* item) {
    return item != nullptr && item->kind == INTEGER_CONSTANT;
}

// 32-bit arithmetic that wraps instead of overflowing.
std::int32_t wrap(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::optional<std::int32_t> foldBinary(Compilation& c, int kind, std::int32_t a, std::int32_t b,
                                       int line) {
    switch (kind) {
    case PLUS:
        return wrap(std::int64_t{a} + b);
    case MINUS:
    case RELMINUS:
        return wrap(std::int64_t{a} - b);
    case STAR:
    case PSTAR:
        return wrap(std::int64_t{a} * b);
    case DIV:
    case MOD:
        if (b == 0) {
            c.error(strprintf("ERROR(C257): Line: %d Division by zero in a constant expression.\n",
                              line));
            return std::nullopt;
        }
        if (kind == DIV)
            return wrap(std::int64_t{a} / b);
        return wrap(std::int64_t{a} % b);
    case SHIFTL:
        return wrap(std::int64_t{static_cast<std::uint32_t>(a) << (b & 31)});
    case SHIFTR:
        return a >> (b & 31);
    case OR:
        return a | b;
    case AND:
        return a & b;
    case EXOR:
        return a ^ b;
    default:
        return std::nullopt;
    }
}

std::int32_t foldUnary(int kind, std::int32_t a) {
    switch (kind) {
    case TILDE:
        return ~a;
    case BANG:
        return a == 0 ? 1 : 0;
    case UMINUS:
        return wrap(-std::int64_t{a});
    default:
        return a;
    }
}

// A folded value still sets the flags a test after it may read.
void emitFoldedFlags(Compilation& c, int kind, std::int32_t value, int line) {
    emit(c, value == 0 ? PIC_BSF : PIC_BCF, "@__stat__", 2, line);
    if (kind == MINUS || kind == RELMINUS)
        emit(c, value >= 0 ? PIC_BSF : PIC_BCF, "@__stat__", 0, line);
}

void makeConstant(Item* item, std::int32_t value) {
    item->kind = INTEGER_CONSTANT;
    item->ival = value;
    item->cval = std::to_string(value);
    item->sublist = nullptr;
}

bool foldBinaryAt(Compilation& c, Item*& list, Item* item) {
    Item* left = item->next;
    Item* right = left->next;
    const auto value = foldBinary(c, item->kind, left->ival, right->ival, item->line);
    const int kind = item->kind;
    makeConstant(item, value.value_or(0));
    if (value)
        emitFoldedFlags(c, kind, *value, item->line);
    unlinkItem(c, list, right);
    unlinkItem(c, list, left);
    return true;
}

bool foldUnaryAt(Compilation& c, Item*& list, Item* item) {
    Item* operand = item->next;
    const int kind = item->kind;
    const std::int32_t value = foldUnary(kind, operand->ival);
    makeConstant(item, value);
    if (kind != UPLUS)
        emitFoldedFlags(c, kind, value, item->line);
    unlinkItem(c, list, operand);
    return true;
}

// Markers that only bracket what the parser built produce nothing.
bool isPlainMarker(int kind) {
    return kind == POSTFIX_EXP_START || kind == POSTFIX_EXP_END || kind == NULLFUNC ||
           kind == LSQUIG || kind == RSQUIG;
}

// The value of a nested expression goes back into the list where GETEXPVAL stands.
void putBackLastResult(const Compilation& c, Item* item) {
    item->kind = c.lastResult.kind != 0 ? c.lastResult.kind : NULLFUNC;
    item->cval = c.lastResult.name;
    item->ival = c.lastResult.value;
}

// Does the first thing that can be done at item; true when the list changed.
bool reduceAt(Compilation& c, Item*& list, Item* item) {
    if (isBinaryOperator(item->kind) && isConstant(item->next) && isConstant(item->next->next))
        return foldBinaryAt(c, list, item);
    if (isUnaryOperator(item->kind) && isConstant(item->next))
        return foldUnaryAt(c, list, item);
    if (isPlainMarker(item->kind))
        return unlinkItem(c, list, item);
    if (item->kind == EXPSTART) {
        genexpr(c, item->sublist);
        return unlinkItem(c, list, item);
    }
    if (item->kind == GETEXPVAL) {
        putBackLastResult(c, item);
        return true;
    }
    return false;
}

// A character constant's text comes with its quotes.
std::string withoutQuotes(const std::string& text) {
    if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'')
        return text.substr(1, text.size() - 2);
    return text;
}

// Enumerators and character constants are constants before the scan starts.
void resolveConstantLeaves(Compilation& c, Item* list) {
    for (Item* item = list; item != nullptr; item = item->next) {
        if (item->kind == IDENTIFIER) {
            const Symbol* symbol = findsym(c, item->cval);
            if (symbol != nullptr && symbol->type == ENUM)
                makeConstant(item, symbol->qual);
        } else if (item->kind == CHARACTER_CONSTANT) {
            makeConstant(item, characterConstantValue(c, withoutQuotes(item->cval), item->line));
        }
    }
}

void setResult(Compilation& c, const Item* leaf) {
    if (leaf == nullptr) {
        c.lastResult = {};
        return;
    }
    c.lastResult.kind = leaf->kind;
    c.lastResult.name = leaf->cval;
    c.lastResult.value = leaf->ival;
}

int hexDigit(char ch) {
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

} // namespace

bool genexpr(Compilation& c, Item*& list) {
    c.expressionSign = SIGNED;
    resolveConstantLeaves(c, list);
    const int errorsBefore = c.errors();
    bool reduced = true;
    while (reduced) {
        reduced = false;
        for (Item* item = list; item != nullptr && !reduced; item = item->next)
            reduced = reduceAt(c, list, item);
    }
    setResult(c, list != nullptr && list->next == nullptr ? list : nullptr);
    return c.errors() == errorsBefore;
}

int characterConstantValue(Compilation& c, const std::string& text, int line) {
    if (text.size() < 2 || text[0] != '\\')
        return text.empty() ? 0 : static_cast<signed char>(text[0]);
    const char escape = text[1];
    switch (escape) {
    case 'n':
        return 10;
    case 't':
        return 9;
    case 'v':
        return 11;
    case 'b':
        return 8;
    case 'r':
        return 13;
    case 'f':
        return 12;
    case 'a':
        return 7;
    case '\\':
        return 92;
    case '?':
        return 63;
    case '\'':
        return 39;
    case '"':
        return 34;
    case '0': {
        int value = 0;
        for (std::size_t i = 2; i < text.size(); ++i) {
            if (text[i] < '0' || text[i] > '7') {
                c.error(strprintf("ERROR(C15): Line %d Invalid octal char constant.\n", line));
                break;
            }
            value = value * 8 + (text[i] - '0');
        }
        return static_cast<signed char>(value);
    }
    case 'x': {
        int value = 0;
        for (std::size_t i = 2; i < text.size(); ++i) {
            const int digit = hexDigit(text[i]);
            if (digit < 0) {
                c.error(strprintf("ERROR(C16): Line %d Invalid hex char constant.\n", line));
                break;
            }
            value = value * 16 + digit;
        }
        return static_cast<signed char>(value);
    }
    default:
        c.error(strprintf("ERROR(C17): Line %d Invalid hex char constant.\n", line));
        return 1;
    }
}

} // namespace kavo
