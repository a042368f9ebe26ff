#pragma once
// GRID: the geometry that the 32-bit image and the byte map share, written once over a view
// of a row-major cell buffer (Cell is uint32_t for 0x00RRGGBB pixels, uint8_t for byte-map
// cells). Private to the image library: img*.cpp and bytemap.cpp turn their records into
// views (family.h) and report what these functions refuse.
//
// Every function checks its arguments first and returns false when they are refused (an
// unusable view, a rectangle fill that does not fit, a bad row or column); the caller then
// prints its module's error line. Drawing that sticks out is clipped, which is not a failure.
// Coordinates and sizes arrive as arbitrary int32: every bound is worked out once per call
// in 64 bits, and the inner loops then run over the flat arrays with no further checks:
// selects, never conditional stores, in fixed blocks that GCC vectorises. A source that
// shares memory with its destination (a picture drawn onto itself) runs strictly in order
// instead, each cell seeing what the cells before it left.
// Cell value 0 is the colour key that keyed drawing skips.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "common/fixed.h"
#include "common/sine_table.h"

template <typename Cell>
struct Grid {
    int32_t width;   // cells per row, >= 0
    int32_t height;  // rows, >= 0
    Cell* cells;     // width * height cells; null when the record cannot be worked on
};

// A value argument of cell type that does not take part in deducing Cell.
template <typename Cell>
using CellValue = std::type_identity_t<Cell>;

// The bits of a cell that carry colour; the fade and the half blend drop the others.
template <typename Cell>
inline constexpr Cell GRID_CHANNELS = 0;
template <>
inline constexpr uint32_t GRID_CHANNELS<uint32_t> = 0x00FFFFFFu;
template <>
inline constexpr uint8_t GRID_CHANNELS<uint8_t> = 0xFFu;

// Per-cell operations
template <typename Cell> bool grid_clear(Grid<Cell> g);                                          // all cells 0
template <typename Cell> bool grid_get(Grid<const Cell> g, int32_t x, int32_t y, Cell& value);   // outside: 0
template <typename Cell> bool grid_put(Grid<Cell> g, int32_t x, int32_t y, CellValue<Cell> value);  // outside: ignored
template <typename Cell>
bool grid_fill_rect(Grid<Cell> g, int32_t x, int32_t y, int32_t w, int32_t h, CellValue<Cell> value);   // must fit
template <typename Cell>
bool grid_frame_rect(Grid<Cell> g, int32_t x, int32_t y, int32_t w, int32_t h, CellValue<Cell> value);  // must fit
template <typename Cell> bool grid_fade(Grid<Cell> g, uint8_t step);          // each channel byte - step, floor 0
template <typename Cell> bool grid_and_mask(Grid<const Cell> mask, Grid<Cell> target);  // mask's count of cells
// Outline of the given radius (>= 1) about a centre inside the view; clipped.
template <typename Cell>
bool grid_circle(Grid<Cell> g, int32_t cx, int32_t cy, int32_t radius, CellValue<Cell> value);
template <typename Cell> bool grid_copy(Grid<const Cell> source, Grid<Cell> destination);     // same size only
template <typename Cell> bool grid_equal(Grid<const Cell> a, Grid<const Cell> b, int& same);  // same: 1 or 0
template <typename Cell>
bool grid_copy_row(Grid<const Cell> source, Grid<Cell> destination, int32_t source_row, int32_t destination_row);

// Blits: source first, source position before destination position.
template <typename Cell>
bool grid_blit_key(Grid<const Cell> source, Grid<Cell> destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                   int32_t w, int32_t h);  // skips source 0
template <typename Cell>
bool grid_blit_add(Grid<const Cell> source, Grid<Cell> destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                   int32_t w, int32_t h);  // destination += source, modulo the cell's range
// Source cell (sx + c, sy + r) lands on (dx + c * x_step, dy + r * y_step); steps >= 1; skips 0.
template <typename Cell>
bool grid_blit_stepped(Grid<const Cell> source, Grid<Cell> destination, int32_t sx, int32_t sy, int32_t dx,
                       int32_t dy, int32_t w, int32_t h, int32_t x_step, int32_t y_step);
