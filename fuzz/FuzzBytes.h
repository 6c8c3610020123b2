#pragma once
// Filling of the synthetic files some targets make from a short input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

/// Fills out[0, length) with `pattern` repeated (zeros when the pattern is empty), doubling
/// the copied run at each step instead of taking a remainder per byte.
inline void FillRepeated(uint8_t* out, size_t length, const uint8_t* pattern, size_t n) {
    if (length == 0) return;
    if (n == 0) {
        std::memset(out, 0, length);
        return;
    }
    size_t done = std::min(n, length);
    std::memcpy(out, pattern, done);
    while (done < length) {
        const size_t step = std::min(done, length - done);
        std::memcpy(out + done, out, step);
        done += step;
    }
}
