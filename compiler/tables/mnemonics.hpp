#pragma once

#include <string_view>

namespace kavo {

// What an assembly word is to the scanner, compared in upper case.
enum class MnemonicClass {
    None,         // not a mnemonic: a label or an operand
    Instruction,  // an ordinary mnemonic of either style
    CompareJump,  // CJA, CJAE, CJB, CJBE, CJE, CJNE: three operands
};

// Classifies word (any case) against the scanner's mnemonic list and the compare-and-jump
// macros. The #loadasm reader sizes instruction lines with the same classes.
MnemonicClass classifyMnemonic(std::string_view word);

} // namespace kavo
