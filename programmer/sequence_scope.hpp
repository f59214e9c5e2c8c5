// What every chip sequence holds while it runs, released on every way out: the debug tick is
// stopped and started again at 20 ms, and a progress dialog that was not finished is closed.
// Internal to the drivers.
#pragma once

#include "programmer/chip_commands.hpp"

#include <algorithm>
#include <chrono>
#include <string>

namespace kavo::programmer {

inline constexpr int TickRestartMs = 20;

// The words a sequence moves: the session's program memory size, within the image.
inline int sessionWords(const ChipSession& session) {
    return static_cast<int>(std::min(session.memoryWords, ProgramMemoryWords));
}

class TickPause {
public:
    explicit TickPause(ProgrammerHost& host) : host_(host) { host_.stopTick(); }
    ~TickPause() { host_.restartTick(TickRestartMs); }
    TickPause(const TickPause&) = delete;
    TickPause& operator=(const TickPause&) = delete;

private:
    ProgrammerHost& host_;
};

// A progress dialog: closed when the scope ends, unless finish() turned its Cancel button
// into "OK" (the user closes it then).
class ProgressWindow {
public:
    ProgressWindow(ProgrammerHost& host, ProgressKind kind, int maximum) : host_(host) {
        host_.openProgress(kind, maximum);
    }
    ~ProgressWindow() {
        if (!finished_)
            host_.closeProgress();
    }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // Shows the address ("%03X") and moves the bar to position.
    void show(int address, int position);
    void finish() {
        host_.finishProgress();
        finished_ = true;
    }

private:
    ProgrammerHost& host_;
    bool finished_ = false;
};

// The verify dialog's check boxes: each part is ticked when it matches; the verify passes when
// every part did.
class VerifyTally {
public:
    explicit VerifyTally(ProgrammerHost& host) : host_(host) {}
    void check(bool matches, VerifiedPart part) {
        if (matches)
            host_.tickVerified(part);
        passed_ = passed_ && matches;
    }
    // "Verify Failed!" when a part differed; true when all matched.
    bool report() {
        if (!passed_)
            host_.message(MessageIcon::Error, "Verify Results", "Verify Failed!");
        return passed_;
    }

private:
    ProgrammerHost& host_;
    bool passed_ = true;
};

// The programming dialog's time remaining ("%02d:%02d"), from the pace so far.
class RemainingTime {
public:
    explicit RemainingTime(int totalWords);
    std::string after(int wordsDone) const;

private:
    int totalWords_;
    std::chrono::steady_clock::time_point start_;
};

} // namespace kavo::programmer