// Whole source at (x, y): for non-zero s, d = ((s >> 1) + (d >> 1)) on each channel.
template <typename Cell> bool grid_blit_half(Grid<const Cell> source, Grid<Cell> destination, int32_t x, int32_t y);
template <typename Cell>
bool grid_copy_column_wrap(Grid<const Cell> source, Grid<Cell> destination, int32_t source_column,
                           int32_t destination_column, int32_t destination_row);  // vertical wrap, skips 0
template <typename Cell>
bool grid_or_row_wrap(Grid<const Cell> source, Grid<Cell> destination, int32_t source_row, int32_t destination_row,
                      int32_t column_offset);  // horizontal wrap
template <typename Cell>
bool grid_copy_row_wrap(Grid<const Cell> source, Grid<Cell> destination, int32_t source_row,
                        int32_t destination_row, int32_t column_offset);  // horizontal wrap, skips 0
template <typename Cell> bool grid_scale(Grid<const Cell> source, Grid<Cell> destination);  // nearest neighbour
// Fills an all-0 view of the rotated size (grid_rotated_size) with the source turned by
// angle (1024ths of a turn) about the centres; positions outside the source stay 0.
template <typename Cell> bool grid_rotate(Grid<const Cell> source, Grid<Cell> rotated, int32_t angle);

// Plain helpers (grid.cpp)
// The scaler's run table for lengths a >= b >= 0 (a <= MAX_PIXELS): b + 1 counters, counter
// k = number of i in 0..a-1 with floor(i * b / a) = k. Caller frees with std::free; null when
// refused or short of memory.
int32_t* grid_run_table(int32_t a, int32_t b);
// Sides of a rotated picture, side * 92667 >> 16 (about side * sqrt 2); false when too large.
bool grid_rotated_size(int32_t width, int32_t height, int32_t& rotated_width, int32_t& rotated_height);
// The fade of n cells (grid_fade's loop), a per-byte saturating subtract.
void grid_fade_cells(uint32_t* pixels, size_t n, uint8_t step);
void grid_fade_cells(uint8_t* cells, size_t n, uint8_t step);

// A circle outline's points for radius >= 1: the quarter walk of 256 sine-table angles gives
// offsets dx = cos * radius >> 15 and dy = sin * radius >> 15, and each (dx, dy) stands for
// the four points (cx + dx - 1, cy +- dy) and (cx - dx, cy +- dy). The pairs listed are the
// walk's with repeats left out, which leaves the set of points as it is. Every dx and dy
// lies in 0..reach.
struct CirclePair {
    int32_t dx;
    int32_t dy;
};
inline constexpr int32_t CIRCLE_PAIRS_MAX = 256;  // one per angle of the quarter walk
struct CirclePoints {
    const CirclePair* pairs;
    int32_t count;  // 1..CIRCLE_PAIRS_MAX
    int32_t reach;  // largest dx or dy
};
// From a table built at first use for small radii; larger ones are walked into scratch.
CirclePoints grid_circle_points(int32_t radius, CirclePair (&scratch)[CIRCLE_PAIRS_MAX]);

// ---------------------------------------------------------------------------------------
// Definitions

