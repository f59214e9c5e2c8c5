#pragma once

// Random whole C programs for the differential test of the compiler: functions that call one
// another, globals and locals of the dialect's four integer types, arrays, structs, pointers,
// loops, switches and side effects inside expressions. A program is a tree; the generator
// builds it, programText writes it as C, and the host model (random_program_model.cpp)
// interprets it at the dialect's widths (dialect_arithmetic.hpp) to give the final value of
// every global.

#include "simulator/device.hpp"
#include "tests/support/dialect_arithmetic.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavo::testing::program {

using dialect::Type;

// What the generator may use; each class of construct can be left out.
struct Features {
    bool calls = true;           // functions with 8/16-bit parameters and results
    bool nestedCalls = true;     // a call as an argument of a call
    bool byteArrays = true;      // arrays of 8-bit elements
    bool wordArrays = true;      // arrays of 16-bit elements
    bool structs = true;         // struct members as operands, targets and arguments
    bool pointers = true;        // int * and long * set to &g, &a[k], &s.m; *p
    bool pointerIndexing = true; // p[i], *(p + k), p = p + k, *p++
    bool compoundAssignments = true;
    bool aliasing = true;     // a compound assignment's value reads its own target: x += x
    bool steps = true;        // ++ and -- inside expressions
    bool loops = true;        // for, while and do with break and continue
    bool switches = true;     // on 8- and 16-bit values
    bool conditionals = true; // c ? a : b
    bool shortCircuit = true; // && and || whose right operand has side effects
    bool casts = true;
    bool runtimeOperations = true; // * / % << >>
    bool manyGlobals = true;       // enough globals to reach every RAM bank
    bool fixedAddresses = true;    // a global placed with @ in every bank
    bool upperBanks = true;        // the SX52's banks 8 to 15 hold globals too
    bool typeSpellings = true;     // int, short, signed char, char unsigned, long unsigned ...
    bool twoDimensions = true;     // arrays of two dimensions, a[r][c]; int (*p)[c] = a
    bool typedefNames = true;      // types spelled by typedef names
    bool charPointers = true;      // pointers to 8-bit cells spelled char *: two-byte pointers
    bool structArguments = true;   // whole structs passed by value
    bool pointerPointers = true;   // int **pp = &p; **pp, (*pp)[i], pp[0][i], *pp = &x;
                                   // char **, and int ***ppp = &pp; ***ppp, *ppp = &p
    bool structResults = true;     // functions returning a struct: s = f(), x = f().m
    bool pointerMembers = true;    // structs of pointers: *s.p, s.p[k], s.p++, &x == s.p;
                                   // list nodes: p->next->m, p = p->next
    bool pointerChoices = true;    // *(c ? p : q) of two pointers of one type
    bool bitFields = true;         // 8-bit struct members of a width in bits: m2 : 3
};

// The constructs the compiler handles today on the device: what the test runs.
Features passingFeatures(sxsim::DeviceKind device);

// One letter for each feature: "all", "none", "pass" (passingFeatures) or letters, each
// optionally followed by +letters (switched on) and -letters (switched off): "pass+ps".
std::optional<Features> parseFeatures(std::string_view text, sxsim::DeviceKind device);
std::string featureLetters(const Features& features);
std::string featureHelp();

// A PointerPointer points at one of the program's pointers (int **pp, long **pp, char **pp)
// or, of depth 3, at one of its pointers to pointers (int ***ppp).
enum class Storage { Scalar, Array, Struct, Pointer, PointerPointer };

struct Member {
    std::string name;
    Type type;
    std::string spelling;
    int bits = 0; // a bit-field's width (1 to 7); 0 for a whole member
};

// A struct either holds integer members, only pointers (pointerMembers: a member's type and
// spelling are what it points at), or is a list node: integer members and next, a pointer to
// a struct of its own type. One holding pointers is neither passed nor returned whole.
struct StructType {
    std::string name;
    std::vector<Member> members;
    std::vector<Member> pointerMembers;
    bool linked = false;
    bool holdsPointers() const { return !pointerMembers.empty() || linked; }
};

