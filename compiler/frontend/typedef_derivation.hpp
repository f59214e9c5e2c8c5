#pragma once

// What a typedef'd type adds to its specifier words, as the TYPEDEFNAME item standing for the
// name carries it in its ival: pointer levels (typedef int **ipp: 2), an array's elements
// (typedef char row[3]: 3), or both for an array of pointers (typedef char *strs[3]).

namespace kavo {

struct TypedefDerivation {
    int pointers = 0; // pointer levels; under the array's elements when both are given
    int count = 0;    // elements of an array type; 0 for any other
};

// A typedef adds at most this many pointer levels, and an array of at most this many
// elements (more than any data memory holds): the encoding's limits.
inline constexpr int MaxTypedefPointers = 63;
inline constexpr int MaxTypedefElements = 65535;

// ival: elements (> 0) for an array of non-pointers; -(pointers + 64 * elements) otherwise;
// 0 for no derivation.
inline int typedefDerivationValue(const TypedefDerivation& d) {
    if (d.pointers == 0)
        return d.count;
    return -(d.pointers + (MaxTypedefPointers + 1) * d.count);
}

inline TypedefDerivation typedefDerivationOf(int ival) {
    if (ival >= 0)
        return {0, ival};
    return {-ival % (MaxTypedefPointers + 1), -ival / (MaxTypedefPointers + 1)};
}

} // namespace kavo
