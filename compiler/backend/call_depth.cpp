// Call depth: the chip keeps return addresses in a stack of eight, and a ninth call overwrites
// the oldest, so the program later returns into the wrong place. This pass measures the
// deepest nest of calls the placed code can make, from main, plus the interrupt routine's own
// on top of it (an interrupt may come at main's deepest point; it saves its return address
// elsewhere), and refuses a program that needs more with C346 naming the chain. The runtime
// routines' calls (a division's remainder routine calling the division, a char pointer's
// string reader) count as the calls they are.
//
// The code is cut into runs that start at each label. A run reaches the runs its jumps name,
// the next run when it can fall into it, and, one level deeper, the runs its calls name. The
// depth of a run is the most levels any path from it stacks up.
#include "compiler/backend/backend.hpp"
#include "compiler/backend/placement_internal.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/tables/opcodes.hpp"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

namespace kavo {

using namespace placement;

namespace {

constexpr int StackLevels = 8;
// Deeper than any chain the check needs to tell; a cycle of calls (which the compiler refuses
// elsewhere) stops growing here.
constexpr int DepthCap = 64;

struct Call {
    std::size_t run;
    int line;
    std::string target;
};

struct Run {
    std::string label;
    std::vector<Call> calls;
    std::vector<std::size_t> jumps;
    bool fallsThrough = true;
    int depth = 0;
    // Where the deepest path goes: one of calls (its index), or a jump or the fall (-1, with
    // deepestNext the run).
    int deepestCall = -1;
    std::size_t deepestNext = 0;
};

// The code in runs from each label, with the label-named targets of their jumps and calls.
std::vector<Run> cutIntoRuns(const Compilation& c) {
    std::vector<Run> runs(1);
    std::unordered_map<std::string, std::size_t> byLabel;
    std::vector<const Instruction*> last(1, nullptr), beforeLast(1, nullptr);
    for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        if (i->opcode == PIC_LABEL) {
            runs.push_back({i->operand, {}, {}, true, 0, -1, 0});
            last.push_back(nullptr);
            beforeLast.push_back(nullptr);
            byLabel.emplace(i->operand, runs.size() - 1);
        } else if (!iswordless(i->opcode)) {
            beforeLast.back() = last.back();
            last.back() = i;
        }
    }
    // Second walk: the targets, now that every label has its run.
    std::size_t run = 0;
    for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        if (i->opcode == PIC_LABEL) {
            ++run;
            continue;
        }
        const auto target = byLabel.find(i->operand);
        if (target == byLabel.end())
            continue;
        if (i->opcode == PIC_CALL)
            runs[run].calls.push_back({target->second, i->line, i->operand});
        else if (i->opcode == PIC_GOTO)
            runs[run].jumps.push_back(target->second);
    }
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const Instruction* end = last[r];
        const bool skipped = beforeLast[r] != nullptr && isskip(*beforeLast[r]);
        const bool leaves = end != nullptr && (isreturn(end->opcode) || end->opcode == PIC_GOTO ||
                                               iscomputedjump(*end));
        runs[r].fallsThrough = r + 1 < runs.size() && (!leaves || skipped);
    }
    return runs;
}

// Depths by relaxation: loops make cycles of jumps, which add no level.
void measure(std::vector<Run>& runs) {
    for (bool changed = true; changed;) {
        changed = false;
        for (std::size_t r = runs.size(); r-- > 0;) {
            Run& run = runs[r];
            int best = 0;
            int call = -1;
            std::size_t next = 0;
            const auto consider = [&](std::size_t to, int levels, int index) {
                const int depth = std::min(runs[to].depth + levels, DepthCap);
                if (depth > best) {
                    best = depth;
                    call = index;
                    next = to;
                }
            };
            for (std::size_t k = 0; k < run.calls.size(); ++k)
                consider(run.calls[k].run, 1, static_cast<int>(k));
            for (const std::size_t to : run.jumps)
                consider(to, 0, -1);
            if (run.fallsThrough)
                consider(r + 1, 0, -1);
            if (best > run.depth) {
                run.depth = best;
                run.deepestCall = call;
                run.deepestNext = next;
                changed = true;
            }
        }
    }
}

// A called label as the program knows it: a function's name, or what a routine does.
std::string calledName(const std::string& label) {
    static const std::unordered_map<std::string, std::string> routines = {
        {"@__FUNC_MULT", "the * routine"},
        {"@__FUNC_DIV", "the / routine"},
        {"@__FUNC_SDIV", "the signed / routine"},
        {"@__FUNC_MOD", "the % routine"},
        {"@__FUNC_SMOD", "the signed % routine"},
        {"@__FUNC_SHIFTL", "the << routine"},
        {"@__FUNC_SHIFTR", "the >> routine"},
        {"@__FUNC_SSHIFTR", "the signed >> routine"},
        {"@__strings_", "the char pointer reader"}};
    if (const auto known = routines.find(label); known != routines.end())
        return known->second;
    return label.starts_with("@") ? label.substr(1) : label;
}

// The calls of the deepest path from run, outermost first, and the line of the last.
std::vector<std::string> deepestChain(const std::vector<Run>& runs, std::size_t from, int& line) {
    std::vector<std::string> chain;
    std::vector<std::string> labels;
    bool inRoutine = false;
    std::size_t at = from;
    for (int steps = 0; runs[at].depth > 0 && steps < 100000; ++steps) {
        const Run& run = runs[at];
        if (run.deepestCall >= 0) {
            const Call& call = run.calls[static_cast<std::size_t>(run.deepestCall)];
            if (std::find(labels.begin(), labels.end(), call.target) != labels.end())
                break; // a cycle of calls: named once
            labels.push_back(call.target);
            chain.push_back(calledName(call.target));
            // A routine's own calls carry its listing line, not one of the program's.
            if (!inRoutine)
                line = call.line;
            inRoutine = inRoutine || call.target.starts_with("@__");
            at = call.run;
        } else {
            at = run.deepestNext;
        }
    }
    return chain;
}

std::size_t runOf(const std::vector<Run>& runs, const std::string& function) {
    for (const std::string& label : {"@" + function, function}) {
        for (std::size_t r = 0; r < runs.size(); ++r) {
            if (runs[r].label == label)
                return r;
        }
    }
    return runs.size();
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

} // namespace

void checkcalldepth(Compilation& c) {
    std::vector<Run> runs = cutIntoRuns(c);
    measure(runs);
    const std::size_t main = runOf(runs, "main");
    const std::size_t interrupt = runOf(runs, "__interrupt");
    const int mainDepth = main < runs.size() ? runs[main].depth : 0;
    const int interruptDepth = interrupt < runs.size() ? runs[interrupt].depth : 0;
    if (mainDepth + interruptDepth <= StackLevels)
        return;
    int line = 0;
    std::string chains = "main, " + joined(deepestChain(runs, main, line));
    if (interruptDepth > 0) {
        int interruptLine = 0;
        const std::vector<std::string> inInterrupt = deepestChain(runs, interrupt, interruptLine);
        chains += ", and on top of it the interrupt routine's " + std::to_string(interruptDepth) +
                  " (" + joined(inInterrupt) + ")";
        line = mainDepth > 0 ? line : interruptLine;
    }
    c.error(strprintf("ERROR(C346): Line: %d Calls nest %d deep (%s): the chip's stack holds %d "
                      "return addresses, and a deeper call overwrites the oldest. Call fewer "
                      "functions inside each other.\n",
                      line, mainDepth + interruptDepth, chains.c_str(), StackLevels));
}

} // namespace kavo
