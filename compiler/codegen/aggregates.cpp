// Whole structs and unions in an expression (generateAggregateUse). Their members and their
// addresses are ordinary values; the uses of a whole aggregate that are compiled copy it byte
// by byte: the plain assignment of one to another of the same type, an argument (copied into
// the parameter by the argument lowering), a returned value (copied into the function's
// return area) and a call's result (copied out of it, or one member read from it). Every
// other use (an operand, a value of another type) would work on one byte only and is refused.
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/functions.hpp"
#include "compiler/codegen/generator.hpp"
#include "compiler/codegen/genexpr.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/symbols/types.hpp"

#include <vector>

namespace kavo::codegen {

namespace {

bool isBracket(int kind) {
    return kind == POSTFIX_EXP_START || kind == POSTFIX_EXP_END || kind == SRC_ADDR ||
           kind == DEST_ADDR;
}

const Symbol* wholeAggregate(const Compilation& c, const Item& item) {
    if (item.kind != IDENTIFIER || item.name == ObjectPart)
        return nullptr;
    const Symbol* symbol = findsym(c, item.cval);
    return symbol != nullptr && (symbol->type == STRUCT || symbol->type == UNION) ? symbol
                                                                                  : nullptr;
}

// The aggregate as the program knows it: a variable, or what a call returned.
std::string aggregateName(const Symbol& aggregate) {
    const char* kind = aggregate.type == UNION ? "union" : "struct";
    const std::string function = returnAreaOwner(aggregate.name);
    return function.empty() ? strprintf("%s %s", kind, aggregate.name.c_str())
                            : strprintf("the %s %s() returns", kind, function.c_str());
}

bool sameType(const Symbol& a, const Symbol& b) {
    return a.type == b.type && a.typeName == b.typeName;
}

void copyBytes(Compilation& c, const Item& from, const std::string& to, int toOffset, int size,
               int line) {
    for (int byte = 0; byte < size; ++byte) {
        emit(c, PIC_MOVF, from.cval, 0, line, 0, from.ival + byte);
        emit(c, PIC_MOVWF, to, -1, line, 0, toOffset + byte);
    }
}

int wholeSize(Compilation& c, const Symbol& aggregate) {
    return typesize(c, nullptr, aggregate.type == STRUCT ? STRUCT_NAME : UNION_NAME,
                    aggregate.typeName);
}

// The list's items other than brackets.
std::vector<Item*> withoutBrackets(Item* list) {
    std::vector<Item*> parts;
    for (Item* item = list; item != nullptr; item = item->next) {
        if (!isBracket(item->kind))
            parts.push_back(item);
    }
    return parts;
}

// The identifiers of the list that stand for a whole aggregate: not the base or a member
// name of a member chain, not the operand of & or sizeof.
std::vector<Item*> wholeAggregates(const Compilation& c, Item* list) {
    std::vector<Item*> found;
    int membersAhead = 0;
    bool baseAhead = false;
    const Item* previous = nullptr;
    for (Item* item = list; item != nullptr; item = item->next) {
        if (item->kind == ST_ADDR_RESOLVE) {
            if (!baseAhead)
                membersAhead = 0;
            ++membersAhead;
            baseAhead = true;
        } else if (baseAhead && (item->kind == IDENTIFIER || item->kind == INDEX_OFF)) {
            baseAhead = false; // the chain's base (or the end of its subscripted base)
        } else if (!baseAhead && membersAhead > 0 && item->kind == IDENTIFIER) {
            --membersAhead;
        } else if (!baseAhead && wholeAggregate(c, *item) != nullptr &&
                   !(previous != nullptr && (previous->kind == ADDR || previous->kind == SIZEOF))) {
            found.push_back(item);
        }
        if (!isBracket(item->kind))
            previous = item;
    }
    return found;
}

// The list without its brackets is exactly: value = target.
bool isPlainCopy(Item* list, Item*& value, Item*& target) {
    const std::vector<Item*> parts = withoutBrackets(list);
    if (parts.size() != 3 || parts[1]->kind != ASSIGN)
        return false;
    value = parts[0];
    target = parts[2];
    return true;
}

// A call of a function returning an aggregate, as an expression holds it: its EXPSTART
// (the call its sublist) before a GETEXPVAL; the function's symbol, or none.
const Symbol* aggregateCall(const Compilation& c, const Item& item) {
    if (item.kind != EXPSTART || item.next == nullptr || item.next->kind != GETEXPVAL)
        return nullptr;
    const Item* first = item.sublist;
    while (first != nullptr && isBracket(first->kind))
        first = first->next;
    if (first == nullptr || (first->kind != FUNC_START_PARAM && first->kind != FUNCCALL) ||
        first->next == nullptr || first->next->kind != IDENTIFIER)
        return nullptr;
    return aggregateReturner(c, first->next->cval);
}

bool holdsCall(const Item* list) {
    for (const Item* item = list; item != nullptr; item = item->next) {
        if (item->kind == FUNC_START_PARAM || item->kind == FUNCCALL || holdsCall(item->sublist))
            return true;
    }
    return false;
}

// A member read from a return area is read where the expression uses it: no other call of
// the expression may come between, and an argument (read just before its call) is none.
bool memberReadIsSound(const Compilation& c, Item* list, int calls) {
    return calls == 1 && !holdsCall(list) && c.codegen.calleeNames.empty();
}

// What reads the expression's value goes on with a 0: one message for the fault.
AggregateUse refuse(Compilation& c, Item*& list) {
    c.codegen.lastResult = {INTEGER_CONSTANT, "", 0, 0};
    list = nullptr;
    return AggregateUse::Refused;
}

AggregateUse generateAggregateReturn(Compilation& c, Item*& list, const Symbol& function) {
    Item* value = withoutBrackets(list).front();
    const int line = value->line;
    if (!callAggregateFunctions(c, value->sublist))
        return refuse(c, list);
    const std::vector<Item*> parts = withoutBrackets(value->sublist);
    const Symbol* from = parts.size() == 1 ? wholeAggregate(c, *parts.front()) : nullptr;
    const std::string area = returnArea(c, function);
    const Symbol* to = findsym(c, area);
    if (from == nullptr || !sameType(*from, *to)) {
        c.error(strprintf("ERROR(C311): Line: %d The value of this return statement is not a "
                          "%s %s, which %s returns: return a variable of that type or a call "
                          "returning one.\n",
                          line, to->type == UNION ? "union" : "struct", to->typeName.c_str(),
                          function.name.c_str()));
        return refuse(c, list);
    }
    copyBytes(c, *parts.front(), area, 0, wholeSize(c, *to), line);
    emit(c, PIC_RETURN, "", -1, line);
    list = nullptr;
    return AggregateUse::Copied;
}

// The list without its brackets is exactly: value return, in a function returning an
// aggregate; that function's symbol, or none.
const Symbol* aggregateReturn(const Compilation& c, Item* list) {
    const std::vector<Item*> parts = withoutBrackets(list);
    if (parts.size() != 2 || parts[0]->kind != EXPSTART || parts[1]->kind != RETURNEXP)
        return nullptr;
    return aggregateReturner(c, c.codegen.functionName);
}

bool reachedThroughAddress(const Item& item) {
    return item.kind == INDEX_ON || item.kind == RESOLV_PTR || item.kind == POINTERSYM;
}

// The list is a plain assignment between the whole aggregate use and an array element or a
// value reached through a pointer: b = pts[i], *q = a, pts[i] = f().
bool copiesThroughAddress(Item* list, const Item* use) {
    const std::vector<Item*> parts = withoutBrackets(list);
    if (parts.size() < 3)
        return false;
    if (parts[0] == use && parts[1]->kind == ASSIGN)
        return reachedThroughAddress(*parts[2]);
    return parts.back() == use && parts[parts.size() - 2]->kind == ASSIGN &&
           reachedThroughAddress(*parts[0]);
}

} // namespace

const Item* wholeAggregateArgument(const Compilation& c, Item* list) {
    const std::vector<Item*> parts = withoutBrackets(list);
    if (parts.size() != 1)
        return nullptr;
    const Symbol* symbol = wholeAggregate(c, *parts.front());
    return symbol != nullptr && returnAreaOwner(symbol->name).empty() ? parts.front() : nullptr;
}

bool callAggregateFunctions(Compilation& c, Item* list) {
    int calls = 0;
    const Item* memberBase = nullptr;
    const Item* previous = nullptr;
    for (Item* item = list; item != nullptr; item = item->next) {
        if (const Symbol* function = aggregateCall(c, *item)) {
            genstatement(c, item->sublist);
            becomeLeaf(item, IDENTIFIER, returnArea(c, *function));
            item->next = item->next->next; // its GETEXPVAL: the value is the leaf already
            ++calls;
            if (previous != nullptr && previous->kind == ST_ADDR_RESOLVE)
                memberBase = item;
        }
        previous = item;
    }
    if (memberBase == nullptr || memberReadIsSound(c, list, calls))
        return true;
    c.error(strprintf("ERROR(C312): Line: %d A member of the %s %s() returns is read here "
                      "after another call or as an argument, which may overwrite it: store the "
                      "returned value in a variable first.\n",
                      memberBase->line,
                      findsym(c, memberBase->cval)->type == UNION ? "union" : "struct",
                      returnAreaOwner(memberBase->cval).c_str()));
    return false;
}

AggregateUse generateAggregateUse(Compilation& c, Item*& list) {
    if (const Symbol* function = aggregateReturn(c, list))
        return generateAggregateReturn(c, list, *function);
    const std::vector<Item*> uses = wholeAggregates(c, list);
    if (uses.empty())
        return AggregateUse::None;
    Item* value = nullptr;
    Item* target = nullptr;
    const int line = uses.front()->line;
    if (uses.size() == 2 && isPlainCopy(list, value, target) && value == uses[0] &&
        target == uses[1]) {
        const Symbol* from = wholeAggregate(c, *value);
        const Symbol* to = wholeAggregate(c, *target);
        if (sameType(*from, *to)) {
            copyBytes(c, *value, target->cval, target->ival, wholeSize(c, *to), line);
            // The assignment's value is its target, as for any assignment.
            for (Item* item = list; item != nullptr; item = item->next) {
                if (item->next == target)
                    item->next = nullptr;
            }
            list = target;
            return AggregateUse::Copied;
        }
    }
    const Symbol* first = wholeAggregate(c, *uses.front());
    if (uses.size() == 1 && copiesThroughAddress(list, uses.front()))
        c.error(strprintf("ERROR(C313): Line: %d %s copied whole to or from an array element or "
                          "a value reached through a pointer is not supported: copy it member "
                          "by member.\n",
                          line, aggregateName(*first).c_str()));
    else
        c.error(strprintf("ERROR(C259): Line: %d %s used as a whole value (other than in an "
                          "assignment from a %s of its own type, as an argument or as a returned "
                          "value) is not supported by this compiler yet.\n",
                          line, aggregateName(*first).c_str(),
                          first->type == UNION ? "union" : "struct"));
    return refuse(c, list);
}

} // namespace kavo::codegen
