// The compiler's banner, written before the output of every run with the prefix each output
// file needs (banner).
#include "compiler/pipeline/banner.hpp"

namespace kavo {

namespace {

constexpr std::string_view Product = "Kavo C (4.2)  C Compiler for Scenix microcontrollers";
constexpr std::size_t FrameWidth = 74;

std::string framed(std::string_view text) {
    const std::size_t inner = FrameWidth - 4;
    const std::size_t left = (inner - text.size()) / 2;
    return "_/" + std::string(left, ' ') + std::string(text) +
           std::string(inner - left - text.size(), ' ') + "_/";
}

std::string pairs() {
    std::string row;
    for (std::size_t i = 0; i < FrameWidth / 2; ++i)
        row += "_/";
    return row;
}

} // namespace

std::string banner(std::string_view prefix) {
    const std::string p(prefix);
    std::string text;
    text += p + "\n";
    text += p + pairs() + "\n";
    text += p + "_/                                                                      _/\n";
    text += p + framed(Product) + "\n";
    text += p + "_/_______________________________________________________________________/\n";
    text += p + pairs() + "\n";
    text += p + "\n";
    return text;
}

} // namespace kavo
