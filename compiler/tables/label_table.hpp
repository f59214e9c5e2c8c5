#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kavo {

// One label as the address assignment last saw it.
struct LabelEntry {
    std::string name;
    int address = -1;
    int page = -1;
    int sequence = 0; // 1, 2, 3 ... in order of first sight
};

// Program addresses of the labels. Names are compared on their first 32 characters; of two
// names alike there, the one recorded last wins (new entries go to the front).
class LabelTable {
public:
    static constexpr std::size_t ComparedLength = 32;

    void clear();
    void record(std::string_view name, int address);
    const LabelEntry* find(std::string_view name) const;
    // -1 when the label is missing.
    int address(std::string_view name) const;
    int page(std::string_view name) const;
    // Newest first.
    std::vector<const LabelEntry*> entries() const;

private:
    std::vector<LabelEntry> entries_; // oldest first
    std::unordered_map<std::string, std::size_t> newest_;
};

// A program-memory page is 512 words.
constexpr int PageWords = 512;
inline int pageOfAddress(int address) {
    return address < 0 ? -1 : address / PageWords;
}

} // namespace kavo
