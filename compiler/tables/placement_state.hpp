#pragma once

#include "compiler/tables/code_segments.hpp"
#include "compiler/tables/label_table.hpp"

#include <map>
#include <string>
#include <unordered_set>

namespace kavo {

struct Instruction;

// What page and bank placement keeps between its steps in one run.
struct PlacementState {
    LabelTable labels;
    CodeSegments segments;
    bool segmentsBuilt = false; // false: the single default segment is made on first use
    bool pagesSelected = false; // page selection has run: label moves now count as crossings
    int bridges = 0;            // jumps made to carry execution on to the next segment
    int programSize = 0;        // the address after the last instruction
    // Calls that enter their callee's body directly, in reach of CALL, instead of its vector.
    std::unordered_set<const Instruction*> directCalls;
    // The vectors no call needed after that, by name, with the word they followed.
    struct DroppedVector {
        Instruction* before = nullptr;
        Instruction* label = nullptr;
        Instruction* jump = nullptr;
    };
    std::map<std::string, DroppedVector> droppedVectors;
};

} // namespace kavo
