// Function placement (`placefunctions`): in a program larger than one page, orders the C
// functions so that callers and the functions they call share a page, and lets a call enter
// its callee's body directly where the body begins in the CALL-reachable first half of a
// page, instead of going through the callee's vector in page 0. A call into the caller's own
// page then needs no PAGE, nor does the code after it when the callee returns with the page
// bits on that page. A vector no call needs any more is dropped.
//
// Pages are filled in address order. Each takes, while one still fits, the function with the
// most calls to and from the functions already on the page (an empty page first takes the
// function with the most calls of all); what no call enters (main) waits for the end of a
// page, where it runs on into the next one at no loss. The functions the page's own code
// calls then go first on it, so that their entries land in the first half. The new order is
// kept only when the PAGE words it is likely to need (estimated by following the page bits
// through every function as page selection does) are fewer than in the order of the source.
// The code in front of the first function (vectors, runtime routines, the string reader) and
// everything after the last keep their places; what lies between two functions moves with
// the second.
//
// Nothing moves, and every call keeps its vector, where the addresses are not the compiler's
// alone to choose: Virtual Peripheral code, an ORG, raw assembly (its jumps get no PAGE), a
// computed jump (its table must stay in the first half of its page). A program of one page
// is left as it is.
//
// As page selection inserts PAGE words a callee's entry may move out of the first half; the
// call then goes back through its vector, which is put back if it was dropped
// (`keepcallreachable`). So does a call to another page where the page bits already hold
// its vector's page. Calls only ever go back, so the rounds of page selection still settle.
#include "compiler/backend/backend.hpp"
#include "compiler/backend/placement_internal.hpp"
#include "compiler/memory/memory.hpp"
#include "compiler/tables/opcodes.hpp"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kavo {

using namespace placement;

namespace {

constexpr int CallReach = PageWords / 2;

struct CallSite {
    int callee = 0; // index of the called function
    int offset = 0; // words from the function's first word
};

// A call or jump of a function, as the estimate of the PAGE words sees it.
struct Transfer {
    int offset = 0;
    bool call = false;
    int callee = -1; // a call's function among the blocks; -1 for code in front of them
    int target = -1; // a jump's label, in words from the function's first word; -1 elsewhere
    bool guarded = false; // a skip may pass over it
};

// One function with what belongs in front of it, from the word after the previous
// function's end to its own end.
struct FunctionBlock {
    Instruction* first = nullptr;
    Instruction* last = nullptr;
    std::string name;
    int words = 0;
    std::vector<CallSite> calls; // of the functions among the blocks
    std::vector<Transfer> transfers;
};

struct Functions {
    Instruction* before = nullptr; // the last word of the code in front of them
    std::vector<FunctionBlock> blocks;
    int base = 0; // address of the first
};

// Addresses no placement may change, or code whose page selection the compiler leaves alone.
bool pinsLayout(const Instruction& i) {
    return i.opcode == PIC_ORG || i.opcode == PIC_VPSTART || i.opcode == PIC_RASMSTART ||
           iscomputedjump(i);
}

int wordsOf(const Instruction& i) {
    if (iswordless(i.opcode))
        return 0;
    return i.pageFlag != 0 ? 2 : 1;
}

class FunctionFinder {
public:
    explicit FunctionFinder(Compilation& c) : c_(c), defined_(definedFunctions(c)) {}

