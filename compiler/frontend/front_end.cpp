// The front end of one run: parse runs the generated parser over the preprocess file,
// nextToken feeds it from the scanner, syntaxError reports, growStacks enlarges the parser's
// stacks within a fixed limit, and declarationDone closes each external declaration.
#include "compiler/frontend/front_end.hpp"
#include "compiler/frontend/sizes_internal.hpp"

#include "compiler/base/text_format.hpp"
#include "compiler/base/word_splitter.hpp"
#include "compiler/frontend/typedef_derivation.hpp"
#include "compiler/run/compilation.hpp"
#include "grammar.hpp"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>

namespace kavo::frontend {

namespace {

// The stacks grow by their initial size each time they fill. Nesting this deep is far beyond
// any real program; refusing it keeps hostile input from exhausting memory.
constexpr std::ptrdiff_t StackGrowth = 150;
constexpr std::ptrdiff_t MaxStackDepth = StackGrowth * 1000;

} // namespace

FrontEnd::FrontEnd(Compilation& c)
    : c_(c), scanner_(c, c.files.parserInput.get()), builder_(c.nodes) {}

int FrontEnd::parse() {
    const int result = kavoparseparse(*this, builder_);
    // The stacks belong to one parse.
    stateStorage_ = {};
    valueStorage_ = {};
    return result;
}

void FrontEnd::syntaxError(std::string_view /*message*/) {
    const int line = c_.currentLine;
    if (lastErrorLine_ != line) {
        lastErrorLine_ = line;
        c_.error(strprintf("ERROR(C01): Line: %3d Syntax error.  Unknown construct.\n", line));
    }
    scanner_.leaveAsmMode();
    scanner_.skipLine();
    c_.abortFlag = true;
}

void FrontEnd::unsupported(int line, std::string_view what) {
    c_.error(strprintf("ERROR(C259): Line: %d %s is not supported by this compiler yet.\n", line,
                       std::string(what).c_str()));
}

int FrontEnd::nextToken(StackValue& value) {
    ParserValue& scanned = tokens_.emplace_back();
    const int scannedKind = scanner_.nextToken(scanned);
    const int kind = typeNames_.classify(scannedKind, scanned, scanner_.asmMode());
    // A compare-and-jump macro's value keeps the mnemonic kind the scanner gave it.
    if (kind != scannedKind)
        scanned.kind = kind;
    value = StackValue{nullptr, nullptr, &scanned};
    return kind;
}

const StackValue& FrontEnd::carrySpecifiers(FragmentBuilder& b, const StackValue& specifiers,
                                            const StackValue* fixedAddress) {
    std::vector<int> carried;
    int members = 0;
    for (Node* n = specifiers.head; n != nullptr; n = n->next) {
        const int kind = n->kind;
        members += kind == STRUCT_DEC_START ? 1 : kind == STRUCT_DEC_END ? -1 : 0;
        const bool word = kind == STATIC || kind == EXTERN || kind == REGISTER || kind == AUTO ||
                          kind == CONST || kind == VOLATILE;
        if (members == 0 && word)
            carried.push_back(kind);
        Node* list = n->next != nullptr ? n->next->next : nullptr;
        const bool split = members == 0 && kind == STRUCT_DEC_END && n->next != nullptr &&
                           n->next->kind == DEC_LIST_END && list != nullptr &&
                           list->kind == DEC_LIST_START;
        for (auto k = carried.rbegin(); split && k != carried.rend(); ++k) {
            Node* copy = b.mark(*k).head;
            copy->line = n->line;
            copy->next = list->next;
            list->next = copy;
        }
        if (split && fixedAddress != nullptr) {
            // The address is computed again in the declarators' list: @ is read there.
            const StackValue place = b.join(__LINE__, b.mark(EXPSTART),
                                            {b.copy(*fixedAddress), b.mark(EXPEND),
                                             b.mark(FORCED_MEM_LOC)});
            place.tail->next = list->next;
            list->next = place.head;
        }
        if (n == specifiers.tail)
            break;
    }
    return specifiers;
}

StackValue FrontEnd::typedefUse(FragmentBuilder& b, const StackValue& name) {
    const TypedefType* type = typeNames_.find(name.token->cval);
    StackValue made{nullptr, nullptr, nullptr};
    const auto add = [&](StackValue part) {
        part.head->line = name.token->line;
        made = made.head == nullptr ? part : b.join(__LINE__, made, {part});
    };
    if (type != nullptr) {
        for (const TypedefType::Word& word : type->words) {
            StackValue node = b.mark(word.kind);
            node.head->cval = word.cval;
            add(node);
        }
    }
    // A derived type (pointer, array) is carried by a node of the name's own, which tells
    // the declarations what each declarator adds.
    if (type != nullptr && (type->pointers > 0 || type->count > 0)) {
        StackValue derived = b.token(name);
        derived.head->ival = typedefDerivationValue({type->pointers, type->count, type->toArray});
        derived.head->name.clear();
        for (int size : type->rows)
            derived.head->name += (derived.head->name.empty() ? "" : " ") + std::to_string(size);
        add(derived);
    }
    if (made.head == nullptr)
        add(b.mark(INT));
    return made;
}

namespace {

// The row sizes a typedef name's node carries (TypedefType::rows).
std::vector<int> typedefRows(const Node& name) {
    std::vector<int> rows;
    for (const std::string& word : splitWords(name.name).words) {
        if (!word.empty())
            rows.push_back(std::stoi(word));
    }
    return rows;
}

bool isSpecifierWord(int kind) {
    return kind == VOID || kind == CHAR || kind == SHORT || kind == INT || kind == LONG ||
           kind == FLOAT || kind == DOUBLE || kind == SIGNED || kind == UNSIGNED || kind == CONST ||
           kind == VOLATILE;
}

// The number an array size expression holds when it is a plain number: -1 otherwise.
int plainNumber(const Node* first, const Node* last) {
    int value = -1;
    for (const Node* n = first; n != nullptr; n = n->next) {
        if (n->kind == INTEGER_CONSTANT && value < 0 && n->name.empty())
            value = n->ival;
        else if (n->kind != POSTFIX_EXP_START && n->kind != POSTFIX_EXP_END &&
                 n->kind != EXPSTART && n->kind != EXPEND && n->kind != GETEXPVAL &&
                 n->kind != ARRAY_SIZE)
            return -1;
        if (n == last)
            break;
    }
    return value;
}

} // namespace

StackValue FrontEnd::typedefDeclaration(FragmentBuilder& b, const StackValue& specifiers) {
    TypedefType base;
    int members = 0;
    int enumerators = 0;
    bool tagFollows = false;
    bool skipName = false;
    for (const Node* n = specifiers.head; n != nullptr; n = n->next) {
        const int kind = n->kind;
        const bool last = n == specifiers.tail;
        if (kind == STRUCT_DEC_START) {
            ++members;
        } else if (kind == STRUCT_DEC_END) {
            --members;
        } else if (members > 0) {
        } else if (kind == ENUMSTART) {
            ++enumerators;
        } else if (kind == ENUMEND) {
            // An enumeration's values are ints.
            if (--enumerators == 0)
                base.words.push_back({INT, "ExMk"});
        } else if (enumerators > 0) {
        } else if (skipName) {
            skipName = false;
        } else if (kind == STRUCT_NAME) {
            skipName = true;
        } else if (kind == STRUCT_TYPE) {
            base.words.push_back({kind, n->cval});
            tagFollows = true;
        } else if (kind == IDENTIFIER && tagFollows) {
            base.words.push_back({kind, n->cval});
            tagFollows = false;
        } else if ((kind == STRUCT || kind == UNION) &&
                   !(n->next != nullptr && !last && n->next->kind == STRUCT_NAME)) {
            base.words.push_back({kind, n->cval});
        } else if (kind == NULLFUNC) {
            base.words.push_back({INT, "ExMk"}); // enum tag: an int
        } else if (isSpecifierWord(kind)) {
            base.words.push_back({kind, n->cval});
        } else if (kind == TYPEDEFNAME) {
            const TypedefDerivation derivation = typedefDerivationOf(n->ival);
            base.pointers = derivation.pointers;
            base.count = derivation.count;
            base.toArray = derivation.toArray;
            base.rows = typedefRows(*n);
        }
        if (last)
            break;
    }
    for (const StackValue& declarator : typeNames_.declarators()) {
        TypedefType type = base;
        std::string name;
        int pointers = 0;
        int arrays = 0;
        int pointersToArray = 0; // written after the array's sizes: (*name)[3]
        std::vector<int> sizes;  // last dimension first, as the nodes give them
        bool refused = false;
        const Node* sizeStart = nullptr;
        int depth = 0;
        for (const Node* n = declarator.head; n != nullptr; n = n->next) {
            if (n->kind == EXPSTART && depth++ == 0)
                sizeStart = n;
            else if (n->kind == EXPEND)
                --depth;
            else if (depth > 0) {
            } else if (n->kind == POINTER) {
                // A pointer written after the array's size is a pointer to the array.
                ++(arrays > 0 ? pointersToArray : pointers);
            } else if (n->kind == ARRAY_SIZE) {
                ++arrays;
                sizes.push_back(plainNumber(sizeStart, n));
                refused = refused || sizes.back() <= 0 || sizes.back() > MaxTypedefElements;
            } else if (n->kind == LBRA || n->kind == FUNC_PROTO_START)
                refused = true;
            else if (n->kind == IDENTIFIER && name.empty())
                name = n->cval;
            if (n == declarator.tail)
                break;
        }
        // The declarator's pointers come above the typedef's own: ip *q is an int **.
        type.pointers = base.pointers + pointers;
        if (!sizes.empty()) {
            type.count = sizes.back();
            type.rows.assign(sizes.rbegin() + 1, sizes.rend());
        }
        // An array type takes no further derivation (an array of its arrays, a pointer to
        // it); a pointer type takes pointers and one array of one dimension (an array of
        // pointers); a plain type pointers, an array of any dimensions or one pointer to
        // such an array. A pointer to an array takes no further derivation either.
        // typedef row *prow of a typedef'd array row is a pointer to that array.
        const bool pointerToBase = base.count > 0 && base.pointers == 0 && !base.toArray &&
                                   pointers == 1 && arrays + pointersToArray == 0;
        type.toArray = base.toArray || pointersToArray > 0 || pointerToBase;
        if (pointerToBase)
            type.pointers = 0;
        const bool derivedTwice = (base.count > 0 || base.toArray) && !pointerToBase &&
                                  pointers + arrays + pointersToArray > 0;
        const bool pointerRows = type.pointers > 0 && (arrays > 1 || pointersToArray > 0);
        if (refused || derivedTwice || pointerRows || pointersToArray > 1 ||
            type.pointers > MaxTypedefPointers) {
            unsupported(declarator.head->line,
                        "the typedef " + name +
                            " (a typedef may add pointers, one array of numbered sizes or one "
                            "pointer to such an array to a type, or make an array of one "
                            "dimension of pointers)");
            type.pointers = std::min(type.pointers, MaxTypedefPointers);
            type.count = std::min(type.count, MaxTypedefElements);
            type.toArray = false;
            type.rows.clear();
        }
        if (!name.empty())
            typeNames_.define(name, std::move(type));
    }
    typeNames_.declarationEnd();
    return b.join(__LINE__, b.mark(DEC_LIST_START), {specifiers, b.mark(DEC_LIST_END)});
}

namespace {

// The escape whose backslash stands at `at` (not the text's last character): where its last
// character stands, and whether a digit written after it would still extend it.
struct Escape {
    std::size_t last = 0;
    bool open = false;
};

Escape escapeAt(std::string_view text, std::size_t at) {
    std::size_t i = at + 1;
    if (text[i] == 'x') {
        while (i + 1 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])))
            ++i;
        return {i, true};
    }
    if (text[i] < '0' || text[i] > '7')
        return {i, false};
    int digits = 1;
    while (digits < 3 && i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '7') {
        ++i;
        ++digits;
    }
    return {i, digits < 3};
}