namespace grid_detail {

template <typename Cell>
size_t count(Grid<Cell> g) {
    return static_cast<size_t>(g.width) * static_cast<size_t>(g.height);
}

// Cell (x, y) of a view; x and y are known to be inside.
template <typename Cell>
Cell* at(Grid<Cell> g, int64_t x, int64_t y) {
    return g.cells + static_cast<size_t>(y) * static_cast<size_t>(g.width) + static_cast<size_t>(x);
}

template <typename Cell>
bool inside(Grid<Cell> g, int64_t x, int64_t y) {
    return x >= 0 && y >= 0 && x < g.width && y < g.height;
}

// Clipped write with 64-bit coordinates, for points computed from arbitrary arguments.
template <typename Cell>
void put_clipped(Grid<Cell> g, int64_t x, int64_t y, Cell value) {
    if (inside(g, x, y)) *at(g, x, y) = value;
}

// Top-left cell of a fill's rectangle, which must lie wholly inside a usable view and hold
// at least one cell; null otherwise.
template <typename Cell>
Cell* rect_origin(Grid<Cell> g, int32_t x, int32_t y, int32_t w, int32_t h) {
    const bool fits = g.cells != nullptr && inside(g, x, y) && w >= 1 && h >= 1 && int64_t{x} + w <= g.width &&
                      int64_t{y} + h <= g.height;
    return fits ? at(g, x, y) : nullptr;
}

// A clipped rectangle: w x h cells from (sx, sy) of the source to (dx, dy) of the
// destination, all inside their pictures.
struct Clip {
    int64_t sx, sy, dx, dy, w, h;
};

// Clipping of the rectangle blits; false when nothing is left to draw. The source's far
// edge is judged on the values passed in; moving a negative sx onto the destination does
// not change sx + w, so both readings agree.
inline bool clip_rect(int64_t sw, int64_t sh, int64_t dw, int64_t dh, Clip& r) {
    if (r.dx >= dw || r.dx + r.w < 0 || r.dy >= dh || r.dy + r.h < 0) return false;
    if (r.sx >= sw || r.sx + r.w < 0 || r.sy >= sh || r.sy + r.h < 0) return false;
    // A negative start on one side moves to 0; the other side's start and the length follow.
    const auto pull_in = [](int64_t& start, int64_t& other, int64_t& length) {
        if (start >= 0) return;
        other -= start;
        length += start;
        start = 0;
    };
    const int64_t right = r.sx + r.w, bottom = r.sy + r.h;
    pull_in(r.sx, r.dx, r.w);
    pull_in(r.sy, r.dy, r.h);
    if (right > sw) r.w = sw - r.sx;
    if (bottom > sh) r.h = sh - r.sy;
    pull_in(r.dx, r.sx, r.w);
    pull_in(r.dy, r.sy, r.h);
    if (r.dx + r.w > dw) r.w = dw - r.dx;
    if (r.dy + r.h > dh) r.h = dh - r.dy;
    return r.w > 0 && r.h > 0;
}

// True when two views' buffers share memory (a picture drawn onto itself): their loops then
// run strictly in order, each cell seeing what the cells before it left.
template <typename A, typename B>
bool overlap(Grid<A> a, Grid<B> b) {
    const auto a0 = reinterpret_cast<uintptr_t>(a.cells), b0 = reinterpret_cast<uintptr_t>(b.cells);
    return a0 < b0 + count(b) * sizeof(B) && b0 < a0 + count(a) * sizeof(A);
}

// d[i] = op(d[i], s[i]) over n cells of rows that do not overlap. The fixed-size blocks let
// GCC vectorise the loop at -O2 as well (its cheap cost model wants a trip count known when
// compiling); op is a select, never a conditional store, so every block vectorises. A block
// is a cache line: two 32-byte vectors (or four of 16) back to back, which keeps pace with
// memcpy where one vector a step does not.
template <typename Cell, typename Op>
void each_cell(const Cell* __restrict s, Cell* __restrict d, size_t n, Op op) {
    constexpr size_t BLOCK = 64 / sizeof(Cell);
    size_t i = 0;
    for (; i + BLOCK <= n; i += BLOCK)
        for (size_t k = 0; k < BLOCK; ++k) d[i + k] = op(d[i + k], s[i + k]);
    for (; i < n; ++i) d[i] = op(d[i], s[i]);
}

// d[i] = value over n cells, in the same blocks.
template <typename Cell>
void fill_cells(Cell* d, size_t n, Cell value) {
    constexpr size_t BLOCK = 64 / sizeof(Cell);
    size_t i = 0;
    for (; i + BLOCK <= n; i += BLOCK)
        for (size_t k = 0; k < BLOCK; ++k) d[i + k] = value;
    for (; i < n; ++i) d[i] = value;
}

// The same strictly in order, for rows that may overlap.
template <typename Cell, typename Op>
void each_cell_in_order(const Cell* s, Cell* d, size_t n, Op op) {
    for (size_t i = 0; i < n; ++i) d[i] = op(d[i], s[i]);
}

template <typename Cell, typename Op>
void each_cell(const Cell* s, Cell* d, size_t n, bool shared, Op op) {
    if (shared) {
        each_cell_in_order(s, d, n, op);
    } else {
        each_cell(s, d, n, op);
    }
}

// The cell combinations, each returning the new destination cell.
inline constexpr auto keyed = [](auto d, auto s) { return s != 0 ? s : d; };  // a source 0 keeps d
inline constexpr auto added = [](auto d, auto s) { return static_cast<decltype(d)>(d + s); };
inline constexpr auto ored = [](auto d, auto s) { return static_cast<decltype(d)>(d | s); };

// Shared body of the rectangle blits: clips once, then op over the flat rows of the
// clipped rectangle.
template <typename Cell, typename Op>
bool blit_rect(Grid<const Cell> source, Grid<Cell> destination, Clip r, Op op) {
    if (source.cells == nullptr || destination.cells == nullptr) return false;
    if (!clip_rect(source.width, source.height, destination.width, destination.height, r)) return true;
    const bool shared = overlap(source, destination);
    const size_t s_stride = static_cast<size_t>(source.width);
    const size_t d_stride = static_cast<size_t>(destination.width);
    const size_t width = static_cast<size_t>(r.w);
    const Cell* s = at(source, r.sx, r.sy);
    Cell* d = at(destination, r.dx, r.dy);
    for (int64_t row = 0; row < r.h; ++row, s += s_stride, d += d_stride) each_cell(s, d, width, shared, op);
    return true;
}

// Shared body of the row wraps: min(source width, destination width) cells, starting at the
// offset taken modulo the destination width and wrapping to column 0.
template <typename Cell, typename Op>
bool row_wrap(Grid<const Cell> source, Grid<Cell> destination, int32_t source_row, int32_t destination_row,
              int32_t column_offset, Op op) {
    if (source.cells == nullptr || destination.cells == nullptr || source_row < 0 || source_row >= source.height ||
        destination_row < 0 || destination_row >= destination.height)
        return false;
    const int32_t n = source.width < destination.width ? source.width : destination.width;
    if (n == 0) return true;  // also keeps the modulo below away from a zero width
    const int32_t start = mod_wrap(column_offset, destination.width);
    const bool shared = overlap(source, destination);
    const Cell* s = at(source, 0, source_row);
    Cell* d = at(destination, 0, destination_row);
    const int32_t first = destination.width - start < n ? destination.width - start : n;
    each_cell(s, d + start, static_cast<size_t>(first), shared, op);
    each_cell(s + first, d, static_cast<size_t>(n - first), shared, op);
    return true;
}

// Per-byte saturating subtract of the step, then only the channel bits kept.
template <typename Cell>
Cell fade_cell(Cell v, uint8_t step) {
    Cell out = 0;
    for (unsigned shift = 0; shift < 8 * sizeof(Cell); shift += 8) {
        const unsigned byte = (v >> shift) & 0xFFu;
        out = static_cast<Cell>(out | (byte > step ? Cell(byte - step) << shift : 0));
    }
    return static_cast<Cell>(out & GRID_CHANNELS<Cell>);
}

}  // namespace grid_detail

