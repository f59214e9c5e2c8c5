#pragma once

#include "compiler/base/arena.hpp"
#include "compiler/base/diagnostics.hpp"
#include "compiler/base/node.hpp"
#include "compiler/base/string_pool.hpp"

#include <string>

namespace kavo {

// What cutting a stretch writes to: the item arena, the file names, the C07 channel and the
// function name a FUNCNAME inside the stretch notes.
struct StretchTables {
    Arena<Item>& items;
    StringPool& strings;
    Diagnostics& diagnostics;
    std::string& functionName;
    std::string& functionName2;
};

struct Stretch {
    Item* items = nullptr; // the copied nodes, nested stretches as sublists
    Node* after = nullptr; // the node after the closing end-kind node; none when exhausted
};

// Copies the nodes from first up to the first node of endKind (not copied) into an item list.
// A node of startKind, EXPSTART, ASM_START or STRUCT_DEC_START opens a nested stretch that
// becomes its item's sublist. Pass the node after the opening marker as first.
// Nodes without a file get the current file; a FUNCNAME notes the function's name (C07 when
// no identifier follows it).
Stretch cutStretch(StretchTables c, Node* first, int startKind, int endKind);

} // namespace kavo
