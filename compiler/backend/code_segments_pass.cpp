// The free code segments: the stretches of program memory that Virtual Peripheral code left
// blank, where the compiler may place its own code. Operation: `makecodesegments`.
//
// A blank stretch must be longer than 16 words to be used: shorter gaps between peripheral
// blocks are left alone. Without a loaded peripheral the whole of ROM_START to ROM_END is one
// segment. Segments never reach below ROM_START, so a program keeps out of memory the user
// reserved there.
#include "compiler/backend/backend.hpp"

#include "compiler/backend/placement_internal.hpp"
#include "compiler/tables/program_image.hpp"

namespace kavo {

namespace {

constexpr int ShortestSegment = 17;

bool blankAt(const Compilation& c, int address) {
    if (address < 0 || address >= static_cast<int>(c.programImage.size()))
        return true;
    return (c.programImage[static_cast<std::size_t>(address)] & FreeWord) == FreeWord;
}

} // namespace

void makecodesegments(Compilation& c) {
    using namespace placement;
    const ChipLayout chip = chiplayout(c);
    PlacementState& s = state(c);
    s.segments.reset(chip.romStart, chip.romEnd);
    s.segmentsBuilt = true;
    if (!c.vpImageLoaded)
        return;
    s.segments.clear();
    bool overflow = false;
    int at = chip.romStart;
    while (at <= chip.romEnd) {
        while (at <= chip.romEnd && !blankAt(c, at))
            ++at;
        if (at > chip.romEnd)
            break;
        const int start = at;
        while (at <= chip.romEnd && blankAt(c, at))
            ++at;
        if (at - start >= ShortestSegment && !s.segments.add(start, at - 1))
            overflow = true;
    }
    if (overflow)
        c.error("ERROR(VP4): Code segment limit of 32 exceeded.\v");
}

} // namespace kavo