template <typename Cell>
bool grid_clear(Grid<Cell> g) {
    if (g.cells == nullptr) return false;
    std::memset(g.cells, 0, grid_detail::count(g) * sizeof(Cell));
    return true;
}

template <typename Cell>
bool grid_get(Grid<const Cell> g, int32_t x, int32_t y, Cell& value) {
    value = 0;
    if (g.cells == nullptr) return false;
    if (grid_detail::inside(g, x, y)) value = *grid_detail::at(g, x, y);
    return true;
}

template <typename Cell>
bool grid_put(Grid<Cell> g, int32_t x, int32_t y, CellValue<Cell> value) {
    if (g.cells == nullptr) return false;
    grid_detail::put_clipped(g, x, y, value);
    return true;
}

template <typename Cell>
bool grid_fill_rect(Grid<Cell> g, int32_t x, int32_t y, int32_t w, int32_t h, CellValue<Cell> value) {
    Cell* row = grid_detail::rect_origin(g, x, y, w, h);
    if (row == nullptr) return false;
    const size_t stride = static_cast<size_t>(g.width);
    for (int32_t j = 0; j < h; ++j, row += stride) grid_detail::fill_cells(row, static_cast<size_t>(w), value);
    return true;
}

template <typename Cell>
bool grid_frame_rect(Grid<Cell> g, int32_t x, int32_t y, int32_t w, int32_t h, CellValue<Cell> value) {
    if (grid_detail::rect_origin(g, x, y, w, h) == nullptr) return false;
    // Four fills one cell thick: top and bottom rows, left and right columns.
    grid_fill_rect(g, x, y, w, 1, value);
    grid_fill_rect(g, x, y + h - 1, w, 1, value);
    grid_fill_rect(g, x, y, 1, h, value);
    grid_fill_rect(g, x + w - 1, y, 1, h, value);
    return true;
}

