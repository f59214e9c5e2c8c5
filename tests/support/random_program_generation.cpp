// The generator's dice: how a type is spelled, the values and constants it writes, and what
// the places and pointers of the program so far are.

#include "tests/support/random_program_generation.hpp"

#include <algorithm>

namespace kavo::testing::program {

namespace {

const std::vector<std::string> Words[4] = {{"char", "int", "short", "signed char", "signed"},
                                           {"unsigned char", "unsigned int", "unsigned",
                                            "unsigned short", "char unsigned", "int unsigned"},
                                           {"long", "signed long", "long signed"},
                                           {"unsigned long", "long unsigned"}};
const std::vector<std::string> PointeeWords[4] = {
    {"int", "short", "signed"}, {"unsigned int", "unsigned", "unsigned short"}, Words[2], Words[3]};
const std::vector<std::string> CharWords[2] = {{"char", "signed char"},
                                               {"unsigned char", "char unsigned"}};
// The names programText's typedef lines give the four types.
const std::string TypedefNames[4] = {"s8_t", "u8_t", "s16_t", "u16_t"};

} // namespace

// Plain char is signed. A pointer's 8-bit target is spelled char only with char pointers,
// which are two bytes and reach strings as well as RAM; a pointer to pointers never points at
// one of those (the dialect refuses char **), so its own target is never spelled char.
std::string Generation::spelling(const Type& t, bool pointee, bool charAllowed) {
    const int index = (t.bits == 16 ? 2 : 0) + (t.isUnsigned ? 1 : 0);
    const bool charPointee =
        pointee && t.bits == 8 && charAllowed && features.charPointers && chance(0.5);
    if (features.typedefNames && (!(pointee && t.bits == 8) || charPointee) && chance(0.3))
        return TypedefNames[index];
    if (charPointee)
        return any(CharWords[index]);
    const auto& choices = (pointee ? PointeeWords : Words)[index];
    return features.typeSpellings ? any(choices) : choices[0];
}

bool Generation::charPointer(const Variable& pointer) {
    if (pointer.type.bits != 8)
        return false;
    const int index = pointer.type.isUnsigned ? 1 : 0;
    const auto& words = CharWords[index];
    return pointer.spelling == TypedefNames[index] ||
           std::find(words.begin(), words.end(), pointer.spelling) != words.end();
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
    if (at.kind == Place::Kind::Arrow)
        return program.structs[v.structType].members[at.member].type;
    if (holdsAddress(v))
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

std::vector<int> Generation::listPointers() const {
    std::vector<int> found;
    for (int v : visible) {
        if (pointsAtStructs(program.variables[v]))
            found.push_back(v);
    }
    return found;
}

std::vector<int> Generation::pointerPointers() const {
    std::vector<int> found;
    for (int v : visible) {
        if (program.variables[v].storage == Storage::PointerPointer)
            found.push_back(v);
    }
    return found;
}

// The array the pointers a pointer to pointers may reach all walk.
const Variable& Generation::walkedArray(int pointer) const {
    int walking = pointer;
    while (program.variables[walking].storage == Storage::PointerPointer)
        walking = program.variables[walking].pointees[0];
    return program.variables[program.variables[walking].pointees[0]];
}

} // namespace kavo::testing::program
