#include "compiler/base/arena.hpp"

#include "compiler/base/fatal_stop.hpp"
#include "compiler/base/text_format.hpp"

namespace kavo {

void outOfMemory(Diagnostics& diagnostics, std::size_t bytes) {
    diagnostics.message(
        strprintf("FATAL ERROR: MALLOC failed allocating %d bytes, out of memory!\n",
                  static_cast<int>(bytes)));
    throw FatalStop(fatal::OutOfMemory);
}

} // namespace kavo
