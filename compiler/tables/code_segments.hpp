#pragma once

#include <vector>

namespace kavo {

// A stretch of program memory the compiler may place its own code in, inclusive.
struct CodeSegment {
    int start = 0;
    int end = 0;
};

// The free code segments: at most 32, in ascending order. Without Virtual Peripheral code
// there is one, from ROM_START to ROM_END. Code never takes a segment's last two words:
// they are kept for the jump that carries execution on to the next segment.
class CodeSegments {
public:
    static constexpr int MaxSegments = 32;
    static constexpr int ReservedWords = 2;

    // One segment [start, end]: the table without Virtual Peripheral code.
    void reset(int start, int end);
    // The segments found in the program image are built with clear() and add(), in
    // ascending order; PlacementState::segmentsBuilt then says they are in place.
    void clear() { segments_.clear(); }
    // Appends a segment; false (and nothing recorded) when all 32 are in use.
    bool add(int start, int end);

    const std::vector<CodeSegment>& all() const { return segments_; }
    // Moves the start of the first segment on by words (code placed there before it).
    void advanceFirstStart(int words);
    // Where a run of words that must stay together starting at address goes: the address
    // itself when the run ends before the segment's reserved words, else the start of the
    // next segment; an address past the last segment is kept.
    int place(int address, int words) const;

private:
    std::vector<CodeSegment> segments_;
};

} // namespace kavo
