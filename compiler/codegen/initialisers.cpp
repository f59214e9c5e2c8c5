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

#include <memory>
#include <vector>

namespace kavo {

namespace {

// One value of an initialiser: an expression's items, or a brace list of values.
struct InitValue {
    Item* items = nullptr; // the expression, cut off from what follows it
    bool braced = false;
    std::vector<InitValue> list;
};

// The parts of an object: a scalar of one or two bytes, or an aggregate of sub-objects.
struct Shape {
    int offset = 0;
    bool wide = false;
    bool aggregate = false;
    bool isUnion = false;
    bool charArray = false; // a string may fill it
    std::vector<Shape> parts;
};

// A scalar part and the value it gets (none: 0).
struct Store {
    int offset;
    bool wide;
    Item* value;
};

// Reads one value starting at item; item moves past it. A brace list's items are consumed
// up to its closing brace; an expression runs up to the next comma or closing brace.
InitValue readValue(Item*& item) {
    InitValue value;
    if (item != nullptr && item->kind == LSQUIG) {
        value.braced = true;
        item = item->next;
        while (item != nullptr && item->kind != RSQUIG) {
            value.list.push_back(readValue(item));
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

const Symbol* findTag(const Compilation& c, const std::string& name) {
    const Symbol* tag = nullptr;
    for (const Symbol* candidate : symbolsNamed(c, name)) {
        if (candidate->type == STRUCT_NAME || candidate->type == UNION_NAME)
            tag = candidate;
    }
    return tag;
}

Shape shapeOfType(Compilation& c, int type, int base, int count, const std::string& typeName,
                  int offset);

Shape shapeOfTag(Compilation& c, const std::string& typeName, int offset) {
    Shape shape;
    shape.offset = offset;
    shape.aggregate = true;
    const Symbol* tag = findTag(c, typeName);
    if (tag == nullptr)
        return shape;
    shape.isUnion = tag->type == UNION_NAME;
    for (const Symbol* m = tag->members.head; m != nullptr; m = m->next)
        shape.parts.push_back(
            shapeOfType(c, m->type, m->base, m->count, m->typeName, offset + m->offset));
    return shape;
}

Shape shapeOfType(Compilation& c, int type, int base, int count, const std::string& typeName,
                  int offset) {
    if (type == STRUCT || type == UNION || type == STRUCT_NAME || type == UNION_NAME)
        return shapeOfTag(c, typeName, offset);
    Shape shape;
    shape.offset = offset;
    if (type != ARRAY) {
        shape.wide = type == LONG;
        return shape;
    }
    shape.aggregate = true;
    shape.charArray = base == CHAR;
    const int elementSize = typesize(c, nullptr, base, typeName);
    for (int i = 0; i < count; ++i)
        shape.parts.push_back(shapeOfType(c, base, 0, 0, typeName, offset + i * elementSize));
    return shape;
}

Shape shapeOf(Compilation& c, const Symbol& symbol) {
    return shapeOfType(c, symbol.type, symbol.base, symbol.count, symbol.typeName, 0);
}

int scalarCount(const Shape& shape) {
    if (!shape.aggregate)
        return 1;
    int count = 0;
    for (const Shape& part : shape.parts)
        count += scalarCount(part);
    return count;
}

// The characters of a string (and its closing 0) as constant values.
std::vector<InitValue> charactersOf(Compilation& c, const Item& string) {
    std::vector<InitValue> values;
    const std::string text = codegen::decodeString(c, string.cval, string.line);
    for (std::size_t i = 0; i <= text.size(); ++i) {
        Item* character = c.items.make();
        character->kind = INTEGER_CONSTANT;
        character->ival = i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
        character->line = string.line;
        character->file = string.file;
        values.push_back({character, false, {}});
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

const Item* stringItem(const InitValue& value) {
    const Item* first = value.items;
    while (first->kind == POSTFIX_EXP_START)
        first = first->next;
    return first;
}

// Walks the values of one brace list.
class Filler {
public:
    Filler(Compilation& c, std::vector<Store>& stores) : c_(c), stores_(stores) {}

    // The object takes its values from a brace list of its own; true when all were used.
    bool fillBraced(const Shape& shape, const std::vector<InitValue>& list) {
        std::size_t next = 0;
        if (!shape.aggregate) {
            takeScalar(shape, list, next);
        } else {
            fillParts(shape, list, next);
        }
        return next >= list.size();
    }

private:
    void takeScalar(const Shape& shape, const std::vector<InitValue>& list, std::size_t& next) {
        if (next >= list.size()) {
            stores_.push_back({shape.offset, shape.wide, nullptr});
            return;
        }
        const InitValue& value = list[next++];
        if (!value.braced) {
            stores_.push_back({shape.offset, shape.wide, value.items});
            return;
        }
        // A scalar in braces: {5} is 5.
        if (!fillBraced(shape, value.list))
            tooMany_ = true;
    }

    void fillParts(const Shape& shape, const std::vector<InitValue>& list, std::size_t& next) {
        // A union is initialised through its first member.
        const std::size_t parts =
            shape.isUnion ? std::min<std::size_t>(1, shape.parts.size()) : shape.parts.size();
        for (std::size_t p = 0; p < parts; ++p)
            fillElided(shape.parts[p], list, next);
    }

    // A part filled from the enclosing list: a braced value belongs to it alone; values
    // without braces run on into its own parts.
    void fillElided(const Shape& shape, const std::vector<InitValue>& list, std::size_t& next) {
        if (!shape.aggregate) {
            takeScalar(shape, list, next);
        } else if (next < list.size() && list[next].braced) {
            if (!fillBraced(shape, list[next++].list))
                tooMany_ = true;
        } else if (next < list.size() && shape.charArray && isString(list[next])) {
            if (!fillBraced(shape, charactersOf(c_, *stringItem(list[next++]))))
                tooMany_ = true;
        } else {
            fillParts(shape, list, next);
        }
    }

public:
    bool tooMany() const { return tooMany_; }

private:
    Compilation& c_;
    std::vector<Store>& stores_;
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
    last->next->next->name = codegen::ObjectPart;
    genexpr(c, list);
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
    // Cut the values off the assignment: the parts are stored one by one.
    for (Item* item = parts.values; item != nullptr; item = item->next) {
        if (item->next == parts.assignment)
            item->next = nullptr;
    }
    Item* cursor = parts.values;
    InitValue value = readValue(cursor);
    if (!value.braced) {
        if (target->type == ARRAY && target->base == CHAR && isString(value)) {
            value = InitValue{nullptr, true, charactersOf(c, *stringItem(value))};
        } else {
            refuse(c, line,
                   "an array initialised from something other than a brace list or a "
                   "string");
            return false;
        }
    }
    std::vector<Store> stores;
    Filler filler(c, stores);
    const Shape shape = shapeOf(c, *target);
    if (!filler.fillBraced(shape, value.list) || filler.tooMany()) {
        c.error(strprintf("ERROR(C275): Line: %d Too many initialisers for %s.\n", line,
                          target->name.c_str()));
        return false;
    }
    for (const Store& store : stores)
        generateStore(c, *target, store, *parts.assignment);
    return true;
}

int initialisercount(Compilation& c, const Item* list, int elementType,
                     const std::string& typeName) {
    const InitialiserParts parts = splitInitialiser(const_cast<Item*>(list));
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
    // Count the values at the list's top level; values without braces for struct elements
    // fill one element after the other.
    int depth = 0;
    int values = 0;
    bool elided = false;
    bool valueStarts = false;
    for (const Item* item = parts.values; item != parts.assignment; item = item->next) {
        if (valueStarts && item->kind != RSQUIG) {
            ++values;
            elided = elided || item->kind != LSQUIG;
        }
        valueStarts = false;
        if (item->kind == LSQUIG)
            valueStarts = ++depth == 1;
        else if (item->kind == RSQUIG)
            --depth;
        else if (item->kind == COMMA && depth == 1)
            valueStarts = true;
    }
    const int scalars = scalarCount(shapeOfType(c, elementType, 0, 0, typeName, 0));
    if (!elided || scalars <= 1)
        return values;
    return (values + scalars - 1) / scalars;
}

} // namespace kavo
