#pragma once

// What a typedef'd type adds to its specifier words, as the TYPEDEFNAME item standing for the
// name carries it in its ival: pointer levels (typedef int **ipp: 2), an array's elements
// (typedef char row[3]: 3), both for an array of pointers (typedef char *strs[3]), or a
// pointer to an array (typedef int (*rows)[3]: a pointer to 3 elements).

namespace kavo {

struct TypedefDerivation {
    int pointers = 0;     // pointer levels; under the array's elements when both are given
    int count = 0;        // elements of an array type; 0 for any other
    bool toArray = false; // a pointer to the array of count elements (pointers is 0)
};

// A typedef adds at most this many pointer levels, and an array of at most this many
// elements (more than any data memory holds): the encoding's limits.
inline constexpr int MaxTypedefPointers = 63;
inline constexpr int MaxTypedefElements = 65535;

// ival: elements (> 0) for an array of non-pointers; -(pointers + 64 * elements) otherwise,
// where no pointers (-64 * elements) is the pointer to the array; 0 for no derivation.
inline int typedefDerivationValue(const TypedefDerivation& d) {
    if (d.pointers == 0 && !d.toArray)
        return d.count;
    return -(d.pointers + (MaxTypedefPointers + 1) * d.count);
}

inline TypedefDerivation typedefDerivationOf(int ival) {
    if (ival >= 0)
        return {0, ival};
    const int pointers = -ival % (MaxTypedefPointers + 1);
    return {pointers, -ival / (MaxTypedefPointers + 1), pointers == 0};
}

} // namespace kavo
