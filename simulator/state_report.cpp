#include "simulator/state_report.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace sxsim {

namespace {

std::string hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            out += "\\u00" + hex(c, 2);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

template <typename Range, typename Format>
std::string joined(const Range& items, const char* separator, Format format) {
    std::string out;
    for (const auto& item : items) {
        out += out.empty() ? "" : separator;
        out += format(item);
    }
    return out;
}

std::vector<unsigned> portValues(const Core& core) {
    std::vector<unsigned> values;
    for (unsigned port = 0; port < core.portCount(); ++port) {
        values.push_back(core.portPins(port));
    }
    return values;
}

std::string textVariables(const Core& core, const std::vector<NamedVariable>& variables) {
    std::ostringstream out;
    out << "Variables:\n";
    for (const NamedVariable& v : variables) {
        const unsigned long value = variableValue(core, v);
        // The name goes in whole, however long: a fixed line buffer would cut the line's end.
        char rest[96];
        std::snprintf(rest, sizeof rest, " @%3u (bank %u, %02Xh) = %lu (%sh)\n", v.address,
                      v.address / 32, v.address % 32, value,
                      hex(static_cast<unsigned>(value), static_cast<int>(v.size * 2)).c_str());
        std::string name = v.name;
        name.resize(std::max<std::size_t>(name.size(), 16), ' ');
        out << "  " << name << rest;
    }
    return out.str();
}

} // namespace

unsigned bytesShown(const NamedVariable& variable) {
    return variable.size > 4 ? 4 : variable.size;
}

void checkVariablesInRam(const Core& core, const std::vector<NamedVariable>& variables) {
    for (const NamedVariable& v : variables) {
        if (std::uint64_t{v.address} + bytesShown(v) <= core.flatRamSize()) {
            continue;
        }
        throw std::runtime_error("variable " + v.name + " at " + std::to_string(v.address) + " (" +
                                 std::to_string(v.size) + " bytes) lies outside the " +
                                 std::to_string(core.flatRamSize()) + " bytes of RAM of the " +
                                 std::string(core.device().name));
    }
}

unsigned long variableValue(const Core& core, const NamedVariable& variable) {
    unsigned long value = 0;
    const unsigned bytes = bytesShown(variable);
    for (unsigned i = bytes; i-- > 0;) {
        value = value << 8 | core.readFlat(variable.address + i);
    }
    return value;
}

std::string formatTextReport(const Core& core, const RunResult& result,
                             const std::vector<NamedVariable>& variables) {
    std::ostringstream out;
    out << "Stopped: " << stopReasonName(result.reason) << " at " << hex(core.pc(), 3)
        << "h after " << result.steps << " steps, " << core.cycles() << " cycles ("
        << core.device().name << ")\n";
    out << "W=" << hex(core.w(), 2) << " PC=" << hex(core.pc(), 3)
        << " STATUS=" << hex(core.statusRegister(), 2) << " FSR=" << hex(core.fsr(), 2)
        << " M=" << hex(core.m(), 2) << " OPTION=" << hex(core.optionRegister(), 2)
        << " RTCC=" << hex(core.rtcc(), 2) << "\n";
    const auto stack = core.stack();
    out << "Stack: "
        << (stack.empty() ? "empty"
                          : joined(stack, " ", [](std::uint16_t a) { return hex(a, 3); }))
        << "\n";
    const char* names[] = {"RA", "RB", "RC", "RD", "RE"};
    out << "Ports:";
    for (unsigned port = 0; port < core.portCount(); ++port) {
        out << " " << names[port] << "=" << hex(core.portPins(port), 2);
    }
    out << "\n";
    if (!variables.empty()) {
        out << textVariables(core, variables);
    }
    return out.str();
}

std::string formatJsonReport(const Core& core, const RunResult& result,
                             const std::vector<NamedVariable>& variables) {
    auto decimal = [](unsigned v) { return std::to_string(v); };
    std::vector<unsigned> ram;
    for (unsigned address = 0; address < core.flatRamSize(); ++address) {
        ram.push_back(core.readFlat(address));
    }
    std::ostringstream out;
    out << "{\"device\":" << jsonString(std::string(core.device().name))
        << ",\"stop\":" << jsonString(stopReasonName(result.reason))
        << ",\"steps\":" << result.steps << ",\"cycles\":" << core.cycles()
        << ",\"w\":" << unsigned{core.w()} << ",\"pc\":" << core.pc()
        << ",\"status\":" << unsigned{core.statusRegister()} << ",\"fsr\":" << unsigned{core.fsr()}
        << ",\"m\":" << unsigned{core.m()} << ",\"option\":" << unsigned{core.optionRegister()}
        << ",\"rtcc\":" << unsigned{core.rtcc()}
        << ",\"stack\":[" << joined(core.stack(), ",", decimal) << "]"
        << ",\"ports\":[" << joined(portValues(core), ",", decimal) << "]"
        << ",\"ram\":[" << joined(ram, ",", decimal) << "]";
    if (!variables.empty()) {
        out << ",\"variables\":{"
            << joined(variables, ",",
                      [&core](const NamedVariable& v) {
                          return jsonString(v.name) + ":" +
                                 std::to_string(variableValue(core, v));
                      })
            << "}";
    }
    out << "}\n";
    return out.str();
}

} // namespace sxsim
