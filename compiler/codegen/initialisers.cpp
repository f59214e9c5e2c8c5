// Initialisers of declared variables (geninitialiser). A scalar's initialiser is an ordinary
// assignment. An array, struct or union is filled part by part: the object is laid out as its
// scalar parts in memory order (shapeOf), a brace list is matched to them by C's rules
// (fillBraced, fillElided: a nested list fills one sub-object, values without braces run
// on through the parts), every part without a value gets 0, and each part is then stored
// by an assignment of its own. A string initialises a char array with its characters and
// the closing 0. initialisercount gives an array declared without a size its element count.
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/generator.hpp"
#include "compiler/codegen/genexpr.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/symbols/types.hpp"
#include "compiler/tables/ram_map.hpp"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace kavo {

namespace {

// A designator written before a value: .member or [index].
struct Designator {
    bool member = false;
    std::string name;
    int index = 0;
    int line = 0;
};

// One value of an initialiser: an expression's items, or a brace list of values; with the
// designators written before it.
struct InitValue {
    Item* items = nullptr; // the expression, cut off from what follows it
    bool braced = false;
    std::vector<InitValue> list;
    std::vector<Designator> designators;
};

// The parts of an object: a scalar of one or two bytes, or an aggregate of sub-objects (a
// struct's or union's with their member names).
struct Shape {
    int offset = 0;
    bool wide = false;
    bool charPointer = false; // a RAM address stored here takes the char pointer's tag
    bool aggregate = false;
    bool isUnion = false;
    bool charArray = false; // a string may fill it
    int size = 0;           // of a union
    // A bit-field's bits in its byte at offset, and its sign; bitWidth 0 for any other part.
    int bitOffset = 0;
    int bitWidth = 0;
    int sign = 0;
    std::vector<Shape> parts;
    std::vector<std::string> names;
};

// A scalar part and the value it gets (none: 0).
struct Store {
    int offset;
    bool wide;
    Item* value;
    bool charPointer = false;
    const Shape* bitField = nullptr; // the part, when it is a bit-field
};

// The index of a designator [index]: a constant expression, evaluated once (the item
// becomes the constant); -1 after C10.
int designatorIndex(Compilation& c, Item& index) {
    if (index.kind == EXPSTART) {
        Item* expression = index.sublist;
        genexpr(c, expression);
        if (c.codegen.lastResult.kind != INTEGER_CONSTANT) {
            c.error(strprintf("ERROR(C10): Line: %d Expecting constant expression for array "
                              "size.\n",
                              index.line));
            codegen::becomeConstant(&index, -1);
        } else {
            codegen::becomeConstant(&index, c.codegen.lastResult.value);
        }
    }
    return index.ival;
}

// Reads the designators before a value; item moves past them.
std::vector<Designator> readDesignators(Compilation& c, Item*& item) {
    std::vector<Designator> designators;
    while (item != nullptr && (item->kind == DOT || item->kind == LBRA)) {
        Designator d;
        d.line = item->line;
        if (item->kind == DOT) {
            d.member = true;
            d.name = item->cval;
            item = item->next;
        } else {
            item = item->next;
            if (item != nullptr && item->kind != RBRA) {
                d.index = designatorIndex(c, *item);
                item = item->next;
            }
            if (item != nullptr)
                item = item->next; // the closing bracket
        }
        designators.push_back(d);
    }
    return designators;
}

// Reads one value starting at item; item moves past it. A brace list's items are consumed
// up to its closing brace; an expression runs up to the next comma or closing brace.
InitValue readValue(Compilation& c, Item*& item) {
    InitValue value;
    value.designators = readDesignators(c, item);
    if (item != nullptr && item->kind == LSQUIG) {
        value.braced = true;
        item = item->next;
        while (item != nullptr && item->kind != RSQUIG) {
            value.list.push_back(readValue(c, item));
            if (item != nullptr && item->kind == COMMA)
                item = item->next;
        }
        if (item != nullptr)
            item = item->next; // the closing brace
        return value;
    }
    value.items = item;
    Item* last = nullptr;
    while (item != nullptr && item->kind != COMMA && item->kind != RSQUIG) {
        last = item;
        item = item->next;
    }
    if (last != nullptr)
        last->next = nullptr;
    else
        value.items = nullptr;
    return value;
}

// An array's rows are the sizes of its dimensions after the first (Symbol::rowDimensions).
using Rows = std::vector<int>;

Shape shapeOfType(Compilation& c, int type, int base, int count, const Rows& rows,
                  const std::string& typeName, int offset);

Shape shapeOfTag(Compilation& c, const std::string& typeName, int offset) {
    Shape shape;
    shape.offset = offset;
    shape.aggregate = true;
    const Symbol* tag = findtag(c, typeName);
    if (tag == nullptr)
        return shape;
    shape.isUnion = tag->type == UNION_NAME;
    shape.size = typesize(c, nullptr, tag->type, tag->name);
    for (const Symbol* m = tag->members.head; m != nullptr; m = m->next) {
        // An unnamed bit-field takes no value: its bits are padding.
        if (m->name.starts_with(UnnamedBitField))
            continue;
        shape.parts.push_back(shapeOfType(c, m->type, m->base, m->count, m->rowDimensions,
                                          m->typeName, offset + m->offset));
        shape.names.push_back(m->name);
        if (m->bitWidth > 0 && m->bitWidth < 8) {
            shape.parts.back().bitOffset = m->bitOffset;
            shape.parts.back().bitWidth = m->bitWidth;
            shape.parts.back().sign = codegen::signOfSymbol(*m);
        }
    }
    return shape;
}

int elementsOf(const Rows& rows) {
    int elements = 1;
    for (int size : rows)
        elements *= size;
    return elements;
}

// One element of an array's first dimension: a scalar or aggregate of base, or (with rows)
// an array of the rows' first size whose rows are the rest.
Shape shapeOfElement(Compilation& c, int base, const Rows& rows, const std::string& typeName,
                     int offset) {
    if (rows.empty())
        return shapeOfType(c, base, 0, 0, {}, typeName, offset);
    return shapeOfType(c, ARRAY, base, elementsOf(rows), Rows(rows.begin() + 1, rows.end()),
                       typeName, offset);
}

Shape shapeOfType(Compilation& c, int type, int base, int count, const Rows& rows,
                  const std::string& typeName, int offset) {
    if (type == STRUCT || type == UNION || type == STRUCT_NAME || type == UNION_NAME)
        return shapeOfTag(c, typeName, offset);
    Shape shape;
    shape.offset = offset;
    if (type != ARRAY) {
        shape.wide = type == LONG;
        shape.charPointer = type == LONG && base == CHAR;
        return shape;
    }
    shape.aggregate = true;
    shape.charArray = base == CHAR && rows.empty();
    const int elementSize = typesize(c, nullptr, base, typeName) * elementsOf(rows);
    for (int i = 0; i < count / elementsOf(rows); ++i)
        shape.parts.push_back(shapeOfElement(c, base, rows, typeName, offset + i * elementSize));
    return shape;
}

void markCharPointers(Shape& shape) {
    shape.charPointer = !shape.aggregate;
    for (Shape& part : shape.parts)
        markCharPointers(part);
}

Shape shapeOf(Compilation& c, const Symbol& symbol) {
    // A char pointer element is two bytes, as a long is.
    const bool charPointers = symbol.base == POINTER && symbol.pointee == CHAR;
    Shape shape = shapeOfType(c, symbol.type, charPointers ? LONG : symbol.base, symbol.count,
                              symbol.rowDimensions, symbol.typeName, 0);
    if (charPointers)
        markCharPointers(shape);
    return shape;
}

int scalarCount(const Shape& shape) {
    if (!shape.aggregate)
        return 1;
    int count = 0;
    for (const Shape& part : shape.parts)
        count += scalarCount(part);
    return count;
}

// The characters of a string (and its closing 0) as constant values. An array of `room`
// chars that holds the characters but not the 0 takes the characters alone, as C says
// (char s[3] = "abc").
std::vector<InitValue> charactersOf(Compilation& c, const Item& string, std::size_t room) {
    std::vector<InitValue> values;
    const std::string text = codegen::decodeString(c, string.cval, string.line);
    const std::size_t count = room > 0 && text.size() == room ? room : text.size() + 1;
    for (std::size_t i = 0; i < count; ++i) {
        Item* character = c.items.make();
        character->kind = INTEGER_CONSTANT;
        character->ival = i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
        character->line = string.line;
        character->file = string.file;
        values.push_back({character, false, {}, {}});
    }
    return values;
}

bool isString(const InitValue& value) {
    const Item* first = value.items;
    while (first != nullptr && first->kind == POSTFIX_EXP_START)
        first = first->next;
    return first != nullptr && first->kind == STRING && first->next != nullptr &&
           first->next->kind == POSTFIX_EXP_END && first->next->next == nullptr;
}

bool startsString(const Item* item) {
    while (item != nullptr && item->kind == POSTFIX_EXP_START)
        item = item->next;
    return item != nullptr && item->kind == STRING;
}

const Item* stringItem(const InitValue& value) {
    const Item* first = value.items;
    while (first->kind == POSTFIX_EXP_START)
        first = first->next;
    return first;
}

// Matches brace lists to the parts of an object by C's rules. Each list fills its object
// from a position: the sub-object that took the last value. A value without a designator
// goes to the next sub-object after it, where values without braces run on into the
// sub-objects' own parts (brace elision); a designator sets the position anew, from the
// list's own object. A later value for a part replaces an earlier one. The stores then
// follow the object's layout, each part without a value storing 0, a union through the
// member that took the last value (its first when none did).
class Filler {
public:
    explicit Filler(Compilation& c) : c_(c) {}

