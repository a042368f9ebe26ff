#pragma once
// RNG: the show's pseudo-random numbers, the same on every machine and in the browser. It is
// the additive-feedback generator that the C library on Debian puts behind srand, rand and
// random, step for step: 31 words of state, each new word the sum (modulo 2^32) of the words
// 3 and 31 places back, each result that word shifted right by one. rng_rand and
// rng_random draw from the one state, as rand and random do there. Main thread only.
#include <cstdint>

void rng_srand(uint32_t seed);  // restart the sequence; seed 0 counts as 1, as does no seed at all
int32_t rng_rand();             // the next number, 0 to 2^31 - 1
int32_t rng_random();           // the same sequence as rng_rand: the one state serves both
