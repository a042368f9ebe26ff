// Scene 5: a swarm of sprites on Lissajous paths, drawn additively into the frame without
// clearing it, so their trails grow ever brighter until the channels saturate and wrap.
// At each start the swarm's phases, speeds and size are drawn anew.

#include "common/fixed.h"
#include "common/rng.h"
#include "common/sine_table.h"
#include "demo/demo.h"
#include "demo/scene.h"

namespace {

constexpr int32_t SWARM_SPRITE = 23;  // cell of the sprite sheet
constexpr int32_t SPRITE = 32;

void sprites_start() { swarm_draw_parameters(&demo); }

void sprites_frame() {
    Font* font = demo.font_sprites;
    font->character = SWARM_SPRITE;
    font->target = demo.frame;
    const int32_t half_w = (demo.frame_width - SPRITE) >> 1;
    const int32_t half_h = (demo.frame_height - SPRITE) >> 1;
    for (int i = 0; i < 4; ++i) demo.swarm_phase[i] = (demo.swarm_phase[i] + demo.swarm_frame_step[i]) & SINE_MASK;
    int32_t q[4] = {demo.swarm_phase[0], demo.swarm_phase[1], demo.swarm_phase[2], demo.swarm_phase[3]};
    for (int32_t i = 0; i < demo.swarm_count; ++i) {
        // Each axis: a big sine plus one of half its swing.
        font->pen_x = mul_shr(sine_at(q[0]), half_w, SINE_SHIFT) + half_w + mul_shr(sine_at(q[2]), half_w >> 1, SINE_SHIFT);
        font->pen_y = mul_shr(sine_at(q[1]), half_h, SINE_SHIFT) + half_h + mul_shr(sine_at(q[3]), half_h >> 1, SINE_SHIFT);
        font_draw_char_add(font);
        q[1] = (q[1] + demo.swarm_copy_step[1]) & SINE_MASK;
        q[2] = (q[2] + demo.swarm_copy_step[2]) & SINE_MASK;
        q[3] = (q[3] + demo.swarm_copy_step[3]) & SINE_MASK;
        q[0] = (q[0] + demo.swarm_copy_step[0]) & SINE_MASK;
    }
}

}  // namespace

void swarm_draw_parameters(DemoState* state) {
    // Per axis: phase, frame step, copy step; the x and y sines step faster than their partners.
    for (int i = 0; i < 4; ++i) {
        const int32_t mask = i < 2 ? 63 : 31;
        const int32_t least = i < 2 ? 7 : 3;
        state->swarm_phase[i] = rng_rand() & SINE_MASK;
        state->swarm_frame_step[i] = (rng_rand() & mask) + least;
        state->swarm_copy_step[i] = (rng_rand() & mask) + least;
    }
    state->swarm_count = (rng_rand() & 63) + 3;
}

constinit const Scene scene_sprites = {"sprites", nullptr, sprites_start, sprites_frame, nullptr, 800};
