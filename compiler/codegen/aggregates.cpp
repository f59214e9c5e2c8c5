// Whole structs and unions in an expression (generateAggregateUse). Their members and their
// addresses are ordinary values; the one use of a whole aggregate that is compiled is the
// plain assignment of one to another of the same type, copied byte by byte. Every other use
// (an operand, an argument, a value of another type) would work on one byte only and is
// refused.
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/generator.hpp"
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
    std::vector<Item*> parts;
    for (Item* item = list; item != nullptr; item = item->next) {
        if (!isBracket(item->kind))
            parts.push_back(item);
    }
    if (parts.size() != 3 || parts[1]->kind != ASSIGN)
        return false;
    value = parts[0];
    target = parts[2];
    return true;
}

} // namespace

AggregateUse generateAggregateUse(Compilation& c, Item*& list) {
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
        if (from->typeName == to->typeName && from->type == to->type) {
            const int size =
                typesize(c, nullptr, to->type == STRUCT ? STRUCT_NAME : UNION_NAME, to->typeName);
            for (int byte = 0; byte < size; ++byte) {
                emit(c, PIC_MOVF, value->cval, 0, line, 0, value->ival + byte);
                emit(c, PIC_MOVWF, target->cval, -1, line, 0, target->ival + byte);
            }
            // The assignment's value is its target, as for any assignment.
            for (Item* item = list; item != nullptr; item = item->next) {
                if (item->next == target)
                    item->next = nullptr;
            }
            list = target;
            return AggregateUse::Copied;
        }
    }
    c.error(strprintf("ERROR(C259): Line: %d %s %s used as a whole value (other than in an "
                      "assignment from a %s of its own type) is not supported by this compiler "
                      "yet.\n",
                      line, wholeAggregate(c, *uses.front())->type == UNION ? "union" : "struct",
                      uses.front()->cval.c_str(),
                      wholeAggregate(c, *uses.front())->type == UNION ? "union" : "struct"));
    // What reads the expression's value goes on with a 0: one message for the fault.
    c.codegen.lastResult = {INTEGER_CONSTANT, "", 0, 0};
    list = nullptr;
    return AggregateUse::Refused;
}

} // namespace kavo::codegen
