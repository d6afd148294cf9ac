#include "demo/ShowRandom.h"

namespace show_random {

namespace {

// glibc's TYPE_3 generator: 31 words of state, an additive feedback with
// the taps 31 and 3 apart (r[i] = r[i - 31] + r[i - 3], wrapping at 2^32),
// each result the sum without its lowest bit.
constexpr int DEGREE = 31;
constexpr int SEPARATION = 3;

struct State {
    int32_t words[DEGREE] = {};
    int front = SEPARATION; // the word the sum goes into
    int rear = 0;
    bool seeded = false;
};

State g_state;

int32_t step(State& state)
{
    const uint32_t sum =
        static_cast<uint32_t>(state.words[state.front]) + static_cast<uint32_t>(state.words[state.rear]);
    state.words[state.front] = static_cast<int32_t>(sum);
    state.front = (state.front + 1) % DEGREE;
    state.rear = (state.rear + 1) % DEGREE;
    return static_cast<int32_t>(sum >> 1);
}

} // namespace

void seed(uint32_t seed)
{
    State& state = g_state;
    if (seed == 0)
        seed = 1;
    // The words from the seed by the minimal standard generator,
    // r[i] = 16807 r[i - 1] mod (2^31 - 1), computed without overflow
    // (Schrage's method) on the seed as a signed 32-bit number.
    int32_t word = static_cast<int32_t>(seed);
    state.words[0] = word;
    for (int i = 1; i < DEGREE; ++i) {
        const int32_t hi = word / 127773;
        const int32_t lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0)
            word += 2147483647;
        state.words[i] = word;
    }
    state.front = SEPARATION;
    state.rear = 0;
    // The first 310 results are thrown away.
    for (int i = 0; i < 10 * DEGREE; ++i)
        step(state);
    state.seeded = true;
}

int next()
{
    if (!g_state.seeded)
        seed(1);
    return step(g_state);
}

} // namespace show_random
