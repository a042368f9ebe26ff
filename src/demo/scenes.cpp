// The five scenes and their set-ups. Each scene fades the frame, runs its per-start draws,
// then draws frames until its budget is spent or Space is pressed.
#include <cstdlib>

#include "common/fixed.h"
#include "common/sine_table.h"
#include "demo/builtin.h"
#include "demo/demo.h"

const int8_t spin_table[SPIN_FRAMES] = {
    2,  6,  9,  12,  15,  18,  20,  23,  25,  27,  28,  30,  31,  31,  32,  32,
    32, 32, 31, 31,  30,  28,  27,  25,  23,  20,  18,  15,  12,  9,   6,   2,
    -2, -6, -9, -12, -15, -18, -20, -23, -25, -27, -28, -30, -31, -31, -32, -32,
    -32, -32, -31, -31, -30, -28, -27, -25, -23, -20, -18, -15, -12, -9, -6, -2,
};

namespace {

const char* text(const unsigned char* bytes) { return reinterpret_cast<const char*>(bytes); }

// A picture decoded and fitted into a new image of the given size.
Img* fitted_picture(const unsigned char* block, int32_t size, const char* name, int32_t width, int32_t height) {
    Img* decoded = demo_picture(block, size, name);
    Img* fitted = demo_image(width, height);
    img_scale(decoded, fitted);
    img_destroy(&decoded);
    return fitted;
}

void blit_whole(const Img* source, Img* destination, int32_t x, int32_t y) {
    img_blit_key(source, destination, 0, 0, x, y, source->width, source->height);
}

void bigscroll_keys(uint8_t key) { demo.bigscroll->speed = bigscroll_speed_after_key(demo.bigscroll->speed, key); }
void starscroll_keys(uint8_t key) { demo.scroller->speed = starscroll_speed_after_key(demo.scroller->speed, key); }

}  // namespace

int32_t bigscroll_speed_after_key(int32_t speed, uint8_t key) {
    if (key == 'a') return wrap_add(speed, 1) % 32;
    if (key == 's') return wrap_sub(speed, 1) % 32;
    return speed;
}

int32_t starscroll_speed_after_key(int32_t speed, uint8_t key) {
    if (key == 'a') return wrap_sub(speed, 1) % 15;
    if (key == 's') return wrap_add(speed, 1) % 15;
    return speed;
}

uint32_t font_hex_gradient(int32_t x, int32_t y) {
    const uint32_t red = static_cast<uint32_t>(x & 31) * 4;
    const uint32_t green = static_cast<uint32_t>((255 - x) & 31) * 4;
    const uint32_t blue = static_cast<uint32_t>((255 - y) & 31) * 4;
    return ((red << 16) | (green << 8) | blue) | 0x808080;
}

// ---- Scene 1: tiled background, swinging logo, bouncing big scroller ----

void setup_bigscroll() {
    demo.bigscroll = scrollxl_create();
    scrollxl_setup(demo.bigscroll, text(text_bigscroll), demo.font_hex, demo.font_bigcells, demo.frame);
    demo.bigscroll->width = demo.frame_width;
    demo.bigscroll->speed = 15;
    demo.bigscroll->height = 224;
    demo.logo = demo_picture(pnm_logo, pnm_logo_size, "logo");
}

void scene_bigscroll() {
    fade_to_black();
    demo.tile_glyph = 16 + std::rand() % 5;
    demo.font_bigcells->character = std::rand() & 7;

    int32_t budget = SCENE_BIGSCROLL_BUDGET;
    do {
        const int32_t width = demo.frame_width;
        const int32_t height = demo.frame_height;

        Font* tiles = demo.font_sprites;
        tiles->character = demo.tile_glyph;
        tiles->target = demo.frame;
        for (int32_t x = demo.tile_offset_x; x < width; x += 32) {
            for (int32_t y = demo.tile_offset_y; y < height; y += 32) {
                tiles->pen_x = x;
                tiles->pen_y = y;
                font_draw_char(tiles);
            }
        }
        demo.tile_offset_x = wrap_add(demo.tile_offset_x, demo.tile_step_x) | -32;
        demo.tile_offset_y = wrap_add(demo.tile_offset_y, demo.tile_step_y) | -32;
        if (std::rand() % 255 == 0) demo.tile_step_y = std::rand() % 12 - 6;
        if (std::rand() % 255 == 0) demo.tile_step_x = std::rand() % 12 - 6;

        demo.logo_amplitude_x = width >> 2;
        demo.logo_amplitude_y = height >> 3;
        demo.logo_phase_x = (demo.logo_phase_x + 16) & 1023;
        demo.logo_phase_y = (demo.logo_phase_y + 13) & 1023;
        Img* logo = demo.logo;
        logo->x = (width - logo->width) / 2 + mul_shr(sine_at(demo.logo_phase_x), demo.logo_amplitude_x, 15);
        logo->y = (height - logo->height) / 2 + mul_shr(sine_at(demo.logo_phase_y), demo.logo_amplitude_y, 15);
        blit_whole(logo, demo.frame, logo->x, logo->y);

        // Only the non-negative half of the sine: the scroller bounces off the bottom.
        demo.bounce_phase = (demo.bounce_phase + 16) & 511;
        const int32_t gap = height - demo.bigscroll->height;
        demo.bigscroll->y = gap + ((2 * gap) >> 2) - mul_shr(sine_at(demo.bounce_phase), 2 * gap, 15);
        scrollxl_update(demo.bigscroll);
        scrollxl_draw(demo.bigscroll);
    } while (!demo_frame_tail(&budget, bigscroll_keys));
}

