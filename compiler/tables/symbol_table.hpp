#pragma once

#include "compiler/base/arena.hpp"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kavo {

struct Symbol;

// A list of symbols in insertion order: the main table, or the members of a struct or union
// tag. Struct offsets, the symbol listing and RAM placement all follow this order.
struct SymbolList {
    Symbol* head = nullptr;
    Symbol* tail = nullptr;
    int count = 0;
};

// Every name the compiler knows. Types, classes and signs are node kinds.
struct Symbol {
    std::string name;
    int cls = 0;          // AUTO, REGISTER, STATIC, EXTERN, TYPEDEF or 0
    int type = 0;         // a node kind: CHAR, INT, LONG, POINTER, ARRAY, FUNCNAME, ...
    std::string typeName; // tag name of struct and union typed symbols
    int qual = 0;         // CONST, VOLATILE or 0; an enumerator's value; an array's count % 256
    int size = 0;         // bytes; 0 until computed
    std::string scope;    // "_GLOBAL_", a function name or a "_TMPSCOPE_%d" block
    Symbol* next = nullptr;
    int sign = 0;       // SIGNED or UNSIGNED
    SymbolList members; // of a struct or union tag
    int count = 0;      // element count of an array (of all its dimensions)
    // The sizes of an array's dimensions after the first, outermost first: int a[2][3][4]
    // has a count of 24 and rows of {3, 4}; empty for an array of one dimension.
    std::vector<int> rowDimensions;
    int base = 0;       // what a pointer points to, an array holds, a function returns
    // What the pointer a function returns, or a pointer to a pointer reaches, points to
    // (base POINTER).
    int pointee = 0;
    // Pointers of more than two levels (int ***, and a function returning int **): pointee
    // is POINTER, and below it come deeperPointers more pointers, then innermost (the
    // object kind at the bottom, of the symbol's typeName and sign). compiler/symbols/
    // pointer_types.hpp reads and builds these chains.
    int deeperPointers = 0;
    int innermost = 0;
    int addr = -1;      // data-memory address; -1 until placed
    int offset = -1;    // byte offset of a member; -1 until computed
    // A bit-field member: its width in bits (1 to 8), and its lowest bit in its byte. A
    // bit-field of a bitOffset above 0 shares the byte of the member before it. 0: none.
    int bitWidth = 0;
    int bitOffset = 0;
    std::string owner;  // the function being compiled when the symbol was made
    int uses = 0;       // operand count for placement; -(uses + 1) once taken
    // Declared const (a pointer: the pointer itself, not what it points at); declared
    // volatile, or a struct or union with a volatile member (never kept in W); the line of
    // the declaration, and whether it had an initialiser.
    bool readOnly = false;
    bool volatileObject = false;
    int line = 0;
    bool initialised = false;
};

// A pool entry of the temporaries and switch variables.
struct PoolEntry {
    std::string name;
    bool inUse = false;
    int signKey = 0;
};

// The run's symbol table with its scope stack, name pools and the code generator's stacks.
struct SymbolTable {
    explicit SymbolTable(Diagnostics& diagnostics) : arena(diagnostics) {}

    Arena<Symbol> arena;
    SymbolList main;
    // The main table's symbols by name, in insertion order: lookups stay fast in programs
    // with thousands of names. Whatever takes a symbol out of the main table must take it
    // out of here as well.
    std::unordered_map<std::string, std::vector<Symbol*>> byName;
    // The first symbol of each name in each scope (key: name, a zero byte, scope).
    std::unordered_map<std::string, Symbol*> byNameAndScope;
    // Struct and union tags by name, in insertion order. Tags have a name space of their
    // own (struct point point;), so they are in neither lookup above.
    std::unordered_map<std::string, std::vector<Symbol*>> tagsByName;
    // Sizing bookkeeping: the last symbol sized so far, and the earlier ones whose sizing
    // reports something on every pass (they are sized again each time).
    Symbol* sizedUpTo = nullptr;
    std::vector<Symbol*> resizedEachPass;
    std::vector<std::string> scopes; // bottom "_GLOBAL_", top the current scope
    // The scope of the outermost block of the function being compiled, if it declares names:
    // they may not repeat a parameter's name (an inner block's may hide any outer name).
    std::string functionBodyScope;
    // The identifier list of the K&R definition being declared, f(a, b), until its
    // parameter declarations are read.
    std::vector<std::string> identifierList;
    // A K&R definition of a function a prototype declared: its parameters are checked against
    // the prototype's once their declarations are read.
    std::string definitionToCheck;

    std::vector<PoolEntry> temporaries;
    std::vector<PoolEntry> switchVariables;
    int temporaryCounter = 0;
    int switchCounter = 0;
    int highestParameterSlot = 0;
    int branchLabelCounter = 0;

    std::vector<std::string> temporaryStack;
    std::vector<std::string> switchStack;
    std::vector<std::string> breakLabels;
    std::vector<std::string> continueLabels;
    std::vector<std::string> switchEnds; // labels of the PIC_SWEND markers of open switches
    std::vector<int> argumentCounters;

    std::vector<const Symbol*> tagsBeingSized; // guards sizing against self-containing tags
    std::vector<Symbol*> tagsBeingDefined;     // their members are still being entered
    // A tag declared again in an inner scope while another of its name exists is entered
    // under a name of its own: key the tag and the scope, a zero byte between them.
    std::unordered_map<std::string, std::string> tagAliases;
    // Functions declared by a prototype: the types of their parameters (a scalar's size, an
    // aggregate's "struct tag"; none while only empty parentheses, f(), declared it: those
    // leave the parameters unsaid), and whether the definition has come.
    struct Prototype {
        std::optional<std::vector<std::string>> parameterTypes;
        bool defined = false;
    };
    std::unordered_map<std::string, Prototype> prototypes;
};

// A list holds at most this many symbols.
constexpr int MaxSymbolsPerList = 10001;

} // namespace kavo
