#pragma once
// Size limits shared by the image family: a picture larger than this is refused like a
// failed allocation, so width * height * 4 always fits comfortably in memory and in int32.
#include <cstdint>

constexpr int64_t MAX_PIXELS = int64_t{1} << 26;  // 67108864 pixels (256 MiB of 32-bit pixels)

// True when w x h is a size the image family accepts (both >= 0, product <= MAX_PIXELS).
constexpr bool size_ok(int32_t w, int32_t h) {
    return w >= 0 && h >= 0 && static_cast<int64_t>(w) * h <= MAX_PIXELS;
}
