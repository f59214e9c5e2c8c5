// The optimiser's entry (optimise): argument lowering, then the rule loop and the removal of
// unused temporary stores until neither changes anything, the temporary merging and the
// label merging.
#include "compiler/backend/backend.hpp"

#include "compiler/backend/optimiser.hpp"

namespace kavo {

void optimise(Compilation& c, bool rules) {
    const bool cache = c.instructions.cacheEnabled();
    c.instructions.setCacheEnabled(false);
    optimiser::lowerArguments(c);
    if (rules) {
        optimiser::Code code(c.instructions);
        optimiser::runRules(c, code);
        while (optimiser::dropUnusedTemporaryStores(c, code))
            optimiser::runRules(c, code);
        while (optimiser::mergeTemporaries(c, code))
            code.refresh();
        optimiser::mergeLabels(code);
    }
    c.instructions.setCacheEnabled(cache);
}

} // namespace kavo