    // The object takes its values from a brace list of its own; false when values are left
    // over.
    bool fillBraced(const Shape& object, const std::vector<InitValue>& list) {
        if (!object.aggregate) {
            // A scalar in braces: {5} is 5.
            if (!list.empty() && !list[0].designators.empty()) {
                std::vector<std::size_t> path;
                designate(object, list[0].designators, path); // a scalar has no parts: C295
                return true;
            }
            if (!list.empty())
                assign(object, list[0]);
            return list.size() <= 1;
        }
        std::vector<std::size_t> path; // of the sub-object that took the last value
        for (const InitValue& value : list) {
            if (!value.designators.empty()) {
                if (!designate(object, value.designators, path))
                    return true; // reported
            } else if (!advance(object, path)) {
                return false;
            }
            const Shape* target = at(object, path);
            if (target->aggregate && !value.braced && !(target->charArray && isString(value))) {
                while (target->aggregate && !target->parts.empty()) {
                    enter(*target, 0);
                    path.push_back(0);
                    target = &target->parts[0];
                }
            }
            assign(*target, value);
        }
        return true;
    }

    // The stores of the object's scalar parts in memory order.
    void collect(const Shape& shape, std::vector<Store>& stores) const {
        if (!shape.aggregate) {
            const auto value = values_.find(&shape);
            stores.push_back({shape.offset, shape.wide,
                              value != values_.end() ? value->second : nullptr,
                              shape.charPointer, shape.bitWidth > 0 ? &shape : nullptr});
        } else if (shape.isUnion) {
            if (shape.parts.empty())
                return;
            const std::size_t first = stores.size();
            collect(shape.parts[member(shape)], stores);
            if (!designatedUnions_.contains(&shape))
                return;
            // A member named by a designator leaves the rest of the union 0.
            int end = shape.offset;
            for (std::size_t i = first; i < stores.size(); ++i)
                end = std::max(end, stores[i].offset + (stores[i].wide ? 2 : 1));
            for (int byte = end; byte < shape.offset + shape.size; ++byte)
                stores.push_back({byte, false, nullptr});
        } else {
            for (const Shape& part : shape.parts)
                collect(part, stores);
        }
    }

