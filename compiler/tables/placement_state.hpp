#pragma once

#include "compiler/tables/code_segments.hpp"
#include "compiler/tables/label_table.hpp"

namespace kavo {

// What page and bank placement keeps between its steps in one run.
struct PlacementState {
    LabelTable labels;
    CodeSegments segments;
    bool segmentsBuilt = false; // false: the single default segment is made on first use
    bool pagesSelected = false; // page selection has run: label moves now count as crossings
    int bridges = 0;            // jumps made to carry execution on to the next segment
    int programSize = 0;        // the address after the last instruction
};

} // namespace kavo
