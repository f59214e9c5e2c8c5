#pragma once

// Shared pieces of the expression generator: the place being reduced and the small emitters
// every operation uses. Not part of the compiler's interface outside compiler/codegen.

#include "compiler/base/kinds.hpp"
#include "compiler/codegen/emit.hpp"
#include "compiler/run/compilation.hpp"

#include <optional>
#include <string>
#include <vector>

namespace kavo::codegen {

// The list being reduced and the item an operation stands at.
struct Site {
    Compilation& c;
    Item*& list;
    Item* previous; // the item before `item`, none at the head
    Item* item;
    Item* beforePrevious = nullptr; // the item before `previous`, none when not known

    int line() const { return item->line; }
};

// The STATUS register and its flag bits.
constexpr const char* Status = "@__stat__";
constexpr int Carry = 0;
constexpr int Zero = 2;

// Reads an expression's items in order and tells which identifiers are the base of a member
// chain (s of s.m.x) and which name members (m, x), through chains whose base is subscripted
// or a chain itself (pts[i].y, pl.pts[i].x).
class MemberChainReader {
public:
    enum class Role { Other, Base, Member };
    Role see(const Item& item);

private:
    struct Chain {
        int members = 1;
        int indexDepth = 0;
        bool baseDone = false;
    };
    std::vector<Chain> open_;
    bool previousStartedChain_ = false;
};

bool isLeaf(const Item* item);
bool isIdentifier(const Item* item); // an 8- or 16-bit identifier leaf
bool isConstant(const Item* item);
bool isWide(const Item* item); // a 16-bit leaf (LONG_IDENTIFIER)

// A constant's bytes as operand text, 0 to 255: a negative value is written as its
// two's-complement byte, so that the word encoded from the text is the one meant.
std::string lowByte(int value);
std::string highByte(int value);

// The first item from i on that is not a bracketing marker the scan has yet to remove
// (SRC_ADDR, DEST_ADDR, POSTFIX_EXP_START, POSTFIX_EXP_END); none at the list's end.
const Item* skipBrackets(const Item* i);

// A place no one else sees: reading it again or changing it step by step shows the program
// nothing. Not a volatile variable, not a register at a fixed address, not a byte reached
// through FSR; a temporary is one.
bool isQuietPlace(const Compilation& c, const Item& place);

// Whether the operation at the site, whose last operand is given, is the whole value of a
// plain assignment to an 8-bit place: only the low byte of its result is ever seen.
bool storedAsByte(const Site& site, const Item* lastOperand);

// Inline words of an operation beyond this cost more than loading a runtime routine's
// parameters and calling it.
constexpr int MaxInlineWords = 12;

// Whether the item before a value makes it a place stored into (an assignment's target, the
// operand of ++ or --).
bool isStoredInto(const Item* before);

// A string literal's text with its escapes translated (the warning for an unknown escape).
std::string decodeString(Compilation& c, const std::string& raw, int line);

// An octal or hex escape's value after one more digit. Past a byte the value stays just past
// it, so that any number of digits neither overflows nor wraps back into range.
int addEscapeDigit(int value, int base, int digit);
// C279 when an escape's value does not fit a byte; true when it fits.
bool escapeFitsByte(Compilation& c, int value, int line);

// The sign of a leaf: its own when it carries one (a struct member, an element at INDF),
// else that of the symbol it names (SIGNED when unknown).
int signOf(const Compilation& c, const Item& leaf);
int signOf(const Compilation& c, const ExpressionResult& result);
int signOfName(const Compilation& c, const std::string& name);
// A variable's or a member's sign: a pointer is unsigned, a symbol without one is SIGNED.
int signOfSymbol(const Symbol& symbol);
// The leaf as the last result of an expression, its sign included.
ExpressionResult resultOf(const Item& leaf);
// A value as the user wrote it, for messages: the variable's name, the constant, or the
// kind's spelling (a computed value is "this expression").
std::string writtenAs(const ExpressionResult& value);

// Instruction with a leaf operand: the leaf's name and its byte offset (+1 for the high byte).
Instruction* emitOn(Compilation& c, int opcode, const Item& leaf, int dest, int line,
                    bool high = false);
// Whether a leaf naming an array stands for the whole array (its address). An element at a
// constant index is the array's name at the element's offset, and carries its sign.
bool namesWholeArray(const Compilation& c, const std::string& name, int sign);
// W = the leaf's low (or high) byte: MOVLW for a constant, MOVF for an identifier; an 8-bit
// identifier's high byte is 0.
void loadW(Compilation& c, const Item& leaf, int line, bool high = false);

// The symbol an identifier leaf names, or the type its mark gives (a pointer at INDF, a
// pointer member, an address taken with &, a member whose address is taken).
const Symbol* typeOfLeaf(const Compilation& c, const Item& leaf);
// The RAM pointer (int *, long *, a pointer to a struct) an identifier leaf names, or the
// char pointer into program memory (a pointer variable or temporary, or a pointer at INDF
// marked with its type); none for anything else.
const Symbol* ramPointerOf(const Compilation& c, const Item& leaf);
const Symbol* stringPointerOf(const Compilation& c, const Item& leaf);
// Whether the leaf is a one-byte RAM address of a char (&c, &s[i]): a char pointer meeting it
// needs it tagged.
bool isCharAddress(const Compilation& c, const Item& leaf);
// Whether the leaf is a RAM pointer variable, which may be null; a computed address (&x,
// &a[i]) is not.
bool mayBeNullPointer(const Compilation& c, const Item& leaf);
// The type of the leaf's address, &x: a pointer to what the leaf is; none for an array, a
// pointer to an array or anything else & does not take here.
std::optional<Symbol> addressType(const Compilation& c, const Item& leaf);
// Whether a store into the leaf stores a char pointer: a char pointer variable, or an element
// of an array of char pointers at INDF.
bool storesCharPointer(const Compilation& c, const Item& target);
// A char pointer of the given sign, for its temporaries.
Symbol charPointerType(int sign);
// The RAM address in W as a char pointer: a new char pointer temporary with the RAM tag.
std::string charPointerFromW(Compilation& c, int sign, int line);
// The RAM address leaf (a RAM pointer, an address, an integer) as a char pointer: a new char
// pointer temporary with the RAM tag; a null pointer (the constant 0, a RAM pointer holding
// 0) stays null.
std::string charPointerFromRamAddress(Compilation& c, const Item& address, int sign, int line);
// FSR = the byte a store through the char pointer leaf writes: its RAM byte, or a scratch
// byte when it points at a string (program memory is not written).
void pointFsrForStore(Compilation& c, const Item& pointer, int line);
// A chain of member names followed from an aggregate's tag: the summed offset and the last
// member, or the message that names the link which does not resolve.
struct ResolvedMember {
    int offset = 0;
    const Symbol* member = nullptr;
    const char* errorFormat = nullptr; // set when the chain does not resolve
    std::string errorName;
};
ResolvedMember resolveMembers(const Compilation& c, std::string tagName,
                              const std::vector<Item*>& members);
// The same for a chain written with dots, "in.x".
ResolvedMember resolveMemberChain(const Compilation& c, const std::string& tagName,
                                  const std::string& chain);
// W = the pointer leaf's address plus offset: where a member through the pointer is.
void loadPointerPlus(Compilation& c, const Item& pointer, int offset, int line);
// The bytes of what a RAM pointer points at (an element step of the pointer).
int pointeeSize(Compilation& c, const Symbol& pointer);
// W = the index times the pointee's size, its low byte (a RAM address is one byte).
void loadScaledW(Compilation& c, const Item& index, int size, int line);
// W = the low byte of the 8-bit leaf times k, built inline over k's bits.
void loadByteProduct(Compilation& c, const Item& index, int k, int line);

std::string newTemporary(Compilation& c, bool wide);
// A temporary holding a value of the given sign (SIGNED or UNSIGNED; anything else keeps the
// expression's sign): a call's result, an element read through INDF.
std::string newTemporaryOfSign(Compilation& c, bool wide, int sign);
// The item becomes a leaf naming a temporary (or any object) at the given offset.
void becomeLeaf(Item* item, int kind, const std::string& name, int offset = 0);
void becomeConstant(Item* item, int value);
// Removes an item from the list; a temporary it names returns to its pool.
void drop(Site& site, Item* item);
// Removes a run of consecutive items, the first of which follows `before` (none: the run
// starts the list).
void dropRun(Site& site, const std::vector<Item*>& run, Item* before);

// The value of an assignment through FSR is its target, left at INDF. A 16-bit one is read
// into a temporary at once: the store left FSR at its high byte, and INDF's next register is
// no byte of it. An 8-bit one is read into a temporary only when FSR may move before the
// value is read (a later element or pointer access). Other values come back unchanged; a
// temporary made here is the caller's to free.
ExpressionResult settledValue(Compilation& c, const ExpressionResult& value, bool fsrMayMove,
                              int line);

// Copies an identifier leaf's bytes into the temporary t of its width.
void copyInto(Compilation& c, const Item& x, const std::string& t, int line);

// The value widened to 16 bits into t (low byte first), by its own sign. An 8-bit value is
// left in W.
void loadWidened(Compilation& c, const Item& a, const std::string& t, int line);

// Copies an 8-bit leaf into a fresh 16-bit temporary (sign-extended when SIGNED); 16-bit
// leaves and constants are returned unchanged. The returned item replaces `leaf` in the list.
Item* widen(Site& site, Item* leaf);

// The width and sign an operation works at (the dialect's conversions).
struct OperationType {
    bool wide = false; // 16 bits
    int sign = SIGNED; // SIGNED or UNSIGNED
};
OperationType commonType(const Compilation& c, const Item& a, const Item& b);  // + - & | ^ < ...
OperationType widenedType(const Compilation& c, const Item& a, const Item& b); // * / %
OperationType shiftType(const Compilation& c, const Item& left);               // << >>

// Operations; each returns true when it changed the list.
bool generateAddition(Site& site);
bool generateSubtraction(Site& site);
bool generateBitwise(Site& site);
bool generateRuntimeOperation(Site& site);
bool generateConstantShift(Site& site);    // << and >> by a constant, inline when shorter
bool generateConstantMultiply(Site& site); // * by a constant, inline when shorter
bool generateRelation(Site& site);
bool generateAssignment(Site& site);
bool generateUnary(Site& site);
bool generateStepping(Site& site); // ++ and --
// Bit-fields (bit_fields.cpp): markBitField marks a member's leaf with its bits;
// finishBitFieldAccess reads the field of a member access just made unless it is stored into;
// stores into a marked leaf go to generateBitFieldAssignment and generateBitFieldStep.
void markBitField(Item& leaf, const Symbol& member);
bool finishBitFieldAccess(Site& site, bool acted);
void refuseBitFieldAddress(Compilation& c, int line); // & or sizeof of a bit-field: C344
bool generateBitFieldAssignment(Site& site);
bool generateBitFieldStep(Site& site);
bool generateStatement(Site& site);
bool generateCallSite(Site& site);
bool generateReturn(Site& site);
bool generateElement(Site& site);               // INDEX_ON array SUBSCRIPT index INDEX_OFF
bool generatePointerAccess(Site& site);         // RESOLV_PTR pointer
bool generateConstantAddressAccess(Site& site); // RESOLV_CONST_PTR constant: @0x10
bool generateMember(Site& site);                // ST_ADDR_RESOLVE chains
// INDF: the byte FSR addresses.
constexpr const char* Indirect = "@__f0__";
// W = the address of byte offset of element position of the array of elementSize-byte
// elements (a variable position through the multiply routine).
void loadElementAddress(Compilation& c, const Item& array, int offset,
                        const ExpressionResult& position, int elementSize, int line);
// FSR = W, an address inside object (an array or a struct, whose bank the bank pass then
// knows), or anywhere when object is empty (a pointer's value).
void pointFsrInto(Compilation& c, const std::string& object, int line);
bool generateMemberThroughPointer(Site& site);  // POINTERSYM(member) pointer: p->member
bool generateString(Site& site);                // a string literal as a value
bool generateCast(Site& site);                  // CAST operand

// The name of an array standing as a value, looked at before the list is reduced: it
// becomes a pointer to the array's first element (a temporary holding its address), as C
// says; not where it is subscripted, sized, addressed with &, assigned to or a member name,
// nor where it is the whole expression (an argument passes an array by its address). The
// name of an array of arrays becomes a pointer to its first row.
void arrayNamesBecomeAddresses(Compilation& c, Item* list);
// A leaf naming a whole array becomes a pointer to its first element (row), as above for a
// value that arrives as a leaf (a branch of ?:); true when it did.
bool arrayLeafBecomesAddress(Compilation& c, Item& leaf);

// Whole structs and unions in an expression's list, looked at before it is reduced: a plain
// assignment between two of the same type is copied byte by byte (the list becomes its
// target), so is the value of a return in a function returning one (into its return area);
// so are copies between such variables, elements of arrays of them and *q; a returned value
// of another kind is C311, a copy to or from another element or member C313, any other use
// C259.
enum class AggregateUse { None, Copied, Refused };
// The name of a leaf that stands for one part of an aggregate (at its offset), not the whole.
constexpr const char* ObjectPart = "(part)";
// Marks a leaf whose type its name does not tell, followed by the number of its type in
// indirectPointerTypes: an INDF leaf that is a pointer to be stored into or stepped
// (names[i] = &c, *pp += 1 of an int **pp), a struct's pointer member (s.lp++ of a long
// *lp), an address taken with & (a pointer to what it points at), a member whose address is
// taken (its own type). A new value in the leaf drops the mark.
constexpr const char* PointerElement = "(pointer element)";
// The mark of a leaf holding a value of the given type.
std::string markPointerElement(Compilation& c, const Symbol& type);
// `discarded`: nothing reads the list's value, so a call's result alone in it is dropped.
AggregateUse generateAggregateUse(Compilation& c, Item*& list, bool discarded);
// Calls of functions returning an aggregate, made before the rest of the list is looked at:
// each becomes a leaf naming the function's return area. False, after C312, when what is
// read from an area could be overwritten before it is used.
bool callAggregateFunctions(Compilation& c, Item* list);
// The argument's list names one whole aggregate (a variable, an element of an array of them,
// *q, a call's result): its marker is emitted, and true. An element or *q is passed by its
// address, in the temporary held, which the call keeps until its argument lowering; a call's
// result from its return area, which no later argument (the items after the argument, up to
// the call) may call again before the lowering copies it (else C312).
bool passAggregateArgument(Compilation& c, Item* list, const Item* laterArguments, int line,
                           std::string& held);

// The conditional jump of IF (jump when the last result is false) and NIF (when true).
void generateConditionalJump(Compilation& c, int kind, const std::string& label, int line);

// The result temporary of the last nested expression: released, or taken over by the caller.
void releasePendingResult(Compilation& c);
std::string takePendingResult(Compilation& c);

// The runtime routine of a multiply, divide, remainder or shift (the operator or its
// compound assignment): left and right operands go to slots 1-2 and 3-4, the call is made and
// recorded in the call tree; the result is in W (low) and the return-high register.
void callRuntimeRoutine(Compilation& c, int kind, const Item& left, const Item& right, int line);

// Loads a leaf into runtime parameter slots first and first + 1, widened to 16 bits.
void loadIntoSlots(Compilation& c, const Item& leaf, int first, int line);

} // namespace kavo::codegen
