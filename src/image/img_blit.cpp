// IMG: rectangle copies, row and column wraps, the nearest-neighbour scaler and rotation.
// Rectangles are clipped once per call in 64-bit arithmetic (so no argument can overflow),
// then plain loops run over the flat pixel arrays.
#include <cstdlib>
#include <cstring>

#include "common/fixed.h"
#include "common/sine_table.h"
#include "image/img.h"
#include "image/img_internal.h"

namespace {

// A clipped rectangle: w x h pixels from (sx, sy) of the source to (dx, dy) of the
// destination, all inside their images.
struct Clip {
    int64_t sx, sy, dx, dy, w, h;
};

// Clipping of the keyed and additive blits; false when nothing is left to draw.
bool clip_rect(const Img* source, const Img* destination, int64_t sx, int64_t sy, int64_t dx, int64_t dy,
               int64_t w, int64_t h, Clip& out) {
    const int64_t sw = source->width;
    const int64_t sh = source->height;
    const int64_t dw = destination->width;
    const int64_t dh = destination->height;
    if (dx >= dw || dx + w < 0 || dy >= dh || dy + h < 0 || sx >= sw || sx + w < 0 || sy >= sh || sy + h < 0)
        return false;
    // The source's far edge is judged on the values passed in; moving a negative sx onto
    // the destination does not change sx + w, so both readings agree.
    const bool past_right = sx + w > sw;
    const bool past_bottom = sy + h > sh;
    if (sx < 0) {
        dx -= sx;
        w += sx;
        sx = 0;
    }
    if (sy < 0) {
        dy -= sy;
        h += sy;
        sy = 0;
    }
    if (past_right) w = sw - sx;
    if (past_bottom) h = sh - sy;
    if (dx < 0) {
        sx -= dx;
        w += dx;
        dx = 0;
    }
    if (dy < 0) {
        sy -= dy;
        h += dy;
        dy = 0;
    }
    if (dx + w > dw) w = dw - dx;
    if (dy + h > dh) h = dh - dy;
    if (w <= 0 || h <= 0) return false;
    out = Clip{sx, sy, dx, dy, w, h};
    return true;
}

const uint32_t* source_at(const Img* img, int64_t x, int64_t y) {
    return img->pixels + static_cast<size_t>(y) * static_cast<size_t>(img->width) + static_cast<size_t>(x);
}
uint32_t* destination_at(Img* img, int64_t x, int64_t y) {
    return img->pixels + static_cast<size_t>(y) * static_cast<size_t>(img->width) + static_cast<size_t>(x);
}

// Shared body of the row wraps: count = min of the widths, starting at the offset taken
// modulo the destination width and wrapping to column 0.
template <typename Combine>
void row_wrap(const Img* source, Img* destination, int32_t source_row, int32_t destination_row,
              int32_t column_offset, Combine combine) {
    if (!img_usable(source) || !img_usable(destination) || source_row < 0 || source_row >= source->height ||
        destination_row < 0 || destination_row >= destination->height) {
        img_report();
        return;
    }
    const int32_t count = source->width < destination->width ? source->width : destination->width;
    if (count == 0) return;  // also keeps the modulo below away from a zero width
    const int32_t start = mod_wrap(column_offset, destination->width);
    const uint32_t* s = source_at(source, 0, source_row);
    uint32_t* d = destination_at(destination, 0, destination_row);
    const int32_t first = destination->width - start < count ? destination->width - start : count;
    for (int32_t k = 0; k < first; ++k) combine(d[start + k], s[k]);
    for (int32_t k = first; k < count; ++k) combine(d[k - first], s[k]);
}

// Shared body of the rectangle blits: clips once, then combine(destination, source) over
// the flat rows of the clipped rectangle.
template <typename Combine>
void blit_rect(const Img* source, Img* destination, int64_t sx, int64_t sy, int64_t dx, int64_t dy, int64_t w,
               int64_t h, Combine combine) {
    if (!img_usable(source) || !img_usable(destination)) {
        img_report();
        return;
    }
    Clip c{};
    if (!clip_rect(source, destination, sx, sy, dx, dy, w, h, c)) return;
    const size_t s_stride = static_cast<size_t>(source->width);
    const size_t d_stride = static_cast<size_t>(destination->width);
    const size_t width = static_cast<size_t>(c.w);
    const uint32_t* s = source_at(source, c.sx, c.sy);
    uint32_t* d = destination_at(destination, c.dx, c.dy);
    for (int64_t row = 0; row < c.h; ++row, s += s_stride, d += d_stride) {
        for (size_t i = 0; i < width; ++i) combine(d[i], s[i]);
    }
}

}  // namespace

