#include "compiler/tables/label_table.hpp"

namespace kavo {

namespace {

std::string key(std::string_view name) {
    return std::string(name.substr(0, LabelTable::ComparedLength));
}

} // namespace

void LabelTable::clear() {
    entries_.clear();
    newest_.clear();
}

void LabelTable::record(std::string_view name, int address) {
    const auto known = newest_.find(key(name));
    if (known != newest_.end() && entries_[known->second].name == name) {
        // Seen again in the same pass (code moved on after its label): the label moves.
        entries_[known->second].address = address;
        entries_[known->second].page = pageOfAddress(address);
        return;
    }
    LabelEntry entry;
    entry.name = std::string(name);
    entry.address = address;
    entry.page = pageOfAddress(address);
    entry.sequence = static_cast<int>(entries_.size()) + 1;
    newest_[key(name)] = entries_.size();
    entries_.push_back(std::move(entry));
}

const LabelEntry* LabelTable::find(std::string_view name) const {
    const auto found = newest_.find(key(name));
    return found == newest_.end() ? nullptr : &entries_[found->second];
}

int LabelTable::address(std::string_view name) const {
    const LabelEntry* entry = find(name);
    return entry != nullptr ? entry->address : -1;
}

int LabelTable::page(std::string_view name) const {
    const LabelEntry* entry = find(name);
    return entry != nullptr ? entry->page : -1;
}

std::vector<const LabelEntry*> LabelTable::entries() const {
    std::vector<const LabelEntry*> newestFirst;
    for (auto e = entries_.rbegin(); e != entries_.rend(); ++e)
        newestFirst.push_back(&*e);
    return newestFirst;
}

} // namespace kavo
