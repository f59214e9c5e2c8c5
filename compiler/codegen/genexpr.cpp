// The expression generator's driver: genexpr reduces an expression's item list operation by
// operation (act), folding constants first (foldBinaryAt, foldUnaryAt); genstatement wraps it
// for expression statements; characterConstantValue reads character constants.
#include "compiler/codegen/genexpr.hpp"
#include "compiler/codegen/inline_assembly.hpp"

#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/emit.hpp"
#include "compiler/codegen/generator.hpp"
#include "compiler/codegen/item_list.hpp"
#include "compiler/run/nesting_level.hpp"
#include "compiler/symbols/expression_checks.hpp"
#include "compiler/symbols/procsym.hpp"
#include "compiler/symbols/symbols.hpp"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

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

// Whether the last fold's flag settings are still the list's last records, in order.
bool foldedFlagsAtEnd(const Compilation& c, const FoldedFlags& f) {
    if (f.records.empty() || c.instructions.last() != f.records.back())
        return false;
    const Instruction* expected = f.before != nullptr ? f.before->next : c.instructions.head();
    for (const Instruction* record : f.records) {
        if (record != expected || record->unlinked)
            return false;
        expected = record->next;
    }
    return f.before == nullptr || !f.before->unlinked;
}

// A fold right after another overwrites the flags the earlier one set, with nothing between
// that could read them: those settings go, so that a long constant expression leaves a pair
// of records rather than a pair per operator.
void dropOverwrittenFoldFlags(Compilation& c, bool writesCarry) {
    FoldedFlags& f = c.codegen.foldedFlags;
    if (!foldedFlagsAtEnd(c, f)) {
        f = {};
        return;
    }
    Instruction* previous = f.before;
    for (Instruction* record : f.records) {
        if (record->dest == 2 || writesCarry)
            c.instructions.remove(previous, record);
        else
            previous = record;
    }
}

// A folded value still sets the flags a test after it may read.
void emitFoldedFlags(Compilation& c, int kind, std::int32_t value, int line) {
    const bool writesCarry = kind == MINUS || kind == RELMINUS;
    dropOverwrittenFoldFlags(c, writesCarry);
    FoldedFlags made{c.instructions.last(), {}};
    made.records.push_back(emit(c, value == 0 ? PIC_BSF : PIC_BCF, "@__stat__", 2, line));
    if (writesCarry)
        made.records.push_back(emit(c, value >= 0 ? PIC_BSF : PIC_BCF, "@__stat__", 0, line));
    c.codegen.foldedFlags = std::move(made);
}

bool foldBinaryAt(Compilation& c, Item*& list, Item* item) {
    Item* left = item->next;
    Item* right = left->next;
    const auto value = foldBinary(c, item->kind, left->ival, right->ival, item->line);
    const int kind = item->kind;
    codegen::becomeConstant(item, value.value_or(0));
    if (value)
        emitFoldedFlags(c, kind, *value, item->line);
    unlinkItem(c, list, right, item);
    unlinkItem(c, list, left, item);
    return true;
}

bool foldUnaryAt(Compilation& c, Item*& list, Item* item) {
    Item* operand = item->next;
    const int kind = item->kind;
    const std::int32_t value = foldUnary(kind, operand->ival);
    codegen::becomeConstant(item, value);
    if (kind != UPLUS)
        emitFoldedFlags(c, kind, value, item->line);
    unlinkItem(c, list, operand, item);
    return true;
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
                codegen::becomeConstant(item, symbol->qual);
        } else if (item->kind == CHARACTER_CONSTANT) {
            codegen::becomeConstant(
                item, characterConstantValue(c, withoutQuotes(item->cval), item->line));
        }
    }
}

