#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

namespace kavo {

// The interned-string pool: one shared copy of each distinct text (file and function names),
// alive for the whole run. Pointers returned stay valid until the pool is destroyed.
class StringPool {
public:
    const std::string* intern(std::string_view text);
    std::size_t size() const { return texts_.size(); }

private:
    std::unordered_set<std::string> texts_;
};

} // namespace kavo