// ---- Scene 2: 3D bubbles behind a waving character grid ----

void setup_bubbles() {
    demo.font_bubbles = demo_font(demo_picture(pnm_bubbles, pnm_bubbles_size, "bubble strip"), 16, 16);
    demo.bubbles = stars3d_create();
    demo.bubbles->font = demo.font_bubbles;
    stars3d_set_count(demo.bubbles, 128);

    // Colour the white glyphs with a gradient that repeats every 32 pixels.
    Img* sheet = demo.font_hex->sheet;
    Img* gradient = demo_image(sheet->width, sheet->height);
    for (int32_t y = 0; y < gradient->height; ++y)
        for (int32_t x = 0; x < gradient->width; ++x)
            gradient->pixels[static_cast<int64_t>(y) * gradient->width + x] = font_hex_gradient(x, y);
    img_and_mask(gradient, sheet);
    img_destroy(&gradient);
}

void scene_bubbles() {
    fade_to_black();
    int32_t budget = SCENE_BUBBLES_BUDGET;
    do {
        img_clear(demo.frame);
        stars3d_move(demo.bubbles);
        stars3d_draw(demo.bubbles, demo.frame);

        demo.wave_phase_x = wrap_add(demo.wave_phase_x, 31);
        demo.wave_phase_y = wrap_add(demo.wave_phase_y, 29);
        Font* font = demo.font_hex;
        font->target = demo.frame;
        int32_t px = demo.wave_phase_x;
        int32_t py = demo.wave_phase_y;
        for (int32_t row = 0; row < 16; ++row) {
            for (int32_t column = 0; column < 16; ++column) {
                font->character = text_grid[16 * row + column];
                font->pen_x = (sine_at(px) >> 12) + 16 * column;
                font->pen_y = (sine_at(py) >> 12) + 16 * row;
                font_draw_char(font);
                px = wrap_add(px, 67);
                py = wrap_add(py, 59);
            }
        }

        const int32_t w = demo.frame_width;
        const int32_t h = demo.frame_height;
        uint32_t colour = 0x4080F0;
        for (int32_t i = 0; i < 16; ++i) {
            img_put_pixel(demo.frame, i, 0, colour);
            img_put_pixel(demo.frame, 0, i, colour);
            img_put_pixel(demo.frame, w - 1 - i, 0, colour);
            img_put_pixel(demo.frame, w - 1, i, colour);
            img_put_pixel(demo.frame, i, h - 1, colour);
            img_put_pixel(demo.frame, 0, h - 1 - i, colour);
            img_put_pixel(demo.frame, w - 1 - i, h - 1, colour);
            img_put_pixel(demo.frame, w - 1, h - 1 - i, colour);
            colour -= 0x040404;
        }
    } while (!demo_frame_tail(&budget, nullptr));
}

// ---- Scene 3: spirals behind the two sliding emblem halves ----

