// NestingLevel: the depth bound of the generator's and the declaration processing's
// recursion (C278).
#include "compiler/run/nesting_level.hpp"

#include "compiler/base/text_format.hpp"

namespace kavo {

NestingLevel::NestingLevel(Compilation& c, int line) : c_(c) {
    ++c_.codegen.nestingDepth;
    if (c_.codegen.nestingDepth <= MaxNestingDepth || c_.codegen.nestingRefused)
        return;
    c_.codegen.nestingRefused = true;
    c_.error(strprintf("ERROR(C278): Line: %d Expressions, statements or declarations nested "
                       "more than %d levels deep.\n",
                       line, MaxNestingDepth));
}

NestingLevel::~NestingLevel() {
    // The refusal ends with the outermost level: the next statement starts afresh.
    if (--c_.codegen.nestingDepth == 0)
        c_.codegen.nestingRefused = false;
}

bool NestingLevel::refused() const {
    return c_.codegen.nestingRefused;
}

} // namespace kavo
