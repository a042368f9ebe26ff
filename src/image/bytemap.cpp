// BYTEMAP: the 8-bit twin of IMG. Coordinates and sizes arrive as arbitrary int32, so
// every bound is worked out in 64 bits once per call; the inner loops then run over the
// flat cell arrays without further checks.
#include "image/bytemap.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/fixed.h"
#include "common/limits.h"
#include "common/sine_table.h"
#include "image/img.h"
#include "image/pnm.h"

uint8_t bytemap_debug = 0;
const ModuleId bytemap_module_id = make_module_id("20101102", "BYTEMAP");

namespace {

// Bytes of a new map: the image's 256 four-byte pixels.
constexpr size_t CREATE_BYTES = 1024;
constexpr int32_t CREATE_SIDE = 16;
// Rotated sides are side * 92667 >> 16, about side * sqrt(2).
constexpr int64_t ROTATE_GROWTH = 92667;
// Largest file the reader takes in: a P3 text of MAX_PIXELS pixels with generous spacing.
constexpr size_t MAX_FILE_BYTES = static_cast<size_t>(MAX_PIXELS) * 16;

void report() {
    if (bytemap_debug) std::puts("BYTEMAP error");
}

// Record and buffer present, sizes within limits: the map can be worked on.
bool usable(const Bytemap* map) {
    return map != nullptr && map->cells != nullptr && size_ok(map->width, map->height);
}

int64_t cell_count(const Bytemap* map) {
    return static_cast<int64_t>(map->width) * map->height;
}

// Zero-filled buffer for w x h cells; at least one byte so a live map never holds null.
uint8_t* alloc_cells(int32_t width, int32_t height) {
    if (!size_ok(width, height)) return nullptr;
    const size_t n = static_cast<size_t>(static_cast<int64_t>(width) * height);
    return static_cast<uint8_t*>(std::calloc(std::max<size_t>(n, 1), 1));
}

// A new map of the given size, or null (refused size or failed allocation).
Bytemap* make_map(int32_t width, int32_t height) {
    auto* map = static_cast<Bytemap*>(std::calloc(1, sizeof(Bytemap)));
    if (map == nullptr) return nullptr;
    map->cells = alloc_cells(width, height);
    if (map->cells == nullptr) {
        std::free(map);
        return nullptr;
    }
    map->width = width;
    map->height = height;
    return map;
}

void free_map(Bytemap* map) {
    if (map == nullptr) return;
    std::free(map->cells);
    std::free(map);
}

int64_t floor_div(int64_t a, int64_t b) {  // b >= 1
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}
int64_t ceil_div(int64_t a, int64_t b) {  // b >= 1
    const int64_t q = a / b;
    return (a % b != 0 && a > 0) ? q + 1 : q;
}

// A clipped rectangle copy: w x h cells from (sx, sy) of the source to (dx, dy).
struct Span {
    int64_t sx, sy, dx, dy, w, h;
};

// A negative start on one side moves to 0; the other side's start and the length follow.
void pull_in(int64_t& start, int64_t& other, int64_t& length) {
    if (start >= 0) return;
    other -= start;
    length += start;
    start = 0;
}

// The image family's rectangle clipping; false when nothing is left to draw.
bool clip_rect(const Bytemap* source, const Bytemap* destination, Span& r) {
    const int64_t sw = source->width, sh = source->height;
    const int64_t dw = destination->width, dh = destination->height;
    if (r.dx >= dw || r.dx + r.w < 0 || r.dy >= dh || r.dy + r.h < 0) return false;
    if (r.sx >= sw || r.sx + r.w < 0 || r.sy >= sh || r.sy + r.h < 0) return false;
    const int64_t right = r.sx + r.w, bottom = r.sy + r.h;  // as passed in
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

// Point write with 64-bit coordinates: the circle's points may lie far outside.
void put_clipped(Bytemap* map, int64_t x, int64_t y, uint8_t value) {
    if (x < 0 || y < 0 || x >= map->width || y >= map->height) return;
    map->cells[y * map->width + x] = value;
}

// One destination row of length n, starting at column start (0 <= start < n) and wrapping:
// op(destination cell, source cell) for source cells 0..n-1.
template <typename Op>
void row_wrap(const uint8_t* src, uint8_t* dst, int32_t dst_width, int32_t n, int32_t start, Op op) {
    const int32_t first = std::min(n, dst_width - start);
    for (int32_t k = 0; k < first; ++k) op(dst[start + k], src[k]);
    for (int32_t k = first; k < n; ++k) op(dst[k - first], src[k]);
}

template <typename Op>
void row_wrap_checked(const Bytemap* source, Bytemap* destination, int32_t source_row, int32_t destination_row,
                      int32_t column_offset, Op op) {
    if (!usable(source) || !usable(destination) || source_row < 0 || source_row >= source->height ||
        destination_row < 0 || destination_row >= destination->height) {
        report();
        return;
    }
    const int32_t n = std::min(source->width, destination->width);
    if (n <= 0) return;
    const int32_t start = mod_wrap(column_offset, destination->width);
    row_wrap(source->cells + static_cast<int64_t>(source_row) * source->width,
             destination->cells + static_cast<int64_t>(destination_row) * destination->width, destination->width,
             n, start, op);
}

// Source index shown by each destination index on one axis, from the scaler's run table.
// Growing axes repeat each source index as often as its counter says; shrinking axes take
// the last (or, with first_of_run, the first) source index of each run.
bool axis_map(int32_t source_size, int32_t destination_size, bool first_of_run, int32_t* out) {
    const int32_t a = std::max(source_size, destination_size);
    const int32_t b = std::min(source_size, destination_size);
    int32_t* runs = img_run_table(a, b);
    if (runs == nullptr) return false;
    if (destination_size >= source_size) {
        int32_t j = 0;
        for (int32_t k = 0; k < source_size; ++k)
            for (int32_t c = 0; c < runs[k] && j < destination_size; ++c) out[j++] = k;
        // Counters sum to the destination size; keep the table honest all the same.
        for (; j < destination_size; ++j) out[j] = source_size - 1;
    } else {
        int32_t start = 0;
        for (int32_t j = 0; j < destination_size; ++j) {
            const int32_t run = std::max(runs[j], 1);
            out[j] = std::min(first_of_run ? start : start + run - 1, source_size - 1);
            start += run;
        }
    }
    std::free(runs);
    return true;
}

// Sink of the shared PNM decoder: builds a map and stores one byte per pixel.
struct LoadContext {
    Bytemap* map;
};

bool sink_begin(void* context, int, int32_t width, int32_t height) {
    auto* ctx = static_cast<LoadContext*>(context);
    free_map(ctx->map);
    ctx->map = make_map(width, height);
    return ctx->map != nullptr;
}

void sink_pixel(void* context, int64_t index, int type, uint32_t r, uint32_t g, uint32_t b) {
    auto* ctx = static_cast<LoadContext*>(context);
    if (ctx->map == nullptr || index < 0 || index >= cell_count(ctx->map)) return;
    uint8_t v = 0;
    switch (type) {
        case 3:
        case 6:  // colour: the plain average of the three samples
            v = static_cast<uint8_t>((static_cast<uint64_t>(r) + g + b) / 3);
            break;
        case 1:
        case 4:
            v = r != 0 ? 255 : 0;
            break;
        default:  // grey: the low 8 bits of the sample
            v = static_cast<uint8_t>(r);
            break;
    }
    ctx->map->cells[index] = v;
}

Bytemap* finish_load(bool ok, LoadContext& ctx) {
    if (!ok) {
        free_map(ctx.map);
        report();
        return nullptr;
    }
    return ctx.map;
}

Bytemap* decode(const unsigned char* data, size_t size, PnmRules rules) {
    LoadContext ctx{nullptr};
    const PnmSink sink{sink_begin, sink_pixel, &ctx};
    return finish_load(pnm_decode(data, size, rules, sink), ctx);
}

// Whole file into a new buffer (caller frees); null when unreadable or too large.
unsigned char* read_file(const char* path, size_t& size) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return nullptr;
    size_t capacity = 4096;
    size = 0;
    auto* data = static_cast<unsigned char*>(std::calloc(capacity, 1));
    while (data != nullptr) {
        size += std::fread(data + size, 1, capacity - size, file);
        if (size < capacity) break;
        if (capacity >= MAX_FILE_BYTES) {
            std::free(data);
            data = nullptr;
            break;
        }
        auto* bigger = static_cast<unsigned char*>(std::calloc(capacity * 2, 1));
        if (bigger != nullptr) std::memcpy(bigger, data, size);
        std::free(data);
        data = bigger;
        capacity *= 2;
    }
    if (data != nullptr && std::ferror(file)) {
        std::free(data);
        data = nullptr;
    }
    std::fclose(file);
    return data;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Life cycle

Bytemap* bytemap_create() {
    auto* map = static_cast<Bytemap*>(std::calloc(1, sizeof(Bytemap)));
    if (map == nullptr) {
        report();
        return nullptr;
    }
    map->cells = static_cast<uint8_t*>(std::calloc(CREATE_BYTES, 1));
    if (map->cells == nullptr) {
        std::free(map);
        report();
        return nullptr;
    }
    map->width = CREATE_SIDE;
    map->height = CREATE_SIDE;
    return map;
}

void bytemap_resize(Bytemap* map, int32_t width, int32_t height) {
    if (map == nullptr) {
        report();
        return;
    }
    uint8_t* cells = alloc_cells(width, height);
    if (cells == nullptr) {  // refused or failed: the old map stays as it was
        report();
        return;
    }
    std::free(map->cells);
    map->cells = cells;
    map->width = width;
    map->height = height;
}

void bytemap_clear(Bytemap* map) {
    if (!usable(map)) {
        report();
        return;
    }
    std::memset(map->cells, 0, static_cast<size_t>(cell_count(map)));
}

void bytemap_destroy(Bytemap** map) {
    if (map == nullptr || *map == nullptr) {
        report();
        return;
    }
    free_map(*map);
    *map = nullptr;
}

// ---------------------------------------------------------------------------------------
// Per-cell operations

uint8_t bytemap_get_pixel(const Bytemap* map, int32_t x, int32_t y) {
    if (!usable(map)) {
        report();
        return 0;
    }
    if (x < 0 || y < 0 || x >= map->width || y >= map->height) return 0;
    return map->cells[static_cast<int64_t>(y) * map->width + x];
}

void bytemap_put_pixel(Bytemap* map, int32_t x, int32_t y, uint8_t value) {
    if (!usable(map)) {
        report();
        return;
    }
    put_clipped(map, x, y, value);
}

namespace {
// The fill's precondition: the rectangle lies wholly inside, at least 1 x 1.
bool rect_fits(const Bytemap* map, int32_t x, int32_t y, int32_t w, int32_t h) {
    return x >= 0 && y >= 0 && x < map->width && y < map->height && w >= 1 && h >= 1 &&
           static_cast<int64_t>(x) + w <= map->width && static_cast<int64_t>(y) + h <= map->height;
}
}  // namespace

void bytemap_fill_rect(Bytemap* map, int32_t x, int32_t y, int32_t w, int32_t h, uint8_t value) {
    if (!usable(map) || !rect_fits(map, x, y, w, h)) {
        report();
        return;
    }
    uint8_t* row = map->cells + static_cast<int64_t>(y) * map->width + x;
    for (int32_t j = 0; j < h; ++j, row += map->width) std::memset(row, value, static_cast<size_t>(w));
}

void bytemap_frame_rect(Bytemap* map, int32_t x, int32_t y, int32_t w, int32_t h, uint8_t value) {
    if (!usable(map) || !rect_fits(map, x, y, w, h)) {
        report();
        return;
    }
    const int64_t stride = map->width;
    uint8_t* top = map->cells + y * stride + x;
    uint8_t* bottom = top + (h - 1) * stride;
    std::memset(top, value, static_cast<size_t>(w));
    std::memset(bottom, value, static_cast<size_t>(w));
    for (int32_t j = 0; j < h; ++j) {
        top[j * stride] = value;
        top[j * stride + w - 1] = value;
    }
}

void bytemap_add(Bytemap* map, uint8_t value) {
    if (!usable(map)) {
        report();
        return;
    }
    const int64_t n = cell_count(map);
    for (int64_t i = 0; i < n; ++i) map->cells[i] = static_cast<uint8_t>(map->cells[i] + value);
}

void bytemap_fade(Bytemap* map, uint8_t step) {
    if (!usable(map)) {
        report();
        return;
    }
    for (int64_t i = cell_count(map) - 1; i >= 0; --i) {
        const uint8_t c = map->cells[i];
        map->cells[i] = c > step ? static_cast<uint8_t>(c - step) : 0;
    }
}

void bytemap_and_mask(const Bytemap* mask, Bytemap* target) {
    if (!usable(mask) || !usable(target) || cell_count(target) < cell_count(mask)) {
        report();
        return;
    }
    for (int64_t i = cell_count(mask) - 1; i >= 0; --i) target->cells[i] &= mask->cells[i];
}

void bytemap_circle(Bytemap* map, int32_t cx, int32_t cy, int32_t radius, uint8_t value) {
    if (!usable(map) || cx < 0 || cy < 0 || cx >= map->width || cy >= map->height || radius < 1) {
        report();
        return;
    }
    const int32_t n = sine_table.length;
    const int32_t m = sine_table.mask;
    for (int32_t i = 0; i < n / 4; ++i) {
        const int64_t dx = mul_shr(sine_table.entries[(n / 4 + i) & m], radius, 15);
        const int64_t dy = mul_shr(sine_table.entries[i & m], radius, 15);
        put_clipped(map, cx + dx - 1, cy + dy, value);
        put_clipped(map, cx - dx, cy + dy, value);
        put_clipped(map, cx + dx - 1, cy - dy, value);
        put_clipped(map, cx - dx, cy - dy, value);
    }
}

void bytemap_copy(const Bytemap* source, Bytemap* destination) {
    if (!usable(source) || !usable(destination) || source->width != destination->width ||
        source->height != destination->height) {
        report();
        return;
    }
    std::memmove(destination->cells, source->cells, static_cast<size_t>(cell_count(source)));
}

int bytemap_equal(const Bytemap* a, const Bytemap* b) {
    if (!usable(a) || !usable(b)) {
        report();
        return 0;
    }
    if (a->width != b->width || a->height != b->height) return 0;
    return std::memcmp(a->cells, b->cells, static_cast<size_t>(cell_count(a))) == 0 ? 1 : 0;
}

Bytemap* bytemap_clone(const Bytemap* map) {
    if (!usable(map)) {
        report();
        return nullptr;
    }
    Bytemap* copy = make_map(map->width, map->height);
    if (copy == nullptr) {
        report();
        return nullptr;
    }
    std::memcpy(copy->cells, map->cells, static_cast<size_t>(cell_count(map)));
    return copy;
}

// ---------------------------------------------------------------------------------------
// Blits

void bytemap_blit_key(const Bytemap* source, Bytemap* destination, int32_t sx, int32_t sy, int32_t dx,
                      int32_t dy, int32_t w, int32_t h) {
    if (!usable(source) || !usable(destination)) {
        report();
        return;
    }
    Span r{sx, sy, dx, dy, w, h};
    if (!clip_rect(source, destination, r)) return;
    for (int64_t row = 0; row < r.h; ++row) {
        const uint8_t* s = source->cells + (r.sy + row) * source->width + r.sx;
        uint8_t* d = destination->cells + (r.dy + row) * destination->width + r.dx;
        for (int64_t col = 0; col < r.w; ++col)
            if (s[col] != 0) d[col] = s[col];
    }
}

void bytemap_blit_stepped(const Bytemap* source, Bytemap* destination, int32_t sx, int32_t sy, int32_t dx,
                          int32_t dy, int32_t w, int32_t h, int32_t x_step, int32_t y_step) {
    if (!usable(source) || !usable(destination) || x_step < 1 || y_step < 1) {
        report();
        return;
    }
    // Column c is drawn when it is inside the rectangle, its source column inside the
    // source and its spaced destination column inside the destination; rows likewise.
    const int64_t c_lo = std::max({int64_t{0}, -int64_t{sx}, ceil_div(-int64_t{dx}, x_step)});
    const int64_t c_hi = std::min({int64_t{w}, int64_t{source->width} - sx,
                                   floor_div(int64_t{destination->width} - 1 - dx, x_step) + 1});
    const int64_t r_lo = std::max({int64_t{0}, -int64_t{sy}, ceil_div(-int64_t{dy}, y_step)});
    const int64_t r_hi = std::min({int64_t{h}, int64_t{source->height} - sy,
                                   floor_div(int64_t{destination->height} - 1 - dy, y_step) + 1});
    if (c_lo >= c_hi || r_lo >= r_hi) return;
    const int64_t sw = source->width, dw = destination->width;
    for (int64_t r = r_lo; r < r_hi; ++r) {
        const uint8_t* s = source->cells + (sy + r) * sw;
        uint8_t* d = destination->cells + (dy + r * y_step) * dw;
        for (int64_t c = c_lo; c < c_hi; ++c)
            if (s[sx + c] != 0) d[dx + c * x_step] = s[sx + c];
    }
}

void bytemap_blit_half(const Bytemap* source, Bytemap* destination, int32_t x, int32_t y) {
    if (!usable(source) || !usable(destination)) {
        report();
        return;
    }
    Span r{0, 0, x, y, source->width, source->height};
    if (!clip_rect(source, destination, r)) return;
    for (int64_t row = 0; row < r.h; ++row) {
        const uint8_t* s = source->cells + (r.sy + row) * source->width + r.sx;
        uint8_t* d = destination->cells + (r.dy + row) * destination->width + r.dx;
        for (int64_t col = 0; col < r.w; ++col)
            if (s[col] != 0) d[col] = static_cast<uint8_t>((s[col] >> 1) + (d[col] >> 1));
    }
}

void bytemap_copy_column_wrap(const Bytemap* source, Bytemap* destination, int32_t source_column,
                              int32_t destination_column, int32_t destination_row) {
    if (!usable(source) || !usable(destination) || source_column < 0 || source_column >= source->width ||
        destination_column < 0 || destination_column >= destination->width) {
        report();
        return;
    }
    const int32_t dh = destination->height;
    if (dh <= 0) return;  // no rows to land on
    const int32_t start = mod_wrap(destination_row, dh);
    const int64_t sw = source->width, dw = destination->width;
    const uint8_t* s = source->cells + source_column;
    uint8_t* d = destination->cells + destination_column;
    const int32_t n = std::min(dh - start, source->height);
    for (int32_t k = 0; k < n; ++k)
        if (s[k * sw] != 0) d[(start + k) * dw] = s[k * sw];
    const int32_t m = std::min(source->height, dh);
    for (int32_t k = n; k < m; ++k)
        if (s[k * sw] != 0) d[(k - n) * dw] = s[k * sw];
}

void bytemap_or_row_wrap(const Bytemap* source, Bytemap* destination, int32_t source_row, int32_t destination_row,
                         int32_t column_offset) {
    row_wrap_checked(source, destination, source_row, destination_row, column_offset,
                     [](uint8_t& d, uint8_t s) { d = static_cast<uint8_t>(d | s); });
}

void bytemap_copy_row_wrap(const Bytemap* source, Bytemap* destination, int32_t source_row,
                           int32_t destination_row, int32_t column_offset) {
    row_wrap_checked(source, destination, source_row, destination_row, column_offset, [](uint8_t& d, uint8_t s) {
        if (s != 0) d = s;
    });
}

void bytemap_scale(const Bytemap* source, Bytemap* destination) {
    if (!usable(source) || !usable(destination)) {
        report();
        return;
    }
    const int32_t dw = destination->width, dh = destination->height;
    // An empty destination has nothing to draw and an empty source nothing to show.
    if (dw == 0 || dh == 0 || source->width == 0 || source->height == 0) return;
    // Rows of a shrinking height under a growing width show the first source row of their run.
    const bool first_row = dw >= source->width && dh < source->height;
    auto* columns = static_cast<int32_t*>(std::calloc(static_cast<size_t>(dw), sizeof(int32_t)));
    auto* rows = static_cast<int32_t*>(std::calloc(static_cast<size_t>(dh), sizeof(int32_t)));
    if (columns == nullptr || rows == nullptr || !axis_map(source->width, dw, false, columns) ||
        !axis_map(source->height, dh, first_row, rows)) {
        std::free(columns);
        std::free(rows);
        report();
        return;
    }
    const int64_t sw = source->width;
    uint8_t* d = destination->cells;
    for (int32_t j = 0; j < dh; ++j, d += dw) {
        if (j > 0 && rows[j] == rows[j - 1]) {  // a repeated source row: copy the row above
            std::memcpy(d, d - dw, static_cast<size_t>(dw));
            continue;
        }
        const uint8_t* s = source->cells + rows[j] * sw;
        for (int32_t i = 0; i < dw; ++i) d[i] = s[columns[i]];
    }
    std::free(columns);
    std::free(rows);
}

Bytemap* bytemap_rotate(const Bytemap* source, int32_t angle) {
    if (!usable(source)) {
        report();
        return nullptr;
    }
    const int64_t nw64 = (int64_t{source->width} * ROTATE_GROWTH) >> 16;
    const int64_t nh64 = (int64_t{source->height} * ROTATE_GROWTH) >> 16;
    if (nw64 > INT32_MAX || nh64 > INT32_MAX) {
        report();
        return nullptr;
    }
    const auto nw = static_cast<int32_t>(nw64), nh = static_cast<int32_t>(nh64);
    Bytemap* out = make_map(nw, nh);
    if (out == nullptr) {
        report();
        return nullptr;
    }
    const int64_t sine = sine_at(angle);
    const int64_t cosine = sine_at(wrap_add(angle, SINE_LENGTH / 4));
    const int64_t sw = source->width, sh = source->height;
    uint8_t* d = out->cells;
    for (int64_t y = 0; y < nh; ++y) {
        const int64_t v = y - nh / 2;
        const int64_t v_sin = (v * sine) >> 15, v_cos = (v * cosine) >> 15;
        for (int64_t x = 0; x < nw; ++x, ++d) {
            const int64_t u = x - nw / 2;
            const int64_t px = ((u * cosine) >> 15) - v_sin + sw / 2;
            const int64_t py = ((u * sine) >> 15) + v_cos + sh / 2;
            if (px >= 0 && py >= 0 && px < sw && py < sh) *d = source->cells[py * sw + px];
        }
    }
    return out;
}

// ---------------------------------------------------------------------------------------
// Palette and tables

void bytemap_render(const Bytemap* map, Img* image, const Sample* palette) {
    if (!usable(map) || image == nullptr || image->pixels == nullptr || palette == nullptr ||
        palette->buffer == nullptr || palette->count < 256 || palette->capacity < palette->count ||
        map->width != image->width ||
        static_cast<int64_t>(image->width) * image->height < cell_count(map)) {
        report();
        return;
    }
    const int32_t* colours = palette->buffer;
    const int64_t n = cell_count(map);
    for (int64_t i = 0; i < n; ++i) image->pixels[i] = static_cast<uint32_t>(colours[map->cells[i]]);
}

int32_t* bytemap_run_table(int32_t a, int32_t b) { return img_run_table(a, b); }

int32_t* bytemap_line_points(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const int64_t ax = x1 - int64_t{x0}, ay = y1 - int64_t{y0};
    const int64_t adx = ax < 0 ? -ax : ax, ady = ay < 0 ? -ay : ay;
    const int64_t n = std::max(adx, ady);
    if (n + 1 > MAX_PIXELS) {
        report();
        return nullptr;
    }
    const int64_t values = 2 * (n + 1);
    auto* table = static_cast<int32_t*>(std::calloc(static_cast<size_t>(values + 1), sizeof(int32_t)));
    if (table == nullptr) {
        report();
        return nullptr;
    }
    table[0] = static_cast<int32_t>(values);
    const int64_t step_x = ax < 0 ? -1 : 1, step_y = ay < 0 ? -1 : 1;
    const bool x_major = adx >= ady;
    const int64_t minor = x_major ? ady : adx;
    int64_t x = x0, y = y0, error = n / 2;
    int32_t* out = table + 1;
    for (int64_t i = 0; i <= n; ++i) {
        *out++ = static_cast<int32_t>(x);
        *out++ = static_cast<int32_t>(y);
        error -= minor;
        const bool side_step = error < 0;
        if (side_step) error += n;
        if (x_major) {
            x += step_x;
            if (side_step) y += step_y;
        } else {
            y += step_y;
            if (side_step) x += step_x;
        }
    }
    return table;
}

// ---------------------------------------------------------------------------------------
// PNM formats

int bytemap_write_p5(const Bytemap* map, const char* path) {
    if (!usable(map) || path == nullptr || map->width == 0 || map->height == 0) {
        report();
        return 0;
    }
    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr) {
        report();
        return 0;
    }
    const size_t n = static_cast<size_t>(cell_count(map));
    const bool written = std::fprintf(file, "P5\n%d %d\n255\n", map->width, map->height) > 0 &&
                         std::fwrite(map->cells, 1, n, file) == n;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        report();
        return 0;
    }
    return 1;
}

