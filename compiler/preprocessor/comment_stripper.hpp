#pragma once

#include <string>
#include <string_view>

namespace kavo {

// Removes comments from one line and appends a newline. "/*" and "*/" bracket a block comment
// whose state (inBlock) carries over to the next line; "//" ends the line's content and also
// ends an open block comment. A string or character literal closed on the line is text.
std::string stripComments(std::string_view line, bool& inBlock);

} // namespace kavo
