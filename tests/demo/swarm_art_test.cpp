// The swarm sprite against its scene: the real frame of the swarm, run from ten seeded starts,
// must show the swarm's shape at once, and once the trails overflow the overflow must draw
// bands of colour, not static: pure green (G > 200, R < 100, B < 100), the fringe that grey
// static shows, stays under 1 % of the pixels of frames 300 to 800 (every fifth counted: the
// sanitizers make drawing slow).
//
// The shape shows when the chain of copies reads on black: a second drawing, with a sheet
// whose swarm cell holds only its 2 x 2 centre, marks where this frame's copies stand, and
// at least 90 % of those centre pixels must be lit (luma of at least 32 of 255).
#include <gtest/gtest.h>

#include <algorithm>

#include "common/rng.h"
#include "demo/builtin.h"
#include "demo/demo.h"
#include "demo/failure.h"
#include "demo/scene.h"

namespace {

constexpr int32_t SIZE = 256;
constexpr int32_t PIXELS = SIZE * SIZE;
constexpr int32_t SWARM_CELL = 23;

int32_t luma(uint32_t p) {
    return static_cast<int32_t>((77 * ((p >> 16) & 0xFF) + 150 * ((p >> 8) & 0xFF) + 29 * (p & 0xFF)) >> 8);
}

// One frame of the scene with font into target, from the given phases (the frame moves them on).
void draw(Font* font, Img* target, const int32_t* phases) {
    std::copy(phases, phases + 4, demo.swarm_phase);
    demo.font_sprites = font;
    demo.frame = target;
    scene_sprites.frame();
}

TEST(SwarmArt, ShapeShowsAtOnceAndTheOverflowMakesBandsNotGreenStatic) {
    demo.frame_width = demo.frame_height = SIZE;
    Font* sprites = demo_font(demo_picture(pnm_sprites, pnm_sprites_size, "sprite sheet"), 32, 32);
    Img* centre_sheet = demo_image(sprites->sheet->width, sprites->sheet->height);
    img_fill_rect(centre_sheet, (SWARM_CELL % 16) * 32 + 15, (SWARM_CELL / 16) * 32 + 15, 2, 2, 1);
    Font* centres = demo_font(centre_sheet, 32, 32);
    Img* frame = demo_image(SIZE, SIZE);
    Img* marks = demo_image(SIZE, SIZE);
    for (unsigned seed = 1; seed <= 10; ++seed) {
        img_clear(frame);
        rng_srand(seed);
        swarm_draw_parameters(&demo);
        int32_t shape_at = 0;  // the first frame whose copies' centres are lit
        int64_t green = 0, counted = 0;
        for (int32_t f = 1; f <= scene_sprites.budget + 1; ++f) {
            int32_t phases[4];
            std::copy(demo.swarm_phase, demo.swarm_phase + 4, phases);
            if (shape_at == 0) {
                img_clear(marks);
                draw(centres, marks, phases);
            }
            draw(sprites, frame, phases);
            int32_t marked = 0, lit = 0;
            for (int32_t i = 0; shape_at == 0 && i < PIXELS; ++i) {
                marked += marks->pixels[i] != 0;
                lit += marks->pixels[i] != 0 && luma(frame->pixels[i]) >= 32;
            }
            if (marked > 0 && lit * 10 >= marked * 9) shape_at = f;
            for (int32_t i = 0; f >= 300 && f <= 800 && f % 5 == 0 && i < PIXELS; ++i, ++counted) {
                const uint32_t p = frame->pixels[i];
                green += ((p >> 8) & 0xFF) > 200 && ((p >> 16) & 0xFF) < 100 && (p & 0xFF) < 100;
            }
        }
        EXPECT_TRUE(shape_at >= 1 && shape_at <= 10) << "seed " << seed << ": " << demo.swarm_count << " copies";
        EXPECT_LT(green * 100, counted) << "seed " << seed << ": " << demo.swarm_count << " copies";
    }
    font_destroy(&sprites);
    font_destroy(&centres);
    img_destroy(&frame);
    img_destroy(&marks);
}

}  // namespace