char* bytemap_to_text(const Bytemap* map) {
    if (!usable(map)) {
        report();
        return nullptr;
    }
    const int64_t n = cell_count(map);
    if (n == 0) {
        static constexpr char EMPTY[] = "BYTEMAP{}";
        auto* text = static_cast<char*>(std::calloc(sizeof(EMPTY), 1));
        if (text == nullptr) {
            report();
            return nullptr;
        }
        std::memcpy(text, EMPTY, sizeof(EMPTY));
        return text;
    }
    char header[64];
    const int header_length = std::snprintf(header, sizeof(header), "BYTEMAP{\nP3\n%d %d\n255\n", map->width,
                                            map->height);
    // Sized as the image's text; the longer header still fits, but never trust that blindly.
    const size_t needed = static_cast<size_t>(header_length) + 12 * static_cast<size_t>(n) + 3;
    const size_t size = std::max(static_cast<size_t>(12 * n + n / 6 + 29), needed);
    auto* text = static_cast<char*>(std::calloc(size, 1));
    if (text == nullptr) {
        report();
        return nullptr;
    }
    std::memcpy(text, header, static_cast<size_t>(header_length));
    char* p = text + header_length;
    for (int64_t i = 0; i < n; ++i) {
        // "  0   0 vvv ": red and green are 0, blue carries the cell, each in three columns.
        const uint8_t v = map->cells[i];
        std::memcpy(p, "  0   0 ", 8);
        p[8] = v >= 100 ? static_cast<char>('0' + v / 100) : ' ';
        p[9] = v >= 10 ? static_cast<char>('0' + v / 10 % 10) : ' ';
        p[10] = static_cast<char>('0' + v % 10);
        p[11] = i % 6 == 5 ? '\n' : ' ';
        p += 12;
    }
    p[-1] = '\n';
    std::memcpy(p, "}\n", 3);
    return text;
}

Bytemap* bytemap_from_text(const char* text) {
    if (text == nullptr) {
        report();
        return nullptr;
    }
    LoadContext ctx{nullptr};
    const PnmSink sink{sink_begin, sink_pixel, &ctx};
    return finish_load(pnm_decode_text(text, "BYTEMAP", sink), ctx);
}

Bytemap* bytemap_load_pnm(const unsigned char* block) {
    if (block == nullptr) {
        report();
        return nullptr;
    }
    // A built-in block carries no length: its header says how much follows.
    const size_t reach = SIZE_MAX - reinterpret_cast<uintptr_t>(block);
    return decode(block, reach, PnmRules::block);
}

Bytemap* bytemap_load_pnm_sized(const unsigned char* data, size_t size) {
    if (data == nullptr) {
        report();
        return nullptr;
    }
    return decode(data, size, PnmRules::block);
}

Bytemap* bytemap_load_file(const char* path) {
    if (path == nullptr) {
        report();
        return nullptr;
    }
    size_t size = 0;
    unsigned char* data = read_file(path, size);
    if (data == nullptr) {
        report();
        return nullptr;
    }
    Bytemap* map = decode(data, size, PnmRules::file);
    std::free(data);
    return map;
}
