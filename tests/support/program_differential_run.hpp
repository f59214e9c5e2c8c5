#pragma once

// The random differential test of whole programs: each generated program is compiled for an
// SX28 or an SX52 through the whole compiler, run on the SX core model to main's end, and
// every global the compiler kept is compared with the value the host model gives.

#include "tests/support/random_program.hpp"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kavo::testing::program {

// A program too big for the chip (C70: program memory, C114: RAM) is the generator's
// doing, not a construct the compiler refuses: it is counted on its own.
enum class Verdict { Agrees, TooBig, Refused, Disagrees };

struct Outcome {
    Verdict verdict = Verdict::Agrees;
    std::string message; // the compiler's errors, the wrong values or why the run stopped
    int banks = 0;       // RAM banks holding the program's globals
    bool pages = false;  // the program is larger than one page of program memory
};

// The program compiled for the device (its header from examples/ in front) and run; every
// global that has RAM must hold its expected cells.
Outcome check(const Program& p, const FinalCells& expected, sxsim::DeviceKind device);

struct ProgramFigures {
    int programs = 0;      // compiled (or refused) and compared
    int undefined = 0;     // generated, then thrown away: the model found no defined result
    int tooBig = 0;        // programs that did not fit the chip
    int refused = 0;       // programs the compiler refused otherwise
    int disagreements = 0; // programs that left a wrong value or did not reach main's end
    int banks = 0;         // the most RAM banks one program's globals used
    int multiPage = 0;     // compiled programs larger than one page of program memory
    std::map<std::string, int> refusals; // by the first error, without names and numbers
    std::vector<std::string> examples;   // reduced programs with their messages
};

// `count` programs from the seed; the first refusals of each message and the first
// disagreements are reduced and kept, up to `examples` of each.
ProgramFigures runRandomPrograms(std::uint32_t seed, int count, const Features& features,
                                 sxsim::DeviceKind device, int examples = 3);

} // namespace kavo::testing::program
