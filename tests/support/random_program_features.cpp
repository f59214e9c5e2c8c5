// The features of random programs by letter, for the benchmark's command line and its report.

#include "tests/support/random_program.hpp"

#include <algorithm>

namespace kavo::testing::program {
namespace {

struct Letter {
    char letter;
    bool Features::*feature;
    const char* meaning;
};

constexpr Letter Letters[] = {
    {'c', &Features::calls, "calls of functions with parameters and results"},
    {'n', &Features::nestedCalls, "a call as an argument of a call"},
    {'a', &Features::byteArrays, "arrays of 8-bit elements"},
    {'w', &Features::wordArrays, "arrays of 16-bit elements"},
    {'s', &Features::structs, "struct members"},
    {'p', &Features::pointers, "pointers: p = &x, *p"},
    {'i', &Features::pointerIndexing, "p[i], *(p + k), p = p + k, *p++"},
    {'o', &Features::compoundAssignments, "compound assignments"},
    {'x', &Features::aliasing, "a compound assignment reading its target: x += x"},
    {'u', &Features::steps, "++ and -- inside expressions"},
    {'l', &Features::loops, "for, while, do with break and continue"},
    {'h', &Features::switches, "switch on 8- and 16-bit values"},
    {'q', &Features::conditionals, "c ? a : b"},
    {'e', &Features::shortCircuit, "&& and || with side effects on the right"},
    {'k', &Features::casts, "casts"},
    {'r', &Features::runtimeOperations, "* / % << >>"},
    {'b', &Features::manyGlobals, "globals in every RAM bank"},
    {'f', &Features::fixedAddresses, "a global placed with @ in every bank"},
    {'g', &Features::upperBanks, "globals in the SX52's banks 8 to 15"},
    {'t', &Features::typeSpellings, "int, short, char unsigned, long signed ..."},
    {'d', &Features::twoDimensions, "arrays of two dimensions, a[r][c], pointers to their rows"},
    {'y', &Features::typedefNames, "types spelled by typedef names"},
    {'z', &Features::charPointers, "char * to 8-bit cells in RAM"},
    {'v', &Features::structArguments, "whole structs passed by value"},
    {'m', &Features::pointerPointers,
     "int **pp = &p: **pp, (*pp)[i], *pp = &x; char **; int ***ppp = &pp: ***ppp, *ppp = &p"},
    {'j', &Features::structResults, "functions returning a struct: s = f(), x = f().m"},
    {'P', &Features::pointerMembers,
     "structs of int * and long * members: *s.p, s.p[k], *s.p += e, s.p++, &x == s.p; "
     "a ring of list nodes: p->next->m, p = p->next"},
    {'Q', &Features::pointerChoices, "*(c ? p : q) of two pointers of one type"},
    {'F', &Features::bitFields, "8-bit struct members of a width in bits"},
};

Features none() {
    Features f;
    for (const Letter& l : Letters)
        f.*l.feature = false;
    return f;
}

bool setLetters(Features& f, std::string_view letters, bool on) {
    for (char c : letters) {
        bool known = false;
        for (const Letter& l : Letters) {
            if (l.letter == c) {
                f.*l.feature = on;
                known = true;
            }
        }
        if (!known)
            return false;
    }
    return true;
}

} // namespace

Features passingFeatures(sxsim::DeviceKind device) {
    // Every construct compiles right on both parts. On the SX52 the many globals are left
    // out beside the globals in banks 8 to 15: together they make most programs too big for
    // the RAM. On the SX28 the functions returning a struct, the pointers to pointers and the
    // structs of pointers are left out (the SX52's test has them): their return areas, copies
    // and pointer chains beside the many globals make a quarter of the programs too big for
    // its RAM.
    if (device == sxsim::DeviceKind::SX52)
        return *parseFeatures("all-b", device);
    return *parseFeatures("all-jmP", device);
}

std::optional<Features> parseFeatures(std::string_view text, sxsim::DeviceKind device) {
    const std::size_t end = std::min(text.find_first_of("+-"), text.size());
    const std::string_view base = text.substr(0, end);
    Features f = none();
    if (base == "all")
        f = Features{};
    else if (base == "pass")
        f = passingFeatures(device);
    else if (base != "none" && !setLetters(f, base, true))
        return std::nullopt;
    for (std::size_t at = end; at < text.size();) {
        const std::size_t next = std::min(text.find_first_of("+-", at + 1), text.size());
        if (!setLetters(f, text.substr(at + 1, next - at - 1), text[at] == '+'))
            return std::nullopt;
        at = next;
    }
    return f;
}

std::string featureLetters(const Features& features) {
    std::string letters;
    for (const Letter& l : Letters) {
        if (features.*l.feature)
            letters += l.letter;
    }
    return letters.empty() ? "none" : letters;
}

std::string featureHelp() {
    std::string text;
    for (const Letter& l : Letters)
        text += std::string("  ") + l.letter + "  " + l.meaning + "\n";
    return text;
}

} // namespace kavo::testing::program
