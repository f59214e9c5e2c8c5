#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kavo {

// A table of name/value substitutions in order of definition: the #define macros and the
// #replace rules share this shape and differ only in how a name is matched in a line.
class SubstitutionTable {
public:
    struct Entry {
        std::string name;
        std::string value;
        // A function-like #define: its parameters, the last one "__VA_ARGS__" when variadic.
        bool functionLike = false;
        std::vector<std::string> parameters;
        bool variadic = false;
    };

    void add(std::string_view name, std::string_view value);
    void add(Entry entry) { entries_.push_back(std::move(entry)); }
    // Removes the first entry of that name; false when there was none.
    bool remove(std::string_view name);
    bool has(std::string_view name) const;
    // The first entry of that name, or nullptr.
    const Entry* find(std::string_view name) const;
    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

// #replace: a name matches at any letter where it is not followed by a letter, so it is
// replaced inside longer identifiers after "_" or a digit. No rescan.
std::string replaceExpand(std::string_view line, const SubstitutionTable& replaces);

// The value of a #define or #replace line: the text from its value word to the end, cut at
// the first "/*" and the first newline, trailing blanks and tabs removed.
std::string directiveValue(std::string_view rest);

} // namespace kavo
