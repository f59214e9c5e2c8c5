#include "compiler/tables/substitution.hpp"

#include <algorithm>

namespace kavo {

namespace {

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Tries the entries in table order at position at; the first whose name is there and is not
// continued by a character that would make it part of a longer name wins.
template <class ContinuesName>
const SubstitutionTable::Entry* matchAt(std::string_view line, std::size_t at,
                                        const SubstitutionTable& table, ContinuesName continues) {
    for (const auto& entry : table.entries()) {
        if (entry.name.empty() || line.substr(at, entry.name.size()) != entry.name)
            continue;
        const std::size_t after = at + entry.name.size();
        if (after < line.size() && continues(line[after]))
            continue;
        return &entry;
    }
    return nullptr;
}

template <class StartsName, class InName>
std::string expand(std::string_view line, const SubstitutionTable& table, StartsName starts,
                   InName inName) {
    std::string result;
    result.reserve(line.size());
    std::size_t at = 0;
    while (at < line.size()) {
        if (!starts(line[at])) {
            result += line[at++];
            continue;
        }
        if (const auto* entry = matchAt(line, at, table, inName)) {
            result += entry->value;
            at += entry->name.size();
            continue;
        }
        const std::size_t start = at;
        while (at < line.size() && inName(line[at]))
            ++at;
        result.append(line.substr(start, at - start));
    }
    return result;
}

} // namespace

void SubstitutionTable::add(std::string_view name, std::string_view value) {
    Entry entry;
    entry.name = name;
    entry.value = value;
    entries_.push_back(std::move(entry));
}

bool SubstitutionTable::remove(std::string_view name) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& entry) { return entry.name == name; });
    if (it == entries_.end())
        return false;
    entries_.erase(it);
    return true;
}

bool SubstitutionTable::has(std::string_view name) const {
    return find(name) != nullptr;
}

const SubstitutionTable::Entry* SubstitutionTable::find(std::string_view name) const {
    for (const Entry& entry : entries_) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

std::string replaceExpand(std::string_view line, const SubstitutionTable& replaces) {
    return expand(line, replaces, isLetter, isLetter);
}

std::string directiveValue(std::string_view rest) {
    std::string value(rest.substr(0, rest.find("/*")));
    value = value.substr(0, value.find('\n'));
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
        value.pop_back();
    return value;
}

} // namespace kavo
