#pragma once

#include <string>
#include <string_view>

namespace kavo {

// Removes comments from one line and appends a newline. "/*" and "*/" bracket a block comment
// whose state (inBlock) carries over to the next line; "//" ends the line's content and also
// ends an open block comment. String literals are not recognised.
std::string stripComments(std::string_view line, bool& inBlock);

} // namespace kavo
