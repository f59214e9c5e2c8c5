// The front end of one run: parse runs the generated parser over the preprocess file,
// nextToken feeds it from the scanner, syntaxError reports, growStacks enlarges the parser's
// stacks within a fixed limit, and declarationDone closes each external declaration.
#include "compiler/frontend/front_end.hpp"

#include "compiler/base/text_format.hpp"
#include "compiler/run/compilation.hpp"
#include "grammar.hpp"

#include <algorithm>
#include <cstring>
#include <new>

namespace kavo::frontend {

namespace {

// The stacks grow by their initial size each time they fill. Nesting this deep is far beyond
// any real program; refusing it keeps hostile input from exhausting memory.
constexpr std::ptrdiff_t StackGrowth = 150;
constexpr std::ptrdiff_t MaxStackDepth = StackGrowth * 1000;

} // namespace

FrontEnd::FrontEnd(Compilation& c)
    : c_(c), scanner_(c, c.files.parserInput.get()), builder_(c.nodes) {}

int FrontEnd::parse() {
    const int result = kavoparseparse(*this, builder_);
    // The stacks belong to one parse.
    stateStorage_ = {};
    valueStorage_ = {};
    return result;
}

void FrontEnd::syntaxError(std::string_view /*message*/) {
    const int line = c_.currentLine;
    if (lastErrorLine_ != line) {
        lastErrorLine_ = line;
        c_.error(strprintf("ERROR(C01): Line: %3d Syntax error.  Unknown construct.\n", line));
    }
    scanner_.leaveAsmMode();
    scanner_.skipLine();
    c_.abortFlag = true;
}

void FrontEnd::unsupported(int line, std::string_view what) {
    c_.error(strprintf("ERROR(C259): Line: %d %s is not supported by this compiler yet.\n", line,
                       std::string(what).c_str()));
}

int FrontEnd::nextToken(StackValue& value) {
    ParserValue& scanned = tokens_.emplace_back();
    const int kind = scanner_.nextToken(scanned);
    value = StackValue{nullptr, nullptr, &scanned};
    return kind;
}

void FrontEnd::declarationDone() {
    // Once a declaration is complete only the lookahead, if one was read, can still be used.
    while (tokens_.size() > 1)
        tokens_.pop_front();
}

void FrontEnd::growStacks(void** states, std::size_t stateSize, StackValue** values,
                          std::ptrdiff_t* size) {
    const std::ptrdiff_t used = *size;
    const std::ptrdiff_t grown = used + StackGrowth;
    if (grown > MaxStackDepth) {
        syntaxError("yacc stack overflow");
        return;
    }
    try {
        // Each stack is committed as soon as it has moved, so a failure halfway leaves the
        // parser with valid stacks of the old size.
        const std::size_t usedBytes = static_cast<std::size_t>(used) * stateSize;
        const std::size_t grownUnits =
            (static_cast<std::size_t>(grown) * stateSize + sizeof(std::uint64_t) - 1) /
            sizeof(std::uint64_t);
        if (*states != stateStorage_.data()) {
            // Leaving the parser's initial arrays: take their contents along.
            std::vector<std::uint64_t> fresh(grownUnits);
            std::memcpy(fresh.data(), *states, usedBytes);
            stateStorage_ = std::move(fresh);
        } else {
            stateStorage_.resize(grownUnits);
        }
        *states = stateStorage_.data();
        if (*values != valueStorage_.data()) {
            std::vector<StackValue> fresh(static_cast<std::size_t>(grown));
            std::copy(*values, *values + used, fresh.begin());
            valueStorage_ = std::move(fresh);
        } else {
            valueStorage_.resize(static_cast<std::size_t>(grown));
        }
        *values = valueStorage_.data();
    } catch (const std::bad_alloc&) {
        syntaxError("yacc stack overflow");
        return;
    }
    *size = grown;
}

} // namespace kavo::frontend
