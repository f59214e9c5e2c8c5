// Sizes and offsets of declared objects: typesize gives an object's size in bytes (struct tags
// sum their members, union tags take the largest), setsizes sizes the whole table, and
// setoffsets/setoffset lay out plain objects and struct and union members.
#include "compiler/symbols/types.hpp"

#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/symbols/symbols.hpp"

#include <algorithm>

namespace kavo {

namespace {

Symbol* findTag(Compilation& c, std::string_view name) {
    const auto& tags = tagsNamed(c, name);
    return tags.empty() ? nullptr : tags.front();
}

// A member typed STRUCT or UNION is sized as the tag its typename names.
int memberKind(const Symbol& member) {
    if (member.type == STRUCT)
        return STRUCT_NAME;
    if (member.type == UNION)
        return UNION_NAME;
    return member.type;
}

// A bit-field in the byte of the member before it takes no byte of its own.
bool sharesByte(const Symbol& member) {
    return member.bitWidth > 0 && member.bitOffset > 0;
}

int aggregateSize(Compilation& c, std::string_view tagName) {
    Symbol* tag = findTag(c, tagName);
    if (tag == nullptr) {
        c.message(strprintf("Symbol: %s: Unknown size!\n", std::string(tagName).c_str()));
        return 0;
    }
    if (tag->size > 0)
        return tag->size;
    // A tag that contains itself has no size; without this guard sizing it never ends.
    if (std::find(c.symbols.tagsBeingSized.begin(), c.symbols.tagsBeingSized.end(), tag) !=
        c.symbols.tagsBeingSized.end()) {
        c.message(strprintf("Symbol: %s: Unknown size!\n", tag->name.c_str()));
        return 0;
    }
    c.symbols.tagsBeingSized.push_back(tag);
    int total = 0;
    for (Symbol* m = tag->members.head; m != nullptr; m = m->next) {
        m->size = typesize(c, m, memberKind(*m),
                           m->type == STRUCT || m->type == UNION ? std::string_view(m->typeName)
                                                                 : std::string_view(m->name));
        if (tag->type == UNION_NAME)
            total = std::max(total, m->size);
        else if (!sharesByte(*m))
            total += m->size;
    }
    c.symbols.tagsBeingSized.pop_back();
    tag->size = total;
    return total;
}

} // namespace

int typesize(Compilation& c, const Symbol* symbol, int kind, std::string_view name) {
    switch (kind) {
    case 0:
    case VOID:
    case ENUM:
        return 0;
    case CHAR:
    case SHORT:
    case INT:
    case FUNCPTR:
        return 1;
    case LONG:
    case FARPOINTER:
        return 2;
    case POINTER:
        return symbol != nullptr && symbol->base == CHAR ? 2 : 1;
    case STRING:
    case ARRAY:
        return symbol != nullptr ? symbol->size : 0;
    case FUNCNAME: {
        const Symbol* function = symbol != nullptr ? symbol : findsym(c, name);
        return function != nullptr ? typesize(c, nullptr, function->base, function->typeName) : -1;
    }
    case STRUCT:
    case UNION:
        return aggregateSize(c, symbol != nullptr ? std::string_view(symbol->typeName) : name);
    case STRUCT_NAME:
    case UNION_NAME:
        return aggregateSize(c, name);
    default:
        c.message(strprintf("UNKNOWN type size? %d\n", kind));
        return 1;
    }
}

namespace {

bool isAggregate(int type) {
    return type == STRUCT || type == UNION || type == STRUCT_NAME || type == UNION_NAME;
}

bool hasOffsetRule(int type) {
    return type == FUNCNAME || type == FUNCPTR || isAggregate(type) ||
           (type >= VOID && type <= LONG) || type == POINTER || type == FARPOINTER ||
           type == ENUM || type == STRING || type >= FUNCPTR;
}

// A symbol is sized once, so that a type without a rule is reported once (C20, "UNKNOWN type
// size?"); only a struct or union whose tag is not complete yet is sized again on every pass
// until it is.
bool sizedForGood(const Symbol& s) {
    if (isAggregate(s.type) || (s.type == FUNCNAME && isAggregate(s.base)))
        return s.size > 0;
    return true;
}

void setoffset(Compilation& c, Symbol& s, int base) {
    const int type = s.type;
    if (type == FUNCNAME || type == FUNCPTR) {
        s.offset = -1;
    } else if (type == STRUCT_NAME) {
        s.offset = base;
        int running = base;
        for (Symbol* m = s.members.head; m != nullptr; m = m->next) {
            if (sharesByte(*m))
                running -= m->size;
            m->offset = running;
            running += m->size;
        }
    } else if (type == UNION_NAME) {
        s.offset = base;
        for (Symbol* m = s.members.head; m != nullptr; m = m->next)
            m->offset = base;
    } else if (type == STRUCT || type == UNION) {
        // Aggregate variables keep their offset: their members' offsets live in the tag.
    } else if (hasOffsetRule(type)) {
        s.offset = base;
    } else {
        c.error(strprintf("ERROR(C20): Unknown type %d (%s) (%s)\n", type, s.typeName.c_str(),
                          s.name.c_str()));
    }
}

} // namespace

void setsizes(Compilation& c) {
    SymbolTable& t = c.symbols;
    // Symbols sized before keep their sizes; only the ones that report each time and the new
    // ones are sized, which keeps a run over thousands of declarations linear.
    std::vector<Symbol*> pass = std::move(t.resizedEachPass);
    t.resizedEachPass.clear();
    for (Symbol* s = t.sizedUpTo != nullptr ? t.sizedUpTo->next : t.main.head; s != nullptr;
         s = s->next) {
        pass.push_back(s);
        t.sizedUpTo = s;
    }
    // Nested struct declarations keep one tag open per level: looked up once per pass, not
    // once per symbol.
    std::vector<const Symbol*> open(t.tagsBeingDefined.begin(), t.tagsBeingDefined.end());
    std::sort(open.begin(), open.end());
    auto beingDefined = [&](const Symbol* s) {
        return std::binary_search(open.begin(), open.end(), s);
    };
    for (Symbol* s : pass) {
        if (!beingDefined(s))
            s->size = typesize(c, s, s->type, s->name);
    }
    for (Symbol* s : pass) {
        if (beingDefined(s)) {
            t.resizedEachPass.push_back(s);
            continue;
        }
        setoffset(c, *s, 0);
        if (!sizedForGood(*s))
            t.resizedEachPass.push_back(s);
    }
}

void setoffsets(Compilation& c, SymbolList& list, int base) {
    for (Symbol* s = list.head; s != nullptr; s = s->next)
        setoffset(c, *s, base);
}

} // namespace kavo