// Bytes of a string literal as the string table stores it: escapes are one byte each, and
// the terminating zero is counted.
int stringBytes(std::string_view text) {
    int bytes = 1;
    for (std::size_t i = 0; i < text.size(); ++i, ++bytes) {
        if (text[i] == '\\' && i + 1 < text.size())
            i = escapeAt(text, i).last;
    }
    return bytes;
}

} // namespace

StackValue sizeConstant(FragmentBuilder& b, int size) {
    // The single words keep the nodes they always had.
    if (size == 0)
        return b.mark(SIZEOF0);
    if (size == 1)
        return b.mark(SIZEOFS);
    if (size == 2)
        return b.mark(SIZEOFL);
    return b.constant(size);
}

namespace {

// The subscripts of an element a[i][j] (not those inside its index expressions).
int subscriptCount(const std::vector<const Node*>& element) {
    int depth = 0;
    int subscripts = 0;
    for (const Node* n : element) {
        depth += n->kind == EXPSTART ? 1 : n->kind == EXPEND ? -1 : 0;
        subscripts += depth == 0 && n->kind == SUBSCRIPT ? 1 : 0;
    }
    return subscripts;
}

// A SIZEOF node the code generator resolves from the symbol table, naming the variable: what
// of it is sized (the variable, an element, what it points at, a member) is the node's
// integer; a member's name, or an element's count of subscripts, its secondary text.
StackValue sizeOfSymbol(FragmentBuilder& b, const Node& name, int what, const std::string& part) {
    StackValue made = b.mark(SIZEOF);
    made.head->ival = what;
    made.head->name = part;
    return b.join(__LINE__, made, {b.copy(StackValue{const_cast<Node*>(&name), nullptr, nullptr})});
}

// A member chain from core[first]: ST_ADDR_RESOLVE... base member... (s.in.m) or
// POINTERSYM(member) base (p->m). The base's position, the chain ("in.m") and the position
// after it.
struct MemberChainNodes {
    std::size_t base = 0;
    std::string chain;
    std::size_t end = 0;
    bool throughPointer = false;
};

// As many ST_ADDR_RESOLVE as members after the base, and a POINTERSYM (its member the
// chain's first) before a pointer base: p->in.x is ST_ADDR_RESOLVE POINTERSYM(in) p x.
std::optional<MemberChainNodes> memberChainAt(const std::vector<const Node*>& core,
                                              std::size_t first) {
    std::size_t depth = first;
    while (depth < core.size() && core[depth]->kind == ST_ADDR_RESOLVE)
        ++depth;
    const bool throughPointer = depth < core.size() && core[depth]->kind == POINTERSYM;
    const std::size_t members = depth - first;
    const std::size_t base = depth + (throughPointer ? 1 : 0);
    const std::size_t end = base + 1 + members;
    if ((!throughPointer && members == 0) || end > core.size() || core[base]->kind != IDENTIFIER)
        return std::nullopt;
    MemberChainNodes found{base, throughPointer ? core[depth]->cval : "", end, throughPointer};
    for (std::size_t k = base + 1; k < end; ++k) {
        if (core[k]->kind != IDENTIFIER)
            return std::nullopt;
        found.chain += (found.chain.empty() ? "" : ".") + core[k]->cval;
    }
    return found;
}

// s.m[i], s.in.m[i][j], p->m[i], (s.g[i])[j] and *s.m: an element (or a row) of a member
// array, or what a pointer member points at. The node names the variable, with the member
// chain and the subscripts' count: "in.m/2".
std::optional<StackValue> sizeOfMemberElement(FragmentBuilder& b,
                                              const std::vector<const Node*>& core,
                                              const std::vector<const Node*>& nodes,
                                              int asValueFlag) {
    if (!core.empty() && core[0]->kind == RESOLV_PTR) {
        const std::optional<MemberChainNodes> chain = memberChainAt(core, 1);
        if (!chain || chain->end != core.size())
            return std::nullopt;
        return sizeOfSymbol(b, *core[chain->base], SizeOfMemberElement | asValueFlag,
                            chain->chain + "/1");
    }
    std::size_t lead = 0;
    while (lead < core.size() && core[lead]->kind == INDEX_ON)
        ++lead;
    if (lead == 0 || core.back()->kind != INDEX_OFF)
        return std::nullopt;
    const std::optional<MemberChainNodes> chain = memberChainAt(core, lead);
    if (!chain || chain->end >= core.size() || core[chain->end]->kind != SUBSCRIPT)
        return std::nullopt;
    return sizeOfSymbol(b, *core[chain->base], SizeOfMemberElement | asValueFlag,
                        chain->chain + "/" + std::to_string(subscriptCount(nodes)));
}

// The size of what the named function returns: the function is no object, so the node names
// it as its text, as a tag's does.
StackValue sizeOfReturned(FragmentBuilder& b, const std::string& function, int asValueFlag) {
    StackValue made = b.mark(SIZEOF);
    made.head->ival = SizeOfReturn | asValueFlag;
    made.head->name = function;
    return made;
}

} // namespace