    // The functions back to back, each ending in an unconditional transfer; none when the
    // program has code that pins the layout. What lies between two functions goes with the
    // second.
    std::optional<Functions> find() {
        Functions found;
        Instruction* previous = nullptr;
        Instruction* start = nullptr;
        std::string open;
        const Instruction* lastLabel = nullptr; // the label right before i, if any
        const Instruction* lastWord = nullptr;
        const Instruction* wordBefore = nullptr;
        for (Instruction* i = c_.instructions.head(); i != nullptr; previous = i, i = i->next) {
            if (pinsLayout(*i))
                return std::nullopt;
            if (!iswordless(i->opcode)) {
                wordBefore = lastWord;
                lastWord = i;
            }
            if (const std::string name = functionStarted(*i); !name.empty()) {
                if (!open.empty())
                    return std::nullopt;
                if (found.blocks.empty()) {
                    found.before = previous;
                    start = i;
                }
                open = name;
            } else if (!open.empty() && closes(open, *i, lastLabel)) {
                const bool guarded = wordBefore != nullptr && isskip(*wordBefore);
                if (lastWord == nullptr || !endsflow(*lastWord) || guarded)
                    return std::nullopt;
                found.blocks.push_back({start, i, open, 0, {}, {}});
                start = i->next;
                open.clear();
            }
            if (i->opcode == PIC_LABEL)
                lastLabel = i;
            else if (!iswordless(i->opcode))
                lastLabel = nullptr;
        }
        if (!open.empty() || found.blocks.empty() || found.before == nullptr)
            return std::nullopt;
        found.base = found.blocks.front().first->address;
        measure(found);
        return found;
    }

private:
    // The function a label opens: "@f" for a function of the program with its end label, or
    // main.
    std::string functionStarted(const Instruction& label) const {
        if (label.opcode != PIC_LABEL || !label.operand.starts_with("@"))
            return {};
        const std::string name = label.operand.substr(1);
        if (defined_.count(name) == 0 ||
            (name != "main" && c_.instructions.findLabel(label.operand + "_END") == nullptr))
            return {};
        return name;
    }

    // A function ends at its end label; main, which has none, at the jump to itself it
    // closes with.
    static bool closes(const std::string& function, const Instruction& i,
                       const Instruction* labelBefore) {
        if (function == "main")
            return i.opcode == PIC_GOTO && labelBefore != nullptr &&
                   i.operand == labelBefore->operand;
        return i.opcode == PIC_LABEL && i.operand == "@" + function + "_END";
    }

    void measure(Functions& found) const {
        std::map<std::string, int> index;
        for (std::size_t k = 0; k < found.blocks.size(); ++k)
            index[found.blocks[k].name] = static_cast<int>(k);
        for (FunctionBlock& block : found.blocks) {
            std::map<std::string, int> labels;
            int words = 0;
            for (Instruction* i = block.first;; i = i->next) {
                if (i->opcode == PIC_LABEL)
                    labels[i->operand] = words;
                words += wordsOf(*i);
                if (i == block.last)
                    break;
            }
            const Instruction* lastWord = nullptr;
            for (Instruction* i = block.first;; i = i->next) {
                const bool guarded = lastWord != nullptr && isskip(*lastWord);
                if (!iswordless(i->opcode))
                    lastWord = i;
                if (i->opcode == PIC_CALL) {
                    const std::string name =
                        i->operand.starts_with("@") ? i->operand.substr(1) : i->operand;
                    const auto callee = index.find(name);
                    const int k = callee != index.end() ? callee->second : -1;
                    if (k >= 0)
                        block.calls.push_back({k, block.words});
                    block.transfers.push_back({block.words, true, k, -1, guarded});
                } else if (i->opcode == PIC_GOTO) {
                    const auto label = labels.find(i->operand);
                    block.transfers.push_back({block.words, false, -1,
                                               label != labels.end() ? label->second : -1,
                                               guarded});
                }
                block.words += wordsOf(*i);
                if (i == block.last)
                    break;
            }
        }
    }

