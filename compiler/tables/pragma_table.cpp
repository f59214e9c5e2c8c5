#include "compiler/tables/pragma_table.hpp"

#include "compiler/base/number_reader.hpp"
#include "compiler/base/text_format.hpp"

#include <algorithm>

namespace kavo {

const PragmaTable::Entry* PragmaTable::find(std::string_view name) const {
    for (const Entry& entry : entries_) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

void PragmaTable::set(std::string_view name, std::string_view value) {
    if (Entry* entry = const_cast<Entry*>(find(name))) {
        diagnostics_.message(strprintf("WARNING: pragma %s redefined! Replaced %s with %s\n",
                                       entry->name.c_str(), entry->value.c_str(),
                                       std::string(value).c_str()));
        entry->value = value;
        return;
    }
    entries_.push_back({std::string(name), std::string(value)});
}

std::optional<std::string> PragmaTable::get(std::string_view name) const {
    if (const Entry* entry = find(name))
        return entry->value;
    return std::nullopt;
}

std::uint32_t PragmaTable::number(std::string_view name, std::uint32_t fallback) {
    if (const Entry* entry = find(name))
        return readCompilerNumber(entry->value);
    if (std::find(warned_.begin(), warned_.end(), name) == warned_.end()) {
        warned_.emplace_back(name);
        diagnostics_.message(strprintf("WARNING: pragma %s not defined. Defaulting to %d\n",
                                       std::string(name).c_str(), static_cast<int>(fallback)));
    }
    return fallback;
}

} // namespace kavo
