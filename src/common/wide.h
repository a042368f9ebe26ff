#pragma once
// WIDE_LOOP marks a function whose loops sweep whole rows or a whole frame: on x86-64 Linux
// it is built twice, for machines with AVX2 (32-byte vectors) and for any x86-64, and the
// loader picks one at start-up (function multiversioning). Everything it calls is inlined
// into it (flatten), so the shared loops are compiled for each machine too. The results are
// the same either way; only the vector width differs. Elsewhere (the browser's WebAssembly)
// it is built once.
#if defined(__x86_64__) && defined(__linux__)
#define WIDE_LOOP __attribute__((target_clones("avx2", "default"), flatten))
#else
#define WIDE_LOOP
#endif
