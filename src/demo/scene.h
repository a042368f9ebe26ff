#pragma once
// The scene table: the five scenes in play order, one row each. run_scene (demo.h) plays a
// row: fade to black, the per-start draws, then frames until the budget is spent or Space
// ends it, each frame followed by the common tail (pace, counter, present, music, audio
// feed, keys). Each scene lives in its own file, scene_NAME.cpp, and defines its row.
// Adding a scene: the new file; its row's declaration below and its line in scene_table
// (demo.cpp); the fields of its state in DemoState (demo.h); and, for the objects its set-up
// builds, their lines in demo_shutdown's destruction order.
#include <cstdint>

struct DemoState;

struct Scene {
    const char* name;           // short lower-case name, e.g. "bigscroll"
    void (*setup)();            // once at start-up, in table order, building the scene's objects; may be null
    void (*start)();            // at each scene start, after the fade: the per-start draws; may be null
    void (*frame)();            // one frame's update and drawing into demo.frame
    void (*keys)(uint8_t key);  // the scene's own keys ('a', 's'), after the common ones; may be null
    int32_t budget;             // the scene shows budget + 1 frames unless Space or a quit key ends it
};

extern const Scene scene_bigscroll;   // 1: tiled background, swinging logo, giant mosaic letters
extern const Scene scene_bubbles;     // 2: 3D bubbles behind a waving character grid
extern const Scene scene_halves;      // 3: spirals behind the two sliding emblem halves
extern const Scene scene_starscroll;  // 4: raster bars, spinning star layers, wave-distorted scroller
extern const Scene scene_sprites;     // 5: a swarm of additive sprites on Lissajous paths

constexpr int32_t SCENE_COUNT = 5;
extern const Scene* const scene_table[SCENE_COUNT];  // play order; demo_main walks it for ever

// Small pure rules of the scenes, for their tests.
int32_t bigscroll_speed_after_key(int32_t speed, uint8_t key);   // 'a' +1, 's' -1, rem 32
int32_t starscroll_speed_after_key(int32_t speed, uint8_t key);  // 'a' -1, 's' +1, rem 15
void halves_decay(DemoState* state);                             // one frame of the emblem halves' swing decay
void swarm_draw_parameters(DemoState* state);                    // the swarm's draws at each scene start
