// IMG: the 32-bit picture, its life cycle and per-pixel operations.
// Blits and scaling live in img_blit.cpp, the PNM formats in img_pnm.cpp.
#include "image/img.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/fixed.h"
#include "common/sine_table.h"
#include "image/img_internal.h"

uint8_t img_debug = 0;
const ModuleId img_module_id = make_module_id("20101104", "IMG");

namespace {

constexpr int32_t NEW_SIDE = 16;  // size of a freshly created image

// Zero-filled buffer for width x height pixels; null when the size is refused or memory
// is short. An empty image still owns a (one-pixel) buffer, so "no buffer" always means
// "unusable" and never "empty".
uint32_t* alloc_pixels(int32_t width, int32_t height) {
    if (!size_ok(width, height)) return nullptr;
    size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (count == 0) count = 1;
    return static_cast<uint32_t*>(std::calloc(count, sizeof(uint32_t)));
}

// Top-left pixel of a fill's rectangle, which must lie wholly inside a usable image and
// hold at least one pixel; null (reported) otherwise.
uint32_t* rect_origin(Img* img, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (!img_usable(img) || x < 0 || y < 0 || x >= img->width || y >= img->height || w < 1 || h < 1 ||
        int64_t{x} + w > img->width || int64_t{y} + h > img->height) {
        img_report();
        return nullptr;
    }
    return img->pixels + static_cast<size_t>(y) * static_cast<size_t>(img->width) + static_cast<size_t>(x);
}

// Clipped write with 64-bit coordinates, for points computed from arbitrary arguments.
void put_clipped(Img* img, int64_t x, int64_t y, uint32_t colour) {
    if (x < 0 || y < 0 || x >= img->width || y >= img->height) return;
    img->pixels[static_cast<size_t>(y) * static_cast<size_t>(img->width) + static_cast<size_t>(x)] = colour;
}

}  // namespace

void img_report() {
    if (img_debug) std::puts("IMG error");
}

Img* img_make(int32_t width, int32_t height) {
    Img* img = static_cast<Img*>(std::calloc(1, sizeof(Img)));
    if (img == nullptr) return nullptr;
    img->pixels = alloc_pixels(width, height);
    if (img->pixels == nullptr) {
        std::free(img);
        return nullptr;
    }
    img->width = width;
    img->height = height;
    return img;
}

Img* img_create() {
    Img* img = img_make(NEW_SIDE, NEW_SIDE);
    if (img == nullptr) img_report();
    return img;
}

void img_resize(Img* img, int32_t width, int32_t height) {
    if (img == nullptr) {
        img_report();
        return;
    }
    uint32_t* pixels = alloc_pixels(width, height);
    if (pixels == nullptr) {
        img_report();  // refused or out of memory: the old picture stays valid
        return;
    }
    std::free(img->pixels);
    img->pixels = pixels;
    img->width = width;
    img->height = height;
}

void img_destroy(Img** img) {
    if (img == nullptr || *img == nullptr) {
        img_report();
        return;
    }
    std::free((*img)->pixels);
    std::free(*img);
    *img = nullptr;
}

void img_clear(Img* img) {
    if (!img_usable(img)) {
        img_report();
        return;
    }
    std::memset(img->pixels, 0, img_pixel_count(img) * sizeof(uint32_t));
}

void img_put_pixel(Img* img, int32_t x, int32_t y, uint32_t colour) {
    if (!img_usable(img)) {
        img_report();
        return;
    }
    put_clipped(img, x, y, colour);
}

uint32_t img_get_pixel(const Img* img, int32_t x, int32_t y) {
    if (!img_usable(img)) {
        img_report();
        return 0;
    }
    if (x < 0 || y < 0 || x >= img->width || y >= img->height) return 0;
    return img->pixels[static_cast<size_t>(y) * static_cast<size_t>(img->width) + static_cast<size_t>(x)];
}

void img_fill_rect(Img* img, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
    uint32_t* row = rect_origin(img, x, y, w, h);
    if (row == nullptr) return;
    const size_t stride = static_cast<size_t>(img->width);
    for (int32_t j = 0; j < h; ++j, row += stride) {
        for (int32_t i = 0; i < w; ++i) row[i] = colour;
    }
}