template <typename Cell>
bool grid_fade(Grid<Cell> g, uint8_t step) {
    if (g.cells == nullptr) return false;
    grid_fade_cells(g.cells, grid_detail::count(g), step);
    return true;
}

template <typename Cell>
bool grid_and_mask(Grid<const Cell> mask, Grid<Cell> target) {
    if (mask.cells == nullptr || target.cells == nullptr || grid_detail::count(target) < grid_detail::count(mask))
        return false;
    const size_t n = grid_detail::count(mask);
    if (!grid_detail::overlap(mask, target)) {
        grid_detail::each_cell(mask.cells, target.cells, n, [](Cell t, Cell m) { return static_cast<Cell>(t & m); });
    } else {
        for (size_t i = n; i-- > 0;) target.cells[i] &= mask.cells[i];  // last cell first, as it always went
    }
    return true;
}

template <typename Cell>
bool grid_circle(Grid<Cell> g, int32_t cx, int32_t cy, int32_t radius, CellValue<Cell> value) {
    if (g.cells == nullptr || !grid_detail::inside(g, cx, cy) || radius < 1) return false;
    CirclePair scratch[CIRCLE_PAIRS_MAX];
    const CirclePoints points = grid_circle_points(radius, scratch);
    const CirclePair* const end = points.pairs + points.count;
    // Every point of the outline gets the same value, so each is drawn once, whatever the
    // order. The right-hand points sit one cell further in, so the outline is symmetric about
    // the centre cell's left edge.
    const int64_t reach = points.reach;
    if (cx - reach - 1 >= 0 && cx + reach < g.width && cy - reach >= 0 && cy + reach < g.height) {
        // Wholly inside: no point needs clipping.
        for (const CirclePair* p = points.pairs; p != end; ++p) {
            Cell* below = grid_detail::at(g, cx, cy + p->dy);
            below[p->dx - 1] = value;
            below[-p->dx] = value;
            if (p->dy == 0) continue;  // the rows above and below are the same row
            Cell* above = grid_detail::at(g, cx, cy - p->dy);
            above[p->dx - 1] = value;
            above[-p->dx] = value;
        }
        return true;
    }
    for (const CirclePair* p = points.pairs; p != end; ++p) {
        grid_detail::put_clipped(g, int64_t{cx} + p->dx - 1, int64_t{cy} + p->dy, value);
        grid_detail::put_clipped(g, int64_t{cx} - p->dx, int64_t{cy} + p->dy, value);
        grid_detail::put_clipped(g, int64_t{cx} + p->dx - 1, int64_t{cy} - p->dy, value);
        grid_detail::put_clipped(g, int64_t{cx} - p->dx, int64_t{cy} - p->dy, value);
    }
    return true;
}