void img_blit_key(const Img* source, Img* destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy, int32_t w,
                  int32_t h) {
    blit_rect(source, destination, sx, sy, dx, dy, w, h, [](uint32_t& d, uint32_t s) {
        if (s != 0) d = s;
    });
}

void img_blit_add(const Img* source, Img* destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy, int32_t w,
                  int32_t h) {
    // Channels carry into the one above.
    blit_rect(source, destination, sx, sy, dx, dy, w, h, [](uint32_t& d, uint32_t s) { d += s; });
}

void img_blit_stepped(const Img* source, Img* destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                      int32_t w, int32_t h, int32_t x_step, int32_t y_step) {
    if (!img_usable(source) || !img_usable(destination) || x_step < 1 || y_step < 1) {
        img_report();
        return;
    }
    int64_t x0 = sx, y0 = sy, tx = dx, ty = dy, cw = w, ch = h;
    const int64_t xs = x_step, ys = y_step;
    // Source side first: pixels cut off on the left or top move the destination start by
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
    if (x0 + cw > source->width) cw = source->width - x0;
    if (y0 + ch > source->height) ch = source->height - y0;
    if (cw <= 0 || ch <= 0) return;
    // Destination side: the first and one-past-last source column (row) whose spaced
    // position lands inside.
    const auto first_inside = [](int64_t start, int64_t step) { return start >= 0 ? 0 : (-start + step - 1) / step; };
    const auto end_inside = [](int64_t start, int64_t step, int64_t limit, int64_t count) {
        if (start >= limit) return int64_t{0};
        const int64_t n = (limit - 1 - start) / step + 1;
        return n < count ? n : count;
    };
    const int64_t c0 = first_inside(tx, xs);
    const int64_t c1 = end_inside(tx, xs, destination->width, cw);
    const int64_t r0 = first_inside(ty, ys);
    const int64_t r1 = end_inside(ty, ys, destination->height, ch);
    for (int64_t r = r0; r < r1; ++r) {
        const uint32_t* s = source_at(source, x0, y0 + r);
        uint32_t* d = destination_at(destination, 0, ty + r * ys);
        for (int64_t c = c0; c < c1; ++c) {
            if (s[c] != 0) d[tx + c * xs] = s[c];
        }
    }
}

void img_blit_half(const Img* source, Img* destination, int32_t x, int32_t y) {
    if (!img_usable(source)) {  // read for the rectangle below, so checked first
        img_report();
        return;
    }
    blit_rect(source, destination, 0, 0, x, y, source->width, source->height, [](uint32_t& d, uint32_t s) {
        if (s != 0) d = ((s >> 1) & 0x7F7F7Fu) + ((d >> 1) & 0x7F7F7Fu);
    });
}

void img_copy_column_wrap(const Img* source, Img* destination, int32_t source_column, int32_t destination_column,
                          int32_t destination_row) {
    if (!img_usable(source) || !img_usable(destination) || source_column < 0 || source_column >= source->width ||
        destination_column < 0 || destination_column >= destination->width) {
        img_report();
        return;
    }
    const int32_t dh = destination->height;
    const int32_t sh = source->height;
    if (dh == 0) return;  // nowhere to wrap to
    const size_t s_stride = static_cast<size_t>(source->width);
    const size_t d_stride = static_cast<size_t>(destination->width);
    const uint32_t* s = source->pixels + source_column;
    uint32_t* d = destination->pixels + destination_column;
    const int32_t start = mod_wrap(destination_row, dh);
    const int32_t n = dh - start < sh ? dh - start : sh;
    for (int32_t k = 0; k < n; ++k) {
        const uint32_t p = s[static_cast<size_t>(k) * s_stride];
        if (p != 0) d[static_cast<size_t>(start + k) * d_stride] = p;
    }
    const int32_t m = sh < dh ? sh : dh;  // at most one destination height in all
    for (int32_t k = n; k < m; ++k) {
        const uint32_t p = s[static_cast<size_t>(k) * s_stride];
        if (p != 0) d[static_cast<size_t>(k - n) * d_stride] = p;
    }
}

void img_or_row_wrap(const Img* source, Img* destination, int32_t source_row, int32_t destination_row,
                     int32_t column_offset) {
    row_wrap(source, destination, source_row, destination_row, column_offset,
             [](uint32_t& d, uint32_t s) { d |= s; });
}

