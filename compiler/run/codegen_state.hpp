#pragma once

#include "compiler/base/kinds.hpp"
#include "compiler/tables/symbol_table.hpp"

#include <deque>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kavo {

struct Instruction;

// The most recent leaf the expression generator produced or passed: statements and
// declarations read it after an expression.
struct ExpressionResult {
    int kind = 0;     // INTEGER_CONSTANT, IDENTIFIER, LONG_IDENTIFIER; 0 when none
    std::string name; // operand name
    int value = 0;    // constant value or byte offset
    int sign = 0;     // the leaf's own sign (Item::sign); 0 when the name's symbol tells it
    std::string pointerMark; // a pointer member's or element's type mark (Item::name), kept
                             // through parentheses: (s.p + 0)
};

// A string literal placed in the string table of program memory.
struct StringConstant {
    std::string name; // "_str_" and its position
    std::string text; // escapes translated
    int position = 0;
};

// The type of the value a switch statement stored into its switch variable (a 16-bit
// variable, so that a long switches on all of its bits).
struct SwitchValueType {
    bool wide = true;
    int sign = SIGNED;
};

// An open switch's PIC_SWEND marker and the record before it, where its comparisons go.
struct SwitchMarker {
    Instruction* previous = nullptr;
    Instruction* marker = nullptr;
};

// The flag settings the last constant fold appended, and the record before them.
struct FoldedFlags {
    Instruction* before = nullptr;
    std::vector<Instruction*> records;
};

// The 0/1 byte a relation made: CLRF t, the test, INCF t,F (which the test skips when the
// relation is false), and the record before the CLRF. A condition that only jumps on it tests
// the flag itself instead.
struct TruthByte {
    std::string name;
    Instruction* before = nullptr;
    Instruction* clear = nullptr;
    Instruction* test = nullptr;
    Instruction* increment = nullptr;
};

// A char pointer holds either a string's position in the string table or, with this high
// byte, a RAM address in its low byte: positions stay far below 0x8000.
inline constexpr int CharPointerRamTag = 0x80;

// What the code generator carries from one expression, statement or function to the next.
struct CodegenState {
    ExpressionResult lastResult;
    // The function being generated, as the last FUNCNAME noted it (and its second copy, which
    // only the stretch cutting writes).
    std::string functionName;
    std::string functionName2;
    // The byte holding the high half of every 16-bit result that crosses a call; taken from
    // the temporary pool before code generation and held for the whole run.
    std::string returnHighRegister;
    // The temporary holding the result of the last nested expression: kept in use until the
    // statement that reads it is done (or GETEXPVAL hands it to the enclosing expression).
    std::string pendingResultTemp;
    // Temporaries holding the arguments of the open calls, released once the call is made.
    std::vector<std::vector<std::string>> argumentTemps;
    // The string table: its literals and the number of characters stored so far.
    std::vector<StringConstant> stringConstants;
    int stringTableSize = 0;
    // Set when a char pointer is given a RAM address (CharPointerRamTag in its high byte):
    // the string reader then also reads RAM.
    bool charPointersReachRam = false;
    // The types of leaves whose names do not tell them: the pointers stored into or stepped
    // at INDF (*pp = &x, (*pp)++, t[i] += 1 of an array of pointers), addresses taken with &
    // and members whose address is taken. The leaf names its entry (codegen::PointerElement).
    std::deque<Symbol> indirectPointerTypes;
    // The pointer type a ?: temporary holds, by the temporary's name: the type of the first
    // branch value stored into it that is a pointer, as its mark. A new ?: forgets it.
    std::unordered_map<std::string, std::string> conditionalPointerTypes;
    // Set when an error stops the expression being generated.
    bool abortExpression = false;
    // The calls of undeclared functions reported (C347), by name and line: a list the
    // generator goes over again reports each once.
    std::set<std::pair<std::string, int>> undeclaredCalls;
    // Set for the statement about to be generated when nothing reads its value (an expression
    // statement, not a condition); the generator takes it for the statement's outermost list.
    bool valueDiscarded = false;
    // Whether the value of the list being generated is discarded (valueDiscarded as the
    // generator took it for this list).
    bool resultDiscarded = false;
    // Open levels of the generator's recursion, and whether the statement they belong to was
    // refused for nesting too deep (C278).
    int nestingDepth = 0;
    bool nestingRefused = false;
    // Arguments passed so far to the call being compiled, and the callees of open calls.
    int argumentCounter = 0;
    std::vector<std::string> calleeNames;
    // How many runtime parameter slots the interrupt routine saves (0 until it is known).
    int interruptSaveCount = 0;
    int expressionSign = SIGNED; // SIGNED or UNSIGNED, as last set for an expression
    // Per switch variable, the type of the value stored into it; per open switch (innermost
    // last), its default label ("" while none is written).
    std::unordered_map<std::string, SwitchValueType> switchValueTypes;
    std::vector<std::string> switchDefaults;
    FoldedFlags foldedFlags;
    TruthByte truthByte;
    // Per open switch (by its end label), where its marker stands.
    std::unordered_map<std::string, SwitchMarker> switchMarkers;
    int defaultExpressionType = SIGNED;
    bool globalScopeFlag = false;             // instructions made now belong to _GLOBAL_
    const std::string* codegenFile = nullptr; // the source file of the code being generated
    int tempScopeCounter = 0;                 // numbers the "_TMPSCOPE_%d" scopes
    bool vpCodeSeen = false;                  // a Virtual Peripheral function was generated
    bool vpMode = false;                      // inline assembly is Virtual Peripheral code
    // Initialisers of global and static variables, taken out of the list until they are
    // placed at main's entry.
    std::vector<Instruction*> startupCode;
};

} // namespace kavo