template <typename Cell>
bool grid_copy(Grid<const Cell> source, Grid<Cell> destination) {
    if (source.cells == nullptr || destination.cells == nullptr || source.width != destination.width ||
        source.height != destination.height)
        return false;
    std::memmove(destination.cells, source.cells, grid_detail::count(source) * sizeof(Cell));
    return true;
}

template <typename Cell>
bool grid_equal(Grid<const Cell> a, Grid<const Cell> b, int& same) {
    same = 0;
    if (a.cells == nullptr || b.cells == nullptr) return false;
    if (a.width == b.width && a.height == b.height)
        same = std::memcmp(a.cells, b.cells, grid_detail::count(a) * sizeof(Cell)) == 0 ? 1 : 0;
    return true;
}

template <typename Cell>
bool grid_copy_row(Grid<const Cell> source, Grid<Cell> destination, int32_t source_row, int32_t destination_row) {
    if (source.cells == nullptr || destination.cells == nullptr || source_row < 0 || source_row >= source.height ||
        destination_row < 0 || destination_row >= destination.height)
        return false;
    const int32_t n = source.width < destination.width ? source.width : destination.width;
    std::memmove(grid_detail::at(destination, 0, destination_row), grid_detail::at(source, 0, source_row),
                 static_cast<size_t>(n) * sizeof(Cell));
    return true;
}

template <typename Cell>
bool grid_blit_key(Grid<const Cell> source, Grid<Cell> destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                   int32_t w, int32_t h) {
    return grid_detail::blit_rect(source, destination, {sx, sy, dx, dy, w, h}, grid_detail::keyed);
}

template <typename Cell>
bool grid_blit_add(Grid<const Cell> source, Grid<Cell> destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                   int32_t w, int32_t h) {
    // Channels carry into the one above.
    return grid_detail::blit_rect(source, destination, {sx, sy, dx, dy, w, h}, grid_detail::added);
}

template <typename Cell>
bool grid_blit_stepped(Grid<const Cell> source, Grid<Cell> destination, int32_t sx, int32_t sy, int32_t dx,
                       int32_t dy, int32_t w, int32_t h, int32_t x_step, int32_t y_step) {
    if (source.cells == nullptr || destination.cells == nullptr || x_step < 1 || y_step < 1) return false;
    int64_t x0 = sx, y0 = sy, tx = dx, ty = dy, cw = w, ch = h;
    const int64_t xs = x_step, ys = y_step;
    // Source side first: cells cut off on the left or top move the destination start by
    // whole steps.
    if (x0 < 0) {
        tx -= x0 * xs;
        cw += x0;
        x0 = 0;
    }
    if (y0 < 0) {
        ty -= y0 * ys;
        ch += y0;
        y0 = 0;
    }
    if (x0 + cw > source.width) cw = source.width - x0;
    if (y0 + ch > source.height) ch = source.height - y0;
    if (cw <= 0 || ch <= 0) return true;
    // Destination side: the first and one-past-last source column (row) whose spaced
    // position lands inside.
    const auto first_inside = [](int64_t start, int64_t step) { return start >= 0 ? 0 : (-start + step - 1) / step; };
    const auto end_inside = [](int64_t start, int64_t step, int64_t limit, int64_t n) {
        if (start >= limit) return int64_t{0};
        const int64_t inside = (limit - 1 - start) / step + 1;
        return inside < n ? inside : n;
    };
    const int64_t c0 = first_inside(tx, xs);
    const int64_t c1 = end_inside(tx, xs, destination.width, cw);
    const int64_t r0 = first_inside(ty, ys);
    const int64_t r1 = end_inside(ty, ys, destination.height, ch);
    for (int64_t r = r0; r < r1; ++r) {
        const Cell* s = grid_detail::at(source, x0, y0 + r);
        Cell* d = grid_detail::at(destination, 0, ty + r * ys);
        for (int64_t c = c0; c < c1; ++c) d[tx + c * xs] = grid_detail::keyed(d[tx + c * xs], s[c]);
    }
    return true;
}

