#include "common/rng.h"

#include <cstdint>

namespace {

constexpr int32_t RNG_DEGREE = 31;      // words of state
constexpr int32_t RNG_SEPARATION = 3;   // the other term of each sum lies this far back
constexpr int32_t RNG_WARM_UP = 10 * RNG_DEGREE;  // results thrown away after seeding

struct RngState {
    uint32_t words[RNG_DEGREE];
    int32_t front;  // the word that takes the next sum
    int32_t rear;   // the word added to it, RNG_DEGREE - RNG_SEPARATION places behind
};

constexpr int32_t rng_step(RngState& state) {
    state.words[state.front] += state.words[state.rear];
    const uint32_t result = state.words[state.front] >> 1;
    if (++state.front == RNG_DEGREE) state.front = 0;
    if (++state.rear == RNG_DEGREE) state.rear = 0;
    return static_cast<int32_t>(result);
}

// The words are seed x 16807^i modulo 2^31 - 1, computed on the seed's 32 bits read as a
// signed number (Schrage's method, so no product leaves 32 bits); a seed with its top bit
// set thus gives the very words the C library gives it.
constexpr RngState rng_seeded(uint32_t seed) {
    RngState state{};
    if (seed == 0) seed = 1;
    state.words[0] = seed;
    auto word = static_cast<int32_t>(seed);
    for (int32_t i = 1; i < RNG_DEGREE; ++i) {
        const int32_t high = word / 127773;
        const int32_t low = word % 127773;
        word = 16807 * low - 2836 * high;
        if (word < 0) word += 2147483647;
        state.words[i] = static_cast<uint32_t>(word);
    }
    state.front = RNG_SEPARATION;
    state.rear = 0;
    for (int32_t i = 0; i < RNG_WARM_UP; ++i) rng_step(state);
    return state;
}

constinit RngState rng_state = rng_seeded(1);

}  // namespace

void rng_srand(uint32_t seed) {
    rng_state = rng_seeded(seed);
}

int32_t rng_rand() {
    return rng_step(rng_state);
}

int32_t rng_random() {
    return rng_step(rng_state);
}
