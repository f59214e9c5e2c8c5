// The rule cursor (Match): access to c and p1 to p6 and the shared preconditions the rules
// are written with: movable words, skip guards, liveness of W, flags and registers, and
// which registers hold what was written to them.
#include "compiler/backend/optimiser.hpp"

#include "compiler/base/kinds.hpp"
#include "compiler/symbols/symbols.hpp"

#include <algorithm>
#include <cctype>

namespace kavo::optimiser {

int Match::literal(int k) const {
    const Instruction* i = p(k);
    if (i == nullptr || i->operand.empty() || i->operand.size() > 4)
        return -1;
    for (char ch : i->operand) {
        if (std::isdigit(static_cast<unsigned char>(ch)) == 0)
            return -1;
    }
    return std::stoi(i->operand);
}

bool Match::loads(int k, int value) const {
    return op(k, PIC_MOVLW) && literal(k) == value;
}

bool Match::movable(int from, int to) const {
    for (int k = from; k <= to; ++k) {
        if (p(k) == nullptr || code_.fixed(i_ + static_cast<std::size_t>(k)))
            return false;
    }
    return true;
}

bool Match::dead(int k, unsigned flags) const {
    return flagsDeadFrom(code_, i_ + static_cast<std::size_t>(k), flags);
}

bool Match::registerDead(int k, const Instruction& reg) const {
    return registerDeadFrom(code_, i_ + static_cast<std::size_t>(k), reg);
}

bool Match::ordinary(int k) const {
    const Instruction* i = p(k);
    if (i == nullptr || i->operand.empty())
        return false;
    if (isTemporary(i->operand) || i->operand == "@__SxItmp_" || i->operand == "@__SxLtmp_")
        return true;
    if (i->operand[0] == '@' || std::isdigit(static_cast<unsigned char>(i->operand[0])) != 0)
        return false;
    const auto& named = symbolsNamed(c_, i->operand);
    if (named.empty())
        return false;
    for (const Symbol* s : named) {
        if (s->qual == VOLATILE || s->volatileObject || s->addr >= 0)
            return false;
    }
    return true;
}

bool Match::plainRam(int k) const {
    if (ordinary(k))
        return true;
    const Instruction* i = p(k);
    if (i == nullptr || i->operand.empty() || i->operand[0] == '@' ||
        std::isdigit(static_cast<unsigned char>(i->operand[0])) != 0)
        return false;
    const auto& named = symbolsNamed(c_, i->operand);
    return !named.empty() &&
           std::none_of(named.begin(), named.end(), [](const Symbol* s) { return s->addr >= 0; });
}

bool Match::status(int k, int bit) const {
    return p(k) != nullptr && p(k)->operand == StatusRegister && p(k)->dest == bit;
}

bool Match::storeUnneeded(int k, int usesInPattern, int after) const {
    const Instruction* i = p(k);
    if (i == nullptr)
        return false;
    if (isTemporary(i->operand) && usesOf(code_, i->operand) == usesInPattern)
        return true;
    return ordinary(k) && registerDead(after, *i);
}

void Match::erase(int from, int to) {
    for (int k = to; k >= from; --k)
        code_.erase(i_ + static_cast<std::size_t>(k));
}

} // namespace kavo::optimiser
