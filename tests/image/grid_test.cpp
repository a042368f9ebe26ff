// GRID: the image and the byte map run one geometry core. Every shared operation, run on an
// image and a byte map holding the same low bytes with the same (often far-out) arguments,
// must leave the same cells and print an error line in the same cases.
#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "common/fixed.h"
#include "common/sine_table.h"
#include "image/bytemap.h"
#include "image/image_fixtures.h"

namespace {

// An image and a byte map of one size with the same cells; pixels stay below 256.
struct Pair {
    Img* img;
    Bytemap* map;
};

Pair make_pair(std::mt19937& rng, int32_t w, int32_t h, int zero_percent) {
    Pair p{sized(w, h), bytemap_create()};
    bytemap_resize(p.map, w, h);
    for (int32_t i = 0; i < w * h; ++i) {
        const auto v = static_cast<int>(rng() % 100) < zero_percent ? 0u : 1 + rng() % 255;
        p.img->pixels[i] = v;
        p.map->cells[i] = static_cast<uint8_t>(v);
    }
    return p;
}

void destroy(Pair& p) {
    img_destroy(&p.img);
    bytemap_destroy(&p.map);
}

// Same size and cells, and no pixel above the low byte.
bool same(const Pair& p) {
    if (p.img == nullptr || p.map == nullptr) return p.img == nullptr && p.map == nullptr;
    if (p.img->width != p.map->width || p.img->height != p.map->height) return false;
    for (int32_t i = 0; i < p.img->width * p.img->height; ++i)
        if (p.img->pixels[i] != p.map->cells[i]) return false;
    return true;
}

// Arguments shaped like a blit's from b onto a: sx, sy, dx, dy, w, h around the pictures
// and two steps; in a quarter of the calls one of them is a far value anywhere in int32.
// The other operations read the same values as positions, sizes, rows and offsets.
void arguments(std::mt19937& rng, const Pair& a, const Pair& b, int32_t* v) {
    static constexpr int32_t far[] = {INT32_MIN, INT32_MIN + 1, -(1 << 30),    -65536,
                                      65536,     1 << 30,       INT32_MAX - 1, INT32_MAX};
    const auto in = [&](int32_t lo, int32_t hi) {
        return lo + static_cast<int32_t>(rng() % static_cast<uint32_t>(hi - lo + 1));
    };
    const int32_t aw = a.img->width, ah = a.img->height, bw = b.img->width, bh = b.img->height;
    const int32_t shaped[8] = {
        in(-4, bw), in(-4, bh), in(-bw / 2 - 2, aw + 1), in(-bh / 2 - 2, ah + 1), in(-1, bw + 6), in(-1, bh + 6),
        in(-1, 4),  in(-1, 4)};
    for (int i = 0; i < 8; ++i) v[i] = shaped[i];
    if (rng() % 4 == 0) v[rng() % 8] = far[rng() % 8];
}

// One shared operation: draws on a (from b) once as images, once as byte maps.
struct Operation {
    const char* name;
    void (*on_img)(Img*, const Img*, const int32_t*);
    void (*on_map)(Bytemap*, const Bytemap*, const int32_t*);
};

uint8_t low(int32_t v) { return static_cast<uint8_t>(v); }

// The call written once, made as img_<call> on images and as bytemap_<call> on byte maps.
#define SHARED(name, call)                                                                                   \
    Operation {                                                                                              \
        name, [](Img* a, const Img* b, const int32_t* v) { (void)a, (void)b, (void)v, img_##call; },         \
            [](Bytemap* a, const Bytemap* b, const int32_t* v) { (void)a, (void)b, (void)v, bytemap_##call; } \
    }

const Operation OPERATIONS[] = {
    SHARED("put", put_pixel(a, v[0], v[1], low(v[2]))),
    SHARED("fill", fill_rect(a, v[0], v[1], v[2], v[3], low(v[4]))),
    SHARED("frame", frame_rect(a, v[0], v[1], v[2], v[3], low(v[4]))),
    SHARED("fade", fade(a, low(v[0]))),
    SHARED("and mask", and_mask(b, a)),
    SHARED("circle", circle(a, v[0], v[1], v[2], low(v[3]) | 1)),
    SHARED("copy", copy(b, a)),
    SHARED("key", blit_key(b, a, v[0], v[1], v[2], v[3], v[4], v[5])),
    SHARED("stepped", blit_stepped(b, a, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7])),
    SHARED("half", blit_half(b, a, v[0], v[1])),
    SHARED("column wrap", copy_column_wrap(b, a, v[0] % 30, v[1] % 30, v[2])),
    SHARED("or row wrap", or_row_wrap(b, a, v[0] % 30, v[1] % 30, v[2])),
    SHARED("copy row wrap", copy_row_wrap(b, a, v[0] % 30, v[1] % 30, v[2])),
    SHARED("scale", scale(b, a)),
    SHARED("clear", clear(a)),
};
#undef SHARED

}  // namespace

TEST(Grid, ImageAndByteMapAgreeOnEveryOperation) {
    std::mt19937 rng(20101104);
    for (int trial = 0; trial < 9000; ++trial) {
        const Operation& op = OPERATIONS[static_cast<size_t>(trial) % std::size(OPERATIONS)];
        const auto side = [&] { return static_cast<int32_t>(rng() % 25); };
        const int zeros = static_cast<int>(rng() % 101);
        Pair a = make_pair(rng, side(), side(), zeros);
        Pair b = make_pair(rng, side(), side(), zeros);
        const bool self = rng() % 6 == 0;  // the source is the destination itself
        int32_t v[8];
        arguments(rng, a, b, v);
        const std::string img_lines = printed([&] { op.on_img(a.img, self ? a.img : b.img, v); });
        const std::string map_lines = printed([&] { op.on_map(a.map, self ? a.map : b.map, v); }, bytemap_debug);
        EXPECT_TRUE(same(a)) << op.name << " trial " << trial;
        EXPECT_EQ(std::count(img_lines.begin(), img_lines.end(), '\n'),
                  std::count(map_lines.begin(), map_lines.end(), '\n'))
            << op.name << " trial " << trial;
        destroy(a);
        destroy(b);
    }
}

TEST(Grid, ImageAndByteMapAgreeOnNewPictures) {
    std::mt19937 rng(20101102);
    for (int trial = 0; trial < 400; ++trial) {
        Pair a = make_pair(rng, static_cast<int32_t>(rng() % 30), static_cast<int32_t>(rng() % 30), 30);
        const int32_t angle = static_cast<int32_t>(rng());
        Pair turned{img_rotate(a.img, angle), bytemap_rotate(a.map, angle)};
        Pair cloned{img_clone(a.img), bytemap_clone(a.map)};
        EXPECT_TRUE(same(turned)) << "rotate " << angle;
        EXPECT_TRUE(same(cloned));
        EXPECT_EQ(img_equal(a.img, cloned.img), bytemap_equal(a.map, cloned.map));
        char* img_text = img_to_text(a.img);
        char* map_text = bytemap_to_text(a.map);
        ASSERT_NE(img_text, nullptr);
        ASSERT_NE(map_text, nullptr);
        // Same P3 body: the byte map writes its cell as the blue sample, as the image does.
        EXPECT_EQ(std::string(img_text + 4), std::string(map_text + 8));
        std::free(img_text);
        std::free(map_text);
        for (Pair* p : {&a, &turned, &cloned}) destroy(*p);
    }
}

// ---- The fast loops against the plain formulas they replace

namespace {

// The circle as it was always drawn: the 256 angles of the quarter walk, four clipped
// points an angle, whatever repeats.
void walked_circle(Img* img, int32_t cx, int32_t cy, int32_t radius, uint32_t colour) {
    for (int32_t i = 0; i < SINE_LENGTH / 4; ++i) {
        const int64_t dx = mul_shr(sine_at(SINE_LENGTH / 4 + i), radius, 15), dy = mul_shr(sine_at(i), radius, 15);
        for (const int64_t x : {cx + dx - 1, cx - dx})
            for (const int64_t y : {cy + dy, cy - dy})
                if (x >= 0 && y >= 0 && x < img->width && y < img->height) img->pixels[y * img->width + x] = colour;
    }
}

// The fade as it was always computed: each channel compared with its step, bits 24-31 dropped.
uint32_t faded_pixel(uint32_t v, uint8_t step) {
    uint32_t out = 0;
    for (const uint32_t channel : {0xFF0000u, 0x00FF00u, 0x0000FFu}) {
        const uint32_t c = v & channel, s = step * (channel & 0x010101u);
        out |= c > s ? c - s : 0;
    }
    return out;
}

// A rectangle blit done the plain way, pixel by pixel in order: source (sx + c, sy + r) of
// the w x h rectangle combines into destination (dx + c * x_step, dy + r * y_step) when both
// are inside, reading the live pixels, so a picture drawn onto itself sees its own earlier
// writes. Walks the source, so far-out rectangles cost nothing.
template <typename Op>
void blit_in_order(const Img* s, Img* d, const int32_t* v, Op op, int64_t x_step = 1, int64_t y_step = 1) {
    for (int64_t y = 0; y < s->height; ++y)
        for (int64_t x = 0; x < s->width; ++x) {
            const int64_t c = x - v[0], r = y - v[1], tx = v[2] + c * x_step, ty = v[3] + r * y_step;
            if (c < 0 || r < 0 || c >= v[4] || r >= v[5]) continue;
            if (tx < 0 || ty < 0 || tx >= d->width || ty >= d->height) continue;
            uint32_t& cell = d->pixels[ty * d->width + tx];
            cell = op(cell, s->pixels[y * s->width + x]);
        }
}

// A wrap done the plain way: cell k of the source row (column) onto destination column
// (row) (offset + k) mod the destination's width (height), for as many cells as both have.
template <typename Op>
void wrap_in_order(const Img* s, Img* d, bool rows, int32_t from, int32_t to, int32_t offset, Op op) {
    const int32_t dn = rows ? d->width : d->height, n = std::min(rows ? s->width : s->height, dn);
    for (int32_t k = 0; k < n; ++k) {
        const int64_t at = (int64_t{offset} % dn + dn + k) % dn;
        uint32_t& cell = rows ? d->pixels[to * d->width + at] : d->pixels[at * d->width + to];
        cell = op(cell, rows ? s->pixels[from * s->width + k] : s->pixels[k * s->width + from]);
    }
}

}  // namespace

TEST(GridFast, CirclesDrawExactlyTheQuarterWalksPoints) {
    Img* got = sized(150, 140);
    Img* want = sized(150, 140);
    Bytemap* map = bytemap_create();
    bytemap_resize(map, 150, 140);
    const std::pair<int32_t, int32_t> centres[] = {{75, 70}, {0, 0}, {149, 139}, {0, 70}, {149, 3}, {5, 137}, {70, 1}};
    std::vector<int32_t> radii;
    for (int32_t r = 0; r <= 64; ++r) radii.push_back(r);  // the table's radii and the walked ones
    for (const int32_t r : {100, 1000, 1 << 20, INT32_MAX}) radii.push_back(r);
    for (const int32_t radius : radii) {
        for (const auto& [x, y] : centres) {
            img_clear(got);
            img_clear(want);
            bytemap_clear(map);
            img_circle(got, x, y, radius, 0x80C0E0);
            bytemap_circle(map, x, y, radius, 0xE0);
            if (radius >= 1) walked_circle(want, x, y, radius, 0x80C0E0);  // radius 0 draws nothing
            ASSERT_EQ(img_equal(got, want), 1) << "radius " << radius << " at " << x << "," << y;
            for (int32_t i = 0; i < 150 * 140; ++i)
                ASSERT_EQ(map->cells[i], want->pixels[i] & 0xFF) << radius << " " << i;
        }
    }
    img_destroy(&got);
    img_destroy(&want);
    bytemap_destroy(&map);
}

TEST(GridFast, FadeIsThePerChannelFormulaForEveryByteAndStep) {
    // Every byte value in every byte of a pixel (and of a cell), at lengths that leave the
    // vector loop's tail empty, short and long.
    for (const int32_t length : {256, 1, 3, 4, 5, 15, 17, 259}) {
        Img* img = sized(length, 1);
        Bytemap* map = bytemap_create();
        bytemap_resize(map, length, 1);
        for (int step = 0; step < 256; ++step) {
            for (int32_t i = 0; i < length; ++i) {
                img->pixels[i] =
                    static_cast<uint32_t>(i % 256) * 0x01010101u ^ static_cast<uint32_t>(i / 256) * 0x5A3C96E1u;
                map->cells[i] = static_cast<uint8_t>(255 - i % 256);
            }
            img_fade(img, static_cast<uint8_t>(step));
            bytemap_fade(map, static_cast<uint8_t>(step));
            for (int32_t i = 0; i < length; ++i) {
                const uint32_t before =
                    static_cast<uint32_t>(i % 256) * 0x01010101u ^ static_cast<uint32_t>(i / 256) * 0x5A3C96E1u;
                ASSERT_EQ(img->pixels[i], faded_pixel(before, static_cast<uint8_t>(step)))
                    << length << " " << step << " " << i;
                const int cell = 255 - i % 256;
                ASSERT_EQ(map->cells[i], cell > step ? cell - step : 0) << length << " " << step << " " << i;
            }
        }
        img_destroy(&img);
        bytemap_destroy(&map);
    }
}

TEST(GridFast, BlitsMaskAndWrapsMatchThePlainLoops) {
    const auto keyed = [](uint32_t d, uint32_t s) { return s != 0 ? s : d; };
    const auto added = [](uint32_t d, uint32_t s) { return d + s; };
    const auto half = [](uint32_t d, uint32_t s) {
        return s != 0 ? ((s >> 1) & 0x7F7F7Fu) + ((d >> 1) & 0x7F7F7Fu) : d;
    };
    const auto ored = [](uint32_t d, uint32_t s) { return d | s; };
    std::mt19937 rng(14);
    const auto in = [&](int32_t lo, int32_t hi) {
        return lo + static_cast<int32_t>(rng() % static_cast<uint32_t>(hi - lo + 1));
    };
    const auto picture = [&](int32_t w, int32_t h) {
        Img* img = sized(w, h);
        const int zeros = in(0, 100);
        for (int32_t i = 0; i < w * h; ++i) img->pixels[i] = in(0, 99) < zeros ? 0 : static_cast<uint32_t>(rng());
        return img;
    };
    static constexpr int32_t far[] = {INT32_MIN, INT32_MIN + 1, -65536, 65536, INT32_MAX - 1, INT32_MAX};
    for (int trial = 0; trial < 4000; ++trial) {
        // Rows of 0 to 45 pixels cross the loops' 16-pixel blocks and their tails.
        Img* destination = picture(in(0, 45), in(0, 12));
        Img* source = rng() % 5 == 0 ? destination : picture(in(0, 45), in(0, 12));  // now and then itself
        int32_t v[6] = {in(-8, 45), in(-4, 12), in(-45, 45), in(-12, 12), in(-3, 50), in(-3, 14)};
        if (rng() % 8 == 0) v[rng() % 6] = far[rng() % 6];
        const int op = trial % 6;
        Img* want = img_clone(destination);
        Img* got = destination;
        const Img* from = source == destination ? want : source;  // the model draws on its own copy
        if (op == 0) {
            blit_in_order(from, want, v, keyed);
            img_blit_key(source, got, v[0], v[1], v[2], v[3], v[4], v[5]);
        } else if (op == 1) {
            blit_in_order(from, want, v, added);
            img_blit_add(source, got, v[0], v[1], v[2], v[3], v[4], v[5]);
        } else if (op == 2) {
            const int32_t whole[6] = {0, 0, v[2], v[3], from->width, from->height};
            blit_in_order(from, want, whole, half);
            img_blit_half(source, got, v[2], v[3]);
        } else if (op == 3) {
            const int32_t xs = in(1, 5), ys = rng() % 8 == 0 ? INT32_MAX : in(1, 5);
            blit_in_order(from, want, v, keyed, xs, ys);
            img_blit_stepped(source, got, v[0], v[1], v[2], v[3], v[4], v[5], xs, ys);
        } else if (op == 4 && std::min({source->width, source->height, destination->width, destination->height}) > 0) {
            const int32_t offset = rng() % 8 == 0 ? far[rng() % 6] : in(-60, 60);
            const int kind = in(0, 2);  // or-ed row, keyed row, keyed column
            const bool rows = kind < 2;
            const int32_t from_line = in(0, (rows ? source->height : source->width) - 1);
            const int32_t to_line = in(0, (rows ? destination->height : destination->width) - 1);
            wrap_in_order(from, want, rows, from_line, to_line, offset, kind == 0 ? +ored : +keyed);
            const auto wrap = kind == 0 ? img_or_row_wrap : rows ? img_copy_row_wrap : img_copy_column_wrap;
            wrap(source, got, from_line, to_line, offset);
        } else if (op == 5 && source->width * source->height <= destination->width * destination->height) {
            // The target holds at least the mask's count of pixels; that many are and-ed.
            for (int32_t i = 0; i < from->width * from->height; ++i) want->pixels[i] &= from->pixels[i];
            img_and_mask(source, got);
        }
        EXPECT_EQ(img_equal(want, got), 1) << "op " << op << " trial " << trial;
        img_destroy(&want);
        if (source != destination) img_destroy(&source);
        img_destroy(&destination);
    }
}
