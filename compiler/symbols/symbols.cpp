// The symbol table: addsym with its redefinition checks; the scope stack (pushscope, popscope,
// curscope, inscope, scopeof); look-ups (findsym, findsymin, findmember, getsize, gettype,
// getsign, getbase, getaddr, getoffset); and the pools of temporaries, switch variables,
// parameter slots and labels (newtmp/freetmp, newswt/freeswt, newparm, newlabel).
#include "compiler/symbols/symbols.hpp"

#include "compiler/base/fatal_stop.hpp"
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/symbols/pointer_types.hpp"
#include "compiler/symbols/types.hpp"

#include <algorithm>

namespace kavo {

namespace {

bool isReserved(std::string_view name) {
    return name.starts_with("@");
}

// The function being compiled owns what it makes, except the compiler's shared objects.
std::string ownerFor(const Compilation& c, std::string_view name) {
    if (isReserved(name) || name.starts_with("_tmp_") || name.starts_with("_prm_"))
        return {};
    return c.codegen.functionName;
}

void appendToList(Compilation& c, SymbolList& list, Symbol* symbol) {
    if (list.count >= MaxSymbolsPerList) {
        c.message("FATAL: append failure, list too long!!!\n");
        throw FatalStop(fatal::SymbolListTooLong);
    }
    (list.tail != nullptr ? list.tail->next : list.head) = symbol;
    list.tail = symbol;
    ++list.count;
}

std::string scopedKey(std::string_view name, std::string_view scope) {
    std::string key(name);
    key.push_back('\0');
    key.append(scope);
    return key;
}

Symbol* firstNamed(const Compilation& c, std::string_view name) {
    const auto& named = symbolsNamed(c, name);
    return named.empty() ? nullptr : named.front();
}

bool onStack(const std::vector<std::string>& stack, std::string_view name) {
    return std::find(stack.begin(), stack.end(), name) != stack.end();
}

PoolEntry* findInUse(std::vector<PoolEntry>& pool, std::string_view name) {
    for (PoolEntry& entry : pool) {
        if (entry.inUse && entry.name == name)
            return &entry;
    }
    return nullptr;
}

void release(Compilation& c, std::vector<PoolEntry>& pool, std::string_view name) {
    if (name.empty()) {
        c.message("Attempt to return null temp variable!\n");
        return;
    }
    // A name still held on a code generator stack belongs to an enclosing statement.
    if (onStack(c.symbols.temporaryStack, name) || onStack(c.symbols.switchStack, name))
        return;
    if (PoolEntry* entry = findInUse(pool, name))
        entry->inUse = false;
}

// The scopes that are one block of the C source with the current one: itself, and under a
// function body's outermost block the function's own scope, which holds its parameters. A
// name declared in any other enclosing scope is hidden by a new declaration, as in C.
std::vector<std::string> scopesOfOneBlock(const Compilation& c) {
    const auto& scopes = c.symbols.scopes;
    std::vector<std::string> same;
    if (scopes.empty() || scopes.back() == GlobalScope)
        return same;
    same.push_back(scopes.back());
    if (scopes.back() == c.symbols.functionBodyScope && scopes.size() >= 2 &&
        scopes[scopes.size() - 2] != GlobalScope)
        same.push_back(scopes[scopes.size() - 2]);
    return same;
}

} // namespace

Symbol* addsym(Compilation& c, SymbolList& list, int cls, int type, int qual, std::string_view name,
               std::string_view scope, std::string_view typeName, int sign, int line) {
    const std::string text(name);
    if (&list != &c.symbols.main) {
        // Struct and union members have a name space of their own: only a repeat within the
        // same aggregate is a redefinition.
        if (findmember(list, name) != nullptr)
            c.error(strprintf("ERROR(C116): Line: %d Identifier %s previously defined.\n", line,
                              text.c_str()));
    } else if (isTagType(type)) {
        for (const Symbol* tag : tagsNamed(c, name)) {
            if (tag->scope == scope)
                c.error(strprintf("ERROR(C116): Line: %d Identifier %s previously defined.\n", line,
                                  text.c_str()));
        }
    } else if (!isReserved(name)) {
        if (definedin(c, name, scope) || (type == FUNCNAME && definedin(c, name, GlobalScope)))
            c.error(strprintf("ERROR(C116): Line: %d Identifier %s previously defined.\n", line,
                              text.c_str()));
        for (const std::string& same : scopesOfOneBlock(c)) {
            if (definedin(c, name, same))
                c.error(strprintf("ERROR(C117): Line: %d Identifier %s previously defined.\n", line,
                                  text.c_str()));
        }
    }
    Symbol* symbol = c.symbols.arena.make();
    symbol->name = text;
    symbol->cls = cls;
    symbol->type = type;
    symbol->qual = qual;
    symbol->scope = scope;
    symbol->typeName = typeName;
    symbol->sign = sign;
    symbol->owner = ownerFor(c, name);
    symbol->line = line;
    appendToList(c, list, symbol);
    if (&list == &c.symbols.main && isTagType(type)) {
        c.symbols.tagsByName[text].push_back(symbol);
    } else if (&list == &c.symbols.main) {
        c.symbols.byName[text].push_back(symbol);
        c.symbols.byNameAndScope.emplace(scopedKey(text, symbol->scope), symbol);
    }
    return symbol;
}

void reorderSymbols(Compilation& c, const std::vector<Symbol*>& order) {
    SymbolTable& t = c.symbols;
    std::vector<Symbol*> all;
    for (Symbol* s = t.main.head; s != nullptr; s = s->next)
        all.push_back(s);
    // The sizing mark stays at its place in the list.
    const std::size_t sized =
        static_cast<std::size_t>(std::find(all.begin(), all.end(), t.sizedUpTo) - all.begin());
    std::size_t next = 0;
    std::vector<Symbol*> placed = all;
    for (Symbol*& s : placed) {
        if (next < order.size() && std::find(order.begin(), order.end(), s) != order.end())
            s = order[next++];
    }
    if (next != order.size())
        return; // not all in the table: nothing is relinked
    for (std::size_t k = 0; k < placed.size(); ++k)
        placed[k]->next = k + 1 < placed.size() ? placed[k + 1] : nullptr;
    t.main.head = placed.empty() ? nullptr : placed.front();
    t.main.tail = placed.empty() ? nullptr : placed.back();
    if (sized < placed.size())
        t.sizedUpTo = placed[sized];
}

void removesym(Compilation& c, Symbol* previous, Symbol* symbol) {
    SymbolTable& t = c.symbols;
    (previous != nullptr ? previous->next : t.main.head) = symbol->next;
    if (t.main.tail == symbol)
        t.main.tail = previous;
    --t.main.count;
    if (t.sizedUpTo == symbol)
        t.sizedUpTo = previous;
    std::erase(t.resizedEachPass, symbol);
    auto& index = isTagType(symbol->type) ? t.tagsByName : t.byName;
    auto named = index.find(symbol->name);
    if (named != index.end()) {
        std::erase(named->second, symbol);
        if (named->second.empty())
            index.erase(named);
    }
    if (isTagType(symbol->type))
        return;
    // The scoped lookup falls back on the next symbol of that name and scope, if any.
    const std::string key = scopedKey(symbol->name, symbol->scope);
    const auto scoped = t.byNameAndScope.find(key);
    if (scoped == t.byNameAndScope.end() || scoped->second != symbol)
        return;
    t.byNameAndScope.erase(scoped);
    for (Symbol* other : symbolsNamed(c, symbol->name)) {
        if (other->scope == symbol->scope) {
            t.byNameAndScope.emplace(key, other);
            break;
        }
    }
}

const std::vector<Symbol*>& symbolsNamed(const Compilation& c, std::string_view name) {
    static const std::vector<Symbol*> none;
    const auto found = c.symbols.byName.find(std::string(name));
    return found != c.symbols.byName.end() ? found->second : none;
}

Symbol* functionSymbol(const Compilation& c, std::string_view name) {
    for (Symbol* s : symbolsNamed(c, name)) {
        if (s->type == FUNCNAME)
            return s;
    }
    return nullptr;
}

const std::vector<Symbol*>& tagsNamed(const Compilation& c, std::string_view name) {
    static const std::vector<Symbol*> none;
    const auto found = c.symbols.tagsByName.find(std::string(name));
    return found != c.symbols.tagsByName.end() ? found->second : none;
}

bool isTagType(int type) {
    return type == STRUCT_NAME || type == UNION_NAME;
}

bool definedin(const Compilation& c, std::string_view name, std::string_view scope) {
    for (const Symbol* s : symbolsNamed(c, name)) {
        if (s->scope == scope || (scope == GlobalScope && s->type == FUNCNAME))
            return true;
    }
    return false;
}

void pushscope(Compilation& c, std::string_view name) {
    c.symbols.scopes.emplace_back(name);
}

std::string popscope(Compilation& c) {
    auto& scopes = c.symbols.scopes;
    if (scopes.empty())
        return {};
    std::string name = std::move(scopes.back());
    scopes.pop_back();
    return name;
}

std::string curscope(const Compilation& c) {
    return c.symbols.scopes.empty() ? std::string() : c.symbols.scopes.back();
}

bool inscope(const Compilation& c, std::string_view name) {
    return onStack(c.symbols.scopes, name);
}

Symbol* findsymin(const Compilation& c, std::string_view name, std::string_view scope) {
    const auto found = c.symbols.byNameAndScope.find(scopedKey(name, scope));
    return found != c.symbols.byNameAndScope.end() ? found->second : nullptr;
}

std::vector<const Symbol*> parametersOf(const Compilation& c, std::string_view function) {
    std::vector<const Symbol*> parameters;
    for (const Symbol* s = c.symbols.main.head; s != nullptr; s = s->next) {
        if (s->scope == function && s->type != FUNCNAME)
            parameters.push_back(s);
    }
    return parameters;
}

std::string scopeof(const Compilation& c, std::string_view name) {
    const auto& scopes = c.symbols.scopes;
    for (auto it = scopes.rbegin(); it != scopes.rend(); ++it) {
        if (const Symbol* s = findsymin(c, name, *it))
            return s->scope; // a name another scope's object has in this one (nameInScope)
    }
    return {};
}

Symbol* findsym(const Compilation& c, std::string_view name) {
    const auto& scopes = c.symbols.scopes;
    for (auto it = scopes.rbegin(); it != scopes.rend(); ++it) {
        if (Symbol* s = findsymin(c, name, *it))
            return s;
    }
    return nullptr;
}

void nameInScope(Compilation& c, Symbol& symbol, std::string_view scope) {
    c.symbols.byNameAndScope.emplace(scopedKey(symbol.name, scope), &symbol);
}

Symbol* findmember(const SymbolList& members, std::string_view name) {
    for (Symbol* s = members.head; s != nullptr; s = s->next) {
        if (s->name == name)
            return s;
    }
    return nullptr;
}

const Symbol* findtag(const Compilation& c, std::string_view name) {
    const auto& tags = tagsNamed(c, name);
    return tags.empty() ? nullptr : tags.back();
}

std::vector<const Symbol*> memberpath(const Compilation& c, const SymbolList& members,
                                      std::string_view name) {
    if (const Symbol* direct = findmember(members, name))
        return {direct};
    for (const Symbol* m = members.head; m != nullptr; m = m->next) {
        const Symbol* tag = m->name.starts_with("_LBL_") ? findtag(c, m->typeName) : nullptr;
        if (tag == nullptr)
            continue;
        std::vector<const Symbol*> inner = memberpath(c, tag->members, name);
        if (!inner.empty()) {
            inner.insert(inner.begin(), m);
            return inner;
        }
    }
    return {};
}

std::string visibletag(const Compilation& c, std::string_view name) {
    const auto& scopes = c.symbols.scopes;
    for (auto scope = scopes.rbegin(); scope != scopes.rend(); ++scope) {
        const auto alias = c.symbols.tagAliases.find(scopedKey(std::string(name), *scope));
        if (alias != c.symbols.tagAliases.end())
            return alias->second;
    }
    return std::string(name);
}

int getsize(const Compilation& c, std::string_view name) {
    const Symbol* s = findsym(c, name);
    return s != nullptr ? s->size : -1;
}

std::string gettypename(const Compilation& c, std::string_view name) {
    const Symbol* s = findsym(c, name);
    return s != nullptr ? s->typeName : std::string();
}

int getsign(const Compilation& c, std::string_view name) {
    const Symbol* s = findsym(c, name);
    return s != nullptr ? s->sign : 0;
}

int gettype(const Compilation& c, std::string_view name) {
    const Symbol* s = findsym(c, name);
    return s != nullptr ? s->type : 0;
}

int getbase(const Compilation& c, std::string_view name) {
    const Symbol* s = findsym(c, name);
    if (s == nullptr)
        return 0;
    if (name.starts_with("_tmp_"))
        return s->type;
    if (s->type == POINTER && (s->base == STRUCT || s->base == UNION))
        return INT;
    if (s->type == INT || s->type == LONG || s->type == CHAR || s->type == SHORT)
        return s->type;
    return s->base;
}

int getaddr(const Compilation& c, std::string_view name, std::string_view scope) {
    if (name.starts_with("_prm_")) {
        const Symbol* slot = firstNamed(c, name);
        return slot != nullptr ? slot->addr : -1;
    }
    const Symbol* s = findsymin(c, name, scope);
    return s != nullptr ? s->addr : -1;
}

std::string newtmp(Compilation& c, int type) {
    const int size = typesize(c, nullptr, type, "");
    for (PoolEntry& entry : c.symbols.temporaries) {
        if (entry.inUse || entry.signKey != c.codegen.expressionSign)
            continue;
        const Symbol* symbol = findsymin(c, entry.name, GlobalScope);
        if (symbol != nullptr && symbol->size == size) {
            entry.inUse = true;
            return entry.name;
        }
    }
    const std::string name = strprintf("_tmp_%d", c.symbols.temporaryCounter++);
    c.symbols.temporaries.push_back({name, true, c.codegen.expressionSign});
    addsym(c, c.symbols.main, 0, type, 0, name, GlobalScope, "", c.codegen.expressionSign,
           c.currentLine);
    setsizes(c);
    return name;
}

std::string newpointertmp(Compilation& c, const Symbol& pointer) {
    // A key no integer temporary has: an integer temporary never passes for a pointer.
    constexpr int PointerKey = POINTER;
    for (PoolEntry& entry : c.symbols.temporaries) {
        if (entry.inUse || entry.signKey != PointerKey)
            continue;
        const Symbol* symbol = findsymin(c, entry.name, GlobalScope);
        if (symbol != nullptr && samePointerType(*symbol, pointer)) {
            entry.inUse = true;
            return entry.name;
        }
    }
    const std::string name = strprintf("_tmp_%d", c.symbols.temporaryCounter++);
    c.symbols.temporaries.push_back({name, true, PointerKey});
    Symbol* symbol = addsym(c, c.symbols.main, 0, pointer.type, 0, name, GlobalScope,
                            pointer.typeName, pointer.sign, c.currentLine);
    describePointer(*symbol, pointer);
    symbol->rowDimensions = pointer.rowDimensions;
    setsizes(c);
    return name;
}

void freetmp(Compilation& c, std::string_view name) {
    release(c, c.symbols.temporaries, name);
}

std::string newswt(Compilation& c) {
    for (PoolEntry& entry : c.symbols.switchVariables) {
        if (!entry.inUse) {
            entry.inUse = true;
            return entry.name;
        }
    }
    const std::string name = strprintf("_swt_%d", c.symbols.switchCounter++);
    c.symbols.switchVariables.push_back({name, true, SIGNED});
    // Two bytes: a switch on a long compares every bit of its value.
    addsym(c, c.symbols.main, 0, LONG, 0, name, GlobalScope, "", SIGNED, c.currentLine);
    setsizes(c);
    return name;
}

void freeswt(Compilation& c, std::string_view name) {
    release(c, c.symbols.switchVariables, name);
}

std::string newparm(Compilation& c, int n) {
    const std::string name = strprintf("_prm_%d", n);
    if (n > c.symbols.highestParameterSlot) {
        addsym(c, c.symbols.main, 0, INT, 0, name, GlobalScope, "", SIGNED, c.currentLine);
        c.symbols.highestParameterSlot = n;
    }
    return name;
}

std::string newlabel(Compilation& c) {
    return strprintf("_BCL_%d", c.symbols.branchLabelCounter++);
}

int getoffset(Compilation& c, int line, std::string_view tag, int offset, std::string_view member) {
    const std::string tagText(tag);
    const std::string memberText(member);
    // A struct or union variable leads to the tag its type names.
    const Symbol* variable = firstNamed(c, tag);
    const bool aggregateVariable =
        variable != nullptr && (variable->type == STRUCT || variable->type == UNION);
    const Symbol* aggregate = findtag(c, aggregateVariable ? variable->typeName : tag);
    if (aggregate == nullptr) {
        c.error(strprintf("ERROR(C21): Line %d identifier %s not found.\n", line, tagText.c_str()));
        return -1;
    }
    Symbol* m = aggregate->members.head;
    int remaining = offset;
    while (m != nullptr && remaining > 0) {
        if (remaining >= m->size) {
            remaining -= m->size;
            m = m->next;
            continue;
        }
        // The offset lands inside this member: step into its own aggregate.
        const Symbol* inner = findtag(c, m->typeName);
        if (inner == nullptr)
            break;
        m = inner->members.head;
    }
    if (m == nullptr) {
        c.error(
            strprintf("ERROR(C22): Line %d Identifier %s not found.\n", line, memberText.c_str()));
        return -1;
    }
    for (; m != nullptr; m = m->next) {
        if (m->name == member) {
            c.message(strprintf("GETOFFSET: Found %s\n", memberText.c_str()));
            return m->offset;
        }
    }
    c.error(strprintf("ERROR(C23): Line %d Identifier %s not found.\n", line, memberText.c_str()));
    return -1;
}

} // namespace kavo
