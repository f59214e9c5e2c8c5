#include "tests/compiler/frontend/frontend_harness.hpp"

#include "compiler/base/text_format.hpp"

namespace kavo::testing {

std::string dumpNodes(const Node* head) {
    std::string out;
    for (const Node* n = head; n != nullptr; n = n->next) {
        out += strprintf("%-20s cval: %-15s ival: %3d line: %d\n",
                         std::string(kindName(n->kind)).c_str(), n->cval.c_str(), n->ival, n->line);
    }
    return out;
}

std::string brief(const Node* head) {
    std::string out;
    for (const Node* n = head; n != nullptr; n = n->next) {
        if (!out.empty())
            out += ' ';
        out += kindName(n->kind);
        if (n->kind == INTEGER_CONSTANT)
            out += "=" + std::to_string(n->ival);
        else if (n->cval != "ExMk")
            out += ":" + n->cval;
    }
    return out;
}

std::vector<ScannedToken> scanAll(FrontEndHarness& h) {
    std::vector<ScannedToken> tokens;
    for (;;) {
        ScannedToken t{};
        t.kind = h.scanner().nextToken(t.value);
        if (t.kind == 0)
            return tokens;
        tokens.push_back(t);
    }
}

std::string kindsOf(const std::vector<ScannedToken>& tokens) {
    std::string out;
    for (const ScannedToken& t : tokens) {
        if (!out.empty())
            out += ' ';
        out += kindName(t.kind);
    }
    return out;
}

} // namespace kavo::testing
