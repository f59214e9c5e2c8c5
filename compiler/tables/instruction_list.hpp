#pragma once

#include "compiler/base/arena.hpp"

#include <string>
#include <unordered_map>
#include <vector>

namespace kavo {

// The machine word of an instruction that produces none (labels, markers, pseudo-instructions).
constexpr int NoMachineWord = 65535;

// One intermediate instruction. Operands stay symbolic (names of variables, labels, registers)
// until RAM placement and label resolution give them numbers.
struct Instruction {
    int opcode = 0;
    std::string operand; // name or literal text; "" when none
    int dest = -1;       // 0 to W, 1 to the register; the bit number for bit instructions
    int line = 0;
    int value = 0;       // character or literal value kept for comments
    int secondValue = 0; // a data word's second character, shown in its comment when printable
    int offset = 0;      // added to the operand's address (member, element, high byte)
    std::string scope;   // scope of the operand symbol
    int address = 0;     // program address
    int resolved = 0;    // numeric operand
    int pageFlag = 0;
    int targetFunction = -1;
    int targetLabel = -1;
    int word = NoMachineWord;          // the 12-bit machine word, set by the object file writer
    const std::string* file = nullptr; // interned source file name
    // An FSR set-up that points into one RAM object (an array, a struct) names it, so that
    // the bank pass knows the bank FSR selects: an object never crosses a bank.
    std::string object;
    std::string objectScope;
    Instruction* next = nullptr;
    bool unlinked = false; // taken out of the list by remove()
};

// The program-wide instruction list in program order. Appends reuse the last record while the
// cache is enabled; passes that insert or remove inside the list disable it while they run.
class InstructionList {
public:
    explicit InstructionList(Diagnostics& diagnostics) : arena_(diagnostics) {}

    Instruction* head() const { return head_; }
    Instruction* make() { return arena_.make(); }
    // The last record; none when the list is empty.
    Instruction* last() const;
    void append(Instruction* instruction);
    // Inserts instruction after at, or at the head when at is none.
    void insertAfter(Instruction* at, Instruction* instruction);
    // Removes instruction, whose predecessor is previous (none for the head).
    void remove(Instruction* previous, Instruction* instruction);

    void setCacheEnabled(bool enabled) { cacheEnabled_ = enabled; }
    bool cacheEnabled() const { return cacheEnabled_; }

    // The earliest PIC_LABEL of that name still in the list; none when there is none.
    const Instruction* findLabel(const std::string& name) const;

private:
    void noteLabel(Instruction* instruction);

    Arena<Instruction> arena_;
    Instruction* head_ = nullptr;
    Instruction* cache_ = nullptr;
    bool cacheEnabled_ = true;
    std::unordered_map<std::string, std::vector<Instruction*>> labels_;
};

} // namespace kavo
