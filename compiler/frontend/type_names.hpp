#pragma once

#include "compiler/base/node.hpp"
#include "compiler/frontend/fragment.hpp"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kavo::frontend {

// What a typedef name stands for: the specifier words its declaration gave (a struct or union
// by its tag), and what its declarator added: pointer levels, an array of a number of
// elements, or an array of pointers.
struct TypedefType {
    struct Word {
        int kind;
        std::string cval;
    };
    std::vector<Word> words;
    int pointers = 0;     // pointer levels (under the array's elements when both are given)
    int count = 0;        // elements of an array type; 0 for any other
    bool toArray = false; // a pointer to the array of count elements: typedef int (*rows)[3]
    // The sizes of an array type's dimensions after the first (typedef char grid[2][3] has a
    // count of 2 and rows of {3}), written into the name's node as "3" for the declarations.
    std::vector<int> rows;
};

// The names declared with typedef, scope by scope, and the scanner's part of C's rule that
// makes such a name a type: an identifier is a type name where one is visible and no type
// word came before it in the same specifiers (there it is a declarator that hides the type
// name), and never right after struct, union, enum, "." or "->" (tags and members have
// names of their own).
class TypeNames {
public:
    TypeNames() : scopes_(1) {}

    // The token's kind as the parser should see it; follows the braces, parentheses and
    // specifier words the kinds pass by.
    int classify(int kind, const ParserValue& value, bool asmMode);
    const TypedefType* find(const std::string& name) const;

    // A declaration's storage class was typedef.
    void typedefSeen() { typedefPending_ = true; }
    bool typedefPending() const { return typedefPending_; }
    // Each declarator of the declaration being parsed.
    void declarator(const StackValue& fragment) { declarators_.push_back(fragment); }
    const std::vector<StackValue>& declarators() const { return declarators_; }
    // The declaration is complete: its names are types (typedef) or hide the type names they
    // share (any other declaration).
    void define(const std::string& name, TypedefType type);
    void hide(const std::string& name);
    void declarationEnd();

private:
    // A scope's entry: the type, or none where an ordinary name hides an outer type name.
    std::vector<std::unordered_map<std::string, std::optional<TypedefType>>> scopes_;
    std::vector<StackValue> declarators_;
    bool typedefPending_ = false;
    bool typeWordSeen_ = false;
    bool tagOrMemberNext_ = false;
    int parentheses_ = 0;
};

} // namespace kavo::frontend
