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
        // The name goes in whole, however long: a fixed line buffer would cut the line's end.
        char place[48];
        std::snprintf(place, sizeof place, " @%3u (bank %u, %02Xh) = ", v.address, v.address / 32,
                      v.address % 32);
        std::string name = v.name;
        name.resize(std::max<std::size_t>(name.size(), 16), ' ');
        out << "  " << name << place;
        if (shownAsBytes(v)) {
            const std::vector<unsigned> bytes = variableBytes(core, v);
            out << "{" << joined(bytes, ", ", [](unsigned b) { return std::to_string(b); })
                << "} (" << joined(bytes, " ", [](unsigned b) { return hex(b, 2); }) << "h)\n";
        } else {
            const unsigned long value = variableValue(core, v);
            out << value << " ("
                << hex(static_cast<unsigned>(value), static_cast<int>(v.size * 2)) << "h)\n";
        }
    }
    return out.str();
}

} // namespace

bool shownAsBytes(const NamedVariable& variable) {
    return variable.size > 2;
}

bool isCompilerRegister(const std::string& name) {
    // "@__stat__" is written "A__stat__" where an assembler takes no "@" (the map file). The
    // others are the compiler's temporaries, parameters, switch values, interrupt saves and
    // struct return areas.
    for (const char* prefix :
         {"@", "A__", "_tmp_", "_prm_", "_asm_", "_swt_", "_itr_", "_svi_", "_ret_"}) {
        if (name.starts_with(prefix))
            return true;
    }
    return false;
}

void checkVariablesInRam(const Core& core, const std::vector<NamedVariable>& variables) {
    for (const NamedVariable& v : variables) {
        if (std::uint64_t{v.address} + v.size <= core.flatRamSize()) {
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
    for (unsigned i = variable.size > 2 ? 2 : variable.size; i-- > 0;) {
        value = value << 8 | core.readFlat(variable.address + i);
    }
    return value;
}

std::vector<unsigned> variableBytes(const Core& core, const NamedVariable& variable) {
    std::vector<unsigned> bytes;
    for (unsigned i = 0; i < variable.size; ++i) {
        bytes.push_back(core.readFlat(variable.address + i));
    }
    return bytes;
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
                      [&core, &decimal](const NamedVariable& v) {
                          return jsonString(v.name) + ":" +
                                 (shownAsBytes(v)
                                      ? "[" + joined(variableBytes(core, v), ",", decimal) + "]"
                                      : std::to_string(variableValue(core, v)));
                      })
            << "}";
    }
    out << "}\n";
    return out.str();
}

} // namespace sxsim
