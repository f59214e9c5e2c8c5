#include "compiler/tables/assembler_names.hpp"

#include "compiler/base/text_format.hpp"

namespace kavo {

const std::string& AssemblerNames::nameFor(const std::string& name, const std::string& scope) {
    const auto key = std::make_pair(name, scope);
    if (const auto known = names_.find(key); known != names_.end())
        return known->second;
    const auto [first, fresh] = firstScope_.emplace(name, scope);
    if (fresh || first->second == scope)
        return names_.emplace(key, name).first->second;
    std::string renamed = strprintf("%s_%d", name.c_str(), counter_++);
    return names_.emplace(key, std::move(renamed)).first->second;
}

} // namespace kavo