    Compilation& c_;
    std::set<std::string> defined_;
};

// Where each function begins when they lie in this order.
std::vector<int> entries(const Functions& f, const std::vector<int>& order) {
    std::vector<int> entry(f.blocks.size());
    int at = f.base;
    for (int k : order) {
        entry[static_cast<std::size_t>(k)] = at;
        at += f.blocks[static_cast<std::size_t>(k)].words;
    }
    return entry;
}

// Whether a call enters the callee's body rather than its vector: in reach, and from the
// body's own page or from another page but page 0 (as enterBodiesDirectly decides).
bool entersBody(int callAddress, int body) {
    const int page = pageOfAddress(callAddress);
    return body % PageWords < CallReach && (page == pageOfAddress(body) || page != 0);
}

// The functions that return with the page bits on their own page, as page selection's exit
// pages find them: lying in one page, calling only bodies there (or, in page 0, the code in
// front) of functions that stay there too.
std::vector<bool> staysInPage(const Functions& f, const std::vector<int>& entry) {
    const std::size_t n = f.blocks.size();
    std::vector<bool> stays(n);
    for (std::size_t k = 0; k < n; ++k) {
        const int last = entry[k] + std::max(f.blocks[k].words - 1, 0);
        stays[k] = pageOfAddress(entry[k]) == pageOfAddress(last);
    }
    for (bool changed = true; changed;) {
        changed = false;
        for (std::size_t k = 0; k < n; ++k) {
            if (!stays[k])
                continue;
            const int page = pageOfAddress(entry[k]);
            for (const Transfer& t : f.blocks[k].transfers) {
                if (!t.call)
                    continue;
                const auto callee = static_cast<std::size_t>(t.callee);
                const bool home = t.callee < 0
                                      ? page == 0
                                      : stays[callee] && pageOfAddress(entry[callee]) == page &&
                                            entersBody(entry[k] + t.offset, entry[callee]);
                if (!home) {
                    stays[k] = false;
                    changed = true;
                    break;
                }
            }
        }
    }
    return stays;
}

// The PAGE words the functions' calls and jumps are likely to need when they lie in this
// order, following the page bits through each function as page selection will: a jump needs
// one where the bits hold another page than its label's; a call needs one unless the bits
// hold the page it enters (the body's or the vector's, page 0) and leaves them on the
// callee's page when the callee stays in it, else unknown; a vector jumping to a body outside
// page 0 needs one too.
int pageWordsNeeded(const Functions& f, const std::vector<int>& order) {
    constexpr int Unknown = -1;
    const std::vector<int> entry = entries(f, order);
    const std::vector<bool> stays = staysInPage(f, entry);
    std::vector<bool> vectorUsed(f.blocks.size(), false);
    int words = 0;
    for (std::size_t k = 0; k < f.blocks.size(); ++k) {
        const int start = entry[k];
        int held = pageOfAddress(start);
        for (const Transfer& t : f.blocks[k].transfers) {
            const int page = pageOfAddress(start + t.offset);
            if (!t.call) {
                if (t.target >= 0 && held != pageOfAddress(start + t.target))
                    ++words;
                // A skipped jump leaves the bits as they were; the code after any other is
                // entered through a label of its page.
                if (!t.guarded)
                    held = page;
                continue;
            }
            int enters = 0;
            int leaves = 0;
            if (t.callee >= 0) {
                const auto callee = static_cast<std::size_t>(t.callee);
                const int body = entry[callee];
                if (entersBody(start + t.offset, body))
                    enters = pageOfAddress(body);
                else
                    vectorUsed[callee] = true;
                leaves = stays[callee] ? pageOfAddress(body) : Unknown;
            }
            words += held != enters ? 1 : 0;
            held = leaves;
        }
    }
    for (std::size_t k = 0; k < f.blocks.size(); ++k)
        words += vectorUsed[k] && pageOfAddress(entry[k]) != 0 ? 1 : 0;
    return words;
}

class PageFiller {
public:
    explicit PageFiller(const Functions& f) : f_(f), n_(static_cast<int>(f.blocks.size())) {
        weight_.assign(static_cast<std::size_t>(n_ * n_), 0);
        incoming_.assign(static_cast<std::size_t>(n_), 0);
        for (int k = 0; k < n_; ++k) {
            for (const CallSite& site : block(k).calls) {
                if (site.callee == k)
                    continue;
                ++weight_[index(k, site.callee)];
                ++weight_[index(site.callee, k)];
                ++incoming_[static_cast<std::size_t>(site.callee)];
            }
        }
    }

    std::vector<int> order() {
        std::vector<bool> placed(static_cast<std::size_t>(n_), false);
        std::vector<int> order;
        int at = f_.base;
        while (static_cast<int>(order.size()) < n_) {
            const int pageEnd = (pageOfAddress(at) + 1) * PageWords;
            std::vector<int> page;
            for (int next = pick(placed, page, pageEnd - at); next >= 0;
                 next = pick(placed, page, pageEnd - at)) {
                placed[static_cast<std::size_t>(next)] = true;
                page.push_back(next);
                at += block(next).words;
            }
            calledFirst(page);
            const int across = leastCalled(placed);
            if (across >= 0) {
                placed[static_cast<std::size_t>(across)] = true;
                page.push_back(across);
                at += block(across).words;
            }
            order.insert(order.end(), page.begin(), page.end());
        }
        return order;
    }

private:
    const FunctionBlock& block(int k) const { return f_.blocks[static_cast<std::size_t>(k)]; }
    std::size_t index(int a, int b) const { return static_cast<std::size_t>(a * n_ + b); }