void img_frame_rect(Img* img, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
    uint32_t* top = rect_origin(img, x, y, w, h);
    if (top == nullptr) return;
    const size_t stride = static_cast<size_t>(img->width);
    uint32_t* bottom = top + static_cast<size_t>(h - 1) * stride;
    for (int32_t i = 0; i < w; ++i) {
        top[i] = colour;
        bottom[i] = colour;
    }
    uint32_t* left = top;
    for (int32_t j = 0; j < h; ++j, left += stride) {
        left[0] = colour;
        left[w - 1] = colour;
    }
}

void img_fade(Img* img, uint8_t step) {
    if (!img_usable(img)) {
        img_report();
        return;
    }
    const uint32_t red_step = uint32_t{step} << 16;
    const uint32_t green_step = uint32_t{step} << 8;
    const uint32_t blue_step = step;
    // Last pixel first; the order does not change the result. Each channel is compared
    // with its step rather than going negative, which is the same floor at 0.
    uint32_t* p = img->pixels;
    for (size_t i = img_pixel_count(img); i-- > 0;) {
        const uint32_t v = p[i];
        const uint32_t r = v & 0xFF0000u;
        const uint32_t g = v & 0x00FF00u;
        const uint32_t b = v & 0x0000FFu;
        p[i] = (r > red_step ? r - red_step : 0) | (g > green_step ? g - green_step : 0) |
               (b > blue_step ? b - blue_step : 0);
    }
}

void img_and_mask(const Img* mask, Img* target) {
    if (!img_usable(mask) || !img_usable(target) || img_pixel_count(target) < img_pixel_count(mask)) {
        img_report();
        return;
    }
    const uint32_t* m = mask->pixels;
    uint32_t* t = target->pixels;
    for (size_t i = img_pixel_count(mask); i-- > 0;) t[i] &= m[i];
}

void img_circle(Img* img, int32_t cx, int32_t cy, int32_t radius, uint32_t colour) {
    if (!img_usable(img) || cx < 0 || cy < 0 || cx >= img->width || cy >= img->height || radius < 1) {
        img_report();
        return;
    }
    const int32_t length = sine_table.length;
    const int32_t mask = sine_table.mask & SINE_MASK;  // never index past the stored period
    for (int32_t i = 0; i < length / 4; ++i) {
        const int64_t dx = mul_shr(sine_table.entries[(length / 4 + i) & mask], radius, 15);
        const int64_t dy = mul_shr(sine_table.entries[i & mask], radius, 15);
        // The right-hand points sit one pixel further in, so the outline is symmetric about
        // the centre pixel's left edge.
        put_clipped(img, cx + dx - 1, cy + dy, colour);
        put_clipped(img, cx - dx, cy + dy, colour);
        put_clipped(img, cx + dx - 1, cy - dy, colour);
        put_clipped(img, cx - dx, cy - dy, colour);
    }
}

void img_copy(const Img* source, Img* destination) {
    if (!img_usable(source) || !img_usable(destination) || source->width != destination->width ||
        source->height != destination->height) {
        img_report();
        return;
    }
    std::memmove(destination->pixels, source->pixels, img_pixel_count(source) * sizeof(uint32_t));
}

int img_equal(const Img* a, const Img* b) {
    if (!img_usable(a) || !img_usable(b)) {
        img_report();
        return 0;
    }
    if (a->width != b->width || a->height != b->height) return 0;
    return std::memcmp(a->pixels, b->pixels, img_pixel_count(a) * sizeof(uint32_t)) == 0 ? 1 : 0;
}

Img* img_clone(const Img* img) {
    if (!img_usable(img)) {
        img_report();
        return nullptr;
    }
    Img* copy = img_make(img->width, img->height);
    if (copy == nullptr) {
        img_report();
        return nullptr;
    }
    std::memcpy(copy->pixels, img->pixels, img_pixel_count(img) * sizeof(uint32_t));
    return copy;
}

void img_copy_row(const Img* source, Img* destination, int32_t source_row, int32_t destination_row) {
    if (!img_usable(source) || !img_usable(destination) || source_row < 0 || source_row >= source->height ||
        destination_row < 0 || destination_row >= destination->height) {
        img_report();
        return;
    }
    const int32_t count = source->width < destination->width ? source->width : destination->width;
    std::memmove(destination->pixels + static_cast<size_t>(destination_row) * static_cast<size_t>(destination->width),
                 source->pixels + static_cast<size_t>(source_row) * static_cast<size_t>(source->width),
                 static_cast<size_t>(count) * sizeof(uint32_t));
}
