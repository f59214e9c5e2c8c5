#include "compiler/tables/instruction_list.hpp"

#include "compiler/tables/opcodes.hpp"

namespace kavo {

void InstructionList::noteLabel(Instruction* instruction) {
    if (instruction->opcode == PIC_LABEL)
        labels_[instruction->operand].push_back(instruction);
}

void InstructionList::append(Instruction* instruction) {
    instruction->next = nullptr;
    instruction->unlinked = false;
    noteLabel(instruction);
    if (head_ == nullptr) {
        head_ = instruction;
        cache_ = instruction;
        return;
    }
    last()->next = instruction;
    cache_ = instruction;
}

Instruction* InstructionList::last() const {
    Instruction* last = cacheEnabled_ && cache_ != nullptr ? cache_ : head_;
    while (last != nullptr && last->next != nullptr)
        last = last->next;
    return last;
}

void InstructionList::insertAfter(Instruction* at, Instruction* instruction) {
    instruction->unlinked = false;
    noteLabel(instruction);
    if (at == nullptr) {
        instruction->next = head_;
        head_ = instruction;
    } else {
        instruction->next = at->next;
        at->next = instruction;
    }
    if (instruction->next == nullptr)
        cache_ = instruction;
}

void InstructionList::remove(Instruction* previous, Instruction* instruction) {
    (previous != nullptr ? previous->next : head_) = instruction->next;
    if (cache_ == instruction)
        cache_ = previous;
    instruction->next = nullptr;
    instruction->unlinked = true;
}

const Instruction* InstructionList::findLabel(const std::string& name) const {
    const auto found = labels_.find(name);
    if (found == labels_.end())
        return nullptr;
    for (const Instruction* label : found->second) {
        if (!label->unlinked && label->opcode == PIC_LABEL && label->operand == name)
            return label;
    }
    return nullptr;
}

} // namespace kavo