StackValue FrontEnd::sizeOfType(FragmentBuilder& b, const StackValue& typeName) {
    int size = 1;
    int count = 1;
    int pointers = 0;        // the abstract declarator's
    int typedefPointers = 0; // a typedef'd type's own
    int typedefCount = 0;
    bool typedefToArray = false; // a pointer to an array: one byte
    bool sized = true;
    bool charBase = false;
    const Node* tag = nullptr;
    std::vector<const Node*> rest;
    for (const Node* n = typeName.head; n != nullptr; n = n->next) {
        const int kind = n->kind;
        if (kind == LONG)
            size = 2;
        else if (kind == VOID)
            size = 0;
        else if (kind == CHAR)
            charBase = true;
        else if (kind == STRUCT_TYPE && n->next != nullptr)
            tag = n->next;
        else if (kind == POINTER)
            ++pointers;
        else if (kind == TYPEDEFNAME) {
            const TypedefDerivation derivation = typedefDerivationOf(n->ival);
            typedefPointers = derivation.pointers;
            typedefCount = derivation.count;
            typedefToArray = derivation.toArray;
            for (int row : typedefRows(*n))
                typedefCount *= row;
        } else if (kind == FLOAT || kind == DOUBLE)
            sized = false;
        else if (kind != SHORT && kind != INT && kind != SIGNED && kind != UNSIGNED &&
                 kind != CONST && kind != VOLATILE && kind != STRUCT && kind != UNION &&
                 !(tag == n))
            rest.push_back(n);
        if (n == typeName.tail)
            break;
    }
    // An array of the abstract declarator: [number].
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i]->kind == POSTFIX_EXP_START && i + 2 < rest.size() &&
            rest[i + 1]->kind == INTEGER_CONSTANT && rest[i + 1]->name.empty() &&
            rest[i + 2]->kind == POSTFIX_EXP_END) {
            count *= rest[i + 1]->ival;
            i += 2;
        } else if (rest[i]->kind != NULLFUNC) {
            sized = false;
        }
    }
    if (!sized) {
        unsupported(typeName.head->line, "sizeof of this type (sizeof takes integer types, "
                                         "pointers, structs, unions and arrays of a numbered "
                                         "size)");
        return b.mark(SIZEOF0);
    }
    // A pointer to a typedef'd array is one pointer, as is a typedef'd pointer to an array;
    // the elements of a typedef'd array of pointers are pointers.
    if ((pointers > 0 && typedefCount > 0) || typedefToArray)
        return sizeConstant(b, count);
    count *= typedefCount > 0 ? typedefCount : 1;
    if (pointers + typedefPointers > 0)
        return sizeConstant(b, (charBase && pointers + typedefPointers == 1 ? 2 : 1) * count);
    if (tag != nullptr) {
        StackValue made = b.mark(SIZEOF);
        made.head->ival = SizeOfTag;
        made.head->name = tag->cval;
        // An array of them: the tag's size times the elements, folded as a constant product.
        return count == 1 ? made : b.join(__LINE__, b.mark(STAR), {made, b.constant(count)});
    }
    return sizeConstant(b, size * count);
}

