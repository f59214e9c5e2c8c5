#pragma once

#include "compiler/base/node.hpp"
#include "compiler/frontend/fragment.hpp"
#include "compiler/frontend/scanner.hpp"
#include "compiler/frontend/type_names.hpp"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string_view>
#include <vector>

namespace kavo {
class Compilation;
}

namespace kavo::frontend {

// The scanner and the parser of one run, reading the run's parser input from its current
// position. Everything here belongs to the run: a new compilation makes a new FrontEnd.
class FrontEnd {
public:
    explicit FrontEnd(Compilation& c);
    FrontEnd(const FrontEnd&) = delete;
    FrontEnd& operator=(const FrontEnd&) = delete;

    // Parses the input into the node list: 0 on success, 1 on failure.
    int parse();
    // Discards the rest of the input after an aborted parse.
    void drain() { scanner_.drain(); }
    // Every parse failure comes here. The message itself is not shown: the user sees one
    // C01 per line, and the run is marked to stop before code generation.
    void syntaxError(std::string_view message);
    // A construct the grammar accepts but the compiler does not build: C259 naming it.
    void unsupported(int line, std::string_view what);

    Scanner& scanner() { return scanner_; }
    TypeNames& typeNames() { return typeNames_; }

    // A struct or union defined among the specifiers (static struct { ... } s) ends their
    // declaration list after its members, and the declarators follow in a list of their own:
    // the storage class and qualifiers written before it, and the address of the @ form, are
    // copied into that list too.
    const StackValue& carrySpecifiers(FragmentBuilder& b, const StackValue& specifiers,
                                      const StackValue* fixedAddress = nullptr);

    // A struct member of a width in bits; without a declarator, unnamed padding (of width 0:
    // the next bit-field starts a new byte).
    StackValue bitField(FragmentBuilder& b, const StackValue& width, const StackValue* declarator);

    // s.m; (*p).m of a pointer variable p is p->m.
    StackValue member(FragmentBuilder& b, const StackValue& object, const StackValue& name);

    // The type words a typedef name stands for, in place of the name.
    StackValue typedefUse(FragmentBuilder& b, const StackValue& name);
    // A complete typedef declaration: its names become types, and only what its specifiers
    // define (a struct, a union, enumerators) stays in the program.
    StackValue typedefDeclaration(FragmentBuilder& b, const StackValue& specifiers);
    // sizeof of a type name, and of an expression (which is never evaluated): a constant where
    // the words tell the size, else a SIZEOF node the code generator sizes from the symbols.
    StackValue sizeOfType(FragmentBuilder& b, const StackValue& typeName);
    StackValue sizeOfValue(FragmentBuilder& b, const StackValue& operand);
    // ( expression ): a nested expression whose value the enclosing one reads; an object
    // in parentheses, (*p) or (a[i]) or (x), stays that object, so that it can be stored into.
    StackValue parenthesised(FragmentBuilder& b, const StackValue& expression);
    // (declarator): the parentheses only group, but a pointer inside them that is followed by
    // a parameter list is a pointer to a function, which refusePointerDerivation refuses
    // (C259) rather than let it read as a function returning a pointer. One followed by an
    // array is a pointer to an array: the declarations see its sizes before its pointer.
    StackValue parenthesisedDeclarator(const StackValue& declarator);
    void refusePointerDerivation(FragmentBuilder& b, const StackValue& declarator,
                                 std::string_view derivation);
    // An array in a type name after another derivation: int [2][3] keeps each size (sizeof
    // multiplies them); (*)[3], a pointer to an array, is refused (C259) in a type name.
    StackValue abstractArray(FragmentBuilder& b, const StackValue& derived, const StackValue& size);
    // (type){...}: an object without a name would need RAM of its own; refused (C333), it
    // reads as 0 so that the expression around it goes on.
    StackValue refuseCompoundLiteral(FragmentBuilder& b, const StackValue& typeName);
    // Adjacent string literals are one: the second's text joins the first's node.
    StackValue concatenate(const StackValue& strings, const StackValue& next);
    // A complete declaration of anything else: its names hide the type names they share.
    void ordinaryDeclaration();

    // For the generated parser.
    int nextToken(StackValue& value);
    void declarationDone();
    void growStacks(void** states, std::size_t stateSize, StackValue** values,
                    std::ptrdiff_t* size);

private:
    Compilation& c_;
    Scanner scanner_;
    TypeNames typeNames_;
    FragmentBuilder builder_;
    // Token values the parser may still turn into nodes; dropped after each declaration.
    std::deque<ParserValue> tokens_;
    // The first nodes of the parenthesised declarators that begin with a pointer.
    std::vector<const Node*> parenthesisedPointers_;
    std::optional<int> lastErrorLine_;
    int unnamedBitFields_ = 0;
    // The parser's stacks once they outgrow their initial size.
    std::vector<std::uint64_t> stateStorage_;
    std::vector<StackValue> valueStorage_;
};

} // namespace kavo::frontend