    bool tooMany() const { return tooMany_; }

private:
    void assign(const Shape& target, const InitValue& value) {
        if (value.braced) {
            if (!fillBraced(target, value.list))
                tooMany_ = true;
        } else if (target.aggregate && target.charArray && isString(value)) {
            if (!fillBraced(target, charactersOf(c_, *stringItem(value), target.parts.size())))
                tooMany_ = true;
        } else if (!target.aggregate) {
            values_[&target] = value.items;
        }
    }

    static const Shape* at(const Shape& object, const std::vector<std::size_t>& path,
                           std::size_t depth) {
        const Shape* shape = &object;
        for (std::size_t i = 0; i < depth; ++i)
            shape = &shape->parts[path[i]];
        return shape;
    }
    static const Shape* at(const Shape& object, const std::vector<std::size_t>& path) {
        return at(object, path, path.size());
    }

    // The next sub-object after the one at path: the next part at the deepest level that
    // has one (a union has one member to take a value).
    bool advance(const Shape& object, std::vector<std::size_t>& path) {
        if (path.empty()) {
            if (object.parts.empty())
                return false;
            enter(object, 0);
            path.push_back(0);
            return true;
        }
        while (!path.empty()) {
            const Shape* parent = at(object, path, path.size() - 1);
            if (!parent->isUnion && path.back() + 1 < parent->parts.size()) {
                ++path.back();
                return true;
            }
            path.pop_back();
        }
        return false;
    }