// A const object is never a target: of an assignment, a compound assignment, ++ or --.
// What a pointer reaches is not checked: the pointers do not carry what they point at.
void refuseConstTargets(Compilation& c, const Item* list) {
    for (const Item* item = list; item != nullptr; item = item->next) {
        const int kind = item->kind;
        if (kind != DEST_ADDR && kind != PREINC && kind != PREDEC && kind != POSTINC &&
            kind != POSTDEC)
            continue;
        const Item* target = item->next;
        bool subscripted = false;
        while (target != nullptr && (target->kind == POSTFIX_EXP_START ||
                                     target->kind == INDEX_ON || target->kind == ST_ADDR_RESOLVE)) {
            subscripted = subscripted || target->kind == INDEX_ON;
            target = target->next;
        }
        if (target == nullptr || target->kind != IDENTIFIER)
            continue;
        const Symbol* symbol = findsym(c, target->cval);
        // p[i] of a const pointer stores where it points, which the const does not cover.
        const bool throughPointer = subscripted && (codegen::ramPointerOf(c, *target) != nullptr ||
                                                    codegen::stringPointerOf(c, *target) != nullptr);
        if (symbol != nullptr && symbol->readOnly && !throughPointer)
            c.error(strprintf("ERROR(C294): Line: %d %s is const: it cannot be assigned.\n",
                              target->line, target->cval.c_str()));
    }
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

// Markers that only bracket what the parser built produce nothing.
bool isPlainMarker(int kind) {
    return kind == POSTFIX_EXP_START || kind == POSTFIX_EXP_END || kind == NULLFUNC ||
           kind == LSQUIG || kind == RSQUIG || kind == SRC_ADDR || kind == DEST_ADDR ||
           kind == POSTINC_START || kind == POSTINC_END;
}

bool isStepping(int kind) {
    return kind == PREINC || kind == POSTINC || kind == PREDEC || kind == POSTDEC;
}

bool isOtherUnary(int kind) {
    return kind == ADDR || kind == SIZEOF || kind == SIZEOFS || kind == SIZEOFL || kind == SIZEOF0;
}

bool isAssignment(int kind) {
    return kind >= ASSIGN && kind <= OREQ;
}

bool isCallSite(int kind) {
    return kind == FUNC_START_PARAM || kind == PUSH || kind == FUNCCALL || kind == FUNC_CLEAR_PARAM;
}

// The value of a nested expression goes back into the list where GETEXPVAL stands.
void putBackLastResult(const Compilation& c, Item* item) {
    item->kind = c.codegen.lastResult.kind != 0 ? c.codegen.lastResult.kind : NULLFUNC;
    item->cval = c.codegen.lastResult.name;
    item->ival = c.codegen.lastResult.value;
    item->sign = c.codegen.lastResult.sign;
    item->name = c.codegen.lastResult.pointerMark;
}

// Declarations inside a block of a statement (the body of an if, a loop or a switch): the
// run gathered into the DEC_LIST_START's sublist (gatherDeclarations).
bool declareLocals(codegen::Site& s) {
    procsym(s.c, s.item->sublist, s.c.symbols.main);
    codegen::drop(s, s.item);
    return true;
}

// Makes the run after start, up to its matching DEC_LIST_END, start's sublist, as the main walk
// cuts a declaration (a parameter list inside it becomes the sublist of its own
// DEC_LIST_START), and takes the run and its end marker out of the list.
void gatherDeclaration(Item* start) {
    std::vector<Item*> owners{start};
    std::vector<Item*> tails{nullptr};
    Item* item = start->next;
    start->sublist = nullptr;
    while (item != nullptr && !owners.empty()) {
        Item* next = item->next;
        item->next = nullptr;
        if (item->kind == DEC_LIST_END) {
            owners.pop_back();
            tails.pop_back();
        } else {
            (tails.back() != nullptr ? tails.back()->next : owners.back()->sublist) = item;
            tails.back() = item;
            if (item->kind == DEC_LIST_START) {
                item->sublist = nullptr;
                owners.push_back(item);
                tails.push_back(nullptr);
            }
        }
        item = next;
    }
    start->next = item;
}

// A block's declarations are one item each until the generation reaches them: the checks
// that run over the whole list first must not take the names they declare for uses of names
// not yet declared (or of the outer names they hide).
void gatherDeclarations(Item* list) {
    for (Item* item = list; item != nullptr; item = item->next) {
        if (item->kind == DEC_LIST_START)
            gatherDeclaration(item);
    }
}

// The operands of a comma expression before its last (k = 1, s = make(1)) run first and
// leave: a call of a function returning a struct in the last operand is made before the rest
// of its list is looked at, so it must not come before them, and what stays is one value.
void generateDiscardedOperands(Compilation& c, Item*& list) {
    while (list != nullptr && list->next != nullptr && list->kind == EXPSTART &&
           list->ival == ValueDiscarded && list->sublist != nullptr) {
        c.codegen.valueDiscarded = true;
        genstatement(c, list->sublist);
        unlinkItem(c, list, list);
    }
}

bool generateNested(codegen::Site& s) {
    s.c.codegen.valueDiscarded = s.item->ival == ValueDiscarded;
    genstatement(s.c, s.item->sublist);
    codegen::drop(s, s.item);
    return true;
}

bool generateInlineAssembly(codegen::Site& s) {
    genasm(s.c, s.item->sublist);
    codegen::drop(s, s.item);
    return true;
}

// A parenthesised value held in a temporary is a copy (an object in parentheses, (*p)++, is
// the object itself); storing into it would change nothing the program sees, so it is
// refused.
bool storesIntoACopy(codegen::Site& s) {
    const std::string& name = s.c.codegen.lastResult.name;
    if (!codegen::isStoredInto(s.previous) || !name.starts_with("_tmp_"))
        return false;
    s.c.error(strprintf("ERROR(C259): Line: %d storing into a parenthesised value that is not a "
                        "variable is not supported by this compiler yet.\n",
                        s.line()));
    s.c.codegen.abortExpression = true;
    return true;
}

// Does the first thing that can be done at the site; true when the list changed.
bool act(codegen::Site& s) {
    Compilation& c = s.c;
    Item* item = s.item;
    const int kind = item->kind;
    if (isBinaryOperator(kind)) {
        if (!codegen::isLeaf(item->next) || !codegen::isLeaf(item->next->next))
            return false;
        if (isConstant(item->next) && isConstant(item->next->next))
            return foldBinaryAt(c, s.list, item);
        if (kind == PLUS)
            return codegen::generateAddition(s);
        if (kind == MINUS || kind == RELMINUS)
            return codegen::generateSubtraction(s);
        if (kind == OR || kind == AND || kind == EXOR)
            return codegen::generateBitwise(s);
        return codegen::generateRuntimeOperation(s);
    }
    if (isUnaryOperator(kind)) {
        if (isConstant(item->next))
            return foldUnaryAt(c, s.list, item);
        return codegen::generateUnary(s);
    }
    if (isOtherUnary(kind))
        return codegen::generateUnary(s);
    if (kind == CAST)
        return codegen::generateCast(s);
    if (isStepping(kind))
        return codegen::generateStepping(s);
    if (kind == EQU_MARK)
        return codegen::generateRelation(s);
    if (isAssignment(kind))
        return codegen::generateAssignment(s);
    if (isPlainMarker(kind))
        return unlinkItem(c, s.list, item, s.previous);
    if (kind == EXPSTART)
        return generateNested(s);
    if (kind == GETEXPVAL) {
        if (storesIntoACopy(s))
            return true;
        // The enclosing expression may move FSR before it reads the value.
        c.codegen.lastResult = codegen::settledValue(c, c.codegen.lastResult, true, item->line);
        putBackLastResult(c, item);
        item->reserved = 0;
        codegen::takePendingResult(c);
        return true;
    }
    if (isCallSite(kind))
        return codegen::generateCallSite(s);
    if (kind == RETURN || kind == RETURNEXP)
        return codegen::generateReturn(s);
    if (kind == DEC_LIST_START)
        return declareLocals(s);
    if (kind == INDEX_ON)
        return codegen::generateElement(s);
    if (kind == RESOLV_PTR)
        return codegen::generatePointerAccess(s);
    if (kind == RESOLV_CONST_PTR)
        return codegen::generateConstantAddressAccess(s);
    if (kind == ST_ADDR_RESOLVE)
        return codegen::finishBitFieldAccess(s, codegen::generateMember(s));
    if (kind == STRING)
        return codegen::generateString(s);
    if (kind == POINTERSYM)
        return codegen::finishBitFieldAccess(s, codegen::generateMemberThroughPointer(s));
    if (kind == ASM_START)
        return generateInlineAssembly(s);
    return codegen::generateStatement(s);
}

// The last result is the most recent leaf produced or passed: a leaf counts the first time
// the scan passes it (the scan passes the same leaves again after every change).
void noteFirstPass(Compilation& c, Item* item) {
    if (!codegen::isLeaf(item) || item->reserved != 0)
        return;
    item->reserved = 1;
    c.codegen.lastResult = codegen::resultOf(*item);
}

void noteLeaf(Compilation& c, const Item* item) {
    if (codegen::isLeaf(item))
        c.codegen.lastResult = codegen::resultOf(*item);
}

// The operator as it is written in C; the parser's token names mean nothing to a user.
std::string operatorName(int kind) {
    static const std::map<int, const char*> written = {
        {PLUS, "+"},       {MINUS, "-"},    {STAR, "*"},       {DIV, "/"},         {MOD, "%"},
        {SHIFTL, "<<"},    {SHIFTR, ">>"},  {AND, "&"},        {OR, "|"},          {EXOR, "^"},
        {LAND, "&&"},      {LOR, "||"},     {BANG, "!"},       {TILDE, "~"},       {LEQUALS, "=="},
        {LNOTEQ, "!="},    {LESSTHAN, "<"}, {BIGGERTHAN, ">"}, {LESSEQ, "<="},     {BIGGEREQ, ">="},
        {QUESTION, "?:"},  {PSTAR, "*"},    {RELMINUS, "-"},   {SIZEOF, "sizeof"}, {DOT, "."},
        {POINTERSYM, "->"}};
    if (kind == EQU_MARK)
        return "this comparison";
    if (const auto found = written.find(kind); found != written.end())
        return std::string("the operator ") + found->second + " on these operands";
    return "this expression";
}

// What a user wrote, for the operation left over in the list.
std::string constructName(const Item& item) {
    switch (item.kind) {
    case ASSIGN:
        return "an assignment to this target (through a char pointer or to an element of this "
               "kind)";
    case STAREQ:
    case DIVEQ:
    case MODEQ:
    case PLUSEQ:
    case MINUSEQ:
    case SHIFTLEQ:
    case SHIFTREQ:
    case ANDEQ:
    case EXOREQ:
    case OREQ:
        return strprintf("the compound assignment %s on this target (a 16-bit array element or "
                         "a value reached through a pointer)",
                         item.cval.c_str());
    case PREINC:
    case POSTINC:
    case PREDEC:
    case POSTDEC:
        return "++ or -- on this operand (a 16-bit array element or a value reached through a "
               "pointer)";
    case INDEX_ON:
        return "this use of an array element (an element of an array of structs needs a "
               "member)";
    case RESOLV_CONST_PTR:
        return "the @ form on something other than a constant address from 0 to 255";
    case RESOLV_PTR:
        return "this access through a pointer";
    case ST_ADDR_RESOLVE:
        return "this member access";
    case FLOATING_CONSTANT:
        return "the floating constant " + item.cval + " (there is no floating point arithmetic)";
    default:
        return operatorName(item.kind);
    }
}

// A construct the generator cannot compile yet is an error, never silently dropped code.
void reportLeftovers(Compilation& c, const Item* list) {
    for (const Item* item = list; item != nullptr; item = item->next) {
        if (codegen::isLeaf(item))
            continue;
        c.error(strprintf("ERROR(C259): Line: %d %s is not supported by this compiler yet.\n",
                          item->line, constructName(*item).c_str()));
        return;
    }
}

} // namespace

