#pragma once

// The code generator and the declaration processing recurse once per nesting level of the
// source (parentheses, call arguments, labelled and nested statements, struct declarations
// inside struct declarations). Each level costs a few hundred bytes of the thread's stack in
// an optimised build and a few kilobytes under the sanitizers, so the depth is bounded well
// inside the smallest stack the compiler runs on (the IDE compiles on its window thread): a
// deeper construct is refused with C278 instead of overflowing the stack.

#include "compiler/run/compilation.hpp"

namespace kavo {

// Levels that may be open at once; no real program comes near it.
constexpr int MaxNestingDepth = 1000;

// Counts one open level for its lifetime. Entering a level past the bound reports C278 once
// and marks the construct as refused, which stops every enclosing level as well.
class NestingLevel {
public:
    NestingLevel(Compilation& c, int line);
    ~NestingLevel();
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;

    // Whether this level, or a deeper one, was refused.
    bool refused() const;

private:
    Compilation& c_;
};

} // namespace kavo
