// A small encoder of ASCII RIB into the binary encoding, for the tests and
// the benchmark: requests defined once and then used by code, strings seen
// twice defined once and referenced, integers in the shortest form whose
// top bit is clear (negatives in four bytes), reals as 8.8 fixed point when
// exact, else as IEEE floats (or doubles), and bracketed real arrays as
// binary float arrays. Comments are dropped.
#ifndef QEL_TESTS_RIBENCODER_H
#define QEL_TESTS_RIBENCODER_H

#include <string>

struct RibEncoding {
    bool doubles = false;         // reals as IEEE doubles rather than floats
    bool everyOtherAscii = false; // every other request keyword left in ASCII
};

std::string encodeRib(const std::string& ascii, const RibEncoding& encoding = {});

#endif
