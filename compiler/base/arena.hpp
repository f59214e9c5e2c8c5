#pragma once

#include "compiler/base/diagnostics.hpp"

#include <cstddef>
#include <deque>
#include <new>

namespace kavo {

// Reports an allocation failure and ends the run with fatal stop 12.
[[noreturn]] void outOfMemory(Diagnostics& diagnostics, std::size_t bytes);

// Owns every record of one kind for the whole run. Records never move and are never given
// back one by one; they all go when the run's Compilation is destroyed.
template <class T> class Arena {
public:
    explicit Arena(Diagnostics& diagnostics) : diagnostics_(diagnostics) {}

    T* make() {
        try {
            return &records_.emplace_back();
        } catch (const std::bad_alloc&) {
            outOfMemory(diagnostics_, sizeof(T));
        }
    }
    std::size_t size() const { return records_.size(); }

private:
    Diagnostics& diagnostics_;
    std::deque<T> records_;
};

} // namespace kavo
