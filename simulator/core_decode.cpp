// Decoding a program word into the operation the run loop dispatches on (see core_decode.hpp),
// and keeping the decoded program in step with program memory, the fuses and the breakpoints.
#include "simulator/core_decode.hpp"

namespace sxsim {

namespace {

// The file-register operations 080..3FF by bits 9:6, in their first form (result to W, bank).
constexpr std::uint8_t kFileOps[16] = {op::Generic,  op::Generic,  op::SubWBank,  op::DecWBank,
                                       op::IorWBank, op::AndWBank, op::XorWBank,  op::AddWBank,
                                       op::MovWBank, op::ComWBank, op::IncWBank,  op::DecSkipWBank,
                                       op::RrWBank,  op::RlWBank,  op::SwapWBank, op::IncSkipWBank};

constexpr std::uint8_t kBitOps[4] = {op::BitClearBank, op::BitSetBank, op::SkipIfClearBank,
                                     op::SkipIfSetBank};
constexpr std::uint8_t kStatusBitOps[4] = {op::StatusBitClear, op::StatusBitSet,
                                           op::StatusSkipIfClear, op::StatusSkipIfSet};
constexpr std::uint8_t kLiteralOps[8] = {op::RetLW, op::Call,  op::Jmp,   op::Jmp,
                                         op::MovLW, op::IorLW, op::AndLW, op::XorLW};

// The form of an operation on RAM register fr: the global form follows the bank form.
std::uint8_t ramForm(std::uint8_t bankForm, unsigned fr) {
    return static_cast<std::uint8_t>(bankForm + (fr < 0x10 ? 1 : 0));
}

std::uint8_t fileOp(std::uint16_t word, unsigned fr, bool carryIn) {
    std::uint8_t first = kFileOps[word >> 6];
    if (carryIn && (first == op::SubWBank || first == op::AddWBank)) {
        first = first == op::SubWBank ? op::SubCarryWBank : op::AddCarryWBank;
    }
    return static_cast<std::uint8_t>(ramForm(first, fr) + ((word & 0x20) ? 2 : 0));
}

std::uint32_t decodeBitOp(std::uint16_t word, unsigned fr, const Device& device) {
    const unsigned kind = (word >> 8) & 0x03;
    unsigned mask = 1u << ((word >> 5) & 0x07);
    if (fr >= device.firstGlobal) {
        return op::decoded(ramForm(kBitOps[kind], fr), fr & 0x0F, mask);
    }
    if (fr != reg::STATUS) {
        return op::decoded(op::Generic);
    }
    if (kind < 2) { // TO and PD are read-only: setting or clearing them does nothing
        mask &= ~static_cast<unsigned>(status::TO | status::PD);
    }
    return op::decoded(kStatusBitOps[kind], 0, mask);
}

std::uint32_t decodeLowWord(std::uint16_t word) {
    if (word == 0x040) {
        return op::decoded(op::ClrW);
    }
    if (word >= 0x010 && word < 0x020) {
        return op::decoded(word < 0x018 ? op::Page : op::Bank, 0, word & 0x07);
    }
    if (word == 0x000) {
        return op::decoded(op::Nop);
    }
    if (word == 0x00C || word == 0x00D) {
        return op::decoded(word == 0x00C ? op::Ret : op::RetP);
    }
    return op::decoded(op::Generic);
}

} // namespace

std::uint32_t Core::decode(std::uint16_t word, const Device& device, bool carryIn) {
    const unsigned fr = word & 0x1F;
    const bool ram = fr >= device.firstGlobal;
    if (word >= 0x800) {
        const std::uint8_t operation = kLiteralOps[(word >> 8) - 8];
        return op::decoded(operation, 0, word & (operation == op::Jmp ? 0x1FF : 0xFF));
    }
    if (word >= 0x400) {
        return decodeBitOp(word, fr, device);
    }
    if (word >= 0x080) {
        return ram && kFileOps[word >> 6] != op::Generic
                   ? op::decoded(fileOp(word, fr, carryIn), fr & 0x0F)
                   : op::decoded(op::Generic);
    }
    if (word >= 0x020 && word < 0x040) {
        return op::decoded(ram ? ramForm(op::MovWFBank, fr) : std::uint8_t{op::Generic}, fr & 0x0F);
    }
    if (word >= 0x060) {
        return op::decoded(ram ? ramForm(op::ClrFBank, fr) : std::uint8_t{op::Generic}, fr & 0x0F);
    }
    return decodeLowWord(word);
}

void Core::redecode(unsigned address) {
    decoded_[address] = breakpoints_[address]
                            ? op::decoded(op::Breakpoint)
                            : decode(program_[address], device_, carryIntoArithmetic_);
}

void Core::setWord(unsigned address, std::uint16_t word) {
    if (address < device_.programWords) {
        program_[address] = word & 0x0FFF;
        redecode(address);
    }
}

void Core::setFuses(std::uint16_t fuse, std::uint16_t fusex) {
    fuse_ = fuse;
    fusex_ = fusex;
    carryIntoArithmetic_ = (fusex_ & FUSEX_CARRY_FLAG_OFF) == 0;
    for (unsigned address = 0; address < device_.programWords; ++address) {
        redecode(address);
    }
}

void Core::addBreakpoint(unsigned address) {
    if (address < device_.programWords) {
        breakpoints_[address] = 1;
        redecode(address);
    }
}

void Core::clearBreakpoints() {
    for (unsigned address = 0; address < device_.programWords; ++address) {
        if (breakpoints_[address]) {
            breakpoints_[address] = 0;
            redecode(address);
        }
    }
}

} // namespace sxsim
