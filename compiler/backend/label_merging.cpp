// Label merging (mergeLabels): a compiler label right after another label is the same
// address; jumps and calls naming it are pointed at the first, and it is removed unless some
// other word still names it.
#include "compiler/backend/optimiser.hpp"

#include <algorithm>
#include <unordered_map>

namespace kavo::optimiser {

bool isCompilerLabel(const std::string& name) {
    return name.starts_with("_") && name != "_ITR_E" && name != "__interrupt";
}

namespace {

bool mergeable(const std::string& name) {
    return isCompilerLabel(name) && !name.starts_with("_BCL_") && name != "main";
}

bool isJump(const Instruction& i) {
    return i.opcode == PIC_GOTO || i.opcode == PIC_CALL;
}

// Who names the labels that may merge, indexed once so that merging stays linear: the jumps
// and calls to each, and how many words' operands contain its name. A label named inside a
// longer operand ("_L1" in "_L12", "_L5+1") counts as named there, which is the safe reading.
class LabelUses {
public:
    explicit LabelUses(const Code& code) {
        for (std::size_t k = 0; k + 1 < code.size(); ++k) {
            if (code.is(k, PIC_LABEL) && code.is(k + 1, PIC_LABEL) &&
                mergeable(code.at(k + 1)->operand))
                containing_.emplace(code.at(k + 1)->operand, 0);
        }
        if (containing_.empty())
            return;
        for (std::size_t k = 0; k < code.size(); ++k) {
            Instruction* i = code.at(k);
            if (i->opcode == PIC_LABEL || i->operand.empty())
                continue;
            count(i->operand, 1);
            if (isJump(*i) && containing_.count(i->operand) != 0)
                jumps_[i->operand].push_back(i);
        }
    }

    // Some word other than a jump or call to the label names it.
    bool namedOtherwise(const std::string& label) const {
        const auto containing = containing_.find(label);
        const auto jumps = jumps_.find(label);
        const std::size_t all = containing != containing_.end() ? containing->second : 0;
        return all > (jumps != jumps_.end() ? jumps->second.size() : 0);
    }

    // Jumps and calls to from now go to to.
    void redirect(const std::string& from, const std::string& to) {
        const auto found = jumps_.find(from);
        if (found == jumps_.end())
            return;
        std::vector<Instruction*> moved = std::move(found->second);
        jumps_.erase(found);
        const int words = static_cast<int>(moved.size());
        count(from, -words);
        count(to, words);
        const bool tracked = containing_.count(to) != 0;
        for (Instruction* i : moved) {
            i->operand = to;
            if (tracked)
                jumps_[to].push_back(i);
        }
    }

private:
    std::unordered_map<std::string, std::vector<Instruction*>> jumps_;
    // Only the labels that may merge: every one begins with "_".
    std::unordered_map<std::string, std::size_t> containing_;

    // Adds words to the count of every mergeable label the operand contains, once each.
    void count(const std::string& operand, int words) {
        std::vector<std::size_t*> named;
        for (std::size_t from = operand.find('_'); from != std::string::npos;
             from = operand.find('_', from + 1)) {
            for (std::size_t to = from + 1; to <= operand.size(); ++to) {
                const auto found = containing_.find(operand.substr(from, to - from));
                if (found != containing_.end())
                    named.push_back(&found->second);
            }
        }
        std::sort(named.begin(), named.end());
        named.erase(std::unique(named.begin(), named.end()), named.end());
        for (std::size_t* count : named)
            *count += static_cast<std::size_t>(words);
    }
};

} // namespace

void mergeLabels(Code& code) {
    LabelUses uses(code);
    for (std::size_t k = 0; k + 1 < code.size(); ++k) {
        if (!code.is(k, PIC_LABEL))
            continue;
        while (code.is(k + 1, PIC_LABEL) && mergeable(code.at(k + 1)->operand) &&
               !code.fixed(k + 1)) {
            const std::string second = code.at(k + 1)->operand;
            const bool namedOtherwise = uses.namedOtherwise(second);
            uses.redirect(second, code.at(k)->operand);
            if (namedOtherwise)
                break;
            code.erase(k + 1);
        }
    }
}

} // namespace kavo::optimiser
