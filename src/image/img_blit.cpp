// IMG: rectangle copies, row and column wraps, the nearest-neighbour scaler and rotation,
// all shared with the byte map (grid.h); this file adds the checks' error line. The keyed and
// additive blits, which draw every glyph and sprite, are built for AVX2 as well (WIDE_LOOP).
#include "common/wide.h"
#include "image/family.h"
#include "image/img.h"
#include "image/img_internal.h"

WIDE_LOOP void img_blit_key(const Img* source, Img* destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                            int32_t w, int32_t h) {
    if (!grid_blit_key(record_grid(source), record_grid(destination), sx, sy, dx, dy, w, h)) img_report();
}

WIDE_LOOP void img_blit_add(const Img* source, Img* destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                            int32_t w, int32_t h) {
    if (!grid_blit_add(record_grid(source), record_grid(destination), sx, sy, dx, dy, w, h)) img_report();
}

void img_blit_stepped(const Img* source, Img* destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                      int32_t w, int32_t h, int32_t x_step, int32_t y_step) {
    if (!grid_blit_stepped(record_grid(source), record_grid(destination), sx, sy, dx, dy, w, h, x_step, y_step))
        img_report();
}

void img_blit_half(const Img* source, Img* destination, int32_t x, int32_t y) {
    if (!grid_blit_half(record_grid(source), record_grid(destination), x, y)) img_report();
}

void img_copy_column_wrap(const Img* source, Img* destination, int32_t source_column, int32_t destination_column,
                          int32_t destination_row) {
    if (!grid_copy_column_wrap(record_grid(source), record_grid(destination), source_column, destination_column,
                               destination_row))
        img_report();
}

void img_or_row_wrap(const Img* source, Img* destination, int32_t source_row, int32_t destination_row,
                     int32_t column_offset) {
    if (!grid_or_row_wrap(record_grid(source), record_grid(destination), source_row, destination_row, column_offset))
        img_report();
}

void img_copy_row_wrap(const Img* source, Img* destination, int32_t source_row, int32_t destination_row,
                       int32_t column_offset) {
    if (!grid_copy_row_wrap(record_grid(source), record_grid(destination), source_row, destination_row,
                            column_offset))
        img_report();
}

int32_t* img_run_table(int32_t a, int32_t b) {
    int32_t* table = grid_run_table(a, b);
    if (table == nullptr) img_report();
    return table;
}

void img_scale(const Img* source, Img* destination) {
    if (!grid_scale(record_grid(source), record_grid(destination))) img_report();
}

Img* img_rotate(const Img* source, int32_t angle) {
    Img* rotated = record_rotate(source, angle);
    if (rotated == nullptr) img_report();
    return rotated;
}