template <typename Cell>
bool grid_blit_half(Grid<const Cell> source, Grid<Cell> destination, int32_t x, int32_t y) {
    constexpr Cell half_mask = static_cast<Cell>(GRID_CHANNELS<Cell> & 0x7F7F7F7Fu);  // each channel's low 7 bits
    return grid_detail::blit_rect(source, destination, {0, 0, x, y, source.width, source.height}, [](Cell d, Cell s) {
        return s != 0 ? static_cast<Cell>(((s >> 1) & half_mask) + ((d >> 1) & half_mask)) : d;
    });
}

template <typename Cell>
bool grid_copy_column_wrap(Grid<const Cell> source, Grid<Cell> destination, int32_t source_column,
                           int32_t destination_column, int32_t destination_row) {
    if (source.cells == nullptr || destination.cells == nullptr || source_column < 0 ||
        source_column >= source.width || destination_column < 0 || destination_column >= destination.width)
        return false;
    const int32_t dh = destination.height;
    const int32_t sh = source.height;
    if (dh == 0) return true;  // nowhere to wrap to
    const size_t s_stride = static_cast<size_t>(source.width);
    const size_t d_stride = static_cast<size_t>(destination.width);
    const Cell* s = source.cells + source_column;
    Cell* d = destination.cells + destination_column;
    const int32_t start = mod_wrap(destination_row, dh);
    const int32_t n = dh - start < sh ? dh - start : sh;
    const auto copy = [&](int32_t from, int32_t to) {
        Cell& cell = d[static_cast<size_t>(to) * d_stride];
        cell = grid_detail::keyed(cell, s[static_cast<size_t>(from) * s_stride]);
    };
    for (int32_t k = 0; k < n; ++k) copy(k, start + k);
    const int32_t m = sh < dh ? sh : dh;  // at most one destination height in all
    for (int32_t k = n; k < m; ++k) copy(k, k - n);
    return true;
}

template <typename Cell>
bool grid_or_row_wrap(Grid<const Cell> source, Grid<Cell> destination, int32_t source_row, int32_t destination_row,
                      int32_t column_offset) {
    return grid_detail::row_wrap(source, destination, source_row, destination_row, column_offset, grid_detail::ored);
}

template <typename Cell>
bool grid_copy_row_wrap(Grid<const Cell> source, Grid<Cell> destination, int32_t source_row,
                        int32_t destination_row, int32_t column_offset) {
    return grid_detail::row_wrap(source, destination, source_row, destination_row, column_offset, grid_detail::keyed);
}

