// Label merging (mergeLabels): a compiler label right after another label is the same
// address; jumps and calls naming it are pointed at the first, and it is removed unless some
// other word still names it.
#include "compiler/backend/optimiser.hpp"

namespace kavo::optimiser {

bool isCompilerLabel(const std::string& name) {
    return name.starts_with("_") && name != "_ITR_E" && name != "__interrupt";
}

namespace {

bool mergeable(const std::string& name) {
    return isCompilerLabel(name) && !name.starts_with("_BCL_") && name != "main";
}

// Jumps and calls to from now go to to; true when nothing else names from any more.
bool redirect(Code& code, const std::string& from, const std::string& to) {
    bool otherUse = false;
    for (std::size_t k = 0; k < code.size(); ++k) {
        Instruction& i = *code.at(k);
        if ((i.opcode == PIC_GOTO || i.opcode == PIC_CALL) && i.operand == from)
            i.operand = to;
        else if (i.opcode != PIC_LABEL && i.operand.find(from) != std::string::npos)
            otherUse = true;
    }
    return !otherUse;
}

} // namespace

void mergeLabels(Code& code) {
    for (std::size_t k = 0; k + 1 < code.size(); ++k) {
        if (!code.is(k, PIC_LABEL))
            continue;
        while (code.is(k + 1, PIC_LABEL) && mergeable(code.at(k + 1)->operand) &&
               !code.fixed(k + 1)) {
            const std::string second = code.at(k + 1)->operand;
            if (!redirect(code, second, code.at(k)->operand))
                break;
            code.erase(k + 1);
        }
    }
}

} // namespace kavo::optimiser
