#pragma once
// Private helpers of the IMG module's source files; not part of its interface.
#include <cstddef>
#include <cstdint>

#include "common/limits.h"
#include "image/img.h"

// True when the image can be worked on: record and buffer present, sizes within limits.
inline bool img_usable(const Img* img) {
    return img != nullptr && img->pixels != nullptr && size_ok(img->width, img->height);
}

// width * height of a usable image.
inline size_t img_pixel_count(const Img* img) {
    return static_cast<size_t>(img->width) * static_cast<size_t>(img->height);
}

// A new all-0 image of width x height in one step; null (nothing leaked) when the size is
// refused or memory is short. Does not report.
Img* img_make(int32_t width, int32_t height);
