#pragma once

// The device headers and programs of examples/, read by tests that compile whole programs
// (the target defines KAVO_EXAMPLES_DIR).

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace kavo::testing {

inline std::string exampleFile(const std::string& name) {
    std::ifstream in(std::string(KAVO_EXAMPLES_DIR) + "/" + name);
    if (!in)
        throw std::logic_error("cannot read examples/" + name);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace kavo::testing
