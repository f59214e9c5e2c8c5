#pragma once

#include "compiler/base/node.hpp"
#include "compiler/frontend/fragment.hpp"
#include "compiler/frontend/scanner.hpp"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string_view>
#include <vector>

namespace kavo {
class Compilation;
}

namespace kavo::frontend {

// The scanner and the parser of one run, reading the run's parser input from its current
// position. Everything here belongs to the run: a new compilation makes a new FrontEnd.
class FrontEnd {
public:
    explicit FrontEnd(Compilation& c);
    FrontEnd(const FrontEnd&) = delete;
    FrontEnd& operator=(const FrontEnd&) = delete;

    // Parses the input into the node list: 0 on success, 1 on failure.
    int parse();
    // Discards the rest of the input after an aborted parse.
    void drain() { scanner_.drain(); }
    // Every parse failure comes here. The message itself is not shown: the user sees one
    // C01 per line, and the run is marked to stop before code generation.
    void syntaxError(std::string_view message);
    // A construct the grammar accepts but the compiler does not build: C259 naming it.
    void unsupported(int line, std::string_view what);

    Scanner& scanner() { return scanner_; }

    // For the generated parser.
    int nextToken(StackValue& value);
    void declarationDone();
    void growStacks(void** states, std::size_t stateSize, StackValue** values,
                    std::ptrdiff_t* size);

private:
    Compilation& c_;
    Scanner scanner_;
    FragmentBuilder builder_;
    // Token values the parser may still turn into nodes; dropped after each declaration.
    std::deque<ParserValue> tokens_;
    std::optional<int> lastErrorLine_;
    // The parser's stacks once they outgrow their initial size.
    std::vector<std::uint64_t> stateStorage_;
    std::vector<StackValue> valueStorage_;
};

} // namespace kavo::frontend
