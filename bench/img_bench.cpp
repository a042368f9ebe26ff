// The image library beside its peers, on the same pixels: keyed and additive blits against
// memcpy of the same bytes, a plain scalar loop and (keyed) SDL 1.2's colour-keyed
// SDL_BlitSurface (32-bit surfaces over the images' own pixel buffers), the font against SDL
// blits of the same cells, the full-frame passes against memset / memcpy of the same bytes
// and a plain loop, and the circles against plotting each circle's distinct points. Plus the
// start-up scaler on its own.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/fixed.h"
#include "common/sine_table.h"
#include "demo/builtin.h"
#include "image/font.h"
#include "image/img.h"
#include "pairs.h"

namespace {

constexpr int32_t SIDE = 256;  // the frame's size
constexpr size_t FRAME_BYTES = size_t{SIDE} * SIDE * sizeof(uint32_t);
constexpr double MEMCPY_GOAL = 1.5;      // blits and full-frame passes: within 1.5 times memcpy / memset
constexpr double PASS_GOAL = MEMCPY_GOAL;
constexpr double SCALAR_GOAL = 1.0;      // never slower than the plain scalar loop
constexpr double ADD_SCALAR_GOAL = 0.5;  // the additive blit: at most half that loop's time
constexpr double SDL_GOAL = 0.5;         // keyed blits: at most half of SDL's time

// A small deterministic generator, so every run draws the same pictures.
uint32_t next_random(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

Img* new_image(int32_t w, int32_t h) {
    Img* img = img_create();
    img_resize(img, w, h);
    return img;
}

// A 256 x 256 layer in runs, as pictures hold their pixels: opaque runs of 1 to 2 * lit - 1
// pixels (lit on average) between clear runs of 1 to 2 * dark - 1, so about
// lit / (lit + dark) of the pixels are opaque (non-zero).
Img* layer(int32_t lit, int32_t dark, uint32_t seed) {
    Img* img = new_image(SIDE, SIDE);
    bool opaque = true;
    for (int32_t i = 0; i < SIDE * SIDE; opaque = !opaque) {
        const int32_t mean = opaque ? lit : dark;
        if (mean == 0) continue;  // no runs of this kind
        int32_t run = 1 + static_cast<int32_t>(next_random(seed) % static_cast<uint32_t>(2 * mean - 1));
        for (; run > 0 && i < SIDE * SIDE; --run, ++i)
            img->pixels[i] = opaque ? (next_random(seed) & 0xFFFFFF) | 0x010101 : 0;
    }
    return img;
}

// A 32-bit SDL surface over the image's own pixels (0x00RRGGBB), keyed on 0 when asked.
SDL_Surface* surface_of(Img* img, bool keyed) {
    SDL_Surface* s = SDL_CreateRGBSurfaceFrom(img->pixels, img->width, img->height, 32, img->width * 4, 0x00FF0000,
                                              0x0000FF00, 0x000000FF, 0);
    if (s != nullptr && keyed) SDL_SetColorKey(s, SDL_SRCCOLORKEY, 0);
    return s;
}

void sdl_blit(SDL_Surface* source, SDL_Surface* destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
              int32_t w, int32_t h) {
    SDL_Rect from{static_cast<Sint16>(sx), static_cast<Sint16>(sy), static_cast<Uint16>(w), static_cast<Uint16>(h)};
    SDL_Rect to{static_cast<Sint16>(dx), static_cast<Sint16>(dy), 0, 0};
    SDL_BlitSurface(source, &from, destination, &to);
}

// One of the circles scene 3 draws each frame, and its distinct points inside the frame.
struct Circle {
    int32_t x, y, radius;
    uint32_t colour;
    std::vector<size_t> points;  // pixel indices, each once
};

// The circle outline as it was always drawn (the 256-angle quarter walk, four points an
// angle), its points clipped to the frame, repeats removed.
std::vector<size_t> distinct_points(int32_t cx, int32_t cy, int32_t radius) {
    std::vector<size_t> points;
    if (radius < 1) return points;
    for (int32_t i = 0; i < SINE_LENGTH / 4; ++i) {
        const int32_t dx = mul_shr(sine_at(SINE_LENGTH / 4 + i), radius, 15);
        const int32_t dy = mul_shr(sine_at(i), radius, 15);
        const int32_t xs[] = {cx + dx - 1, cx - dx}, ys[] = {cy + dy, cy - dy};
        for (int32_t x : xs)
            for (int32_t y : ys)
                if (x >= 0 && y >= 0 && x < SIDE && y < SIDE) points.push_back(static_cast<size_t>(y) * SIDE + x);
    }
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    return points;
}

struct Pictures {
    Img* frame;    // 256 x 256, what everything draws into
    Img* saved;    // the frame's starting pixels, to restore between rounds
    Img* scratch;  // 256 x 256, where copies land
    Img* sprites;  // the 512 x 256 sprite sheet, 32 x 32 cells
    Img* logo;     // 256 x 128
    Img* sparse;   // 256 x 256, 3 % opaque in short runs
    Img* dense;    // 256 x 256, 67 % opaque in runs
    Font* chars;   // the 16 x 16 character font (the 8 x 8 set at 2x), 16 cells a row
    Font* brush;   // the big scroller's 16 x 16 pieces
    SDL_Surface* frame_surface;
    SDL_Surface* sprites_surface;
    SDL_Surface* logo_surface;
    SDL_Surface* sparse_surface;
    SDL_Surface* dense_surface;
    SDL_Surface* chars_surface;
    SDL_Surface* brush_surface;
    std::vector<Circle> circles;
};

// Made once, at first use, and kept for the whole run.
Pictures& pictures() {
    static Pictures p = [] {
        Pictures q{};
        q.frame = layer(1, 0, 7);  // every pixel set
        q.saved = img_clone(q.frame);
        q.scratch = new_image(SIDE, SIDE);
        q.sprites = img_load_pnm(pnm_sprites);
        q.logo = img_load_pnm(pnm_logo);
        q.sparse = layer(2, 65, 11);  // dots: 3 % opaque
        q.dense = layer(16, 8, 13);  // 67 % opaque
        Img* charset = img_load_pnm(pnm_charset);
        q.chars = font_create();
        q.chars->sheet = new_image(charset->width * 2, charset->height * 2);
        img_scale(charset, q.chars->sheet);
        img_destroy(&charset);
        q.chars->cell_width = q.chars->cell_height = 16;
        q.brush = font_create();
        q.brush->sheet = img_load_pnm(pnm_cells);
        q.brush->cell_width = q.brush->cell_height = 16;
        q.frame_surface = surface_of(q.frame, false);
        q.sprites_surface = surface_of(q.sprites, true);
        q.logo_surface = surface_of(q.logo, true);
        q.sparse_surface = surface_of(q.sparse, true);
        q.dense_surface = surface_of(q.dense, true);
        q.chars_surface = surface_of(q.chars->sheet, true);
        q.brush_surface = surface_of(q.brush->sheet, true);
        // Scene 3's draw: 128 circles a frame, radius 0-15 (0 draws nothing), anywhere.
        uint32_t seed = 3;
        for (int i = 0; i < 128; ++i) {
            Circle c{};
            c.colour = (next_random(seed) & 0xFFFFFF) | 0x808080;
            c.radius = static_cast<int32_t>(next_random(seed) % 16);
            c.y = static_cast<int32_t>(next_random(seed) % SIDE);
            c.x = static_cast<int32_t>(next_random(seed) % SIDE);
            c.points = distinct_points(c.x, c.y, c.radius);
            q.circles.push_back(c);
        }
        return q;
    }();
    return p;
}

void restore_frame() { std::memcpy(pictures().frame->pixels, pictures().saved->pixels, FRAME_BYTES); }

// ---- Keyed and additive blits against memcpy, a plain scalar loop and SDL

// One blit's rectangle; every one lies inside both pictures.
struct Rect {
    int32_t sx, sy, dx, dy, w, h;
};

// What a blit benchmark draws: rectangles of one source onto the frame.
struct Shape {
    Img* source;
    SDL_Surface* surface;  // the source for SDL, keyed on 0
    std::vector<Rect> rects;
};

// The 64 glyphs: cells 0-63 of the sprite sheet (16 a row), on an 8 x 8 grid over the frame.
Shape glyphs() {
    Shape shape{pictures().sprites, pictures().sprites_surface, {}};
    for (int32_t k = 0; k < 64; ++k) shape.rects.push_back({k % 16 * 32, k / 16 * 32, k % 8 * 32, k / 8 * 32, 32, 32});
    return shape;
}

// A whole picture at (0, y).
Shape whole(Img* source, SDL_Surface* surface, int32_t y) {
    return {source, surface, {{0, 0, 0, y, source->width, source->height}}};
}

// memcpy of the very bytes a blit moves: row by row, or in one piece where the rows of both
// pictures follow each other without a gap.
void copy_rects(const Shape& shape, Img* frame) {
    for (const Rect& r : shape.rects) {
        const uint32_t* from = shape.source->pixels + r.sy * shape.source->width + r.sx;
        uint32_t* to = frame->pixels + r.dy * frame->width + r.dx;
        if (r.w == shape.source->width && r.w == frame->width) {
            std::memcpy(to, from, size_t{4} * static_cast<size_t>(r.w) * static_cast<size_t>(r.h));
            continue;
        }
        for (int32_t y = 0; y < r.h; ++y, from += shape.source->width, to += frame->width)
            std::memcpy(to, from, size_t{4} * static_cast<size_t>(r.w));
    }
}

// A blit's work written plainly, one pixel at a time (the rectangles fit, so no clipping).
// GCC would vectorise it by itself, so for the plain scalar loop an empty asm statement hides
// each result from the vectoriser (it adds no instruction); VECTORISED leaves it to GCC.
template <bool VECTORISED, typename Op>
void plain_rects(const Shape& shape, Img* frame, Op op) {
    const int32_t s_width = shape.source->width, d_width = frame->width;  // locals: the stores cannot change them
    for (const Rect r : shape.rects) {
        for (int32_t y = 0; y < r.h; ++y) {
            const uint32_t* from = shape.source->pixels + (r.sy + y) * s_width + r.sx;
            uint32_t* to = frame->pixels + (r.dy + y) * d_width + r.dx;
            for (int32_t x = 0; x < r.w; ++x) {
                uint32_t v = op(to[x], from[x]);
                if constexpr (!VECTORISED) asm("" : "+r"(v));
                to[x] = v;
            }
        }
    }
}

constexpr auto KEYED = [](uint32_t d, uint32_t s) { return s != 0 ? s : d; };
constexpr auto ADDED = [](uint32_t d, uint32_t s) { return d + s; };
constexpr auto ANDED = [](uint32_t d, uint32_t s) { return d & s; };

void key_shape(benchmark::State& state, const char* name, const Shape& shape) {
    Img* frame = pictures().frame;
    SDL_Surface* frame_surface = pictures().frame_surface;
    measure_peers(
        state, name,
        [&] {
            for (const Rect& r : shape.rects) img_blit_key(shape.source, frame, r.sx, r.sy, r.dx, r.dy, r.w, r.h);
        },
        {{"memcpy of the same bytes", MEMCPY_GOAL, [&] { copy_rects(shape, frame); }},
         {"plain scalar select loop", SCALAR_GOAL, [&] { plain_rects<false>(shape, frame, KEYED); }},
         {"plain select loop, vectorised by GCC", 0, [&] { plain_rects<true>(shape, frame, KEYED); }},
         {"SDL_BlitSurface, colour key", SDL_GOAL,
          [&] {
              for (const Rect& r : shape.rects)
                  sdl_blit(shape.surface, frame_surface, r.sx, r.sy, r.dx, r.dy, r.w, r.h);
          }}});
}
void BM_KeyGlyphs(benchmark::State& s) { key_shape(s, "img_blit_key, 64 glyphs of 32x32", glyphs()); }
void BM_KeyLogo(benchmark::State& s) {
    key_shape(s, "img_blit_key, 256x128 logo", whole(pictures().logo, pictures().logo_surface, 64));
}
void BM_KeySparse(benchmark::State& s) {
    key_shape(s, "img_blit_key, 256x256 layer 3% opaque", whole(pictures().sparse, pictures().sparse_surface, 0));
}
void BM_KeyDense(benchmark::State& s) {
    key_shape(s, "img_blit_key, 256x256 layer 67% opaque", whole(pictures().dense, pictures().dense_surface, 0));
}
BENCHMARK(BM_KeyGlyphs);
BENCHMARK(BM_KeyLogo);
BENCHMARK(BM_KeySparse);
BENCHMARK(BM_KeyDense);

void add_shape(benchmark::State& state, const char* name, const Shape& shape) {
    Img* frame = pictures().frame;
    measure_peers(
        state, name,
        [&] {
            for (const Rect& r : shape.rects) img_blit_add(shape.source, frame, r.sx, r.sy, r.dx, r.dy, r.w, r.h);
        },
        {{"memcpy of the same bytes", MEMCPY_GOAL, [&] { copy_rects(shape, frame); }},
         {"plain scalar loop", ADD_SCALAR_GOAL, [&] { plain_rects<false>(shape, frame, ADDED); }},
         {"plain loop, vectorised by GCC", 0, [&] { plain_rects<true>(shape, frame, ADDED); }}});
}
void BM_AddGlyphs(benchmark::State& s) { add_shape(s, "img_blit_add, 64 glyphs of 32x32", glyphs()); }
void BM_AddLayer(benchmark::State& s) {
    add_shape(s, "img_blit_add, 256x256 layer", whole(pictures().dense, pictures().dense_surface, 0));
}
BENCHMARK(BM_AddGlyphs);
BENCHMARK(BM_AddLayer);

// ---- The font against SDL blits of the same cells

// 256 characters of the 16 x 16 font filling the frame, codes 32-127 over and over.
void BM_FontChars(benchmark::State& state) {
    Pictures& p = pictures();
    const auto each = [](auto draw) {
        for (int32_t k = 0; k < 256; ++k) draw(32 + k % 96, k % 16 * 16, k / 16 * 16);
    };
    measure_pair(
        state, "font_draw_char, 256 characters of 16x16", "SDL_BlitSurface of the same cells", 0,
        [&] {
            p.chars->target = p.frame;
            each([&](int32_t code, int32_t x, int32_t y) {
                p.chars->character = code;
                p.chars->pen_x = x;
                p.chars->pen_y = y;
                font_draw_char(p.chars);
            });
        },
        [&] {
            each([&](int32_t code, int32_t x, int32_t y) {
                const int32_t i = code * 16;  // the font's cell arithmetic
                sdl_blit(p.chars_surface, p.frame_surface, i % p.chars->sheet->width,
                         i / p.chars->sheet->width * 16, x, y, 16, 16);
            });
        });
}
BENCHMARK(BM_FontChars);

// One letter of the character font drawn with the brush font's pieces: each set pixel of the
// 16 x 16 glyph becomes a 16 x 16 brush cell, 256 x 256 in all.
void BM_FontBigChar(benchmark::State& state) {
    Pictures& p = pictures();
    constexpr int32_t LETTER = 'A', PIECE = 3;
    measure_pair(
        state, "font_draw_big_char, a 16x16 letter of 16x16 pieces", "SDL_BlitSurface of the same cells", 0,
        [&] {
            p.chars->target = p.frame;
            p.chars->character = LETTER;
            p.chars->pen_x = 0;
            p.chars->pen_y = 0;
            p.brush->character = PIECE;
            font_draw_big_char(p.chars, p.brush);
        },
        [&] {
            const Img* sheet = p.chars->sheet;
            const int32_t i = LETTER * 16;
            const int32_t sx = i % sheet->width, sy = i / sheet->width * 16;
            for (int32_t r = 0; r < 16; ++r)
                for (int32_t k = 0; k < 16; ++k)
                    if (sheet->pixels[(sy + r) * sheet->width + sx + k] != 0)
                        sdl_blit(p.brush_surface, p.frame_surface, PIECE * 16, 0, k * 16, r * 16, 16, 16);
        });
}
BENCHMARK(BM_FontBigChar);

// ---- Full-frame passes against memset / memcpy of the same bytes

void BM_Clear(benchmark::State& state) {
    Pictures& p = pictures();
    measure_pair(
        state, "img_clear, 256x256", "memset of 256 KiB", PASS_GOAL, [&] { img_clear(p.frame); },
        [&] { std::memset(p.frame->pixels, 0, FRAME_BYTES); });
}
BENCHMARK(BM_Clear);

void BM_Fade(benchmark::State& state) {
    Pictures& p = pictures();
    measure_pair(
        state, "img_fade by 8, 256x256", "memcpy of 256 KiB", PASS_GOAL, [&] { img_fade(p.frame, 8); },
        [&] { std::memcpy(p.scratch->pixels, p.frame->pixels, FRAME_BYTES); }, restore_frame);
}
BENCHMARK(BM_Fade);

void BM_AndMask(benchmark::State& state) {
    Pictures& p = pictures();
    const Shape layer = whole(p.dense, p.dense_surface, 0);
    measure_peers(
        state, "img_and_mask, 256x256", [&] { img_and_mask(p.dense, p.frame); },
        {{"memcpy of 256 KiB", MEMCPY_GOAL, [&] { std::memcpy(p.frame->pixels, p.dense->pixels, FRAME_BYTES); }},
         {"plain scalar loop", SCALAR_GOAL, [&] { plain_rects<false>(layer, p.frame, ANDED); }}},
        restore_frame);
}
BENCHMARK(BM_AndMask);

void BM_Copy(benchmark::State& state) {
    Pictures& p = pictures();
    measure_pair(
        state, "img_copy, 256x256", "memcpy of 256 KiB", PASS_GOAL, [&] { img_copy(p.dense, p.scratch); },
        [&] { std::memcpy(p.scratch->pixels, p.dense->pixels, FRAME_BYTES); });
}
BENCHMARK(BM_Copy);

// ---- Circles against plotting their distinct points

void BM_Circles(benchmark::State& state) {
    Pictures& p = pictures();
    measure_pair(
        state, "img_circle, 128 calls, radius 0-15", "plotting each circle's distinct points", 0,
        [&] {
            for (const Circle& c : p.circles) img_circle(p.frame, c.x, c.y, c.radius, c.colour);
        },
        [&] {
            for (const Circle& c : p.circles)
                for (size_t i : c.points) p.frame->pixels[i] = c.colour;
        });
}
BENCHMARK(BM_Circles);

// ---- The start-up scaler (no peer)

void BM_ImgScale512x256To1024x512(benchmark::State& state) {
    Img* destination = new_image(1024, 512);
    for (auto _ : state) {
        img_scale(pictures().sprites, destination);
        benchmark::DoNotOptimize(destination->pixels);
    }
    img_destroy(&destination);
}
BENCHMARK(BM_ImgScale512x256To1024x512);

}  // namespace
