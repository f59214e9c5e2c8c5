#include "compiler/tables/code_segments.hpp"

#include <algorithm>

namespace kavo {

void CodeSegments::reset(int start, int end) {
    segments_.clear();
    add(start, end);
}

bool CodeSegments::add(int start, int end) {
    if (static_cast<int>(segments_.size()) >= MaxSegments)
        return false;
    segments_.push_back({start, end});
    return true;
}

void CodeSegments::advanceFirstStart(int words) {
    if (segments_.empty())
        return;
    CodeSegment& first = segments_.front();
    first.start = std::min(first.start + words, first.end);
}

int CodeSegments::place(int address, int words) const {
    const int last = address + (words > 0 ? words : 1) - 1;
    for (const CodeSegment& s : segments_) {
        if (s.start <= address && last <= s.end - ReservedWords)
            return address;
    }
    for (const CodeSegment& s : segments_) {
        if (s.start > address)
            return s.start;
    }
    return address;
}

} // namespace kavo