void img_copy_row_wrap(const Img* source, Img* destination, int32_t source_row, int32_t destination_row,
                       int32_t column_offset) {
    row_wrap(source, destination, source_row, destination_row, column_offset, [](uint32_t& d, uint32_t s) {
        if (s != 0) d = s;
    });
}

int32_t* img_run_table(int32_t a, int32_t b) {
    if (b < 0 || a < b || a > MAX_PIXELS) {
        img_report();
        return nullptr;
    }
    int32_t* table = static_cast<int32_t*>(std::calloc(static_cast<size_t>(b) + 1, sizeof(int32_t)));
    if (table == nullptr) {
        img_report();
        return nullptr;
    }
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

void img_scale(const Img* source, Img* destination) {
    if (!img_usable(source) || !img_usable(destination)) {
        img_report();
        return;
    }
    const int32_t sw = source->width;
    const int32_t sh = source->height;
    const int32_t dw = destination->width;
    const int32_t dh = destination->height;
    // An empty destination has nothing to draw and an empty source nothing to show.
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return;
    const bool grow_x = dw >= sw;
    const bool grow_y = dh >= sh;
    int32_t* cols = grow_x ? img_run_table(dw, sw) : img_run_table(sw, dw);
    int32_t* rows = grow_y ? img_run_table(dh, sh) : img_run_table(sh, dh);
    if (cols == nullptr || rows == nullptr) {
        std::free(cols);
        std::free(rows);
        img_report();
        return;
    }
    const uint32_t* src = source->pixels;
    uint32_t* dst = destination->pixels;
    const size_t s_stride = static_cast<size_t>(sw);
    const size_t d_stride = static_cast<size_t>(dw);

    // Widen one source row: source pixel c written cols[c] times.
    const auto widen = [&](const uint32_t* s, uint32_t* d) {
        for (int32_t c = 0; c < sw; ++c) {
            const uint32_t p = s[c];
            for (int32_t t = cols[c]; t > 0; --t) *d++ = p;
        }
    };
    // Narrow one source row, backward: each destination column takes the last source
    // column of its run.
    const auto narrow = [&](const uint32_t* s, uint32_t* d) {
        int32_t x = sw - 1;
        for (int32_t j = dw - 1; j >= 0; --j) {
            d[j] = s[x];
            x -= cols[j];
        }
    };

    if (grow_x && grow_y) {
        uint32_t* d = dst;
        for (int32_t r = 0; r < sh; ++r) {
            widen(src + static_cast<size_t>(r) * s_stride, d);
            for (int32_t t = 1; t < rows[r]; ++t) std::memcpy(d + static_cast<size_t>(t) * d_stride, d, d_stride * sizeof(uint32_t));
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
            uint32_t* d = dst + static_cast<size_t>(j) * d_stride;
            narrow(src + static_cast<size_t>(r) * s_stride, d);
            for (int32_t t = 1; t < rows[r]; ++t) std::memcpy(d - static_cast<size_t>(t) * d_stride, d, d_stride * sizeof(uint32_t));
            j -= rows[r];
        }
    }
    std::free(cols);
    std::free(rows);
}

Img* img_rotate(const Img* source, int32_t angle) {
    if (!img_usable(source)) {
        img_report();
        return nullptr;
    }
    const int64_t nw = (int64_t{source->width} * 92667) >> 16;  // about side * sqrt(2)
    const int64_t nh = (int64_t{source->height} * 92667) >> 16;
    if (nw > INT32_MAX || nh > INT32_MAX || !size_ok(static_cast<int32_t>(nw), static_cast<int32_t>(nh))) {
        img_report();
        return nullptr;
    }
    Img* out = img_make(static_cast<int32_t>(nw), static_cast<int32_t>(nh));
    if (out == nullptr) {
        img_report();
        return nullptr;
    }
    const int64_t sine = sine_at(angle);
    const int64_t cosine = sine_at(wrap_add(angle, SINE_LENGTH / 4));
    const int64_t sw = source->width;
    const int64_t sh = source->height;
    const int64_t cx = sw / 2;
    const int64_t cy = sh / 2;
    uint32_t* d = out->pixels;
    for (int64_t y = 0; y < nh; ++y) {
        const int64_t ry = y - nh / 2;
        for (int64_t x = 0; x < nw; ++x, ++d) {
            const int64_t rx = x - nw / 2;
            const int64_t px = ((rx * cosine) >> 15) - ((ry * sine) >> 15) + cx;
            const int64_t py = ((rx * sine) >> 15) + ((ry * cosine) >> 15) + cy;
            if (px >= 0 && py >= 0 && px < sw && py < sh) *d = *source_at(source, px, py);
        }
    }
    return out;
}