    // The position the designators name, from the list's own object.
    bool designate(const Shape& object, const std::vector<Designator>& designators,
                   std::vector<std::size_t>& path) {
        path.clear();
        const Shape* shape = &object;
        for (const Designator& d : designators) {
            const bool isArray = shape->aggregate && shape->names.empty();
            std::vector<std::size_t> steps;
            if (d.member && shape->aggregate && !isArray) {
                steps = memberSteps(*shape, d.name);
                if (steps.empty()) {
                    c_.error(strprintf("ERROR(C29): Line: %d Identifier %s not defined.\n", d.line,
                                       d.name.c_str()));
                    return false;
                }
            } else if (!d.member && isArray) {
                if (d.index < 0 || static_cast<std::size_t>(d.index) >= shape->parts.size()) {
                    c_.error(strprintf("ERROR(C332): Line: %d The designator [%d] is outside "
                                       "the array.\n",
                                       d.line, d.index));
                    return false;
                }
                steps = {static_cast<std::size_t>(d.index)};
            } else {
                c_.error(strprintf(
                    "ERROR(C295): Line: %d The designator %s does not fit the object: %s.\n",
                    d.line, d.member ? ("." + d.name).c_str() : strprintf("[%d]", d.index).c_str(),
                    d.member ? "it is not a struct or union" : "it is not an array"));
                return false;
            }
            for (const std::size_t step : steps) {
                enter(*shape, step);
                if (shape->isUnion)
                    designatedUnions_.insert(shape);
                path.push_back(step);
                shape = &shape->parts[step];
            }
        }
        return true;
    }

    // The parts leading to the named member: through the unnamed members that hold it.
    static std::vector<std::size_t> memberSteps(const Shape& shape, const std::string& name) {
        for (std::size_t i = 0; i < shape.names.size(); ++i) {
            if (shape.names[i] == name)
                return {i};
        }
        for (std::size_t i = 0; i < shape.names.size(); ++i) {
            if (!shape.names[i].starts_with("_LBL_"))
                continue;
            std::vector<std::size_t> inner = memberSteps(shape.parts[i], name);
            if (!inner.empty()) {
                inner.insert(inner.begin(), i);
                return inner;
            }
        }
        return {};
    }

    // A value goes into this part of the object: a union takes it through that member.
    void enter(const Shape& object, std::size_t part) {
        if (object.isUnion)
            unionMembers_[&object] = part;
    }

    std::size_t member(const Shape& shape) const {
        const auto chosen = unionMembers_.find(&shape);
        return chosen != unionMembers_.end() ? chosen->second : 0;
    }

