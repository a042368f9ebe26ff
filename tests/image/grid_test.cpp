// GRID: the image and the byte map run one geometry core. Every operation runs on random
// pictures with arguments around and far outside them: on an image, on a byte map holding
// the same cells, and through a plain model written a pixel at a time where there is one.
// All must leave the same cells, and image and byte map print an error line alike.
#include <algorithm>
#include <random>
#include <string>

#include "common/fixed.h"
#include "common/sine_table.h"
#include "image/bytemap.h"
#include "image/image_fixtures.h"

namespace {

std::mt19937 rng(20101104);
int32_t in(int32_t lo, int32_t hi) { return lo + static_cast<int32_t>(rng() % static_cast<uint32_t>(hi - lo + 1)); }
uint8_t low(int32_t v) { return static_cast<uint8_t>(v); }
uint8_t spread(int32_t v) { return static_cast<uint8_t>(static_cast<uint32_t>(v) * 37u); }  // any step

// ---- The plain models: each pixel in order, so a picture drawn onto itself sees its own
// earlier writes. Arguments a model's operation refuses leave the picture as it was.

const auto keyed = [](uint32_t d, uint32_t s) { return s != 0 ? s : d; };
const auto added = [](uint32_t d, uint32_t s) { return d + s; };
const auto ored = [](uint32_t d, uint32_t s) { return d | s; };
const auto halved = [](uint32_t d, uint32_t s) { return s != 0 ? ((s >> 1) & 0x7F7F7Fu) + ((d >> 1) & 0x7F7F7Fu) : d; };

// Source (v0 + c, v1 + r) of the v4 x v5 rectangle onto destination (v2 + c x_step,
// v3 + r y_step) when both are inside. Walks the source, so far-out rectangles cost nothing.
template <typename Op>
void blit_in_order(const Img* s, Img* d, const int32_t* v, Op op, int64_t x_step = 1, int64_t y_step = 1) {
    for (int64_t y = 0; y < s->height; ++y)
        for (int64_t x = 0; x < s->width; ++x) {
            const int64_t c = x - v[0], r = y - v[1], tx = v[2] + c * x_step, ty = v[3] + r * y_step;
            if (c < 0 || r < 0 || c >= v[4] || r >= v[5] || tx < 0 || ty < 0 || tx >= d->width || ty >= d->height)
                continue;
            uint32_t& cell = d->pixels[ty * d->width + tx];
            cell = op(cell, s->pixels[y * s->width + x]);
        }
}

// Cell k of the source row (column) onto destination column (row) (offset + k) mod the
// destination's width (height), for as many cells as both have.
template <typename Op>
void wrap_in_order(const Img* s, Img* d, bool rows, int32_t from, int32_t to, int32_t offset, Op op) {
    if (from < 0 || to < 0 || from >= (rows ? s->height : s->width) || to >= (rows ? d->height : d->width)) return;
    const int32_t dn = rows ? d->width : d->height, n = std::min(rows ? s->width : s->height, dn);
    for (int32_t k = 0; k < n; ++k) {
        const int64_t at = (int64_t{offset} % dn + dn + k) % dn;
        uint32_t& cell = rows ? d->pixels[to * d->width + at] : d->pixels[at * d->width + to];
        cell = op(cell, rows ? s->pixels[from * s->width + k] : s->pixels[k * s->width + from]);
    }
}

// The 256 angles of the quarter walk, four clipped points an angle, whatever repeats.
void walked_circle(Img* img, int32_t cx, int32_t cy, int32_t radius, uint32_t colour) {
    if (cx < 0 || cy < 0 || cx >= img->width || cy >= img->height || radius < 1) return;
    for (int32_t i = 0; i < SINE_LENGTH / 4; ++i) {
        const int64_t dx = mul_shr(sine_at(SINE_LENGTH / 4 + i), radius, 15), dy = mul_shr(sine_at(i), radius, 15);
        for (const int64_t x : {cx + dx - 1, cx - dx})
            for (const int64_t y : {cy + dy, cy - dy})
                if (x >= 0 && y >= 0 && x < img->width && y < img->height) img->pixels[y * img->width + x] = colour;
    }
}

// Each channel compared with its step, bits 24-31 dropped.
void faded(Img* img, uint8_t step) {
    for (int32_t i = 0; i < img->width * img->height; ++i) {
        uint32_t out = 0;
        for (const int shift : {16, 8, 0})
            out |= static_cast<uint32_t>(std::max<int32_t>(img->pixels[i] >> shift & 0xFF, step) - step) << shift;
        img->pixels[i] = out;
    }
}

// ---- The operations: drawn on a (from b) with the arguments v.
struct Operation {
    const char* name;
    void (*on_img)(Img*, const Img*, const int32_t*);
    void (*on_map)(Bytemap*, const Bytemap*, const int32_t*);  // null: the image's alone
    void (*model)(Img*, const Img*, const int32_t*);           // null: none
};

// The call written once, made as img_<call> on images and as bytemap_<call> on byte maps.
#define SHARED(name, call, model)                                                                               \
    Operation {                                                                                                 \
        name, [](Img* a, const Img* b, const int32_t* v) { (void)a, (void)b, (void)v, img_##call; },            \
            [](Bytemap* a, const Bytemap* b, const int32_t* v) { (void)a, (void)b, (void)v, bytemap_##call; }, \
            model                                                                                               \
    }
#define MODEL(...) [](Img* a, const Img* b, const int32_t* v) { (void)a, (void)b, (void)v; __VA_ARGS__; }

const Operation OPERATIONS[] = {
    SHARED("put", put_pixel(a, v[0], v[1], low(v[2])), nullptr),
    SHARED("fill", fill_rect(a, v[0], v[1], v[2], v[3], low(v[4])), nullptr),
    SHARED("frame", frame_rect(a, v[0], v[1], v[2], v[3], low(v[4])), nullptr),
    SHARED("fade", fade(a, spread(v[0])), MODEL(faded(a, spread(v[0])))),
    SHARED("and mask", and_mask(b, a), MODEL(if (a->width * a->height >= b->width * b->height) {
        for (int32_t i = 0; i < b->width * b->height; ++i) a->pixels[i] &= b->pixels[i];
    })),
    SHARED("circle", circle(a, v[0], v[1], v[2], low(v[3]) | 1),
           MODEL(walked_circle(a, v[0], v[1], v[2], low(v[3]) | 1))),
    SHARED("copy", copy(b, a), nullptr),
    {"copy row", [](Img* a, const Img* b, const int32_t* v) { img_copy_row(b, a, v[1], v[3]); }, nullptr,
     MODEL(if (v[1] >= 0 && v[3] >= 0 && v[1] < b->height && v[3] < a->height)
               std::copy_n(b->pixels + v[1] * b->width, std::min(a->width, b->width), a->pixels + v[3] * a->width))},
    SHARED("key", blit_key(b, a, v[0], v[1], v[2], v[3], v[4], v[5]), MODEL(blit_in_order(b, a, v, keyed))),
    {"add", [](Img* a, const Img* b, const int32_t* v) { img_blit_add(b, a, v[0], v[1], v[2], v[3], v[4], v[5]); },
     nullptr, MODEL(blit_in_order(b, a, v, added))},
    SHARED("stepped", blit_stepped(b, a, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]),
           MODEL(if (v[6] >= 1 && v[7] >= 1) blit_in_order(b, a, v, keyed, v[6], v[7]))),
    SHARED("half", blit_half(b, a, v[2], v[3]), MODEL({
        const int32_t whole[6] = {0, 0, v[2], v[3], b->width, b->height};
        blit_in_order(b, a, whole, halved);
    })),
    SHARED("column wrap", copy_column_wrap(b, a, v[0] % 30, v[1] % 30, v[2]),
           MODEL(wrap_in_order(b, a, false, v[0] % 30, v[1] % 30, v[2], keyed))),
    SHARED("or row wrap", or_row_wrap(b, a, v[0] % 30, v[1] % 30, v[2]),
           MODEL(wrap_in_order(b, a, true, v[0] % 30, v[1] % 30, v[2], ored))),
    SHARED("copy row wrap", copy_row_wrap(b, a, v[0] % 30, v[1] % 30, v[2]),
           MODEL(wrap_in_order(b, a, true, v[0] % 30, v[1] % 30, v[2], keyed))),
    SHARED("scale", scale(b, a), nullptr),
    SHARED("clear", clear(a), nullptr),
};
#undef SHARED
#undef MODEL

// An image and a byte map of one size. Narrow pixels stay below 256, the byte map holding
// the same values; wide ones use every bit, for the models alone.
struct Pair {
    Img* img;
    Bytemap* map;
    Pair(Img* i, Bytemap* m) : img(i), map(m) {}
    Pair(int32_t w, int32_t h, int zero_percent, bool wide) : Pair(sized(w, h), bytemap_create()) {
        bytemap_resize(map, w, h);
        for (int32_t i = 0; i < w * h; ++i) {
            const uint32_t v = wide ? static_cast<uint32_t>(rng()) | 1 : 1 + rng() % 255;
            img->pixels[i] = in(0, 99) < zero_percent ? 0u : v;
            map->cells[i] = static_cast<uint8_t>(img->pixels[i]);
        }
    }
    ~Pair() {
        img_destroy(&img);
        bytemap_destroy(&map);
    }
};

// Same size and cells, and no pixel above the low byte.
bool same(const Pair& p) {
    if (p.img == nullptr || p.map == nullptr) return p.img == nullptr && p.map == nullptr;
    if (p.img->width != p.map->width || p.img->height != p.map->height) return false;
    for (int32_t i = 0; i < p.img->width * p.img->height; ++i)
        if (p.img->pixels[i] != p.map->cells[i]) return false;
    return true;
}

size_t lines(const std::string& s) { return static_cast<size_t>(std::count(s.begin(), s.end(), '\n')); }

}  // namespace

TEST(Grid, EveryOperationAgreesOnImageByteMapAndModel) {
    static constexpr int32_t far[] = {INT32_MIN, INT32_MIN + 1, -(1 << 30),    -65536,
                                      65536,     1 << 30,       INT32_MAX - 1, INT32_MAX};
    for (int trial = 0; trial < 12000; ++trial) {
        const Operation& op = OPERATIONS[static_cast<size_t>(trial) % std::size(OPERATIONS)];
        const bool wide = trial / std::size(OPERATIONS) % 2 == 1;
        if (wide && op.model == nullptr) continue;
        // Rows of 0 to 70 cells cross the loops' blocks of 16 pixels and 64 bytes, and their tails.
        const int zeros = in(0, 100);
        Pair a = Pair(in(0, 70), in(0, 16), zeros, wide);
        Pair b = Pair(in(0, 70), in(0, 16), zeros, wide);
        const bool self = in(0, 5) == 0;  // the source is the destination itself
        // Shaped like a blit's from b onto a (sx, sy, dx, dy, w, h, x step, y step); in a quarter
        // of the calls one is far anywhere in int32. The others read them as they need.
        const int32_t aw = a.img->width, ah = a.img->height, bw = b.img->width, bh = b.img->height;
        int32_t v[8] = {in(-4, bw),     in(-4, bh),     in(-bw / 2 - 2, aw + 1), in(-bh / 2 - 2, ah + 1),
                        in(-1, bw + 6), in(-1, bh + 6), in(-1, 4),               in(-1, 4)};
        if (in(0, 3) == 0) v[in(0, 7)] = far[in(0, 7)];

        Img* want = img_clone(a.img);
        if (op.model != nullptr) op.model(want, self ? want : b.img, v);
        const std::string img_lines = printed([&] { op.on_img(a.img, self ? a.img : b.img, v); });
        if (op.model != nullptr) {
            EXPECT_EQ(img_equal(a.img, want), 1) << op.name << " trial " << trial << (wide ? " wide" : "");
        }
        if (!wide && op.on_map != nullptr) {
            const std::string map_lines = printed([&] { op.on_map(a.map, self ? a.map : b.map, v); }, bytemap_debug);
            EXPECT_TRUE(same(a)) << op.name << " trial " << trial;
            EXPECT_EQ(lines(img_lines), lines(map_lines)) << op.name << " trial " << trial;
        }
        img_destroy(&want);
    }
}

TEST(Grid, ImageAndByteMapAgreeOnRotatedPictures) {
    for (int trial = 0; trial < 400; ++trial) {
        Pair a = Pair(in(0, 29), in(0, 29), 30, false);
        const auto angle = static_cast<int32_t>(rng());
        Pair turned{img_rotate(a.img, angle), bytemap_rotate(a.map, angle)};
        EXPECT_TRUE(same(turned)) << "rotate " << angle;
    }
}
