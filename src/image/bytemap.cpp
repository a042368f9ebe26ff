// BYTEMAP: the 8-bit twin of IMG. The geometry and the life cycle are shared with the image
// (grid.h), and so are the life cycle and the PNM formats (family.h); this file adds the
// checks' error line and what only the byte map has: the constant add, rendering through a
// palette, and line points.
#include "image/bytemap.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "common/limits.h"
#include "image/family.h"
#include "image/img.h"

uint8_t bytemap_debug = 0;
const ModuleId bytemap_module_id = make_module_id("20101102", "BYTEMAP");

namespace {

// Bytes of a new map: the image's 256 four-byte pixels.
constexpr size_t CREATE_BYTES = 1024;
constexpr int32_t CREATE_SIDE = 16;
// Largest file the reader takes in: a P3 text of MAX_PIXELS pixels with generous spacing.
constexpr size_t MAX_FILE_BYTES = static_cast<size_t>(MAX_PIXELS) * 16;

void report() {
    if (bytemap_debug) std::puts("BYTEMAP error");
}

// Record and buffer present, sizes within limits: the map can be worked on.
bool usable(const Bytemap* map) { return record_grid(map).cells != nullptr; }

int64_t cell_count(const Bytemap* map) {
    return static_cast<int64_t>(map->width) * map->height;
}

Bytemap* reported(Bytemap* map) {
    if (map == nullptr) report();
    return map;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Life cycle

Bytemap* bytemap_create() {
    // The 16 x 16 map sits on a buffer of 1024 bytes, the size of a new image's pixels.
    auto* map = static_cast<Bytemap*>(std::calloc(1, sizeof(Bytemap)));
    if (map != nullptr) map->cells = static_cast<uint8_t*>(std::calloc(CREATE_BYTES, 1));
    if (map == nullptr || map->cells == nullptr) {
        std::free(map);
        report();
        return nullptr;
    }
    map->width = CREATE_SIDE;
    map->height = CREATE_SIDE;
    return map;
}

void bytemap_resize(Bytemap* map, int32_t width, int32_t height) {
    if (!record_resize(map, width, height)) report();  // refused or failed: the old map stays as it was
}

void bytemap_clear(Bytemap* map) {
    if (!grid_clear(record_grid(map))) report();
}

void bytemap_destroy(Bytemap** map) {
    if (!record_destroy(map)) report();
}

// ---------------------------------------------------------------------------------------
// Per-cell operations

uint8_t bytemap_get_pixel(const Bytemap* map, int32_t x, int32_t y) {
    uint8_t value = 0;
    if (!grid_get(record_grid(map), x, y, value)) report();
    return value;
}

void bytemap_put_pixel(Bytemap* map, int32_t x, int32_t y, uint8_t value) {
    if (!grid_put(record_grid(map), x, y, value)) report();
}

void bytemap_fill_rect(Bytemap* map, int32_t x, int32_t y, int32_t w, int32_t h, uint8_t value) {
    if (!grid_fill_rect(record_grid(map), x, y, w, h, value)) report();
}

void bytemap_frame_rect(Bytemap* map, int32_t x, int32_t y, int32_t w, int32_t h, uint8_t value) {
    if (!grid_frame_rect(record_grid(map), x, y, w, h, value)) report();
}

void bytemap_add(Bytemap* map, uint8_t value) {
    const Grid<uint8_t> g = record_grid(map);
    if (g.cells == nullptr) {
        report();
        return;
    }
    const int64_t n = cell_count(map);
    for (int64_t i = 0; i < n; ++i) g.cells[i] = static_cast<uint8_t>(g.cells[i] + value);
}

void bytemap_fade(Bytemap* map, uint8_t step) {
    if (!grid_fade(record_grid(map), step)) report();
}

void bytemap_and_mask(const Bytemap* mask, Bytemap* target) {
    if (!grid_and_mask(record_grid(mask), record_grid(target))) report();
}

void bytemap_circle(Bytemap* map, int32_t cx, int32_t cy, int32_t radius, uint8_t value) {
    if (!grid_circle(record_grid(map), cx, cy, radius, value)) report();
}

void bytemap_copy(const Bytemap* source, Bytemap* destination) {
    if (!grid_copy(record_grid(source), record_grid(destination))) report();
}

int bytemap_equal(const Bytemap* a, const Bytemap* b) {
    int same = 0;
    if (!grid_equal(record_grid(a), record_grid(b), same)) report();
    return same;
}

Bytemap* bytemap_clone(const Bytemap* map) {
    Bytemap* copy = record_clone(map);
    if (copy == nullptr) report();
    return copy;
}

// ---------------------------------------------------------------------------------------
// Blits

void bytemap_blit_key(const Bytemap* source, Bytemap* destination, int32_t sx, int32_t sy, int32_t dx,
                      int32_t dy, int32_t w, int32_t h) {
    if (!grid_blit_key(record_grid(source), record_grid(destination), sx, sy, dx, dy, w, h)) report();
}

void bytemap_blit_stepped(const Bytemap* source, Bytemap* destination, int32_t sx, int32_t sy, int32_t dx,
                          int32_t dy, int32_t w, int32_t h, int32_t x_step, int32_t y_step) {
    if (!grid_blit_stepped(record_grid(source), record_grid(destination), sx, sy, dx, dy, w, h, x_step, y_step))
        report();
}

void bytemap_blit_half(const Bytemap* source, Bytemap* destination, int32_t x, int32_t y) {
    if (!grid_blit_half(record_grid(source), record_grid(destination), x, y)) report();
}

void bytemap_copy_column_wrap(const Bytemap* source, Bytemap* destination, int32_t source_column,
                              int32_t destination_column, int32_t destination_row) {
    if (!grid_copy_column_wrap(record_grid(source), record_grid(destination), source_column, destination_column,
                               destination_row))
        report();
}

void bytemap_or_row_wrap(const Bytemap* source, Bytemap* destination, int32_t source_row, int32_t destination_row,
                         int32_t column_offset) {
    if (!grid_or_row_wrap(record_grid(source), record_grid(destination), source_row, destination_row, column_offset))
        report();
}

void bytemap_copy_row_wrap(const Bytemap* source, Bytemap* destination, int32_t source_row,
                           int32_t destination_row, int32_t column_offset) {
    if (!grid_copy_row_wrap(record_grid(source), record_grid(destination), source_row, destination_row,
                            column_offset))
        report();
}

void bytemap_scale(const Bytemap* source, Bytemap* destination) {
    if (!grid_scale(record_grid(source), record_grid(destination))) report();
}

Bytemap* bytemap_rotate(const Bytemap* source, int32_t angle) {
    Bytemap* rotated = record_rotate(source, angle);
    if (rotated == nullptr) report();
    return rotated;
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
    if (record_write_binary(map, path)) return 1;
    report();
    return 0;
}

char* bytemap_to_text(const Bytemap* map) {
    char* text = record_to_text(map);
    if (text == nullptr) report();
    return text;
}

Bytemap* bytemap_from_text(const char* text) { return reported(record_from_text<Bytemap>(text)); }

Bytemap* bytemap_load_pnm(const unsigned char* block) {
    // A built-in block carries no length: its header says how much follows.
    const size_t reach = SIZE_MAX - reinterpret_cast<uintptr_t>(block);
    return bytemap_load_pnm_sized(block, reach);
}

Bytemap* bytemap_load_pnm_sized(const unsigned char* data, size_t size) {
    return reported(record_load_pnm<Bytemap>(data, size));
}

Bytemap* bytemap_load_file(const char* path) { return reported(record_load_file<Bytemap>(path, MAX_FILE_BYTES)); }
