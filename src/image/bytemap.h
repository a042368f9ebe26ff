#pragma once
// BYTEMAP: the 8-bit twin of IMG. Cells are bytes 0..255, row-major, top row first;
// the value 0 is the colour key that keyed drawing skips. Every operation checks its
// arguments first; a failure does nothing, returns 0 or null, and prints "BYTEMAP error"
// when bytemap_debug is set. Sizes whose product exceeds MAX_PIXELS (common/limits.h)
// are refused like a failed allocation. Drawing that sticks out is clipped silently,
// except rectangle fills, which must fit.
#include <cstddef>
#include <cstdint>

#include "common/module_id.h"
#include "common/sample_record.h"

struct Img;

struct Bytemap {
    int32_t x;        // placement for the holder; no byte map operation touches it
    int32_t y;
    int32_t width;    // cells per row
    int32_t height;   // rows
    uint8_t* cells;   // owned: width * height bytes, allocated zero-filled (never null in a live map)
};
static_assert(offsetof(Bytemap, height) == 12 && offsetof(Bytemap, cells) >= 16, "x, y, width, height, cells");

extern uint8_t bytemap_debug;            // 0: silent (nothing in the program sets it)
extern const ModuleId bytemap_module_id;

// Life cycle
Bytemap* bytemap_create();                                          // 16 x 16 over a 1024-byte zero buffer; null on failure
void bytemap_resize(Bytemap* map, int32_t width, int32_t height);   // new all-0 buffer; keeps the old map on failure
void bytemap_clear(Bytemap* map);                                   // width * height cells to 0
void bytemap_destroy(Bytemap** map);                                // frees, sets *map = null

// Per-cell operations
uint8_t bytemap_get_pixel(const Bytemap* map, int32_t x, int32_t y);                // outside: 0
void bytemap_put_pixel(Bytemap* map, int32_t x, int32_t y, uint8_t value);          // outside: ignored silently
void bytemap_fill_rect(Bytemap* map, int32_t x, int32_t y, int32_t w, int32_t h, uint8_t value);   // must fit
void bytemap_frame_rect(Bytemap* map, int32_t x, int32_t y, int32_t w, int32_t h, uint8_t value);  // must fit
void bytemap_add(Bytemap* map, uint8_t value);                      // every cell + value, modulo 256
void bytemap_fade(Bytemap* map, uint8_t step);                      // every cell - step, floor 0
void bytemap_and_mask(const Bytemap* mask, Bytemap* target);        // target[i] &= mask[i]; target >= mask in cells
void bytemap_circle(Bytemap* map, int32_t cx, int32_t cy, int32_t radius, uint8_t value);  // outline, clipped
void bytemap_copy(const Bytemap* source, Bytemap* destination);     // same size only
int bytemap_equal(const Bytemap* a, const Bytemap* b);              // 1 when same size and cells, else 0
Bytemap* bytemap_clone(const Bytemap* map);                         // new map, same cells

// Blits: source first, source position before destination position; clipped.
void bytemap_blit_key(const Bytemap* source, Bytemap* destination, int32_t sx, int32_t sy, int32_t dx,
                      int32_t dy, int32_t w, int32_t h);            // skips source 0
// Source cell (sx + c, sy + r) lands on (dx + c * x_step, dy + r * y_step); steps >= 1; skips 0.
void bytemap_blit_stepped(const Bytemap* source, Bytemap* destination, int32_t sx, int32_t sy, int32_t dx,
                          int32_t dy, int32_t w, int32_t h, int32_t x_step, int32_t y_step);
// Whole source at (x, y): d = (s >> 1) + (d >> 1) where s != 0.
void bytemap_blit_half(const Bytemap* source, Bytemap* destination, int32_t x, int32_t y);
void bytemap_copy_column_wrap(const Bytemap* source, Bytemap* destination, int32_t source_column,
                              int32_t destination_column, int32_t destination_row);   // vertical wrap, skips 0
void bytemap_or_row_wrap(const Bytemap* source, Bytemap* destination, int32_t source_row,
                         int32_t destination_row, int32_t column_offset);            // horizontal wrap
void bytemap_copy_row_wrap(const Bytemap* source, Bytemap* destination, int32_t source_row,
                           int32_t destination_row, int32_t column_offset);          // horizontal wrap, skips 0
void bytemap_scale(const Bytemap* source, Bytemap* destination);    // nearest neighbour, whole to whole
Bytemap* bytemap_rotate(const Bytemap* source, int32_t angle);      // angle in 1024ths of a turn; sides * 1.414

// Palette and tables
// Image pixel i = palette entry (map cell i) for every cell; same width, palette count >= 256,
// image at least as many pixels as the map.
void bytemap_render(const Bytemap* map, Img* image, const Sample* palette);
// The scaler's run table (img_run_table): b + 1 counters for lengths a >= b >= 0; caller frees
// with std::free; null on failure.
int32_t* bytemap_run_table(int32_t a, int32_t b);
// New table: [0] = 2 * (n + 1), then x, y of the n + 1 line points (n = longer axis distance,
// at most MAX_PIXELS - 1). Caller frees with std::free; null on failure.
int32_t* bytemap_line_points(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// PNM formats: P6/P3 give (r + g + b) / 3, P5 the byte, P2 the low 8 bits, P4/P1 255 or 0.
int bytemap_write_p5(const Bytemap* map, const char* path);               // 1 on success, 0 on failure
char* bytemap_to_text(const Bytemap* map);                                // "BYTEMAP{" form; caller frees with std::free
Bytemap* bytemap_from_text(const char* text);                             // reads the "BYTEMAP{" form
Bytemap* bytemap_load_pnm(const unsigned char* block);                    // built-in block (trusted length)
Bytemap* bytemap_load_pnm_sized(const unsigned char* data, size_t size);  // never reads past data + size
Bytemap* bytemap_load_file(const char* path);                             // P1..P6 file; null on any error
