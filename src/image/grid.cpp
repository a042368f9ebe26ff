// GRID: the plain (non-template) helpers of the shared geometry: the scaler's run table,
// rotated sizes, the fade's byte loop and the circle's points.
#include "image/grid.h"

#include <cstdlib>

#include "common/limits.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#elif defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

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

namespace {

// The fade as one per-byte saturating subtract: every byte of the buffer loses the byte of
// pattern at its place in each four-byte word (in the word's own numeric order, which is
// memory order on these little-endian machines). A byte that is not a colour channel
// subtracts 255 and so becomes 0. Vector code where the machine has it, four 16-byte vectors
// a step (one at a time runs at half the speed); the cells it leaves (the tail, or all of
// them elsewhere) take the per-cell formula.
#if defined(__SSE2__) || defined(__wasm_simd128__)
#if defined(__SSE2__)
using Vector = __m128i;
inline Vector splat(uint32_t word) { return _mm_set1_epi32(static_cast<int32_t>(word)); }
inline Vector load(const Vector* at) { return _mm_loadu_si128(at); }
inline void store(Vector* at, Vector v) { _mm_storeu_si128(at, v); }
inline Vector subtract_saturated(Vector a, Vector b) { return _mm_subs_epu8(a, b); }
#else
using Vector = v128_t;
inline Vector splat(uint32_t word) { return wasm_i32x4_splat(static_cast<int32_t>(word)); }
inline Vector load(const Vector* at) { return wasm_v128_load(at); }
inline void store(Vector* at, Vector v) { wasm_v128_store(at, v); }
inline Vector subtract_saturated(Vector a, Vector b) { return wasm_u8x16_sub_sat(a, b); }
#endif

// Fades whole vectors from the start of cells; returns how many cells it did.
template <typename Cell>
size_t fade_vectors(Cell* cells, size_t n, uint32_t pattern) {
    constexpr size_t PER_VECTOR = sizeof(Vector) / sizeof(Cell);
    const Vector subtrahend = splat(pattern);
    auto* v = reinterpret_cast<Vector*>(cells);
    const size_t vectors = n / PER_VECTOR;
    size_t i = 0;
    for (; i + 4 <= vectors; i += 4) {
        const Vector a = load(v + i), b = load(v + i + 1), c = load(v + i + 2), d = load(v + i + 3);
        store(v + i, subtract_saturated(a, subtrahend));
        store(v + i + 1, subtract_saturated(b, subtrahend));
        store(v + i + 2, subtract_saturated(c, subtrahend));
        store(v + i + 3, subtract_saturated(d, subtrahend));
    }
    for (; i < vectors; ++i) store(v + i, subtract_saturated(load(v + i), subtrahend));
    return vectors * PER_VECTOR;
}
#else
template <typename Cell>
size_t fade_vectors(Cell*, size_t, uint32_t) {
    return 0;
}
#endif

template <typename Cell>
void fade_cells(Cell* cells, size_t n, uint8_t step) {
    const uint32_t channels = sizeof(Cell) == 4 ? GRID_CHANNELS<uint32_t> : 0xFFFFFFFFu;
    const uint32_t pattern = (step * 0x01010101u & channels) | ~channels;
    for (size_t i = fade_vectors(cells, n, pattern); i < n; ++i) cells[i] = grid_detail::fade_cell(cells[i], step);
}

// Largest radius kept in the circle table; larger circles are walked on each call.
constexpr int32_t CIRCLE_TABLE_RADIUS = 32;
// A quarter walk's distinct pairs number at most 2 * radius + 1 (dx and dy each take at most
// radius + 1 values, one of them changing at each new pair).
constexpr int32_t CIRCLE_TABLE_PAIRS = CIRCLE_TABLE_RADIUS * CIRCLE_TABLE_RADIUS + 2 * CIRCLE_TABLE_RADIUS;

// The quarter walk for one radius with repeats of the previous pair left out (equal pairs
// of the walk are neighbours, as dx only falls and dy only rises along it); returns the count.
int32_t walk_circle(int32_t radius, CirclePair* out, int32_t& reach) {
    const int32_t length = sine_table.length;
    const int32_t mask = sine_table.mask & SINE_MASK;  // never index past the stored period
    int32_t count = 0;
    reach = 0;
    for (int32_t i = 0; i < length / 4; ++i) {
        const int32_t dx = mul_shr(sine_table.entries[(length / 4 + i) & mask], radius, 15);
        const int32_t dy = mul_shr(sine_table.entries[i & mask], radius, 15);
        if (count > 0 && out[count - 1].dx == dx && out[count - 1].dy == dy) continue;
        out[count++] = CirclePair{dx, dy};
        reach = dx > reach ? dx : reach;
        reach = dy > reach ? dy : reach;
    }
    return count;
}

struct CircleTable {
    int32_t first[CIRCLE_TABLE_RADIUS + 1];  // radius r: count[r] pairs from pairs[first[r]]
    int32_t count[CIRCLE_TABLE_RADIUS + 1];  // 0: not kept, walked on each call
    int32_t reach[CIRCLE_TABLE_RADIUS + 1];
    CirclePair pairs[CIRCLE_TABLE_PAIRS];
};

// Built on first use (thread-safe, no global constructor): each radius's walk, kept when it
// fits the bound above (which holds for every radius; should one not fit, it is walked on
// each call instead, so the outline never depends on the table).
const CircleTable& circle_table() {
    static const CircleTable table = [] {
        CircleTable t{};
        CirclePair walk[CIRCLE_PAIRS_MAX];
        int32_t next = 0;
        for (int32_t r = 1; r <= CIRCLE_TABLE_RADIUS; ++r) {
            const int32_t count = walk_circle(r, walk, t.reach[r]);
            if (count > CIRCLE_TABLE_PAIRS - next) continue;
            t.first[r] = next;
            t.count[r] = count;
            for (int32_t k = 0; k < count; ++k) t.pairs[next++] = walk[k];
        }
        return t;
    }();
    return table;
}

}  // namespace

void grid_fade_cells(uint32_t* pixels, size_t n, uint8_t step) { fade_cells(pixels, n, step); }
void grid_fade_cells(uint8_t* cells, size_t n, uint8_t step) { fade_cells(cells, n, step); }

CirclePoints grid_circle_points(int32_t radius, CirclePair (&scratch)[CIRCLE_PAIRS_MAX]) {
    if (radius <= CIRCLE_TABLE_RADIUS) {
        const CircleTable& t = circle_table();
        if (t.count[radius] > 0) return {t.pairs + t.first[radius], t.count[radius], t.reach[radius]};
    }
    CirclePoints points{scratch, 0, 0};
    points.count = walk_circle(radius, scratch, points.reach);
    return points;
}