std::optional<StackValue> sizeOfObject(FragmentBuilder& b, const std::vector<const Node*>& nodes,
                                       bool asValue) {
    // ++ and -- keep their operand's type: the operand is never evaluated.
    std::vector<const Node*> core;
    for (const Node* n : nodes) {
        const int kind = n->kind;
        const bool step = kind == POSTINC_START || kind == POSTINC_END || kind == PREINC ||
                          kind == PREDEC || kind == POSTINC || kind == POSTDEC;
        if (kind != POSTFIX_EXP_START && kind != POSTFIX_EXP_END && kind != EXPSTART &&
            kind != EXPEND && kind != GETEXPVAL && !step)
            core.push_back(n);
    }
    const auto is = [&](std::size_t i, int kind) {
        return i < core.size() && core[i]->kind == kind;
    };
    const int asValueFlag = asValue ? SizeOfAsValue : 0;
    if (core.size() == 1 && is(0, IDENTIFIER))
        return sizeOfSymbol(b, *core[0], SizeOfObject | asValueFlag, "");
    if (!core.empty() &&
        std::all_of(core.begin(), core.end(), [](const Node* n) { return n->kind == STRING; })) {
        if (asValue)
            return sizeConstant(b, 2); // a string's value is a char pointer
        int bytes = 1;
        for (const Node* n : core)
            bytes += stringBytes(n->cval) - 1;
        return sizeConstant(b, bytes);
    }
    if (core.size() == 1 && is(0, INTEGER_CONSTANT))
        return sizeConstant(b, core[0]->ival >= -128 && core[0]->ival <= 127 ? 1 : 2);
    if (core.size() == 1 && (is(0, CHARACTER_CONSTANT) || is(0, ENUMERATION_CONSTANT)))
        return sizeConstant(b, 1);
    if (is(0, CAST) && core[0]->ival > 0)
        return sizeConstant(b, core[0]->ival / 8);
    // a[i], a[i][j], and (a[i])[j], whose element is nested in another.
    std::size_t name = 0;
    while (is(name, INDEX_ON))
        ++name;
    if (name > 0 && is(name, IDENTIFIER) && is(name + 1, SUBSCRIPT) &&
        core.back()->kind == INDEX_OFF)
        return sizeOfSymbol(b, *core[name], SizeOfElement | asValueFlag,
                            std::to_string(subscriptCount(nodes)));
    if (std::optional<StackValue> element = sizeOfMemberElement(b, core, nodes, asValueFlag))
        return element;
    // f() and f(a, b): FUNCCALL f, or FUNC_START_PARAM f arguments FUNCCALL f FUNC_CLEAR_PARAM.
    const bool call =
        (core.size() == 2 && is(0, FUNCCALL) && is(1, IDENTIFIER)) ||
        (is(0, FUNC_START_PARAM) && is(1, IDENTIFIER) && core.back()->kind == FUNC_CLEAR_PARAM);
    if (call)
        return sizeOfReturned(b, core[1]->cval, asValueFlag);
    if (core.size() == 2 && is(0, RESOLV_PTR) && is(1, IDENTIFIER))
        return sizeOfSymbol(b, *core[1], SizeOfTarget | asValueFlag, "");
    // s.m, s.in.x, p->m, p->in.x.
    if (const auto chain = memberChainAt(core, 0); chain && chain->end == core.size())
        return sizeOfSymbol(
            b, *core[chain->base],
            (chain->throughPointer ? SizeOfMemberThroughPointer : SizeOfMember) | asValueFlag,
            chain->chain);
    // pts[i].y, g[i][j].in.x: the member chain of an element of an array of structs.
    std::size_t depth = 0;
    while (is(depth, ST_ADDR_RESOLVE))
        ++depth;
    if (depth > 0 && is(depth, INDEX_ON) && is(depth + 1, IDENTIFIER)) {
        std::size_t after = depth;
        for (int open = 0; after < core.size(); ++after) {
            open += core[after]->kind == INDEX_ON ? 1 : core[after]->kind == INDEX_OFF ? -1 : 0;
            if (open == 0)
                break;
        }
        std::string chain;
        for (std::size_t k = after + 1; k < core.size() && is(k, IDENTIFIER); ++k)
            chain += (chain.empty() ? "" : ".") + core[k]->cval;
        if (after + 1 + depth == core.size() && !chain.empty() &&
            std::count(chain.begin(), chain.end(), '.') + 1 == static_cast<long>(depth))
            return sizeOfSymbol(b, *core[depth + 1], SizeOfElementMember | asValueFlag, chain);
    }
    return std::nullopt;
}

