// The optimiser's entry (optimise): argument lowering, then the rule loop and the removal of
// unused temporary stores until neither changes anything (stretch by stretch), the temporary
// merging and the label merging.
#include "compiler/backend/backend.hpp"

#include "compiler/backend/optimiser.hpp"

namespace kavo {

namespace optimiser {

void runOptimiser(Compilation& c, bool rules, std::vector<int>* fired) {
    const bool cache = c.instructions.cacheEnabled();
    c.instructions.setCacheEnabled(false);
    lowerArguments(c);
    if (rules) {
        optimiseStretches(c, fired);
        Code code(c.instructions);
        while (mergeTemporaries(c, code))
            code.refresh();
        mergeLabels(code);
    }
    c.instructions.setCacheEnabled(cache);
}

} // namespace optimiser

void optimise(Compilation& c, bool rules) {
    optimiser::runOptimiser(c, rules, nullptr);
}

void mergelabels(Compilation& c) {
    const bool cache = c.instructions.cacheEnabled();
    c.instructions.setCacheEnabled(false);
    optimiser::Code code(c.instructions);
    optimiser::mergeLabels(code);
    c.instructions.setCacheEnabled(cache);
}

} // namespace kavo