template <typename Cell>
bool grid_scale(Grid<const Cell> source, Grid<Cell> destination) {
    if (source.cells == nullptr || destination.cells == nullptr) return false;
    const int32_t sw = source.width;
    const int32_t sh = source.height;
    const int32_t dw = destination.width;
    const int32_t dh = destination.height;
    // An empty destination has nothing to draw and an empty source nothing to show.
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return true;
    const bool grow_x = dw >= sw;
    const bool grow_y = dh >= sh;
    int32_t* cols = grow_x ? grid_run_table(dw, sw) : grid_run_table(sw, dw);
    int32_t* rows = grow_y ? grid_run_table(dh, sh) : grid_run_table(sh, dh);
    if (cols == nullptr || rows == nullptr) {
        std::free(cols);
        std::free(rows);
        return false;
    }
    const Cell* src = source.cells;
    Cell* dst = destination.cells;
    const size_t s_stride = static_cast<size_t>(sw);
    const size_t d_stride = static_cast<size_t>(dw);
    const size_t row_bytes = d_stride * sizeof(Cell);

    // Widen one source row: source cell c written cols[c] times.
    const auto widen = [&](const Cell* s, Cell* d) {
        for (int32_t c = 0; c < sw; ++c) {
            const Cell p = s[c];
            for (int32_t t = cols[c]; t > 0; --t) *d++ = p;
        }
    };
    // Narrow one source row, backward: each destination column takes the last source
    // column of its run.
    const auto narrow = [&](const Cell* s, Cell* d) {
        int32_t x = sw - 1;
        for (int32_t j = dw - 1; j >= 0; --j) {
            d[j] = s[x];
            x -= cols[j];
        }
    };

    if (grow_x && grow_y) {
        Cell* d = dst;
        for (int32_t r = 0; r < sh; ++r) {
            widen(src + static_cast<size_t>(r) * s_stride, d);
            for (int32_t t = 1; t < rows[r]; ++t) std::memcpy(d + static_cast<size_t>(t) * d_stride, d, row_bytes);
            d += static_cast<size_t>(rows[r]) * d_stride;
        }
    } else if (grow_x) {
        // Height shrinks: destination row j shows the first source row of its run.
        int32_t r = 0;
        for (int32_t j = 0; j < dh; ++j) {
            widen(src + static_cast<size_t>(r) * s_stride, dst + static_cast<size_t>(j) * d_stride);
            r += rows[j];
        }
    } else if (!grow_y) {
        int32_t r = sh - 1;
        for (int32_t j = dh - 1; j >= 0; --j) {
            narrow(src + static_cast<size_t>(r) * s_stride, dst + static_cast<size_t>(j) * d_stride);
            r -= rows[j];
        }
    } else {
        // Width shrinks, height grows: bottom up, each narrowed row copied above itself.
        int32_t j = dh - 1;
        for (int32_t r = sh - 1; r >= 0; --r) {
            Cell* d = dst + static_cast<size_t>(j) * d_stride;
            narrow(src + static_cast<size_t>(r) * s_stride, d);
            for (int32_t t = 1; t < rows[r]; ++t) std::memcpy(d - static_cast<size_t>(t) * d_stride, d, row_bytes);
            j -= rows[r];
        }
    }
    std::free(cols);
    std::free(rows);
    return true;
}

template <typename Cell>
bool grid_rotate(Grid<const Cell> source, Grid<Cell> rotated, int32_t angle) {
    if (source.cells == nullptr || rotated.cells == nullptr) return false;
    const int64_t sine = sine_at(angle);
    const int64_t cosine = sine_at(wrap_add(angle, SINE_LENGTH / 4));
    const int64_t sw = source.width;
    const int64_t sh = source.height;
    const int64_t nw = rotated.width;
    const int64_t nh = rotated.height;
    Cell* d = rotated.cells;
    for (int64_t y = 0; y < nh; ++y) {
        const int64_t v = y - nh / 2;
        const int64_t v_sin = (v * sine) >> 15, v_cos = (v * cosine) >> 15;
        for (int64_t x = 0; x < nw; ++x, ++d) {
            const int64_t u = x - nw / 2;
            const int64_t px = ((u * cosine) >> 15) - v_sin + sw / 2;
            const int64_t py = ((u * sine) >> 15) + v_cos + sh / 2;
            if (px >= 0 && py >= 0 && px < sw && py < sh) *d = *grid_detail::at(source, px, py);
        }
    }
    return true;
}
