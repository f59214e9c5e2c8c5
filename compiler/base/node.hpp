#pragma once

#include <string>

namespace kavo {

// One parse node. The parser builds no tree: nodes form one flat list in source order, with
// marker nodes bracketing the stretches later passes cut out.
struct Node {
    std::string name;                  // secondary text, usually empty
    int kind = 0;                      // a Kind
    std::string cval;                  // identifier, constant text, label; "ExMk" for markers
    int ival = 0;                      // constant value or count
    int line = 0;                      // source line
    const std::string* file = nullptr; // interned source file name; none when null
    Node* next = nullptr;              // successor in its list (not owning)
};

// The value the scanner delivers for each token and the parser keeps on its value stack;
// for nonterminals `node` carries the node the rule produced.
struct ParserValue {
    std::string text;
    int kind = 0;
    std::string cval;
    int line = 0;
    int ival = 0;
    std::string file;
    Node* node = nullptr;
};

// The record the code generator works on, cut from the node list; nested EXPSTART, ASM_START
// and STRUCT_DEC_START stretches hang below their item as a sublist.
struct Item {
    std::string name;
    int kind = 0;
    std::string cval;
    int ival = 0;
    int line = 0;
    int reserved = 0;
    // A leaf's sign (SIGNED or UNSIGNED) when its name does not tell it: a struct member
    // (the leaf names the whole variable at the member's offset), an element at INDF. 0 when
    // the named symbol's own sign holds.
    int sign = 0;
    // A leaf naming the byte of a bit-field: the field's width (0: no bit-field) and lowest bit.
    int bitWidth = 0;
    int bitOffset = 0;
    const std::string* file = nullptr;
    Item* sublist = nullptr;
    Item* next = nullptr;
};

} // namespace kavo
