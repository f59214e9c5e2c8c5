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
#include "compiler/symbols/expression_checks.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/symbols/types.hpp"

#include <algorithm>
#include <optional>
#include <vector>

namespace kavo::codegen {

namespace {

bool isBracket(int kind) {
    return kind == POSTFIX_EXP_START || kind == POSTFIX_EXP_END || kind == SRC_ADDR ||
           kind == DEST_ADDR;
}

const Symbol* wholeAggregate(const Compilation& c, const Item& item) {
    // A part of one (an initialiser's part, a char pointer part marked with its type) is not
    // the whole.
    if (item.kind != IDENTIFIER || item.name == ObjectPart || item.name.starts_with(PointerElement))
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
    MemberChainReader chains;
    const Item* previous = nullptr;
    for (Item* item = list; item != nullptr; item = item->next) {
        const bool inChain = chains.see(*item) != MemberChainReader::Role::Other;
        if (!inChain && wholeAggregate(c, *item) != nullptr &&
            !(previous != nullptr && (previous->kind == ADDR || previous->kind == SIZEOF)))
            found.push_back(item);
        if (!isBracket(item->kind))
            previous = item;
    }
    return found;
}

// A whole aggregate as one side of a copy names it: a variable, an element of an array of
// aggregates (pts[i]) or what a pointer to one points at (*q); or a member struct of a
// variable (s.in) or behind a pointer (q->in, q->in.deep).
struct PlaceForm {
    enum class Kind { Variable, Element, Pointee } kind = Kind::Variable;
    const Symbol* symbol = nullptr; // the variable, the array or the pointer
    Item* name = nullptr;
    Item* index = nullptr; // an element's subscript (its EXPSTART)
    int type = 0;          // STRUCT or UNION
    std::string typeName;
    int memberOffset = 0; // a member struct's place in the variable or behind the pointer
    bool member = false;
};

bool isAggregateKind(int type) {
    return type == STRUCT || type == UNION;
}

// ST_ADDR_RESOLVE... base member... with base a struct variable, or
// INDEX_ON array SUBSCRIPT EXPSTART INDEX_OFF at parts[at]: an element of an array of
// aggregates (one subscript); its EXPSTART, or none.
Item* elementIndex(const std::vector<Item*>& parts, std::size_t at) {
    const bool element = parts.size() >= at + 5 && parts[at]->kind == INDEX_ON &&
                         parts[at + 1]->kind == IDENTIFIER && parts[at + 2]->kind == SUBSCRIPT &&
                         parts[at + 3]->kind == EXPSTART && parts[at + 4]->kind == INDEX_OFF;
    return element ? parts[at + 3] : nullptr;
}

bool isAggregateArray(const Symbol* symbol) {
    return symbol != nullptr && symbol->type == ARRAY && isAggregateKind(symbol->base) &&
           symbol->rowDimensions.empty();
}

// ST_ADDR_RESOLVE... base member... with base a struct variable or an element of an array of
// structs (pts[i]), or ST_ADDR_RESOLVE... POINTERSYM pointer member... with pointer a pointer
// to a struct, whose last member is itself a struct or union.
std::optional<PlaceForm> memberPlaceForm(const Compilation& c, const std::vector<Item*>& parts) {
    std::size_t depth = 0;
    while (depth < parts.size() && parts[depth]->kind == ST_ADDR_RESOLVE)
        ++depth;
    const bool throughPointer = depth < parts.size() && parts[depth]->kind == POINTERSYM;
    Item* index = throughPointer ? nullptr : elementIndex(parts, depth);
    const std::size_t baseAt = depth + (throughPointer ? 1 : 0) + (index != nullptr ? 1 : 0);
    const std::size_t membersAt = baseAt + (index != nullptr ? 4 : 1);
    if ((depth == 0 && !throughPointer) || parts.size() != membersAt + depth ||
        parts[baseAt]->kind != IDENTIFIER)
        return std::nullopt;
    PlaceForm form;
    form.name = parts[baseAt];
    form.symbol = findsym(c, form.name->cval);
    const bool holdsAggregate =
        form.symbol != nullptr &&
        (throughPointer ? form.symbol->type == POINTER && isAggregateKind(form.symbol->base)
         : index != nullptr ? isAggregateArray(form.symbol)
                            : isAggregateKind(form.symbol->type));
    if (!holdsAggregate)
        return std::nullopt;
    std::vector<Item*> members(parts.begin() + static_cast<std::ptrdiff_t>(membersAt),
                               parts.end());
    if (throughPointer)
        members.insert(members.begin(), parts[depth]);
    for (const Item* m : members) {
        if (m->kind != IDENTIFIER && m->kind != POINTERSYM)
            return std::nullopt;
    }
    const ResolvedMember resolved = resolveMembers(c, form.symbol->typeName, members);
    if (resolved.member == nullptr || !isAggregateKind(resolved.member->type))
        return std::nullopt;
    form.kind = throughPointer    ? PlaceForm::Kind::Pointee
                : index != nullptr ? PlaceForm::Kind::Element
                                   : PlaceForm::Kind::Variable;
    form.index = index;
    form.type = resolved.member->type;
    form.typeName = resolved.member->typeName;
    form.memberOffset = resolved.offset;
    form.member = true;
    return form;
}

// INDEX_ON chain SUBSCRIPT EXPSTART INDEX_OFF where the chain names a member array of
// aggregates: ST_ADDR_RESOLVE... base member... of a struct variable (o.in[i]), or
// POINTERSYM(member) pointer of a pointer to a struct (p->in[i]).
std::optional<PlaceForm> memberElementForm(const Compilation& c, const std::vector<Item*>& parts) {
    const std::size_t n = parts.size();
    if (n < 6 || parts[0]->kind != INDEX_ON || parts[n - 1]->kind != INDEX_OFF ||
        parts[n - 2]->kind != EXPSTART || parts[n - 3]->kind != SUBSCRIPT)
        return std::nullopt;
    std::size_t depth = 1;
    while (depth < n - 3 && parts[depth]->kind == ST_ADDR_RESOLVE)
        ++depth;
    const bool throughPointer = depth == 1 && parts[1]->kind == POINTERSYM && n == 6;
    std::vector<Item*> members;
    Item* base = nullptr;
    if (throughPointer) {
        members = {parts[1]};
        base = parts[2];
    } else if (depth > 1 && n == 2 * depth + 3) {
        base = parts[depth];
        members.assign(parts.begin() + static_cast<std::ptrdiff_t>(depth) + 1,
                       parts.end() - 3);
    }
    const Symbol* holder = base != nullptr && base->kind == IDENTIFIER ? findsym(c, base->cval)
                                                                        : nullptr;
    const bool holds = holder != nullptr &&
                       (throughPointer ? holder->type == POINTER && isAggregateKind(holder->base)
                                       : isAggregateKind(holder->type));
    for (const Item* m : members) {
        if (m->kind != IDENTIFIER && m->kind != POINTERSYM)
            return std::nullopt;
    }
    const ResolvedMember resolved =
        holds ? resolveMembers(c, holder->typeName, members) : ResolvedMember{};
    if (resolved.member == nullptr || !isAggregateArray(resolved.member))
        return std::nullopt;
    PlaceForm form;
    form.kind = PlaceForm::Kind::Element;
    form.symbol = resolved.member; // the member array: its elements' size
    form.name = base;
    form.index = parts[n - 2];
    form.type = resolved.member->base;
    form.typeName = resolved.member->typeName;
    form.memberOffset = resolved.offset;
    form.member = true;
    return form;
}

std::optional<PlaceForm> placeForm(const Compilation& c, const std::vector<Item*>& parts) {
    if (!parts.empty() && (parts[0]->kind == ST_ADDR_RESOLVE || parts[0]->kind == POINTERSYM))
        return memberPlaceForm(c, parts);
    if (std::optional<PlaceForm> element = memberElementForm(c, parts))
        return element;
    PlaceForm form;
    if (parts.size() == 1) {
        form.symbol = wholeAggregate(c, *parts[0]);
        form.name = parts[0];
        if (form.symbol == nullptr)
            return std::nullopt;
        form.type = form.symbol->type;
        form.typeName = form.symbol->typeName;
        return form;
    }
    const bool element = parts.size() == 5 && elementIndex(parts, 0) != nullptr;
    const bool pointee =
        parts.size() == 2 && parts[0]->kind == RESOLV_PTR && parts[1]->kind == IDENTIFIER;
    if (!element && !pointee)
        return std::nullopt;
    form.name = parts[1];
    form.symbol = findsym(c, form.name->cval);
    const bool holdsAggregate =
        element ? isAggregateArray(form.symbol)
                : form.symbol != nullptr && form.symbol->type == POINTER &&
                      isAggregateKind(form.symbol->base);
    if (!holdsAggregate)
        return std::nullopt;
    form.kind = element ? PlaceForm::Kind::Element : PlaceForm::Kind::Pointee;
    form.index = element ? parts[3] : nullptr;
    form.type = form.symbol->base;
    form.typeName = form.symbol->typeName;
    return form;
}

// Where the bytes are once the place's address is worked out: a variable at an offset, or
// an address in a temporary, reached through FSR (object names the array for the bank pass;
// none for a pointer's target).
struct Place {
    std::string name;
    int offset = 0;
    std::string address;
    std::string object;
};

// The size of one element of the array a place is in.
int elementSize(Compilation& c, const PlaceForm& form) {
    return typesize(c, nullptr, form.symbol->base == STRUCT ? STRUCT_NAME : UNION_NAME,
                    form.symbol->typeName);
}

Place locate(Compilation& c, const PlaceForm& form, int line) {
    if (form.kind == PlaceForm::Kind::Variable)
        return {form.name->cval, form.name->ival + form.memberOffset, "", ""};
    Place place;
    if (form.kind == PlaceForm::Kind::Element) {
        genstatement(c, form.index->sublist);
        const ExpressionResult position = c.codegen.lastResult;
        if (position.kind == INTEGER_CONSTANT && ramPointerOf(c, *form.name) == nullptr) {
            // A constant subscript names the bytes directly.
            releasePendingResult(c);
            return {form.name->cval,
                    form.name->ival + position.value * elementSize(c, form) + form.memberOffset,
                    "", ""};
        }
        loadElementAddress(c, *form.name, form.name->ival + form.memberOffset, position,
                           elementSize(c, form), line);
        releasePendingResult(c);
        // Elements behind a pointer are in no array the bank pass knows.
        if (ramPointerOf(c, *form.name) == nullptr)
            place.object = form.name->cval;
    } else {
        loadPointerPlus(c, *form.name, form.memberOffset, line);
    }
    place.address = newTemporaryOfSign(c, false, UNSIGNED);
    emit(c, PIC_MOVWF, place.address, -1, line);
    return place;
}

// W = the place's next byte (byte k of a variable; through FSR, the address then steps on).
void loadByte(Compilation& c, const Place& from, int byte, int line) {
    if (from.address.empty()) {
        emit(c, PIC_MOVF, from.name, 0, line, 0, from.offset + byte);
        return;
    }
    emit(c, PIC_MOVF, from.address, 0, line);
    pointFsrInto(c, from.object, line);
    emit(c, PIC_MOVF, Indirect, 0, line);
    emit(c, PIC_INCF, from.address, 1, line);
}

// The place's next byte = W (hold keeps it while FSR is set up).
void storeByte(Compilation& c, const Place& to, int byte, const std::string& hold, int line) {
    if (to.address.empty()) {
        emit(c, PIC_MOVWF, to.name, -1, line, 0, to.offset + byte);
        return;
    }
    emit(c, PIC_MOVWF, hold, -1, line);
    emit(c, PIC_MOVF, to.address, 0, line);
    pointFsrInto(c, to.object, line);
    emit(c, PIC_MOVF, hold, 0, line);
    emit(c, PIC_MOVWF, Indirect, -1, line);
    emit(c, PIC_INCF, to.address, 1, line);
}

void copyPlace(Compilation& c, const Place& from, const Place& to, int size, int line) {
    const std::string hold = to.address.empty() ? "" : newTemporaryOfSign(c, false, UNSIGNED);
    for (int byte = 0; byte < size; ++byte) {
        loadByte(c, from, byte, line);
        storeByte(c, to, byte, hold, line);
    }
    for (const std::string& t : {hold, from.address, to.address}) {
        if (!t.empty())
            freetmp(c, t);
    }
}

int wholeSize(Compilation& c, const PlaceForm& form) {
    return typesize(c, nullptr, form.type == STRUCT ? STRUCT_NAME : UNION_NAME, form.typeName);
}

// The list without its brackets split at its first plain =, when it has one.
bool splitAssignment(Item* list, std::vector<Item*>& value, std::vector<Item*>& target) {
    const std::vector<Item*> parts = withoutBrackets(list);
    const auto at =
        std::find_if(parts.begin(), parts.end(), [](const Item* i) { return i->kind == ASSIGN; });
    if (at == parts.end())
        return false;
    value.assign(parts.begin(), at);
    target.assign(at + 1, parts.end());
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

// A return area is read after the rest of the expression has run: no other call of the
// expression may come between, and a member passed as an argument (read just before its
// call, after the later arguments) is never sound.
bool areaReadIsSound(const Compilation& c, Item* list, int calls, bool member) {
    return calls <= 1 && !(calls == 1 && holdsCall(list)) &&
           !(member && !c.codegen.calleeNames.empty());
}

// What reads the expression's value goes on with a 0: one message for the fault.
AggregateUse refuse(Compilation& c, Item*& list) {
    c.codegen.lastResult = {INTEGER_CONSTANT, "", 0, 0, ""};
    list = nullptr;
    return AggregateUse::Refused;
}

AggregateUse generateAggregateReturn(Compilation& c, Item*& list, const Symbol& function) {
    Item* value = withoutBrackets(list).front();
    const int line = value->line;
    if (!callAggregateFunctions(c, value->sublist))
        return refuse(c, list);
    const std::optional<PlaceForm> from = placeForm(c, withoutBrackets(value->sublist));
    const std::string area = returnArea(c, function);
    const Symbol* to = findsym(c, area);
    if (!from || from->type != to->type || from->typeName != to->typeName) {
        c.error(strprintf("ERROR(C311): Line: %d The value of this return statement is not a "
                          "%s %s, which %s returns: return a variable of that type or a call "
                          "returning one.\n",
                          line, to->type == UNION ? "union" : "struct", to->typeName.c_str(),
                          function.name.c_str()));
        return refuse(c, list);
    }
    const int size = wholeSize(c, *from);
    copyPlace(c, locate(c, *from, line), {area, 0, "", ""}, size, line);
    emit(c, PIC_RETURN, "", -1, line);
    list = nullptr;
    return AggregateUse::Copied;
}

// value = target between two places of one aggregate type; the assignment's value is its
// target, as for any assignment (none for an element or a pointer's target, which stand in
// no other expression here).
AggregateUse copyAggregate(Compilation& c, Item*& list, const PlaceForm& from,
                           const PlaceForm& to) {
    const int line = from.name->line;
    const int size = wholeSize(c, to);
    const Place source = locate(c, from, line);
    copyPlace(c, source, locate(c, to, line), size, line);
    if (to.kind != PlaceForm::Kind::Variable || to.member) {
        list = nullptr;
        return AggregateUse::Copied;
    }
    for (Item* item = list; item != nullptr; item = item->next) {
        if (item->next == to.name)
            item->next = nullptr;
    }
    list = to.name;
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

// The list is a plain assignment between the whole aggregate use and what copyAggregate
// does not reach: b = grid[i][j], b = q->in.
bool copiesThroughAddress(Item* list, const Item* use) {
    const std::vector<Item*> parts = withoutBrackets(list);
    if (parts.size() < 3)
        return false;
    if (parts[0] == use && parts[1]->kind == ASSIGN)
        return reachedThroughAddress(*parts[2]);
    return parts.back() == use && parts[parts.size() - 2]->kind == ASSIGN &&
           reachedThroughAddress(*parts[0]);
}

void reportAreaOverwritten(Compilation& c, int line, bool isUnion, const std::string& function) {
    c.error(strprintf("ERROR(C312): Line: %d The %s %s() returns is read here after another "
                      "call, or a member of it passed as an argument, which may overwrite it "
                      "first: store the returned value in a variable first.\n",
                      line, isUnion ? "union" : "struct", function.c_str()));
}

// A call's struct result passed straight on, f(make(1)): the call is made now, and the
// argument lowering copies its return area into the parameter just before f is called.
bool passReturnedAggregate(Compilation& c, Item& call, const Symbol& function,
                           const Item* laterArguments, int line) {
    for (const Item* i = laterArguments; i != nullptr && i->kind != FUNCCALL; i = i->next) {
        if (i->kind == FUNC_START_PARAM || holdsCall(i->sublist)) {
            reportAreaOverwritten(c, line, function.base == UNION, function.name);
            emit(c, PIC_FUNCARG, "", 0, line); // a refused argument: the lowering passes nothing
            return true;
        }
    }
    genstatement(c, call.sublist);
    const std::string area = returnArea(c, function);
    emit(c, PIC_FUNCARG, area, findsym(c, area)->type, line);
    return true;
}

// A member struct passed as an argument: its variable does not tell its type, so it is
// matched to the parameter here; C310 when it does not match.
bool memberMatchesParameter(Compilation& c, const PlaceForm& form, int line) {
    if (c.codegen.calleeNames.empty())
        return false;
    const std::string& callee = c.codegen.calleeNames.back();
    const std::vector<const Symbol*> parameters = parametersOf(c, callee);
    const auto index = static_cast<std::size_t>(c.codegen.argumentCounter);
    if (index >= parameters.size())
        return true; // the argument lowering reports the surplus argument
    const Symbol& parameter = *parameters[index];
    if (parameter.type == form.type && parameter.typeName == form.typeName)
        return true;
    reportParameterMismatch(c, line, parameter, callee,
                            strprintf("the member %s %s of %s",
                                      form.type == UNION ? "union" : "struct",
                                      form.typeName.c_str(), form.name->cval.c_str()));
    return false;
}

} // namespace

bool passAggregateArgument(Compilation& c, Item* list, const Item* laterArguments, int line,
                           std::string& held) {
    const std::vector<Item*> parts = withoutBrackets(list);
    if (parts.size() == 2 && parts[1]->kind == GETEXPVAL) {
        if (const Symbol* function = aggregateCall(c, *parts[0]))
            return passReturnedAggregate(c, *parts[0], *function, laterArguments, line);
    }
    const std::optional<PlaceForm> form = placeForm(c, parts);
    if (!form || !returnAreaOwner(form->name->cval).empty())
        return false;
    if (form->member && !memberMatchesParameter(c, *form, line)) {
        emit(c, PIC_FUNCARG, "", 0, line); // a refused argument: the lowering passes nothing
        return true;
    }
    const Place place = locate(c, *form, line);
    const int checked = form->member ? AggregateArgumentChecked : 0;
    if (place.address.empty()) {
        emit(c, PIC_FUNCARG, place.name, form->type, line, checked, place.offset);
        return true;
    }
    // Through its address, which the call holds until the argument lowering copies the
    // bytes; the marker names the array or pointer, for the type and the bank.
    Instruction* marker = emit(c, PIC_FUNCARG, place.address, form->type, line, checked);
    marker->object = form->name->cval;
    marker->objectScope = scopeof(c, form->name->cval);
    held = place.address;
    return true;
}

bool callAggregateFunctions(Compilation& c, Item* list) {
    int calls = 0;
    const Item* area = nullptr;
    bool member = false;
    const Item* previous = nullptr;
    for (Item* item = list; item != nullptr; item = item->next) {
        if (const Symbol* function = aggregateCall(c, *item)) {
            genstatement(c, item->sublist);
            becomeLeaf(item, IDENTIFIER, returnArea(c, *function));
            item->next = item->next->next; // its GETEXPVAL: the value is the leaf already
            ++calls;
            area = item;
            member = member || (previous != nullptr && previous->kind == ST_ADDR_RESOLVE);
        }
        previous = item;
    }
    if (area == nullptr || areaReadIsSound(c, list, calls, member))
        return true;
    reportAreaOverwritten(c, area->line, findsym(c, area->cval)->type == UNION,
                          returnAreaOwner(area->cval));
    return false;
}

AggregateUse generateAggregateUse(Compilation& c, Item*& list, bool discarded) {
    if (const Symbol* function = aggregateReturn(c, list))
        return generateAggregateReturn(c, list, *function);
    std::vector<Item*> value;
    std::vector<Item*> target;
    if (splitAssignment(list, value, target)) {
        const std::optional<PlaceForm> from = placeForm(c, value);
        const std::optional<PlaceForm> to = placeForm(c, target);
        if (from && to && from->type == to->type && from->typeName == to->typeName)
            return copyAggregate(c, list, *from, *to);
    }
    const std::vector<Item*> uses = wholeAggregates(c, list);
    if (uses.empty())
        return AggregateUse::None;
    const Symbol* first = wholeAggregate(c, *uses.front());
    if (discarded && withoutBrackets(list).size() == 1 && !returnAreaOwner(first->name).empty())
        return AggregateUse::Copied; // f(); of a function returning a struct: already called
    const int line = uses.front()->line;
    if (uses.size() == 1 && copiesThroughAddress(list, uses.front()))
        c.error(strprintf("ERROR(C313): Line: %d %s copied whole to or from an element of an "
                          "array of more than one dimension, or through a computed address, "
                          "is not supported: copy it member by member.\n",
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