    Compilation& c_;
    std::map<const Shape*, Item*> values_;
    std::map<const Shape*, std::size_t> unionMembers_;
    std::set<const Shape*> designatedUnions_;
    bool tooMany_ = false;
};

Item* makeItem(Compilation& c, int kind, const std::string& cval, int ival, const Item& like) {
    Item* item = c.items.make();
    item->kind = kind;
    item->cval = cval;
    item->ival = ival;
    item->line = like.line;
    item->file = like.file;
    return item;
}

// value = part: the value's items, then the assignment and the part as a leaf.
void generateStore(Compilation& c, const Symbol& target, const Store& store, const Item& at) {
    Item* list = store.value != nullptr ? store.value : makeItem(c, INTEGER_CONSTANT, "", 0, at);
    Item* last = list;
    while (last->next != nullptr)
        last = last->next;
    last->next = makeItem(c, ASSIGN, "=", 0, at);
    last->next->next =
        makeItem(c, store.wide ? LONG_IDENTIFIER : IDENTIFIER, target.name, store.offset, at);
    // A char pointer part is marked with its type, so that a RAM address stored there takes
    // the tag; the mark names a part too.
    last->next->next->name = store.charPointer
                                 ? codegen::markPointerElement(c, codegen::charPointerType(UNSIGNED))
                                 : std::string(codegen::ObjectPart);
    if (store.bitField != nullptr) {
        last->next->next->bitOffset = store.bitField->bitOffset;
        last->next->next->bitWidth = store.bitField->bitWidth;
        last->next->next->sign = store.bitField->sign;
    }
    genexpr(c, list);
}

// The constant an initialiser's value is, written as a number or a negated one.
std::optional<int> constantValue(const Item* items) {
    while (items != nullptr && items->kind == POSTFIX_EXP_START)
        items = items->next;
    const bool negated = items != nullptr && items->kind == UMINUS;
    if (negated)
        items = items->next;
    while (items != nullptr && items->kind == POSTFIX_EXP_START)
        items = items->next;
    if (items == nullptr || items->kind != INTEGER_CONSTANT)
        return std::nullopt;
    for (const Item* rest = items->next; rest != nullptr; rest = rest->next) {
        if (rest->kind != POSTFIX_EXP_END)
            return std::nullopt;
    }
    return negated ? -items->ival : items->ival;
}

// The bit-fields of a byte whose values are all constants are one store of the whole byte,
// not one merge each.
void foldBitFieldBytes(Compilation& c, std::vector<Store>& stores, const Item& at) {
    std::vector<Store> folded;
    for (std::size_t i = 0; i < stores.size();) {
        std::size_t end = i;
        int byte = 0;
        bool constant = true;
        while (end < stores.size() && stores[end].bitField != nullptr &&
               stores[end].offset == stores[i].offset) {
            const Shape& field = *stores[end].bitField;
            const std::optional<int> value =
                stores[end].value != nullptr ? constantValue(stores[end].value) : 0;
            constant = constant && value.has_value();
            if (value)
                byte |= (*value & ((1 << field.bitWidth) - 1)) << field.bitOffset;
            ++end;
        }
        if (end == i || !constant) {
            folded.insert(folded.end(), stores.begin() + i,
                          stores.begin() + std::max(end, i + 1));
            i = std::max(end, i + 1);
            continue;
        }
        folded.push_back({stores[i].offset, false,
                          makeItem(c, INTEGER_CONSTANT, std::to_string(byte), byte, at)});
        i = end;
    }
    stores = std::move(folded);
}

// The items before the assignment at the top level of the list, and the target's item.
struct InitialiserParts {
    Item* values = nullptr;
    Item* assignment = nullptr;
    Item* target = nullptr;
};

InitialiserParts splitInitialiser(Item* list) {
    InitialiserParts parts;
    parts.values = list;
    for (Item* item = list; item != nullptr; item = item->next) {
        if (item->kind == ASSIGN && item->next != nullptr && item->next->kind == IDENTIFIER &&
            item->next->next == nullptr) {
            parts.assignment = item;
            parts.target = item->next;
        }
    }
    return parts;
}

void refuse(Compilation& c, int line, const std::string& what) {
    c.error(strprintf("ERROR(C259): Line: %d %s is not supported by this compiler yet.\n", line,
                      what.c_str()));
}

// An aggregate's initialiser is stored part by part, so its code grows with the object, not
// with the source: an object no RAM can hold is refused before that code is made, and the
// compilation ends there (RamMap::exhausted). Nothing holds an object larger than every bank;
// the objects initialised before main never share RAM, so together they cannot take more
// than the bank table holds. Without a bank table the device header is missing, which
// placement reports on its own.
bool roomInRam(Compilation& c, const Symbol& target) {
    RamMap& ram = *c.ram;
    const int largest = largestBank(ram);
    if (largest == 0 || target.addr >= 0)
        return true;
    const bool once = target.scope == GlobalScope || target.cls == STATIC;
    if (once)
        ram.initialisedBytes += target.size;
    std::string shortage;
    if (target.size > largest)
        shortage = strprintf("%s needs %d bytes in one piece; the largest bank holds %d bytes",
                             target.name.c_str(), target.size, largest);
    else if (once && ram.initialisedBytes > bankBytes(ram))
        shortage =
            strprintf("The variables initialised up to %s need %d bytes; the banks hold %d bytes",
                      target.name.c_str(), ram.initialisedBytes, bankBytes(ram));
    if (shortage.empty())
        return true;
    c.error("ERROR(C114): not enough register memory in this chip! " + shortage + ".\n");
    ram.exhausted = true;
    return false;
}

} // namespace

