// Member chains in an expression's items: ST_ADDR_RESOLVE... base member... where the base is
// a variable, a pointer (POINTERSYM), or itself subscripted or a chain (pts[i].y,
// pl.pts[i].x, pp->pts[i].x). The member names that follow a base are looked up in a
// struct's tag, never as variables; MemberChainReader tells them from the other identifiers,
// one item at a time, however the chains nest.
#include "compiler/base/kinds.hpp"
#include "compiler/codegen/generator.hpp"

namespace kavo::codegen {

MemberChainReader::Role MemberChainReader::see(const Item& item) {
    const bool chainStart = item.kind == ST_ADDR_RESOLVE;
    const bool continuesRun = chainStart && previousStartedChain_;
    previousStartedChain_ = chainStart;
    if (continuesRun) {
        ++open_.back().members;
        return Role::Other;
    }
    if (chainStart) {
        open_.push_back({});
        return Role::Other;
    }
    if (open_.empty())
        return Role::Other;
    Chain& chain = open_.back();
    if (!chain.baseDone) {
        // The base: a name, or a subscripted one whose subscripts end it.
        if (item.kind == INDEX_ON)
            ++chain.indexDepth;
        else if (item.kind == INDEX_OFF && chain.indexDepth > 0 && --chain.indexDepth == 0)
            chain.baseDone = true;
        else if (item.kind == IDENTIFIER && chain.indexDepth == 0) {
            chain.baseDone = true;
            return Role::Base;
        } else if (item.kind == GETEXPVAL && chain.indexDepth == 0) {
            chain.baseDone = true; // a parenthesised value, (q + 1)->in.x
        }
        return Role::Other;
    }
    if (item.kind != IDENTIFIER)
        return Role::Other;
    if (--chain.members == 0)
        open_.pop_back();
    return Role::Member;
}

} // namespace kavo::codegen
