#include "compiler/base/string_pool.hpp"

namespace kavo {

const std::string* StringPool::intern(std::string_view text) {
    return &*texts_.emplace(text).first;
}

} // namespace kavo
