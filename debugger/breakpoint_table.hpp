// The breakpoint table: which source lines of the file in the editor carry a breakpoint.
// Exactly 256 entries of (line, active); an entry keeps its line when it is cleared, so that
// setting the line again reuses it. Operations: set, clear, toggle, clearAll, shiftLines,
// isBreakpointLine. The caller colours the editor lines the operations report.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace kavo::debugger {

inline constexpr int BreakpointEntries = 256;
inline constexpr std::int32_t UnusedLine = -1;

struct BreakpointEntry {
    std::int32_t line = UnusedLine; // 1-based source line
    std::int32_t active = 0;        // 1 while the breakpoint is set
};

class BreakpointTable {
public:
    BreakpointTable() { clearAll(); }

    // Sets line; false when every entry holds an active breakpoint (nothing changes then).
    bool set(int line);
    // Clears every entry of line; true when one was active.
    bool clear(int line);
    // A breakpoint line is cleared, any other line set; returns the line's new state.
    bool toggle(int line);
    // Every entry back to (-1, 0); returns the lines that were used (their marks go black).
    std::vector<int> clearAll();

    // Keeps active breakpoints on their text after lineDelta lines were inserted (> 0) or
    // removed (< 0) with the caret on the 0-based caretLine.
    void shiftLines(int lineDelta, int caretLine);

    bool isBreakpointLine(int line) const;
    // The active lines, ascending, each once.
    std::vector<int> activeLines() const;

    const BreakpointEntry& entry(int index) const { return entries_[index]; }
    // Writes one entry as the project file does; an index outside 0..255 is ignored.
    void setEntry(int index, int line, int active);

private:
    std::array<BreakpointEntry, BreakpointEntries> entries_;
};

} // namespace kavo::debugger