    // The words a function may grow by in page selection: a PAGE before some of its calls.
    int room(int k) const { return block(k).words + static_cast<int>(block(k).calls.size()) / 2; }

    // The unplaced function that fits in the words left with the most calls to and from the
    // page; on an empty page, the one with the most calls; -1 when none fits.
    int pick(const std::vector<bool>& placed, const std::vector<int>& page, int left) const {
        int best = -1;
        int bestScore = -1;
        for (int k = 0; k < n_; ++k) {
            // What no call enters (main) is left for the end of a page, running on.
            if (placed[static_cast<std::size_t>(k)] || room(k) > left - PageReserve ||
                incoming_[static_cast<std::size_t>(k)] == 0)
                continue;
            int score = 0;
            if (page.empty()) {
                for (int other = 0; other < n_; ++other)
                    score += weight_[index(k, other)];
            } else {
                for (int member : page)
                    score += weight_[index(k, member)];
            }
            if (score > bestScore) {
                best = k;
                bestScore = score;
            }
        }
        return best;
    }

    // The functions the page's code calls go first, most called first.
    void calledFirst(std::vector<int>& page) const {
        std::map<int, int> calls;
        for (int caller : page) {
            for (const CallSite& site : block(caller).calls) {
                if (site.callee != caller &&
                    std::find(page.begin(), page.end(), site.callee) != page.end())
                    ++calls[site.callee];
            }
        }
        std::stable_sort(page.begin(), page.end(), [&](int a, int b) {
            const auto ca = calls.find(a);
            const auto cb = calls.find(b);
            return (ca != calls.end() ? ca->second : 0) > (cb != calls.end() ? cb->second : 0);
        });
    }

    // The function that runs on into the next page: the one fewest calls enter.
    int leastCalled(const std::vector<bool>& placed) const {
        int best = -1;
        for (int k = 0; k < n_; ++k) {
            if (!placed[static_cast<std::size_t>(k)] &&
                (best < 0 || incoming_[static_cast<std::size_t>(k)] <
                                 incoming_[static_cast<std::size_t>(best)]))
                best = k;
        }
        return best;
    }

    // Words kept free at a page's end for PAGE words the order cannot foresee.
    static constexpr int PageReserve = 8;

    const Functions& f_;
    int n_;
    std::vector<int> weight_;   // calls between two functions, either way
    std::vector<int> incoming_; // calls entering a function
};

// Relinks the functions in the new order between the code in front and the code after.
void relink(const Functions& f, const std::vector<int>& order) {
    Instruction* after = f.blocks.back().last->next;
    Instruction* at = f.before;
    for (int k : order) {
        const FunctionBlock& block = f.blocks[static_cast<std::size_t>(k)];
        at->next = block.first;
        at = block.last;
    }
    at->next = after;
}

// The vector a call names ("f: JMP @f") and the body it jumps to ("@f").
bool namesVector(const Compilation& c, const Instruction& call) {
    const Instruction* vector = c.instructions.findLabel(call.operand);
    const Instruction* jump = nextword(vector);
    return vector != nullptr && jump != nullptr && jump->opcode == PIC_GOTO &&
           jump->operand == "@" + call.operand;
}

// Points every call whose callee's body begins in reach at the body itself: from its own page,
// or from another page but page 0, where a call of the vector needs no PAGE.
void enterBodiesDirectly(Compilation& c) {
    PlacementState& s = state(c);
    bool raw = false;
    for (Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        if (i->opcode == PIC_RASMSTART || i->opcode == PIC_RASMEND)
            raw = i->opcode == PIC_RASMSTART;
        if (raw || i->opcode != PIC_CALL || !namesVector(c, *i))
            continue;
        const std::string body = "@" + i->operand;
        const int entry = s.labels.address(body);
        const int page = pageOfAddress(i->address);
        if (entry >= 0 && entry % PageWords < CallReach &&
            (page == pageOfAddress(entry) || page != 0)) {
            i->operand = body;
            s.directCalls.insert(i);
        }
    }
}

// The vectors (in the code in front of the functions, which begin at stop) no word names any
// more; kept in the placement state with the word in front of them, where a call sent back
// through one puts it again.
void dropUnusedVectors(Compilation& c, const Instruction* stop) {
    std::map<std::string, int> named;
    for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        if (i->opcode != PIC_LABEL)
            ++named[i->operand];
    }
    PlacementState& s = state(c);
    Instruction* previous = nullptr;
    for (Instruction* i = c.instructions.head(); i != nullptr && i != stop;) {
        Instruction* jump = i->opcode == PIC_LABEL ? nextword(i) : nullptr;
        const bool unused = jump != nullptr && jump == i->next && jump->opcode == PIC_GOTO &&
                            jump->operand == "@" + i->operand && named.count(i->operand) == 0;
        if (!unused) {
            previous = i;
            i = i->next;
            continue;
        }
        Instruction* after = jump->next;
        c.instructions.remove(previous, i);
        c.instructions.remove(previous, jump);
        for (auto& [name, dropped] : s.droppedVectors) {
            if (dropped.before == jump)
                dropped.before = previous; // a vector dropped earlier went back in after this one
        }
        s.droppedVectors[i->operand] = {previous, i, jump};
        i = after;
    }
}

} // namespace