namespace codegen {

void releasePendingResult(Compilation& c) {
    if (!c.codegen.pendingResultTemp.empty())
        freetmp(c, c.codegen.pendingResultTemp);
    c.codegen.pendingResultTemp.clear();
}

std::string takePendingResult(Compilation& c) {
    std::string name = std::move(c.codegen.pendingResultTemp);
    c.codegen.pendingResultTemp.clear();
    return name;
}

} // namespace codegen

bool genstatement(Compilation& c, Item*& list) {
    codegen::releasePendingResult(c);
    const bool compiled = genexpr(c, list);
    Item* last = list;
    while (last != nullptr && last->next != nullptr)
        last = last->next;
    // A temporary a statement construct holds on its stack is not the expression's to free.
    if (last != nullptr && codegen::isLeaf(last) && last->cval.starts_with("_tmp_") &&
        std::find(c.symbols.temporaryStack.begin(), c.symbols.temporaryStack.end(), last->cval) ==
            c.symbols.temporaryStack.end()) {
        c.codegen.pendingResultTemp = last->cval;
        last->kind = NULLFUNC;
    }
    while (list != nullptr)
        unlinkItem(c, list, list);
    return compiled;
}

bool genexpr(Compilation& c, Item*& list) {
    const bool discarded = std::exchange(c.codegen.valueDiscarded, false);
    // A nested list's generation sets its own, and this list's is needed again after it.
    struct ResultDiscarded {
        bool& flag;
        bool outer;
        ~ResultDiscarded() { flag = outer; }
    } resultDiscarded{c.codegen.resultDiscarded, std::exchange(c.codegen.resultDiscarded, discarded)};
    const NestingLevel level(c, list != nullptr ? list->line : c.currentLine);
    if (level.refused())
        return false;
    generateDiscardedOperands(c, list);
    c.codegen.expressionSign = SIGNED;
    gatherDeclarations(list);
    resolveConstantLeaves(c, list);
    refuseConstTargets(c, list);
    if (!codegen::callAggregateFunctions(c, list))
        return false;
    const int errorsBefore = c.errors();
    Item* previous = nullptr;
    // Member names after a chain's base are not variables: they are looked up in the
    // struct's tag when the chain is resolved.
    codegen::MemberChainReader chains;
    // Items of an assignment's value so far (it starts after SRC_ADDR): an assignment is
    // checked against the item before it only when that item is the whole value, so that
    // ch = ch + 300 warns about the addition alone.
    int valueItems = 0;
    for (Item* item = list; item != nullptr; item = item->next) {
        if (item->kind == SRC_ADDR)
            valueItems = 0;
        if (chains.see(*item) == codegen::MemberChainReader::Role::Member)
            continue;
        Item* value = isAssignment(item->kind) && valueItems != 1 ? nullptr : previous;
        if (checkvars(c, value, item) == 0)
            return false;
        if (!isPlainMarker(item->kind)) {
            previous = item;
            ++valueItems;
        }
    }
    codegen::arrayNamesBecomeAddresses(c, list);
    const codegen::AggregateUse aggregate = codegen::generateAggregateUse(c, list, discarded);
    if (aggregate != codegen::AggregateUse::None) {
        noteLeaf(c, list);
        return aggregate == codegen::AggregateUse::Copied;
    }
    // Scan for the first thing that can be done, do it, and scan again. Every action only
    // changes the list at or after the item two places before it, so the scan resumes there.
    // The items passed are kept with their predecessors, so that resuming costs no walk from
    // the start of the list.
    std::vector<Item*> passed{nullptr};
    while (!c.codegen.abortExpression && !level.refused()) {
        bool acted = false;
        Item* item = passed.back() != nullptr ? passed.back()->next : list;
        for (; item != nullptr; item = item->next) {
            const std::size_t n = passed.size();
            codegen::Site site{c, list, passed[n - 1], item, n >= 2 ? passed[n - 2] : nullptr};
            if (act(site)) {
                acted = true;
                break;
            }
            noteFirstPass(c, item);
            passed.push_back(item);
        }
        if (!acted)
            break;
        // Resume at the item three places before the one that acted: the action changed the
        // list at most two places before itself.
        passed.resize(passed.size() >= 4 ? passed.size() - 3 : 1);
    }
    const bool stopped = c.codegen.abortExpression || level.refused();
    c.codegen.abortExpression = false;
    if (!stopped)
        reportLeftovers(c, list);
    Item* last = list;
    while (last != nullptr && last->next != nullptr)
        last = last->next;
    noteLeaf(c, last);
    return !stopped && c.errors() == errorsBefore;
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
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7': {
        // Octal digits up to the quote: '\101' is 65.
        int value = 0;
        for (std::size_t i = 1; i < text.size(); ++i) {
            if (text[i] < '0' || text[i] > '7') {
                c.error(strprintf("ERROR(C15): Line %d Invalid octal char constant.\n", line));
                break;
            }
            value = codegen::addEscapeDigit(value, 8, text[i] - '0');
        }
        codegen::escapeFitsByte(c, value, line);
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
            value = codegen::addEscapeDigit(value, 16, digit);
        }
        codegen::escapeFitsByte(c, value, line);
        return static_cast<signed char>(value);
    }
    default:
        c.error(strprintf("ERROR(C17): Line %d Invalid hex char constant.\n", line));
        return 1;
    }
}

} // namespace kavo
