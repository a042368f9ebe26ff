#pragma once
// IMG: the 32-bit picture. Pixels are 0x00RRGGBB words, row-major, top row first;
// the value 0 is the colour key that keyed drawing skips. Every operation checks its
// arguments first; a failure does nothing, returns 0 or null, and prints "IMG error"
// when img_debug is set. Sizes whose product exceeds MAX_PIXELS (common/limits.h) are
// refused like a failed allocation.
#include <cstddef>
#include <cstdint>

#include "common/module_id.h"

struct Img {
    int32_t x;          // placement for the holder; no image operation touches it
    int32_t y;
    int32_t width;      // pixels per row
    int32_t height;     // rows
    uint32_t* pixels;   // owned: width * height pixels, allocated zero-filled
};

extern uint8_t img_debug;           // 0: silent (nothing in the program sets it)
extern const ModuleId img_module_id;

// Life cycle
Img* img_create();                                           // 16 x 16, all 0; null on failure
void img_resize(Img* img, int32_t width, int32_t height);    // new all-0 buffer; keeps the old one on failure
void img_destroy(Img** img);                                 // frees, sets *img = null
void img_report();                                           // "IMG error" when img_debug is set

// Per-pixel operations
void img_clear(Img* img);                                                // all pixels 0
void img_put_pixel(Img* img, int32_t x, int32_t y, uint32_t colour);     // outside: ignored silently
uint32_t img_get_pixel(const Img* img, int32_t x, int32_t y);            // outside: 0
void img_fill_rect(Img* img, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);   // must fit
void img_frame_rect(Img* img, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);  // must fit
void img_fade(Img* img, uint8_t step);                                   // each channel - step, floor 0
void img_and_mask(const Img* mask, Img* target);                         // target[i] &= mask[i]
void img_circle(Img* img, int32_t cx, int32_t cy, int32_t radius, uint32_t colour);  // outline, clipped
void img_copy(const Img* source, Img* destination);                      // same size only
int img_equal(const Img* a, const Img* b);                               // 1 when same size and pixels
Img* img_clone(const Img* img);                                          // new image, same pixels
void img_copy_row(const Img* source, Img* destination, int32_t source_row, int32_t destination_row);

// Blits: source first, source position before destination position; clipped, never failing
// on rectangles that stick out.
void img_blit_key(const Img* source, Img* destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                  int32_t w, int32_t h);                                 // skips source 0
void img_blit_add(const Img* source, Img* destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                  int32_t w, int32_t h);                                 // destination += source (32-bit)
void img_blit_stepped(const Img* source, Img* destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                      int32_t w, int32_t h, int32_t x_step, int32_t y_step);  // keyed; steps >= 1
void img_blit_half(const Img* source, Img* destination, int32_t x, int32_t y);
void img_copy_column_wrap(const Img* source, Img* destination, int32_t source_column,
                          int32_t destination_column, int32_t destination_row);
void img_or_row_wrap(const Img* source, Img* destination, int32_t source_row, int32_t destination_row,
                     int32_t column_offset);
void img_copy_row_wrap(const Img* source, Img* destination, int32_t source_row, int32_t destination_row,
                       int32_t column_offset);
void img_scale(const Img* source, Img* destination);                     // nearest neighbour, whole to whole; empty: no-op
Img* img_rotate(const Img* source, int32_t angle);                       // angle in 1024ths of a turn

// Run table of the scaler: for lengths a and b (a the larger), a new table of b + 1
// counters, counter k = number of i in 0..a-1 with floor(i * b / a) = k. Caller frees
// with std::free; null on failure (including a < b, b < 0 or a > MAX_PIXELS).
int32_t* img_run_table(int32_t a, int32_t b);

// PNM formats
Img* img_load_pnm(const unsigned char* block);                  // built-in block (trusted length)
Img* img_load_pnm_sized(const unsigned char* data, size_t size); // never reads past data + size
Img* img_load_file(const char* path);                           // P1..P6 file; null on any error
int img_write_p6(const Img* img, const char* path);             // 1 on success, 0 on failure
char* img_to_text(const Img* img);                              // "IMG{" form; caller frees with free()
Img* img_from_text(const char* text);                           // reads the "IMG{" form
