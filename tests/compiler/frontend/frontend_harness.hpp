#pragma once

#include "compiler/base/kinds.hpp"
#include "compiler/frontend/front_end.hpp"
#include "compiler/run/compilation.hpp"
#include "compiler/run/compiler_settings.hpp"
#include "tests/support/capture_io.hpp"
#include "tests/support/temp_dir.hpp"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace kavo::testing {

// The developer dump of a node list: one line per node with its kind name, cval, ival and
// line. It lives here, not in the shipped compiler.
std::string dumpNodes(const Node* head);

// A short form of a node run for expectations written by hand: a marker node is its kind
// name, an integer constant "INTEGER_CONSTANT=<ival>", any other node "<KIND>:<cval>".
std::string brief(const Node* head);

// One run's front end over a text given as the preprocess file, with captured channels.
class FrontEndHarness {
public:
    explicit FrontEndHarness(const std::string& text) {
        writeFile("input.pre", text);
        c.files.parserInput.reset(std::fopen("input.pre", "rb"));
        frontEnd = std::make_unique<frontend::FrontEnd>(c);
    }

    int parse() { return frontEnd->parse(); }
    frontend::Scanner& scanner() { return frontEnd->scanner(); }
    std::string run() const { return brief(c.nodes.head()); }

    TempDir dir;
    CompilerSettings settings;
    CaptureIo io;
    Compilation c{settings, io};
    std::unique_ptr<frontend::FrontEnd> frontEnd;
};

// A scanned token as the tests look at it.
struct ScannedToken {
    int kind;
    ParserValue value;
};

// Every token of text up to the end of input (the 0 is not included).
std::vector<ScannedToken> scanAll(FrontEndHarness& h);
// The kind names of those tokens, separated by blanks.
std::string kindsOf(const std::vector<ScannedToken>& tokens);

} // namespace kavo::testing
