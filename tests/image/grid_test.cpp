// GRID: the image and the byte map run one geometry core. Every shared operation, run on an
// image and a byte map holding the same low bytes with the same (often far-out) arguments,
// must leave the same cells and print an error line in the same cases.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

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
    std::function<void(Img*, const Img*, const int32_t*)> on_img;
    std::function<void(Bytemap*, const Bytemap*, const int32_t*)> on_map;
};

uint8_t low(int32_t v) { return static_cast<uint8_t>(v); }

const std::vector<Operation>& operations() {
    static const std::vector<Operation> all = {
        {"put", [](Img* a, const Img*, const int32_t* v) { img_put_pixel(a, v[0], v[1], low(v[2])); },
         [](Bytemap* a, const Bytemap*, const int32_t* v) { bytemap_put_pixel(a, v[0], v[1], low(v[2])); }},
        {"fill", [](Img* a, const Img*, const int32_t* v) { img_fill_rect(a, v[0], v[1], v[2], v[3], low(v[4])); },
         [](Bytemap* a, const Bytemap*, const int32_t* v) { bytemap_fill_rect(a, v[0], v[1], v[2], v[3], low(v[4])); }},
        {"frame", [](Img* a, const Img*, const int32_t* v) { img_frame_rect(a, v[0], v[1], v[2], v[3], low(v[4])); },
         [](Bytemap* a, const Bytemap*, const int32_t* v) {
             bytemap_frame_rect(a, v[0], v[1], v[2], v[3], low(v[4]));
         }},
        {"fade", [](Img* a, const Img*, const int32_t* v) { img_fade(a, low(v[0])); },
         [](Bytemap* a, const Bytemap*, const int32_t* v) { bytemap_fade(a, low(v[0])); }},
        {"and mask", [](Img* a, const Img* b, const int32_t*) { img_and_mask(b, a); },
         [](Bytemap* a, const Bytemap* b, const int32_t*) { bytemap_and_mask(b, a); }},
        {"circle", [](Img* a, const Img*, const int32_t* v) { img_circle(a, v[0], v[1], v[2], low(v[3]) | 1); },
         [](Bytemap* a, const Bytemap*, const int32_t* v) { bytemap_circle(a, v[0], v[1], v[2], low(v[3]) | 1); }},
        {"copy", [](Img* a, const Img* b, const int32_t*) { img_copy(b, a); },
         [](Bytemap* a, const Bytemap* b, const int32_t*) { bytemap_copy(b, a); }},
        {"key", [](Img* a, const Img* b, const int32_t* v) { img_blit_key(b, a, v[0], v[1], v[2], v[3], v[4], v[5]); },
         [](Bytemap* a, const Bytemap* b, const int32_t* v) {
             bytemap_blit_key(b, a, v[0], v[1], v[2], v[3], v[4], v[5]);
         }},
        {"stepped",
         [](Img* a, const Img* b, const int32_t* v) {
             img_blit_stepped(b, a, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
         },
         [](Bytemap* a, const Bytemap* b, const int32_t* v) {
             bytemap_blit_stepped(b, a, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
         }},
        {"half", [](Img* a, const Img* b, const int32_t* v) { img_blit_half(b, a, v[0], v[1]); },
         [](Bytemap* a, const Bytemap* b, const int32_t* v) { bytemap_blit_half(b, a, v[0], v[1]); }},
        {"column wrap",
         [](Img* a, const Img* b, const int32_t* v) { img_copy_column_wrap(b, a, v[0] % 30, v[1] % 30, v[2]); },
         [](Bytemap* a, const Bytemap* b, const int32_t* v) {
             bytemap_copy_column_wrap(b, a, v[0] % 30, v[1] % 30, v[2]);
         }},
        {"or row wrap",
         [](Img* a, const Img* b, const int32_t* v) { img_or_row_wrap(b, a, v[0] % 30, v[1] % 30, v[2]); },
         [](Bytemap* a, const Bytemap* b, const int32_t* v) { bytemap_or_row_wrap(b, a, v[0] % 30, v[1] % 30, v[2]); }},
        {"copy row wrap",
         [](Img* a, const Img* b, const int32_t* v) { img_copy_row_wrap(b, a, v[0] % 30, v[1] % 30, v[2]); },
         [](Bytemap* a, const Bytemap* b, const int32_t* v) {
             bytemap_copy_row_wrap(b, a, v[0] % 30, v[1] % 30, v[2]);
         }},
        {"scale", [](Img* a, const Img* b, const int32_t*) { img_scale(b, a); },
         [](Bytemap* a, const Bytemap* b, const int32_t*) { bytemap_scale(b, a); }},
        {"clear", [](Img* a, const Img*, const int32_t*) { img_clear(a); },
         [](Bytemap* a, const Bytemap*, const int32_t*) { bytemap_clear(a); }},
    };
    return all;
}

}  // namespace

TEST(Grid, ImageAndByteMapAgreeOnEveryOperation) {
    std::mt19937 rng(20101104);
    for (int trial = 0; trial < 9000; ++trial) {
        const Operation& op = operations()[static_cast<size_t>(trial) % operations().size()];
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
