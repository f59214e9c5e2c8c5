// The members of the SX family the simulator models and what distinguishes them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sxsim {

enum class DeviceKind { SX18, SX20, SX28, SX48, SX52 };

struct Device {
    DeviceKind kind;
    std::string_view name;
    unsigned programWords;   // 2048 or 4096 words, reset vector at the last one
    unsigned banks;          // RAM banks of 16 banked registers each
    unsigned bankShift;      // FSR bits above this one select the bank (5 on 18/20/28, 4 on 48/52)
    unsigned firstGlobal;    // first general-purpose global register; below it sit INDF..ports
    unsigned ports;          // RA, RB, ... mapped from register 05h upwards
    bool savesModeOnInterrupt; // the 48/52 also shadow the M register

    unsigned flatRamSize() const { return banks * 32; }
    bool bigCore() const { return programWords == 4096; }
    // M is 4 bits on the 18/20/28 and 5 bits on the 48/52, where bit 4 tells a port control
    // access to write the register (set) or read it (clear). Reset sets every bit.
    unsigned modeMask() const { return bigCore() ? 0x1Fu : 0x0Fu; }
};

Device deviceFor(DeviceKind kind);

// Accepts "sx28", "SX52" and so on; nothing for an unknown name.
std::optional<Device> deviceByName(std::string_view name);

// The names deviceByName accepts, for help and error texts.
std::string deviceNames();

} // namespace sxsim
