#include "simulator/device.hpp"

#include <algorithm>
#include <array>
#include <cctype>

namespace sxsim {

namespace {

// On the 18/20-pin parts there is no port C, so register 07h is ordinary RAM.
constexpr std::array<Device, 5> kDevices{{
    {DeviceKind::SX18, "sx18", 2048, 8, 5, 0x07, 2, false},
    {DeviceKind::SX20, "sx20", 2048, 8, 5, 0x07, 2, false},
    {DeviceKind::SX28, "sx28", 2048, 8, 5, 0x08, 3, false},
    {DeviceKind::SX48, "sx48", 4096, 16, 4, 0x0A, 5, true},
    {DeviceKind::SX52, "sx52", 4096, 16, 4, 0x0A, 5, true},
}};

} // namespace

Device deviceFor(DeviceKind kind) {
    return *std::find_if(kDevices.begin(), kDevices.end(),
                         [kind](const Device& d) { return d.kind == kind; });
}

std::optional<Device> deviceByName(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const Device& d : kDevices) {
        if (d.name == lower) {
            return d;
        }
    }
    return std::nullopt;
}

std::string deviceNames() {
    std::string names;
    for (const Device& d : kDevices) {
        names += names.empty() ? "" : ", ";
        names += d.name;
    }
    return names;
}

} // namespace sxsim
