// Scene 4: raster bars paint the frame row by row; four layers of star sprites rise through
// it at 1 to 4 pixels a frame, each sprite turning about its vertical axis; a scroller of
// 64 x 64 letters runs along a strip that the column-wave distorter lays across the frame.
#include "common/fixed.h"
#include "demo/builtin.h"
#include "demo/demo.h"
#include "demo/failure.h"
#include "demo/scene.h"

namespace {

constexpr int32_t SPRITE = 32;        // star sprite side
constexpr int32_t LETTER = 64;        // scroller letter side: the sprite sheet at 2x
constexpr int32_t SCROLLER_SPEED = 6;
constexpr int32_t RAMP = 32;          // rows per colour ramp of the raster

// The signed width of the turning star sprite for each of its 64 spin frames.
constexpr int32_t SPIN_FRAMES = 64;
constexpr int8_t spin_table[SPIN_FRAMES] = {
    2,  6,  9,  12,  15,  18,  20,  23,  25,  27,  28,  30,  31,  31,  32,  32,
    32, 32, 31, 31,  30,  28,  27,  25,  23,  20,  18,  15,  12,  9,   6,   2,
    -2, -6, -9, -12, -15, -18, -20, -23, -25, -27, -28, -30, -31, -31, -32, -32,
    -32, -32, -31, -31, -30, -28, -27, -25, -23, -20, -18, -15, -12, -9, -6, -2,
};

// Spin sheets: 64 frames of a star sprite narrowed to |spin_table[k]| and darkened by how
// narrow it is, from the sprite cells at x 224, 160, 96 and 32.
void make_spin_sheets() {
    constexpr int32_t source_x[STAR_LAYERS] = {224, 160, 96, 32};
    for (int sheet_index = 0; sheet_index < STAR_LAYERS; ++sheet_index) {
        Img* tile = demo_image(SPRITE, SPRITE);
        img_blit_key(demo.font_sprites->sheet, tile, source_x[sheet_index], 0, 0, 0, SPRITE, SPRITE);
        Font* font = demo_font(demo_image(SPRITE, SPRITE * SPIN_FRAMES), SPRITE, SPRITE);
        const int32_t darkening = sheet_index == 0 ? 4 : 5;
        for (int32_t k = 0; k < SPIN_FRAMES; ++k) {
            const int32_t narrow = spin_table[k] < 0 ? -spin_table[k] : spin_table[k];
            Img* squeezed = demo_image(narrow, SPRITE);
            img_scale(tile, squeezed);
            img_fade(squeezed, static_cast<uint8_t>((SPRITE - narrow) * darkening));
            img_blit_key(squeezed, font->sheet, 0, 0, (SPRITE - narrow) / 2, SPRITE * k, SPRITE, SPRITE);
            img_destroy(&squeezed);
        }
        img_destroy(&tile);
        demo.spin_sheets[sheet_index] = font;
    }
}

// Layers 4, 3, 2, 1 in that order; layer k rises k pixels a frame with 128 / 2^k stars.
void make_star_layers() {
    for (int layer = STAR_LAYERS; layer >= 1; --layer) {
        Stars* stars = demo_made(stars_create(), "star layer");
        stars->width = demo.frame_width;
        stars->height = demo.frame_height;
        stars->vy = -layer * FIX_ONE;
        stars_set_count(stars, 128 >> layer);
        demo_check(stars->count == 128 >> layer, "star layer");
        stars->font = demo.spin_sheets[STAR_LAYERS - layer];
        demo.star_layers[layer - 1] = stars;
    }
}

void make_scroller() {
    const int32_t h = demo.frame_height;
    Img* sprites = demo.font_sprites->sheet;
    Img* big_sheet = demo_image(sprites->width * 2, sprites->height * 2);
    img_scale(sprites, big_sheet);
    demo.scroller_font = demo_font(big_sheet, LETTER, LETTER);
    demo.strip = demo_image(demo.frame_width, LETTER);
    demo.scroller = demo_made(scroll_create(), "scroller");
    const char* text = reinterpret_cast<const char*>(text_scroller);
    scroll_setup(demo.scroller, text, demo.scroller_font, demo.strip);
    demo_check(demo.scroller->text == text, "scroller");
    demo.scroller->speed = SCROLLER_SPEED;

    demo.disty = demo_made(disty_create(), "distorter");
    demo.disty->amplitude = h / 2;
    demo.disty->cursor.step = -3;
    demo.disty->cursor.increment = 1;
    demo.disty->x = 0;
    demo.disty->source = demo.strip;
    demo.disty->y = h / 2 - LETTER;
}

// From the bottom row up: white to cyan, cyan to blue, blue to black; black above.
void make_raster() {
    const int32_t h = demo.frame_height;
    demo.raster = demo_made(raster_create(), "raster");
    raster_resize(demo.raster, h);
    demo_check(demo.raster->count == h, "raster");
    for (int32_t k = 0; k < RAMP; ++k) {
        const int32_t base = h - 1 - k;
        if (base >= 0) demo.raster->colours[base] = 0xFFFFFF - static_cast<uint32_t>(k) * 0x080000;
        if (base - RAMP >= 0) demo.raster->colours[base - RAMP] = 0x00FFFF - static_cast<uint32_t>(k) * 0x000800;
        if (base - 2 * RAMP >= 0) demo.raster->colours[base - 2 * RAMP] = 0x0000FF - static_cast<uint32_t>(k) * 8;
    }
}

void starscroll_setup() {
    make_spin_sheets();
    make_star_layers();
    make_scroller();
    make_raster();
}

void starscroll_frame() {
    raster_draw(demo.raster, demo.frame);
    for (Stars* layer : demo.star_layers) {
        stars_move(layer);
        stars_draw(layer, demo.frame);
    }
    img_clear(demo.strip);
    scroll_update(demo.scroller);
    scroll_draw(demo.scroller);
    disty_draw(demo.disty, demo.frame);
    disty_step(demo.disty);
}

void starscroll_keys(uint8_t key) { demo.scroller->speed = starscroll_speed_after_key(demo.scroller->speed, key); }

}  // namespace

int32_t starscroll_speed_after_key(int32_t speed, uint8_t key) {
    if (key == 'a') return wrap_sub(speed, 1) % 15;
    if (key == 's') return wrap_add(speed, 1) % 15;
    return speed;
}

constinit const Scene scene_starscroll = {"starscroll", starscroll_setup, nullptr, starscroll_frame, starscroll_keys,
                                          1000};
