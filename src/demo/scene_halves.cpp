// Scene 3: three spiral fields leave fading trails behind two copies of the emblem half,
// one above the other, that swing left and right half a period apart until they settle
// into one whole emblem. Inside the emblem, a drifting background colour and 128 fresh
// random circles a frame are cut to its shape by the mask half; the colour half goes on top.

#include "common/fixed.h"
#include "common/rng.h"
#include "common/sine_table.h"
#include "demo/builtin.h"
#include "demo/demo.h"
#include "demo/failure.h"
#include "demo/scene.h"

namespace {

constexpr int32_t PARTICLES = 256;  // per spiral field
constexpr uint8_t TRAIL_FADE = 32;  // a trail pixel is gone after 8 frames
constexpr int32_t CIRCLES = 128;    // new circles per frame

struct FieldSetting {
    int32_t step_a, step_b, grow;
    uint32_t colour;
};
constexpr FieldSetting FIELD_SETTINGS[SPIRAL_FIELDS] = {
    {8, 8, 4, 0x00FFFF}, {6, 6, 3, 0x0080FF}, {4, 4, 2, 0x0000FF}};  // cyan, light blue, blue

void blit_whole(const Img* source, Img* destination, int32_t x, int32_t y) {
    img_blit_key(source, destination, 0, 0, x, y, source->width, source->height);
}

void halves_setup() {
    const int32_t w = demo.frame_width;
    const int32_t h = demo.frame_height;
    demo.colour_half = demo_fitted_picture(pnm_emblem_colour, pnm_emblem_colour_size, "emblem colour half", w, h / 2);
    demo.mask_half = demo_fitted_picture(pnm_emblem_mask, pnm_emblem_mask_size, "emblem mask half", w, h / 2);
    demo.dot_layer = demo_image(w, h);
    demo.spiral_layer = demo_image(w, h);
    demo.mask_layer = demo_image(w, h);
    for (int i = 0; i < SPIRAL_FIELDS; ++i) {
        Spirals* field = demo_made(spirals_create(), "spiral field");
        spirals_set_count(field, PARTICLES);
        demo_check(field->count == PARTICLES, "spiral field");
        field->target = demo.spiral_layer;
        field->max_radius = h / 2 + h;
        field->step_a = FIELD_SETTINGS[i].step_a;
        field->step_b = FIELD_SETTINGS[i].step_b;
        field->grow = FIELD_SETTINGS[i].grow;
        field->colour = FIELD_SETTINGS[i].colour;
        demo.spirals[i] = field;
    }
}

void halves_start() {
    demo.top_amplitude = 2 * demo.frame_width;
    demo.bottom_amplitude = 2 * demo.frame_width;
}

// The dot layer: background colour and circles inside the two mask halves, 0 outside,
// the colour halves over them.
void draw_emblem(int32_t top_x, int32_t bottom_x) {
    const int32_t w = demo.frame_width;
    const int32_t h = demo.frame_height;
    colour_drift_step();
    img_fill_rect(demo.dot_layer, 0, 0, w, h, colour_drift.colour);
    for (int i = 0; i < CIRCLES; ++i) {
        // Four draws in exactly this order: colour, radius, y, x.
        const uint32_t colour = (static_cast<uint32_t>(rng_rand()) & 0xFFFFFF) | 0x808080;
        const int32_t radius = rng_rand() % 16;
        const int32_t y = rng_rand() % h;
        const int32_t x = rng_rand() % w;
        img_circle(demo.dot_layer, x, y, radius, colour);
    }
    img_clear(demo.mask_layer);
    blit_whole(demo.mask_half, demo.mask_layer, top_x, 0);
    blit_whole(demo.mask_half, demo.mask_layer, bottom_x, h / 2);
    img_and_mask(demo.mask_layer, demo.dot_layer);
    blit_whole(demo.colour_half, demo.dot_layer, top_x, 0);
    blit_whole(demo.colour_half, demo.dot_layer, bottom_x, h / 2);
}

void halves_frame() {
    img_clear(demo.frame);
    img_fade(demo.spiral_layer, TRAIL_FADE);
    for (Spirals* field : demo.spirals) {
        spirals_update(field);
        spirals_draw(field);
    }
    blit_whole(demo.spiral_layer, demo.frame, 0, 0);

    halves_decay(&demo);
    const int32_t top_x = mul_shr(sine_at(demo.top_phase), demo.top_amplitude, SINE_SHIFT);
    const int32_t bottom_x = mul_shr(sine_at(demo.bottom_phase), demo.bottom_amplitude, SINE_SHIFT);
    draw_emblem(top_x, bottom_x);
    blit_whole(demo.dot_layer, demo.frame, 0, 0);
}

}  // namespace

void halves_decay(DemoState* state) {
    state->halves_frame_counter = wrap_add(state->halves_frame_counter, 1);
    state->top_phase = (state->top_phase + 4) & SINE_MASK;
    state->bottom_phase = (state->bottom_phase + 4) & SINE_MASK;
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

constinit const Scene scene_halves = {"halves", halves_setup, halves_start, halves_frame, nullptr, 1250};
