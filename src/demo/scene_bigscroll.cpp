// Scene 1: a background of 32 x 32 sprite tiles drifting on a course that changes at
// random, the logo swinging about the middle on two sines, and the big scroller's giant
// mosaic letters bouncing across. The frame is not cleared: the tiles repaint all of it.

#include "common/fixed.h"
#include "common/rng.h"
#include "common/sine_table.h"
#include "demo/builtin.h"
#include "demo/demo.h"
#include "demo/failure.h"
#include "demo/scene.h"

namespace {

constexpr int32_t TILE = 32;              // tile side; offsets stay in -32..-1
constexpr int32_t FIRST_TILE_GLYPH = 16;  // sprite cells 16..20 are the five tiles
constexpr int32_t SCROLLER_HEIGHT = 224;  // only the bounce reads it
constexpr int32_t SCROLLER_SPEED = 15;

void bigscroll_setup() {
    demo.bigscroll = demo_made(scrollxl_create(), "big scroller");
    const char* text = reinterpret_cast<const char*>(text_bigscroll);
    scrollxl_setup(demo.bigscroll, text, demo.font_hex, demo.font_bigcells, demo.frame);
    demo_check(demo.bigscroll->text == text, "big scroller");
    demo.bigscroll->width = demo.frame_width;
    demo.bigscroll->speed = SCROLLER_SPEED;
    demo.bigscroll->height = SCROLLER_HEIGHT;
    demo.logo = demo_picture(pnm_logo, pnm_logo_size, "logo");
}

void bigscroll_start() {
    demo.tile_glyph = FIRST_TILE_GLYPH + rng_rand() % 5;
    demo.font_bigcells->character = rng_rand() & 7;  // the brush piece of every big letter
}

void draw_tiles(int32_t width, int32_t height) {
    Font* tiles = demo.font_sprites;
    tiles->character = demo.tile_glyph;
    tiles->target = demo.frame;
    for (int32_t x = demo.tile_offset_x; x < width; x += TILE) {
        for (int32_t y = demo.tile_offset_y; y < height; y += TILE) {
            tiles->pen_x = x;
            tiles->pen_y = y;
            font_draw_char(tiles);
        }
    }
    // OR -32 keeps the low five bits: the offset modulo 32, in -32..-1.
    demo.tile_offset_x = wrap_add(demo.tile_offset_x, demo.tile_step_x) | -TILE;
    demo.tile_offset_y = wrap_add(demo.tile_offset_y, demo.tile_step_y) | -TILE;
    // A course change about every 255 frames on each axis, steps in -6..5.
    if (rng_rand() % 255 == 0) demo.tile_step_y = rng_rand() % 12 - 6;
    if (rng_rand() % 255 == 0) demo.tile_step_x = rng_rand() % 12 - 6;
}

void bigscroll_frame() {
    const int32_t width = demo.frame_width;
    const int32_t height = demo.frame_height;
    draw_tiles(width, height);

    demo.logo_amplitude_x = width >> 2;
    demo.logo_amplitude_y = height >> 3;
    demo.logo_phase_x = (demo.logo_phase_x + 16) & SINE_MASK;
    demo.logo_phase_y = (demo.logo_phase_y + 13) & SINE_MASK;
    Img* logo = demo.logo;
    logo->x = (width - logo->width) / 2 + mul_shr(sine_at(demo.logo_phase_x), demo.logo_amplitude_x, SINE_SHIFT);
    logo->y = (height - logo->height) / 2 + mul_shr(sine_at(demo.logo_phase_y), demo.logo_amplitude_y, SINE_SHIFT);
    img_blit_key(logo, demo.frame, 0, 0, logo->x, logo->y, logo->width, logo->height);

    // Only the non-negative half of the sine: the scroller bounces off the bottom.
    demo.bounce_phase = (demo.bounce_phase + 16) & (SINE_LENGTH / 2 - 1);
    const int32_t gap = height - demo.bigscroll->height;
    demo.bigscroll->y = gap + ((2 * gap) >> 2) - mul_shr(sine_at(demo.bounce_phase), 2 * gap, SINE_SHIFT);
    scrollxl_update(demo.bigscroll);
    scrollxl_draw(demo.bigscroll);
}

void bigscroll_keys(uint8_t key) { demo.bigscroll->speed = bigscroll_speed_after_key(demo.bigscroll->speed, key); }

}  // namespace

int32_t bigscroll_speed_after_key(int32_t speed, uint8_t key) {
    if (key == 'a') return wrap_add(speed, 1) % 32;
    if (key == 's') return wrap_sub(speed, 1) % 32;
    return speed;
}

constinit const Scene scene_bigscroll = {"bigscroll", bigscroll_setup, bigscroll_start, bigscroll_frame, bigscroll_keys, 1000};
