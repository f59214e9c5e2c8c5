#pragma once

// Visits every statement and expression of a random program's tree, outer ones first; const
// for reading (what a program refers to), mutable for rewriting (reduction).

#include "tests/support/random_program.hpp"

namespace kavo::testing::program {

template <typename E, typename VisitExpr> void walkExpression(E& e, VisitExpr& visitExpr) {
    visitExpr(e);
    for (auto& index : e.place.index)
        walkExpression(index, visitExpr);
    for (auto& operand : e.operands)
        walkExpression(operand, visitExpr);
}

template <typename Statements, typename VisitStatement, typename VisitExpr>
void walkStatements(Statements& statements, VisitStatement& visitStatement, VisitExpr& visitExpr) {
    for (auto& s : statements) {
        visitStatement(s);
        for (auto& index : s.place.index)
            walkExpression(index, visitExpr);
        for (auto& value : s.value)
            walkExpression(value, visitExpr);
        walkStatements(s.body, visitStatement, visitExpr);
        walkStatements(s.orElse, visitStatement, visitExpr);
        for (auto& c : s.cases)
            walkStatements(c.body, visitStatement, visitExpr);
    }
}

} // namespace kavo::testing::program