StackValue FrontEnd::sizeOfValue(FragmentBuilder& b, const StackValue& operand) {
    if (std::optional<StackValue> size = sizeOfExpression(b, operand))
        return *size;
    unsupported(operand.head->line,
                "sizeof of this expression (sizeof takes a type or an expression of variables, "
                "elements a[i], *p, members s.m or p->m, calls, strings and constants; not a "
                "pointer reached through a computed address)");
    return b.mark(SIZEOF0);
}

namespace {

// An object in parentheses is a few nodes; a longer expression is never looked through, so
// that deeply nested parentheses cost no more than a walk of this many nodes each.
constexpr std::size_t LongestObject = 64;

// The nodes strictly between first and last of a fragment; none when there are more than
// LongestObject.
std::vector<const Node*> inside(const StackValue& fragment) {
    std::vector<const Node*> nodes;
    for (const Node* n = fragment.head->next; n != nullptr && n != fragment.tail; n = n->next) {
        if (nodes.size() == LongestObject)
            return {};
        nodes.push_back(n);
    }
    return nodes;
}

// Whether the nodes are * of one operand: after the *s and the prefix ++ and -- of the
// operand (with the bracket a prefix step opens), a POSTFIX_EXP_START that closes at the
// last node.
bool derefsOneOperand(const std::vector<const Node*>& nodes) {
    std::size_t start = 0;
    while (start < nodes.size() &&
           (nodes[start]->kind == RESOLV_PTR || nodes[start]->kind == POSTINC_START ||
            nodes[start]->kind == PREINC || nodes[start]->kind == PREDEC))
        ++start;
    int depth = 0;
    for (std::size_t i = start; i < nodes.size(); ++i) {
        depth += nodes[i]->kind == POSTFIX_EXP_START ? 1 : nodes[i]->kind == POSTFIX_EXP_END ? -1 : 0;
        if (depth == 0)
            return i + 1 == nodes.size();
    }
    return false;
}

// An object as the grammar builds it: a name, an element, a member, or * of one, of a call or
// of any other operand (**name, *a[i], *s.p, *p->q, *f(), *p++, *(p + 1)), each between its
// POSTFIX_EXP_START and POSTFIX_EXP_END markers; or an object in parentheses already looked through, between one
// more pair of markers: ((*p)).
bool isObject(const std::vector<const Node*>& nodes) {
    if (nodes.size() < 3 || nodes.back()->kind != POSTFIX_EXP_END)
        return false;
    if (nodes.front()->kind == POSTFIX_EXP_START &&
        isObject(std::vector<const Node*>(nodes.begin() + 1, nodes.end() - 1)))
        return true;
    if (nodes[0]->kind == RESOLV_PTR && derefsOneOperand(nodes))
        return true;
    std::size_t start = 0;
    while (nodes[start]->kind == RESOLV_PTR && start + 3 < nodes.size())
        ++start;
    if (nodes[start]->kind != POSTFIX_EXP_START)
        return false;
    const int kind = nodes[start + 1]->kind;
    // A call sits in the brackets of a parenthesised value: EXPSTART FUNCCALL ... GETEXPVAL.
    const bool call =
        start > 0 && kind == EXPSTART &&
        (nodes[start + 2]->kind == FUNCCALL || nodes[start + 2]->kind == FUNC_START_PARAM);
    return (kind == IDENTIFIER && nodes.size() == start + 3) || kind == INDEX_ON ||
           kind == ST_ADDR_RESOLVE || kind == POINTERSYM || call;
}

// A name alone between its markers: POSTFIX_EXP_START name POSTFIX_EXP_END.
bool isPlainName(const std::vector<const Node*>& nodes) {
    return nodes.size() == 3 && nodes[0]->kind == POSTFIX_EXP_START &&
           nodes[1]->kind == IDENTIFIER && nodes[2]->kind == POSTFIX_EXP_END;
}

} // namespace

