// BreakpointTable: set (an entry of the line, else an unused one, else a cleared one), clear,
// toggle, clearAll and the line shift that follows inserted and deleted lines.
#include "debugger/breakpoint_table.hpp"

#include <algorithm>

namespace kavo::debugger {

bool BreakpointTable::set(int line) {
    for (BreakpointEntry& e : entries_) {
        if (e.line == line) {
            e.active = 1;
            return true;
        }
    }
    auto free = std::find_if(entries_.begin(), entries_.end(),
                             [](const BreakpointEntry& e) { return e.line < 0; });
    if (free == entries_.end())
        free = std::find_if(entries_.begin(), entries_.end(),
                            [](const BreakpointEntry& e) { return e.active == 0; });
    if (free == entries_.end())
        return false;
    *free = {line, 1};
    return true;
}

bool BreakpointTable::clear(int line) {
    bool wasActive = false;
    for (BreakpointEntry& e : entries_) {
        if (e.line == line) {
            wasActive = wasActive || e.active == 1;
            e.active = 0;
        }
    }
    return wasActive;
}

bool BreakpointTable::toggle(int line) {
    if (isBreakpointLine(line)) {
        clear(line);
        return false;
    }
    return set(line);
}

std::vector<int> BreakpointTable::clearAll() {
    std::vector<int> used;
    for (BreakpointEntry& e : entries_) {
        if (e.line > 0)
            used.push_back(e.line);
        e = {};
    }
    return used;
}

// Inserted lines move the breakpoints below the caret's line down with their text. Deleted
// lines move the breakpoints below the caret up, unless another active breakpoint already
// sits on the line one would move to.
void BreakpointTable::shiftLines(int lineDelta, int caretLine) {
    for (BreakpointEntry& e : entries_) {
        if (e.active != 1)
            continue;
        if (lineDelta > 0 && e.line > caretLine) {
            e.line += lineDelta;
        } else if (lineDelta < 0 && e.line > caretLine + 1) {
            const int target = e.line + lineDelta;
            if (!isBreakpointLine(target))
                e.line = target;
        }
    }
}

bool BreakpointTable::isBreakpointLine(int line) const {
    return std::any_of(entries_.begin(), entries_.end(), [line](const BreakpointEntry& e) {
        return e.line == line && e.active == 1;
    });
}

std::vector<int> BreakpointTable::activeLines() const {
    std::vector<int> lines;
    for (const BreakpointEntry& e : entries_) {
        if (e.active == 1 && e.line > 0)
            lines.push_back(e.line);
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return lines;
}

void BreakpointTable::setEntry(int index, int line, int active) {
    if (index >= 0 && index < BreakpointEntries)
        entries_[index] = {line, active};
}

} // namespace kavo::debugger
