// IMG: the 32-bit picture, its life cycle and per-pixel operations. The geometry is shared
// with the byte map (grid.h, family.h); this file adds the checks' error line. Blits and
// scaling live in img_blit.cpp, the PNM formats in img_pnm.cpp.
#include "image/img.h"

#include <cstdio>

#include "common/wide.h"
#include "image/family.h"
#include "image/img_internal.h"

uint8_t img_debug = 0;
const ModuleId img_module_id = make_module_id("20101104", "IMG");

namespace {

constexpr int32_t NEW_SIDE = 16;  // size of a freshly created image

}  // namespace

void img_report() {
    if (img_debug) std::puts("IMG error");
}

Img* img_make(int32_t width, int32_t height) { return record_make<Img>(width, height); }

Img* img_create() {
    Img* img = img_make(NEW_SIDE, NEW_SIDE);
    if (img == nullptr) img_report();
    return img;
}

void img_resize(Img* img, int32_t width, int32_t height) {
    if (!record_resize(img, width, height)) img_report();  // the old picture stays valid
}

void img_destroy(Img** img) {
    if (!record_destroy(img)) img_report();
}

void img_clear(Img* img) {
    if (!grid_clear(record_grid(img))) img_report();
}

void img_put_pixel(Img* img, int32_t x, int32_t y, uint32_t colour) {
    if (!grid_put(record_grid(img), x, y, colour)) img_report();
}

uint32_t img_get_pixel(const Img* img, int32_t x, int32_t y) {
    uint32_t colour = 0;
    if (!grid_get(record_grid(img), x, y, colour)) img_report();
    return colour;
}

void img_fill_rect(Img* img, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
    if (!grid_fill_rect(record_grid(img), x, y, w, h, colour)) img_report();
}

void img_frame_rect(Img* img, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
    if (!grid_frame_rect(record_grid(img), x, y, w, h, colour)) img_report();
}

void img_fade(Img* img, uint8_t step) {
    if (!grid_fade(record_grid(img), step)) img_report();
}

WIDE_LOOP void img_and_mask(const Img* mask, Img* target) {
    if (!grid_and_mask(record_grid(mask), record_grid(target))) img_report();
}

void img_circle(Img* img, int32_t cx, int32_t cy, int32_t radius, uint32_t colour) {
    if (!grid_circle(record_grid(img), cx, cy, radius, colour)) img_report();
}

void img_copy(const Img* source, Img* destination) {
    if (!grid_copy(record_grid(source), record_grid(destination))) img_report();
}

int img_equal(const Img* a, const Img* b) {
    int same = 0;
    if (!grid_equal(record_grid(a), record_grid(b), same)) img_report();
    return same;
}

Img* img_clone(const Img* img) {
    Img* copy = record_clone(img);
    if (copy == nullptr) img_report();
    return copy;
}

void img_copy_row(const Img* source, Img* destination, int32_t source_row, int32_t destination_row) {
    if (!grid_copy_row(record_grid(source), record_grid(destination), source_row, destination_row)) img_report();
}