StackValue FrontEnd::parenthesised(FragmentBuilder& b, const StackValue& expression) {
    const std::vector<const Node*> nodes = inside(expression);
    if (expression.head->kind == EXPSTART && expression.tail->kind == EXPEND &&
        isPlainName(nodes)) {
        // The name itself, as primary_expression gives it: a member chain (p)->m takes its
        // first node for the base, which would otherwise be the marker.
        Node* name = const_cast<Node*>(nodes[1]);
        name->next = nullptr;
        return StackValue{name, name, nullptr};
    }
    if (expression.head->kind == EXPSTART && expression.tail->kind == EXPEND && isObject(nodes)) {
        Node* last = const_cast<Node*>(nodes.back());
        last->next = nullptr; // the fragment's tail has no successor
        return StackValue{const_cast<Node*>(nodes.front()), last, nullptr};
    }
    // A comma expression, EXPSTART a EXPEND b with a's value discarded: its last operand
    // gets brackets of its own, so that GETEXPVAL takes b's value in b's place; left bare,
    // b's value would stay beside the one GETEXPVAL gives, and the operator around the
    // parentheses would take both.
    if (expression.head->kind != EXPSTART || expression.head->ival != ValueDiscarded)
        return b.join(__LINE__, expression, {b.mark(GETEXPVAL)});
    Node* firstEnd = expression.head;
    for (int depth = 0; firstEnd != expression.tail; firstEnd = firstEnd->next) {
        depth += firstEnd->kind == EXPSTART ? 1 : firstEnd->kind == EXPEND ? -1 : 0;
        if (depth == 0)
            break;
    }
    if (firstEnd == expression.tail)
        return b.join(__LINE__, expression, {b.mark(GETEXPVAL)});
    const StackValue lastOperand{firstEnd->next, expression.tail, nullptr};
    firstEnd->next = nullptr;
    return b.join(__LINE__, StackValue{expression.head, firstEnd, nullptr},
                  {b.mark(EXPSTART), lastOperand, b.mark(EXPEND), b.mark(GETEXPVAL)});
}