void setup_halves() {
    const int32_t w = demo.frame_width;
    const int32_t h = demo.frame_height;
    demo.colour_half = fitted_picture(pnm_emblem_colour, pnm_emblem_colour_size, "emblem colour half", w, h / 2);
    demo.mask_half = fitted_picture(pnm_emblem_mask, pnm_emblem_mask_size, "emblem mask half", w, h / 2);
    demo.dot_layer = demo_image(w, h);
    demo.spiral_layer = demo_image(w, h);
    demo.mask_layer = demo_image(w, h);

    struct FieldSetting { int32_t step_a, step_b, grow; uint32_t colour; };
    constexpr FieldSetting settings[SPIRAL_FIELDS] = {
        {8, 8, 4, 0x00FFFF}, {6, 6, 3, 0x0080FF}, {4, 4, 2, 0x0000FF}};
    for (int i = 0; i < SPIRAL_FIELDS; ++i) {
        Spirals* field = spirals_create();
        spirals_set_count(field, 256);
        field->target = demo.spiral_layer;
        field->max_radius = h / 2 + h;
        field->step_a = settings[i].step_a;
        field->step_b = settings[i].step_b;
        field->grow = settings[i].grow;
        field->colour = settings[i].colour;
        demo.spirals[i] = field;
    }
}

void halves_decay(DemoState* state) {
    state->halves_frame_counter = wrap_add(state->halves_frame_counter, 1);
    state->top_phase = (state->top_phase + 4) & 1023;
    state->bottom_phase = (state->bottom_phase + 4) & 1023;
    if ((state->halves_frame_counter & 1) == 0) {
        if (state->top_amplitude - 1 < 0) {
            state->top_amplitude = 0;
            state->bottom_amplitude = 0;
        } else {
            state->top_amplitude -= 1;
            state->bottom_amplitude -= 1;
        }
    }
}

void scene_halves() {
    fade_to_black();
    demo.top_amplitude = 2 * demo.frame_width;
    demo.bottom_amplitude = 2 * demo.frame_width;

    int32_t budget = SCENE_HALVES_BUDGET;
    do {
        const int32_t w = demo.frame_width;
        const int32_t h = demo.frame_height;
        img_clear(demo.frame);
        img_fade(demo.spiral_layer, 32);
        for (Spirals* field : demo.spirals) {
            spirals_update(field);
            spirals_draw(field);
        }
        img_blit_key(demo.spiral_layer, demo.frame, 0, 0, 0, 0, w, h);

        halves_decay(&demo);
        const int32_t top_x = mul_shr(sine_at(demo.top_phase), demo.top_amplitude, 15);
        const int32_t bottom_x = mul_shr(sine_at(demo.bottom_phase), demo.bottom_amplitude, 15);
        colour_drift_step();
        img_fill_rect(demo.dot_layer, 0, 0, w, h, colour_drift.colour);
        for (int i = 0; i < 128; ++i) {
            const uint32_t colour = (static_cast<uint32_t>(std::rand()) & 0xFFFFFF) | 0x808080;
            const int32_t radius = std::rand() % 16;
            const int32_t y = std::rand() % h;
            const int32_t x = std::rand() % w;
            img_circle(demo.dot_layer, x, y, radius, colour);
        }
        img_clear(demo.mask_layer);
        blit_whole(demo.mask_half, demo.mask_layer, top_x, 0);
        blit_whole(demo.mask_half, demo.mask_layer, bottom_x, h / 2);
        img_and_mask(demo.mask_layer, demo.dot_layer);
        blit_whole(demo.colour_half, demo.dot_layer, top_x, 0);
        blit_whole(demo.colour_half, demo.dot_layer, bottom_x, h / 2);

        img_blit_key(demo.dot_layer, demo.frame, 0, 0, 0, 0, w, h);
    } while (!demo_frame_tail(&budget, nullptr));
}

// ---- Scene 4: raster bars, spinning star layers, wave-distorted scroller ----

