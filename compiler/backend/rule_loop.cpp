// The rule loop (runRules): walks the list trying every peephole rule at each position, and
// walks again from the head while anything changed. The rule table (peepholeRules) lists the
// rules in the order they are tried.
#include "compiler/backend/rules.hpp"

namespace kavo::optimiser {

const std::vector<Rule>& peepholeRules() {
    static const std::vector<Rule> rules = {
        rule1StringAddress,
        rule2Literals,
        rule3ReturnLiteral,
        rule4AddressPlusConstant,
        rule5StatusBitRewritten,
        rule6SetThenClear,
        rule7ClearThenSet,
        rule8ReloadAroundLiteral,
        rule9OrLiteral,
        rule10AndLiteral,
        rule11JumpToNext,
        rule12UnreachableJump,
        rule13ZeroClearedTwice,
        rule14ZeroSetTwice,
        rule15AddZeroThenCarryTest,
        rule16AddZero,
        rule17CarryToByte,
        rule18CarryToByteInverted,
        rule19AddOperands,
        rule20IncrementedLiteral,
        rule21ScratchReload,
        rule22Reload,
        rule23SetBitByOr,
        rule24ClearBitByAnd,
        rule25ZeroFlagAfterCall,
        rule26AddIntoRegister,
        rule27StoreBack,
        rule28StoreReloadBeforeTest,
        rule29LoadStoreReloadBeforeTest,
        rule30TemporaryPassThrough,
        rule31ClearByLiteral,
        rule32IncrementByAdd,
        rule33DecrementBySubtract,
        rule34ComplementIndirect,
        rule35AddOne,
        rule36OperateInPlace,
        rule37IncrementDecrement,
        rule38InvertedTest,
        rule39DecrementToW,
        rule40TwoLoads,
        rule41LoadBeforeSubtract,
        rule43SignTestOnStore,
        rule44LoadBeforeIncrementSkip,
        rule45UnusedResult,
        rule47DeadTemporaryStore,
        rule48UnreachableReturn,
        rule49RotateFromSource,
        rule50RotateIntoW,
        rule51DeadGuardedStep,
    };
    return rules;
}

bool runRules(Compilation& c, Code& code, std::vector<int>* fired) {
    bool changedAny = false;
    // Every rule shortens the list or turns its pattern into one no rule matches again; the
    // bound only keeps a mistake from hanging the compiler.
    for (int walk = 0; walk < 10000; ++walk) {
        bool changed = false;
        for (std::size_t i = 0; i < code.size(); ++i) {
            const auto& rules = peepholeRules();
            for (std::size_t r = 0; r < rules.size(); ++r) {
                Match m(c, code, i);
                if (rules[r](m)) {
                    changed = true;
                    if (fired != nullptr) {
                        fired->resize(rules.size());
                        ++(*fired)[r];
                    }
                    code.refresh();
                    break;
                }
            }
        }
        if (!changed)
            break;
        changedAny = true;
    }
    return changedAny;
}

} // namespace kavo::optimiser