StackValue FrontEnd::bitField(FragmentBuilder& b, const StackValue& width,
                              const StackValue* declarator) {
    StackValue named = declarator != nullptr ? *declarator : b.mark(IDENTIFIER);
    if (declarator == nullptr) {
        named.head->cval = UnnamedBitField + std::to_string(++unnamedBitFields_);
        named.head->line = width.head->line;
    }
    return b.join(__LINE__, b.mark(EXPSTART), {width, b.mark(EXPEND), b.mark(BIT_FIELD), named});
}

StackValue FrontEnd::member(FragmentBuilder& b, const StackValue& object,
                            const StackValue& name) {
    // (*p) as parenthesised leaves it: RESOLV_PTR POSTFIX_EXP_START p POSTFIX_EXP_END; (*e)
    // of any other pointer value e (a call, p + 1, *pp, p->next): RESOLV_PTR and e's nodes.
    Node* n = object.head;
    if (n->kind != RESOLV_PTR) // s.m, and a long chain s.a.b.c... costs no walk
        return b.join(__LINE__, b.mark(ST_ADDR_RESOLVE), {object, name});
    std::vector<const Node*> nodes;
    for (const Node* k = object.head; k != nullptr; k = k == object.tail ? nullptr : k->next)
        nodes.push_back(k);
    const bool pointerVariable = nodes.size() == 4 && nodes[1]->kind == POSTFIX_EXP_START &&
                                 nodes[2]->kind == IDENTIFIER && nodes[3]->kind == POSTFIX_EXP_END;
    if (pointerVariable) {
        Node* pointer = n->next->next;
        pointer->next = nullptr;
        return b.join(__LINE__, b.copyAs(name, POINTERSYM),
                      {StackValue{pointer, pointer, nullptr}});
    }
    if (nodes.size() > 2 && derefsOneOperand(nodes))
        return b.join(__LINE__, b.copyAs(name, POINTERSYM), {StackValue{n->next, object.tail, nullptr}});
    return b.join(__LINE__, b.mark(ST_ADDR_RESOLVE), {object, name});
}

