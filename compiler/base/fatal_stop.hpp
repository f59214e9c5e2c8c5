#pragma once

#include <stdexcept>
#include <string>

namespace kavo {

// An unrecoverable condition of the compiler core. It unwinds to the compiler entry, which
// reports "Error Location Number: %d Error Status Code: %d"; the process (or the IDE) survives.
struct FatalStop : std::runtime_error {
    FatalStop(int stopLocation, int stopStatus = 1)
        : std::runtime_error("compiler fatal stop"), location(stopLocation), status(stopStatus) {}
    int location;
    int status;
};

// Location numbers of the fatal stops.
namespace fatal {
constexpr int NullAppend = 7;
constexpr int NodeAlreadyInList = 8;
constexpr int ListTooLong = 9;
constexpr int MyndupBadPointer = 10;
constexpr int OutOfMemory = 12;
constexpr int DupidentBadPointer = 13;
constexpr int IdentifierNotFound = 14;
constexpr int CircularCall = 25;
constexpr int SymbolListTooLong = 27;
} // namespace fatal

} // namespace kavo