bool isinitialiser(const Item* list) {
    return splitInitialiser(const_cast<Item*>(list)).assignment != nullptr;
}

bool geninitialiser(Compilation& c, Item*& list) {
    const InitialiserParts parts = splitInitialiser(list);
    if (parts.assignment == nullptr)
        return genexpr(c, list);
    const Symbol* target = findsym(c, parts.target->cval);
    const bool braced = parts.values != nullptr && parts.values->kind == LSQUIG;
    // A scalar's value, or a struct from another struct, is an ordinary assignment.
    if (target == nullptr || (!braced && target->type != ARRAY))
        return genexpr(c, list);
    const int line = parts.assignment->line;
    if (!roomInRam(c, *target))
        return false;
    // Cut the values off the assignment: the parts are stored one by one.
    for (Item* item = parts.values; item != nullptr; item = item->next) {
        if (item->next == parts.assignment)
            item->next = nullptr;
    }
    Item* cursor = parts.values;
    InitValue value = readValue(c, cursor);
    if (!value.braced) {
        if (target->type == ARRAY && target->base == CHAR && isString(value)) {
            const std::size_t room = target->rowDimensions.empty() && target->count > 0
                                         ? static_cast<std::size_t>(target->count)
                                         : 0;
            value = InitValue{nullptr, true, charactersOf(c, *stringItem(value), room), {}};
        } else {
            refuse(c, line,
                   "an array initialised from something other than a brace list or a "
                   "string");
            return false;
        }
    }
    Filler filler(c);
    const Shape shape = shapeOf(c, *target);
    const int errorsBefore = c.errors();
    if (!filler.fillBraced(shape, value.list) || filler.tooMany()) {
        c.error(strprintf("ERROR(C275): Line: %d Too many initialisers for %s.\n", line,
                          target->name.c_str()));
        return false;
    }
    if (c.errors() != errorsBefore)
        return false;
    std::vector<Store> stores;
    filler.collect(shape, stores);
    foldBitFieldBytes(c, stores, *parts.assignment);
    for (const Store& store : stores)
        generateStore(c, *target, store, *parts.assignment);
    return true;
}

int initialisercount(Compilation& c, Item* list, int elementType, const std::string& typeName,
                     const std::vector<int>& rows) {
    const InitialiserParts parts = splitInitialiser(list);
    if (parts.assignment == nullptr || parts.values == nullptr)
        return -1;
    if (parts.values->kind != LSQUIG) {
        // A string gives a char array its characters and the closing 0.
        const Item* first = parts.values;
        while (first != nullptr && first->kind == POSTFIX_EXP_START)
            first = first->next;
        if (elementType != CHAR || first == nullptr || first->kind != STRING)
            return -1;
        return static_cast<int>(codegen::decodeString(c, first->cval, first->line).size()) + 1;
    }
    const bool rowOfChars = elementType == CHAR && rows.size() == 1;
    // Count the values at the list's top level; values without braces for struct elements
    // fill one element after the other. A designator [index] sets the element of its value
    // and of those that follow it.
    int depth = 0;
    int values = 0;
    int element = -1;
    int elements = 0;
    bool designated = false;
    bool elided = false;
    bool valueStarts = false;
    for (Item* item = parts.values; item != parts.assignment; item = item->next) {
        if (valueStarts && item->kind != RSQUIG) {
            ++values;
            // A string fills a whole row of chars as a brace list would.
            elided = elided || (item->kind != LSQUIG && !(rowOfChars && startsString(item)));
            const bool index = item->kind == LBRA && item->next != nullptr;
            designated = designated || index;
            element = index ? designatorIndex(c, *item->next) : element + 1;
            elements = std::max(elements, element + 1);
        }
        valueStarts = false;
        if (item->kind == LSQUIG)
            valueStarts = ++depth == 1;
        else if (item->kind == RSQUIG)
            --depth;
        else if (item->kind == COMMA && depth == 1)
            valueStarts = true;
    }
    if (designated)
        return elements;
    const int scalars = scalarCount(shapeOfElement(c, elementType, rows, typeName, 0));
    if (!elided || scalars <= 1)
        return values;
    return (values + scalars - 1) / scalars;
}

} // namespace kavo