// Where a pointer points: a variable and one of its cells (an element, a member).
struct PointerValue {
    int variable = -1;
    int cell = 0;
    bool operator==(const PointerValue&) const = default;
};

struct Variable {
    std::string name;
    Storage storage = Storage::Scalar;
    Type type;            // of a scalar, an element, or what a pointer points at
    std::string spelling; // how that type is written (a pointer's: what it points at)
    int length = 1;       // elements of an array
    int columns = 0;      // an array of two dimensions: length / columns rows of columns;
                          // a pointer to rows of columns cells, int (*p)[columns]
    int structType = -1;
    int function = -1; // the function a local or parameter belongs to; -1 for a global
    bool parameter = false;
    bool counter = false;              // a loop counter: read, never stored into
    int fixedAddress = -1;             // placed with @; set by main's first statements
    std::vector<std::int32_t> initial; // one per cell, empty when not initialised
    PointerValue initialPointer;       // a pointer's initialiser
    std::vector<int> pointees;         // the variables a pointer may point into
    bool walksArray = false;           // a pointer into one array, indexed and moved; a
                                       // pointer to pointers that all walk the same array
    int depth = 2;                     // a PointerPointer's levels: 2 (int **), 3 (int ***)
    // A pointer that is a member of this struct variable, named holder.member (a list node's
    // pointer to the next, structType set, is named holder.next).
    int holder = -1;
    bool omitted = false; // left out of the text unless used (reduction: RAM layout matters)
};

// A pointer or a pointer to pointers: it holds an address, not a value the model checks.
inline bool holdsAddress(const Variable& v) {
    return v.storage == Storage::Pointer || v.storage == Storage::PointerPointer;
}

// The pointers that are members of a struct variable, in the order of its type's members.
inline std::vector<int> pointerMembersOf(const std::vector<Variable>& variables, int holder) {
    std::vector<int> found;
    for (std::size_t i = 0; i < variables.size(); ++i) {
        if (variables[i].holder == holder)
            found.push_back(static_cast<int>(i));
    }
    return found;
}

// A pointer to the rows of an array of two dimensions: (*p)[c], p[r][c] and *(p[r] + c) reach
// a cell, p = p + 1 steps a row.
inline bool pointsAtRows(const Variable& v) {
    return v.storage == Storage::Pointer && v.columns > 0;
}

// A pointer to list nodes, whole structs of its structType: p->m, p->next->m.
inline bool pointsAtStructs(const Variable& v) {
    return v.storage == Storage::Pointer && v.structType >= 0;
}

struct Expr;

// Something stored into or read: a variable, an element, a member or a pointer's target.
// The target of the pointer a pointer to pointers points at (PointeePointee) is written **pp,
// (*pp)[i], *(*pp + i), and with the form FirstRow *pp[0] or pp[0][i]; of depth 3 ***ppp,
// (**ppp)[i], *(**ppp + i), **ppp[0] or ppp[0][0][i]. Through a pointer to rows the forms
// are (*p)[c], p[r][c] and *(p[r] + c); an element with one index of an array of two
// dimensions is a row (&a[r], what a pointer to rows is set to). Through a pointer to list
// nodes (Arrow) a member is p->m, p->next->m, p->next->next->m: hops times ->next.
struct Place {
    enum class Kind {
        Variable,
        Element,
        Member,
        Pointee,
        PointeeStep,
        PointeePointee,
        Arrow
    } kind = Kind::Variable;
    // *p, p[i], *(p + i); Chosen: *(c ? p : q), the condition c the index, q the member.
    enum class Form { Star, Subscript, Sum, FirstRow, Chosen } form = Form::Star;
    int variable = 0; // the variable, array, struct, pointer or pointer to pointers
    int member = 0;
    int hops = 0;
    // An element's index (two for an array of two dimensions), a pointer's offset; none for
    // *p and *p++.
    std::vector<Expr> index;
};