StackValue FrontEnd::refuseCompoundLiteral(FragmentBuilder& b, const StackValue& typeName) {
    c_.error(strprintf("ERROR(C333): Line: %d A compound literal ((type){...}) is not "
                       "supported: declare a variable with that initialiser.\n",
                       typeName.head->line));
    return b.mark(SIZEOF0);
}

StackValue FrontEnd::parenthesisedDeclarator(const StackValue& declarator) {
    if (declarator.head->kind == POINTER)
        parenthesisedPointers_.push_back(declarator.head);
    return declarator;
}

void FrontEnd::refusePointerDerivation(FragmentBuilder& b, const StackValue& declarator,
                                       std::string_view derivation) {
    if (std::find(parenthesisedPointers_.begin(), parenthesisedPointers_.end(), declarator.head) ==
        parenthesisedPointers_.end())
        return;
    const StackValue name = b.declaredName(declarator);
    unsupported(declarator.head->line,
                std::string("the ") + std::string(derivation) + " pointer " + name.head->cval);
}

StackValue FrontEnd::abstractArray(FragmentBuilder& b, const StackValue& derived,
                                   const StackValue& size) {
    // Only parentheses put a pointer first in a direct abstract declarator.
    if (derived.head->kind == POINTER) {
        unsupported(derived.head->line, "a pointer to an array in a type name (a cast or sizeof)");
        return derived;
    }
    return size.head == derived.head ? derived : b.join(__LINE__, derived, {size});
}

StackValue FrontEnd::concatenate(const StackValue& strings, const StackValue& next) {
    std::string& text = strings.head->cval;
    std::string more = next.token->cval;
    // An escape at the end of the first text ends there: a digit after it that would extend
    // it is written as an escape of its own.
    bool escapeOpen = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        escapeOpen = false;
        if (text[i] != '\\' || i + 1 == text.size())
            continue;
        const Escape escape = escapeAt(text, i);
        i = escape.last;
        escapeOpen = escape.open;
    }
    if (escapeOpen && !more.empty() && std::isxdigit(static_cast<unsigned char>(more[0])))
        more = strprintf("\\%03o", static_cast<unsigned char>(more[0])) + more.substr(1);
    text += more;
    if (text.size() > 256) {
        c_.diagnostics.standardOutput(
            strprintf("ERROR(C103): String too long, started in line %d\n", strings.head->line));
        text.resize(256);
    }
    return strings;
}

void FrontEnd::ordinaryDeclaration() {
    for (const StackValue& declarator : typeNames_.declarators()) {
        const StackValue name = builder_.declaredName(declarator);
        typeNames_.hide(name.head->cval);
    }
    typeNames_.declarationEnd();
}

void FrontEnd::declarationDone() {
    // Once a declaration is complete only the lookahead, if one was read, can still be used.
    while (tokens_.size() > 1)
        tokens_.pop_front();
    parenthesisedPointers_.clear();
}

void FrontEnd::growStacks(void** states, std::size_t stateSize, StackValue** values,
                          std::ptrdiff_t* size) {
    const std::ptrdiff_t used = *size;
    const std::ptrdiff_t grown = used + StackGrowth;
    if (grown > MaxStackDepth) {
        syntaxError("yacc stack overflow");
        return;
    }
    try {
        // Each stack is committed as soon as it has moved, so a failure halfway leaves the
        // parser with valid stacks of the old size.
        const std::size_t usedBytes = static_cast<std::size_t>(used) * stateSize;
        const std::size_t grownUnits =
            (static_cast<std::size_t>(grown) * stateSize + sizeof(std::uint64_t) - 1) /
            sizeof(std::uint64_t);
        if (*states != stateStorage_.data()) {
            // Leaving the parser's initial arrays: take their contents along.
            std::vector<std::uint64_t> fresh(grownUnits);
            std::memcpy(fresh.data(), *states, usedBytes);
            stateStorage_ = std::move(fresh);
        } else {
            stateStorage_.resize(grownUnits);
        }
        *states = stateStorage_.data();
        if (*values != valueStorage_.data()) {
            std::vector<StackValue> fresh(static_cast<std::size_t>(grown));
            std::copy(*values, *values + used, fresh.begin());
            valueStorage_ = std::move(fresh);
        } else {
            valueStorage_.resize(static_cast<std::size_t>(grown));
        }
        *values = valueStorage_.data();
    } catch (const std::bad_alloc&) {
        syntaxError("yacc stack overflow");
        return;
    }
    *size = grown;
}

} // namespace kavo::frontend
