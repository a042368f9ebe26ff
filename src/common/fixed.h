#pragma once
// Fixed-point and wrap-around helpers. Positions and velocities are 16.16 in int32:
// the pixel is the value shifted right arithmetically by 16. All helpers are free of
// undefined behaviour for every argument value (sums and products wrap modulo 2^32).
#include <cstdint>

constexpr int32_t FIX_SHIFT = 16;
constexpr int32_t FIX_ONE = 1 << FIX_SHIFT;  // 1.0 = one pixel

// Two's-complement wrap-around arithmetic (what a 32-bit machine register does).
constexpr int32_t wrap_add(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int32_t wrap_sub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
constexpr int32_t wrap_mul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
constexpr int32_t wrap_neg(int32_t a) { return static_cast<int32_t>(0u - static_cast<uint32_t>(a)); }
// a << k modulo 2^32, k in 0..31.
constexpr int32_t wrap_shl(int32_t a, int k) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) << (k & 31));
}

// Integer part of a 16.16 value (arithmetic shift, so -0.5 gives -1).
constexpr int32_t fix_to_int(int32_t v) { return v >> FIX_SHIFT; }
// Whole pixels to 16.16, wrapping like the 32-bit shift it stands for.
constexpr int32_t fix_from_int(int32_t v) { return wrap_shl(v, FIX_SHIFT); }

// (a * b) >> s with the product taken in 64 bits and the result truncated to 32:
// for in-range values this is the 32-bit product shifted; for others it never traps.
constexpr int32_t mul_shr(int32_t a, int32_t b, int s) {
    return static_cast<int32_t>((static_cast<int64_t>(a) * b) >> s);
}

// Truncating remainder brought into 0..n-1 (n >= 1): n is added to a negative remainder.
constexpr int32_t mod_wrap(int32_t v, int32_t n) {
    int32_t r = v % n;
    return r < 0 ? r + n : r;
}

// Truncating division and remainder that never trap: INT32_MIN / -1 wraps to INT32_MIN
// and its remainder is 0; a divisor of 0 gives 0.
constexpr int32_t safe_div(int32_t a, int32_t b) {
    if (b == 0) return 0;
    if (b == -1) return wrap_neg(a);
    return a / b;
}
constexpr int32_t safe_rem(int32_t a, int32_t b) {
    if (b == 0 || b == -1) return 0;
    return a % b;
}