struct Expr {
    // AddressTest: pointer == &place (op Eq) or pointer != &place (op Ne).
    enum class Kind { Constant, Read, Unary, Binary, Cast, Conditional, Call, Step, AddressTest };
    Kind kind = Kind::Constant;
    dialect::Op op = dialect::Op::Add;
    std::int32_t constant = 0;
    Type castTo;
    std::string spelling;                 // of the cast's type
    Place place;                          // Read, Step
    bool increment = true, prefix = true; // Step: ++x, x++, --x, x--
    int function = -1;                    // Call
    int member = -1;                      // Call of a function returning a struct: f().m
    int pointer = -1;                     // AddressTest
    std::vector<Expr> operands;           // Conditional: condition, then, else; Call: the arguments
};

struct Case;

struct Statement {
    enum class Kind {
        Assign,   // place = value
        Compound, // place op= value
        Evaluate, // value; (a call, a step)
        If,       // if (value) body else orElse
        For,      // for (counter = 0; counter < trips; counter++) body
        While,    // counter = 0; while (counter < trips) { counter++; body }
        DoWhile,  // counter = 0; do { counter++; body } while (counter < trips);
        Switch,   // switch (value) cases
        Break,
        Continue,
        Return,         // return value; (none in a void function)
        PointAt,        // pointer = &place; (a pointer to pointers: pp = &p;)
        PointAtThrough, // *pointer = &place; through a pointer to pointers
        MovePointer,    // pointer = pointer + amount;
        FollowLink      // pointer = pointer->next; (a pointer to list nodes)
    };
    Kind kind = Kind::Evaluate;
    Place place;
    dialect::Op op = dialect::Op::Add;
    std::vector<Expr> value; // one, or none for a plain return
    std::vector<Statement> body, orElse;
    std::vector<Case> cases;
    int counter = -1, trips = 0;
    int pointer = -1, amount = 1;
    bool stepped = false; // a MovePointer of 1 written pointer++
};

struct Case {
    std::optional<std::int32_t> value; // none: default
    std::vector<Statement> body;
};

struct Function {
    std::string name;
    std::optional<Type> result; // none: void, or a struct
    int structResult = -1;      // the struct type returned
    std::string resultSpelling;
    std::vector<int> parameters; // variables
    std::vector<int> locals;     // variables
    std::vector<Statement> body;
};

struct Program {
    std::vector<StructType> structs;
    std::vector<Variable> variables;
    std::vector<Function> functions; // a function calls only earlier ones; main is the last
    bool typedefNames = false;       // types may be spelled s8_t, u8_t, s16_t, u16_t
};

Program generateProgram(std::uint32_t seed, const Features& features, sxsim::DeviceKind device);

// The program as C, without the device's #pragma lines. Functions main does not reach are
// left out, and so are omitted variables nothing uses.
std::string programText(const Program& p);

// The type of a variable's cell: its own, an element's or a member's.
Type cellType(const Program& p, int variable, int cell);
// The width in bits of a cell that is a bit-field; 0 for any other.
int cellBits(const Program& p, int variable, int cell);
// A value as a bit-field of that width keeps it: its low bits, extended by the type's sign.
std::int32_t fieldValue(std::int32_t value, int bits, Type type);
int cellCount(const Program& p, const Variable& v);
// A struct variable read whole: the argument of a struct parameter.
bool readsWholeStruct(const Program& p, const Expr& e);

// Every cell of every variable when main ends, none for a cell never stored. No result when
// the program is undefined somewhere (a pointer outside its object, a cell read before it is
// set, a division by zero, an endless run).
using FinalCells = std::vector<std::vector<std::optional<std::int32_t>>>;
std::optional<FinalCells> modelRun(const Program& p);

// A smaller program for which stillFails holds, found by removing statements and replacing
// expressions by their operands or by constants while stillFails keeps holding.
Program reduced(Program p, const std::function<bool(const Program&)>& stillFails);

} // namespace kavo::testing::program