void setup_starscroll() {
    const int32_t w = demo.frame_width;
    const int32_t h = demo.frame_height;

    // Spin sheets: 64 frames of a star sprite narrowed to |spin_table[k]| and darkened
    // by how narrow it is, from the cells at x 224, 160, 96 and 32 of the sprite sheet.
    constexpr int32_t source_x[STAR_LAYERS] = {224, 160, 96, 32};
    for (int sheet_index = 0; sheet_index < STAR_LAYERS; ++sheet_index) {
        Img* tile = demo_image(32, 32);
        img_blit_key(demo.font_sprites->sheet, tile, source_x[sheet_index], 0, 0, 0, 32, 32);
        Font* font = demo_font(demo_image(32, 32 * SPIN_FRAMES), 32, 32);
        const int32_t darkening = sheet_index == 0 ? 4 : 5;
        for (int32_t k = 0; k < SPIN_FRAMES; ++k) {
            const int32_t narrow = spin_table[k] < 0 ? -spin_table[k] : spin_table[k];
            Img* squeezed = demo_image(narrow, 32);
            img_scale(tile, squeezed);
            img_fade(squeezed, static_cast<uint8_t>((32 - narrow) * darkening));
            img_blit_key(squeezed, font->sheet, 0, 0, (32 - narrow) / 2, 32 * k, 32, 32);
            img_destroy(&squeezed);
        }
        img_destroy(&tile);
        demo.spin_sheets[sheet_index] = font;
    }

    // Layers 4, 3, 2, 1 in that order; layer k rises k pixels a frame with 128 / 2^k stars.
    for (int layer = STAR_LAYERS; layer >= 1; --layer) {
        Stars* stars = stars_create();
        stars->width = w;
        stars->height = h;
        stars->vy = -layer * FIX_ONE;
        stars_set_count(stars, 128 >> layer);
        stars->font = demo.spin_sheets[STAR_LAYERS - layer];
        demo.star_layers[layer - 1] = stars;
    }

    Img* sprites = demo.font_sprites->sheet;
    Img* big_sheet = demo_image(sprites->width * 2, sprites->height * 2);
    img_scale(sprites, big_sheet);
    demo.scroller_font = demo_font(big_sheet, 64, 64);
    demo.strip = demo_image(w, 64);
    demo.scroller = scroll_create();
    scroll_setup(demo.scroller, text(text_scroller), demo.scroller_font, demo.strip);
    demo.scroller->speed = 6;

    demo.disty = disty_create();
    demo.disty->amplitude = h / 2;
    demo.disty->cursor.step = -3;
    demo.disty->cursor.increment = 1;
    demo.disty->x = 0;
    demo.disty->source = demo.strip;
    demo.disty->y = h / 2 - 64;

    // From the bottom row up: white to cyan, cyan to blue, blue to black; black above.
    demo.raster = raster_create();
    raster_resize(demo.raster, h);
    for (int32_t k = 0; k < 32; ++k) {
        const int32_t base = h - 1 - k;
        if (base >= 0) demo.raster->colours[base] = 0xFFFFFF - static_cast<uint32_t>(k) * 0x080000;
        if (base - 32 >= 0) demo.raster->colours[base - 32] = 0x00FFFF - static_cast<uint32_t>(k) * 0x000800;
        if (base - 64 >= 0) demo.raster->colours[base - 64] = 0x0000FF - static_cast<uint32_t>(k) * 8;
    }
}

void scene_starscroll() {
    fade_to_black();
    int32_t budget = SCENE_STARSCROLL_BUDGET;
    do {
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
    } while (!demo_frame_tail(&budget, starscroll_keys));
}

// ---- Scene 5: a swarm of additive sprites on Lissajous paths ----

void swarm_draw_parameters(DemoState* state) {
    for (int i = 0; i < 4; ++i) {
        const int32_t mask = i < 2 ? 63 : 31;
        const int32_t least = i < 2 ? 7 : 3;
        state->swarm_phase[i] = std::rand() & 1023;
        state->swarm_frame_step[i] = (std::rand() & mask) + least;
        state->swarm_copy_step[i] = (std::rand() & mask) + least;
    }
    state->swarm_count = (std::rand() & 63) + 3;
}

void sprites_frame() {
    Font* font = demo.font_sprites;
    font->character = 23;
    font->target = demo.frame;
    const int32_t half_w = (demo.frame_width - 32) >> 1;
    const int32_t half_h = (demo.frame_height - 32) >> 1;
    for (int i = 0; i < 4; ++i)
        demo.swarm_phase[i] = (demo.swarm_phase[i] + demo.swarm_frame_step[i]) & 1023;
    int32_t q[4] = {demo.swarm_phase[0], demo.swarm_phase[1], demo.swarm_phase[2], demo.swarm_phase[3]};
    for (int32_t i = 0; i < demo.swarm_count; ++i) {
        font->pen_x = mul_shr(sine_at(q[0]), half_w, 15) + half_w + mul_shr(sine_at(q[2]), half_w >> 1, 15);
        font->pen_y = mul_shr(sine_at(q[1]), half_h, 15) + half_h + mul_shr(sine_at(q[3]), half_h >> 1, 15);
        font_draw_char_add(font);
        q[1] = (q[1] + demo.swarm_copy_step[1]) & 1023;
        q[2] = (q[2] + demo.swarm_copy_step[2]) & 1023;
        q[3] = (q[3] + demo.swarm_copy_step[3]) & 1023;
        q[0] = (q[0] + demo.swarm_copy_step[0]) & 1023;
    }
}

void scene_sprites() {
    fade_to_black();
    swarm_draw_parameters(&demo);
    int32_t budget = SCENE_SPRITES_BUDGET;
    do {
        sprites_frame();
    } while (!demo_frame_tail(&budget, nullptr));
}
