#pragma once
// The show's random numbers (the torus's reds, the scroller's fish and
// bubbles): the sequence of glibc's rand() on every system, so that the
// show draws the same pictures on Windows, whose C library's rand() is
// another generator (RAND_MAX 32767), as on Linux. Like rand(), one
// sequence for the process, seeded once by the demo; not thread-safe.

#include <cstdint>

namespace show_random {

// The largest number next() gives, glibc's RAND_MAX.
constexpr int MAX = 2147483647;

// Starts the sequence again from `seed`, as srand(seed) does (0 counts as 1).
void seed(uint32_t seed);

// The next number of the sequence, 0 to MAX, as rand() gives it; the
// sequence starts as after seed(1) when seed was never called.
int next();

} // namespace show_random
