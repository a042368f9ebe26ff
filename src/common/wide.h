#pragma once
// WIDE_LOOP marks a function whose loop sweeps a whole frame: on x86-64 Linux it is built
// twice, for machines with AVX2 (32-byte stores) and for any x86-64, and the loader picks
// one at start-up (function multiversioning). The results are the same either way; only
// the store width differs. Elsewhere (the browser's WebAssembly) it is built once.
#if defined(__x86_64__) && defined(__linux__)
#define WIDE_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define WIDE_LOOP
#endif
