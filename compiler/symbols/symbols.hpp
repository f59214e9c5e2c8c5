#pragma once

#include "compiler/run/compilation.hpp"
#include "compiler/tables/symbol_table.hpp"

#include <string>
#include <string_view>

namespace kavo {

constexpr const char* GlobalScope = "_GLOBAL_";

// Enters a symbol into list (the main table or a member list) after the redefinition checks
// (C116, C117). The symbol is entered even when a check reports.
Symbol* addsym(Compilation& c, SymbolList& list, int cls, int type, int qual, std::string_view name,
               std::string_view scope, std::string_view typeName, int sign, int line);

// Puts the given symbols of the main table in that order, in the places they hold among the
// others (a K&R definition's parameters follow its identifier list).
void reorderSymbols(Compilation& c, const std::vector<Symbol*>& order);

// Takes symbol, whose predecessor is previous (none for the head), out of the main table and
// its lookups; the record itself stays valid until the run ends.
void removesym(Compilation& c, Symbol* previous, Symbol* symbol);

// A symbol of that name in that scope exists; function names count as global.
bool definedin(const Compilation& c, std::string_view name, std::string_view scope);

void pushscope(Compilation& c, std::string_view name);
std::string popscope(Compilation& c);
std::string curscope(const Compilation& c);
bool inscope(const Compilation& c, std::string_view name);
// The innermost open scope holding the name; "" when none does.
std::string scopeof(const Compilation& c, std::string_view name);
// The symbol's name names it inside scope too, over an enclosing scope's object of that name
// (an extern declaration inside a block).
void nameInScope(Compilation& c, Symbol& symbol, std::string_view scope);

// The main table's symbols of that name, in insertion order; tags are not among them.
const std::vector<Symbol*>& symbolsNamed(const Compilation& c, std::string_view name);
// The function of that name; none when no function of that name was declared.
Symbol* functionSymbol(const Compilation& c, std::string_view name);
// The struct and union tags of that name, in insertion order.
const std::vector<Symbol*>& tagsNamed(const Compilation& c, std::string_view name);
bool isTagType(int type);

// The symbol the name resolves to through the scope stack, or in an explicit scope.
Symbol* findsym(const Compilation& c, std::string_view name);
Symbol* findsymin(const Compilation& c, std::string_view name, std::string_view scope);
Symbol* findmember(const SymbolList& members, std::string_view name);
// The parameters of a function: the symbols of its own scope other than the function itself,
// in declaration order.
std::vector<const Symbol*> parametersOf(const Compilation& c, std::string_view function);
// The members leading to the named one: itself, or the anonymous struct or union members
// (named after their tags, "_LBL_...") that hold it, outermost first; empty when none does.
std::vector<const Symbol*> memberpath(const Compilation& c, const SymbolList& members,
                                      std::string_view name);
// The struct or union tag of that name, the one declared last.
const Symbol* findtag(const Compilation& c, std::string_view name);
// The name the tag written as name has where it is used: an inner scope's own tag of that
// name is entered under another (tagAliases).
std::string visibletag(const Compilation& c, std::string_view name);

// Fields of the symbol a name resolves to, with their "not found" values.
int getsize(const Compilation& c, std::string_view name);                         // -1
std::string gettypename(const Compilation& c, std::string_view name);             // ""
int getsign(const Compilation& c, std::string_view name);                         // 0
int gettype(const Compilation& c, std::string_view name);                         // 0
int getbase(const Compilation& c, std::string_view name);                         // 0
int getaddr(const Compilation& c, std::string_view name, std::string_view scope); // -1

// Temporaries "_tmp_N": reused when a free one has the current expression sign and the size.
std::string newtmp(Compilation& c, int type);
// A temporary that holds a pointer, typed as the pointer it was computed from so that it can
// be dereferenced and stepped as one; pooled apart from the other temporaries.
std::string newpointertmp(Compilation& c, const Symbol& pointer);
void freetmp(Compilation& c, std::string_view name);
// Switch variables "_swt_N".
std::string newswt(Compilation& c);
void freeswt(Compilation& c, std::string_view name);
// Parameter slot "_prm_N", shared by every function.
std::string newparm(Compilation& c, int n);
// Branch labels "_BCL_N", counting from 0.
std::string newlabel(Compilation& c);

// Byte offset of member reached at offset inside tag; -1 (with C21, C22 or C23) when unknown.
int getoffset(Compilation& c, int line, std::string_view tag, int offset, std::string_view member);

// Placement order for RAM allocation: countuses counts each unplaced symbol's operand uses;
// mostused takes the unplaced symbol used most (the later one on a tie), or none.
void countuses(Compilation& c);
Symbol* mostused(Compilation& c);

} // namespace kavo
