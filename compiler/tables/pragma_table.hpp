#pragma once

#include "compiler/base/diagnostics.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavo {

// The name/value store through which #pragma lines, the configuration file and the command
// line describe the chip to the back end. Names are case-sensitive; entries keep the order
// of their first definition; values are text, read as numbers on demand.
class PragmaTable {
public:
    explicit PragmaTable(Diagnostics& diagnostics) : diagnostics_(diagnostics) {}

    struct Entry {
        std::string name;
        std::string value;
    };

    // Defines name, or replaces its value with a warning.
    void set(std::string_view name, std::string_view value);
    std::optional<std::string> get(std::string_view name) const;
    bool has(std::string_view name) const { return find(name) != nullptr; }
    // The value read by the compiler number reader, or fallback when undefined, with a warning
    // the first time the name is asked for (later passes ask again; one warning says it all).
    std::uint32_t number(std::string_view name, std::uint32_t fallback);

    const std::vector<Entry>& entries() const { return entries_; }

private:
    const Entry* find(std::string_view name) const;

    Diagnostics& diagnostics_;
    std::vector<Entry> entries_;
    std::vector<std::string> warned_;
};

} // namespace kavo
