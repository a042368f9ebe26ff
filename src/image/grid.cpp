// GRID: the plain (non-template) helpers of the shared geometry.
#include "image/grid.h"

#include <cstdlib>

#include "common/limits.h"

int32_t* grid_run_table(int32_t a, int32_t b) {
    if (b < 0 || a < b || a > MAX_PIXELS) return nullptr;
    int32_t* table = static_cast<int32_t*>(std::calloc(static_cast<size_t>(b) + 1, sizeof(int32_t)));
    if (table == nullptr) return nullptr;
    // Bresenham-style walk: step i lands on counter floor(i * b / a); the extra last step
    // lands on counter b, which nobody reads. k advances at most once per step since b <= a.
    int64_t e = a;
    int64_t k = 0;
    for (int64_t i = 0; i <= a; ++i) {
        e -= b;
        ++table[k];
        if (e <= 0) {
            e += a;
            ++k;
        }
    }
    return table;
}

bool grid_rotated_size(int32_t width, int32_t height, int32_t& rotated_width, int32_t& rotated_height) {
    constexpr int64_t GROWTH = 92667;  // sqrt 2 in 16.16
    const int64_t w = (int64_t{width} * GROWTH) >> 16;
    const int64_t h = (int64_t{height} * GROWTH) >> 16;
    if (w > INT32_MAX || h > INT32_MAX || !size_ok(static_cast<int32_t>(w), static_cast<int32_t>(h))) return false;
    rotated_width = static_cast<int32_t>(w);
    rotated_height = static_cast<int32_t>(h);
    return true;
}
