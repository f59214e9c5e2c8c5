// MOV !port,W: the port control register M selects, and what the instruction does with it.
//
// On the 18/20/28 (M is 4 bits) the registers are written, except the two port B registers
// that hold state the program must read back: the comparator register (M = 08h) and the
// wake-up pending register (M = 09h) are exchanged with W. On the 48/52 (M is 5 bits) M bit 4
// chooses writing (1Ah..1Fh) or reading into W (0Ah..0Fh); 08h and 09h still exchange. The
// multi-function timer registers of the 48/52 (M = 00h..07h and 10h..17h) are not modelled:
// those selections, like a register the port does not have, change nothing.
#include "tests/simulator/reference_core/reference_core_registers.hpp"

#include <utility>

namespace sxsim::reference {

namespace {

enum class ControlAccess { None, Write, Read, Exchange };

constexpr unsigned kPortA = 0;
constexpr unsigned kPortB = 1;

// The comparator and the wake-up registers exist on port B only, the Schmitt trigger selection
// on every port but A; level, pull-up and direction on every port.
bool portHasControl(unsigned port, unsigned selector) {
    if (selector >= control::LEVEL) {
        return true;
    }
    if (selector == control::SCHMITT) {
        return port != kPortA;
    }
    return selector >= control::COMPARATOR && port == kPortB;
}

ControlAccess controlAccess(const Device& device, unsigned port, unsigned m) {
    const unsigned selector = m & 0x0F;
    if (selector < control::COMPARATOR || !portHasControl(port, selector)) {
        return ControlAccess::None;
    }
    if (selector == control::COMPARATOR || selector == control::WAKE_UP_PENDING) {
        return ControlAccess::Exchange;
    }
    if (device.bigCore() && (m & 0x10) == 0) {
        return ControlAccess::Read;
    }
    return ControlAccess::Write;
}

} // namespace

void ReferenceCore::accessControlRegister(unsigned port) {
    std::uint8_t& target = portControl_[port][m_ & 0x0F];
    switch (controlAccess(device_, port, m_)) {
    case ControlAccess::Exchange:
        std::swap(w_, target);
        return;
    case ControlAccess::Read:
        w_ = target;
        return;
    case ControlAccess::Write:
        target = w_;
        return;
    case ControlAccess::None:
        return;
    }
}

} // namespace sxsim::reference
