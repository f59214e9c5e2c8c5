// The generator's dice: how a type is spelled, the values and constants it writes, and what
// the places and pointers of the program so far are.

#include "tests/support/random_program_generation.hpp"

namespace kavo::testing::program {

// Plain char is signed. A pointer's 8-bit target is spelled char only with char pointers,
// which are two bytes and reach strings as well as RAM.
std::string Generation::spelling(const Type& t, bool pointee) {
    static const std::vector<std::string> words[4] = {
        {"char", "int", "short", "signed char", "signed"},
        {"unsigned char", "unsigned int", "unsigned", "unsigned short", "char unsigned",
         "int unsigned"},
        {"long", "signed long", "long signed"},
        {"unsigned long", "long unsigned"}};
    static const std::vector<std::string> pointeeWords[4] = {
        {"int", "short", "signed"},
        {"unsigned int", "unsigned", "unsigned short"},
        words[2],
        words[3]};
    static const std::vector<std::string> charWords[2] = {{"char", "signed char"},
                                                          {"unsigned char", "char unsigned"}};
    // The names programText's typedef lines give the four types.
    static const std::string typedefNames[4] = {"s8_t", "u8_t", "s16_t", "u16_t"};
    const int index = (t.bits == 16 ? 2 : 0) + (t.isUnsigned ? 1 : 0);
    const bool charPointee = pointee && t.bits == 8 && features.charPointers && chance(0.5);
    if (features.typedefNames && (!(pointee && t.bits == 8) || charPointee) && chance(0.3))
        return typedefNames[index];
    if (charPointee)
        return any(charWords[index]);
    const auto& choices = (pointee ? pointeeWords : words)[index];
    return features.typeSpellings ? any(choices) : choices[0];
}

// A value of the type, half the time one where widths and signs show.
std::int32_t Generation::value(const Type& t) {
    static constexpr std::int32_t edges[] = {0,      1,     2,     -1,   -2,  127,  128,
                                             255,    256,   -128,  -129, 300, 1000, 32767,
                                             -32768, 32768, 65535, 7,    44,  100};
    const std::int32_t raw =
        chance(0.5) ? edges[pick(std::size(edges))] : static_cast<std::int32_t>(random());
    return dialect::normalize(raw, t);
}

std::int32_t Generation::constant() {
    const int kind = pick(10);
    if (kind < 5)
        return pick(10);
    if (kind < 8)
        return pick(384) - 128;
    return static_cast<std::int32_t>(random() % 98304) - 32768;
}

Type Generation::cellTypeOf(const Place& at) const {
    const Variable& v = program.variables[at.variable];
    if (v.storage == Storage::Pointer)
        return v.type;
    return cellType(program, at.variable, at.kind == Place::Kind::Member ? at.member : 0);
}

std::vector<int> Generation::pointers(bool walking) const {
    std::vector<int> found;
    for (int v : visible) {
        const Variable& variable = program.variables[v];
        if (variable.storage == Storage::Pointer && (variable.walksArray || !walking))
            found.push_back(v);
    }
    return found;
}

} // namespace kavo::testing::program