namespace placement {

bool callleavesreach(const Compilation& c, const Instruction& call) {
    const PlacementState& s = *c.placement;
    if (s.directCalls.count(&call) == 0)
        return false;
    const int entry = s.labels.address(call.operand);
    return entry >= 0 && entry % PageWords >= CallReach;
}

bool keepcallreachable(Compilation& c, Instruction* previous, Instruction& call, int held) {
    PlacementState& s = state(c);
    if (s.directCalls.count(&call) == 0)
        return false;
    const std::string vector = call.operand.substr(1);
    const bool pagedBefore =
        previous != nullptr && previous->opcode == PIC_PAGE && previous->operand == call.operand;
    // Where the page bits hold the vector's page but not the body's, the vector (while it is
    // there) is reached without a PAGE.
    const int vectorPage = s.labels.page(vector);
    const bool vectorCloser = !pagedBefore && held >= 0 && held == vectorPage &&
                              held != s.labels.page(call.operand) &&
                              c.instructions.findLabel(vector) != nullptr;
    if (!callleavesreach(c, call) && !vectorCloser)
        return false;
    if (const auto dropped = s.droppedVectors.find(vector); dropped != s.droppedVectors.end()) {
        c.instructions.insertAfter(dropped->second.before, dropped->second.label);
        c.instructions.insertAfter(dropped->second.label, dropped->second.jump);
        s.droppedVectors.erase(dropped);
    }
    if (pagedBefore)
        previous->operand = vector;
    call.operand = vector;
    s.directCalls.erase(&call);
    return true;
}

bool anycallleavesreach(const Compilation& c) {
    for (const Instruction* call : c.placement->directCalls) {
        if (callleavesreach(c, *call))
            return true;
    }
    return false;
}

void placefunctions(Compilation& c) {
    PlacementState& s = state(c);
    if (!chiplayout(c).multiPage() || s.programSize <= PageWords)
        return;
    const std::optional<Functions> functions = FunctionFinder(c).find();
    if (!functions)
        return;
    std::vector<int> source(functions->blocks.size());
    for (std::size_t k = 0; k < source.size(); ++k)
        source[k] = static_cast<int>(k);
    const std::vector<int> filled = PageFiller(*functions).order();
    if (pageWordsNeeded(*functions, filled) < pageWordsNeeded(*functions, source)) {
        relink(*functions, filled);
        labeltablepass(c);
    }
    // Dropping vectors moves the functions back a little: calls come into reach again.
    const Instruction* first = functions->before->next;
    for (int round = 0; round < 2; ++round) {
        enterBodiesDirectly(c);
        dropUnusedVectors(c, first);
        labeltablepass(c);
    }
}

} // namespace placement

} // namespace kavo
