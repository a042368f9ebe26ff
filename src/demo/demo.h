#pragma once
// PROGRAM: the demo's spine. One process-wide DemoState owns every object; start-up builds
// them once, demo_main plays the scene table (demo/scene.h) for ever, a quit key fades,
// destroys and exits. Every scene runs the same frame tail: pace, counter, present, music,
// audio feed, keys.
#include <cstdint>

#include "common/module_id.h"
#include "effects/disty.h"
#include "effects/raster.h"
#include "effects/scroll.h"
#include "effects/scrollxl.h"
#include "effects/spirals.h"
#include "effects/stars.h"
#include "effects/stars3d.h"
#include "image/font.h"
#include "image/img.h"
#include "platform/display.h"
#include "platform/keyboard.h"
#include "sound/audio.h"
#include "sound/music.h"

constexpr uint32_t DEMO_SEED = 0xFACE5718;
constexpr int32_t DEMO_TARGET_FPS = 50;

// option_flags bytes and bits; only show_fps (byte 0 bit 0) is read.
constexpr uint8_t OPTION_SHOW_FPS = 0x01;    // byte 0, key '8'
constexpr uint8_t OPTION_FULL_SPEED = 0x02;  // byte 0, key '9'
// control_flags bits.
constexpr uint32_t CONTROL_QUIT = 0x1;
constexpr uint32_t CONTROL_NEXT_SCENE = 0x2;

constexpr int32_t STAR_LAYERS = 4;
constexpr int32_t SPIRAL_FIELDS = 3;

struct DemoState {
    // Platform and shared objects
    Display* display;
    Keyboard* keyboard;
    AudioOut* audio;        // null when the sound device could not be opened
    Music* music;
    Img* frame;             // frame_width x frame_height, presented once per frame
    int32_t frame_width;    // 256 until start-up copies the display's mode
    int32_t frame_height;
    uint8_t option_flags[4];  // bytes 0..3: 0x02, 0x03, 0x01, 0x01 at start
    uint32_t control_flags;   // CONTROL_QUIT, CONTROL_NEXT_SCENE
    Font* font_hex;         // 16 x 16 coloured character font (256 x 288 sheet)
    Font* font_sprites;     // 32 x 32 sprite sheet font (512 x 256)
    Font* font_bigcells;    // 16 x 16 brush pieces of the big scroller
    Font* font_bubbles;     // 16 x 16 bubble sizes

    // Scene 1: tiles, logo, big scroller
    int32_t tile_glyph;     // 16..20, drawn at each scene start
    int32_t tile_offset_x;  // -32..-1 after the first frame
    int32_t tile_offset_y;
    int32_t tile_step_x;    // -6..5, changed at random
    int32_t tile_step_y;
    int32_t logo_phase_x;   // sine index, +16 per frame
    int32_t logo_phase_y;   // sine index, +13 per frame
    int32_t logo_amplitude_x;
    int32_t logo_amplitude_y;
    int32_t bounce_phase;   // 0..511, +16 per frame
    Img* logo;
    ScrollXL* bigscroll;

    // Scene 2: bubbles and the waving grid
    int32_t wave_phase_x;   // +31 per frame, wraps in 32 bits; low 10 bits used
    int32_t wave_phase_y;   // +29 per frame
    Stars3D* bubbles;

    // Scene 3: spirals and the emblem halves
    Img* colour_half;
    Img* mask_half;
    Img* dot_layer;
    Img* spiral_layer;
    Img* mask_layer;
    Spirals* spirals[SPIRAL_FIELDS];
    int32_t halves_frame_counter;  // over all cycles; its parity paces the decay
    int32_t top_phase;             // sine index, +4 per frame
    int32_t bottom_phase;          // 512 ahead of the top
    int32_t top_amplitude;         // 512 at each scene start, falls to 0
    int32_t bottom_amplitude;

    // Scene 4: raster, spinning star layers, wave scroller
    Font* spin_sheets[STAR_LAYERS];  // index 0 feeds layer 4 ... index 3 feeds layer 1
    Stars* star_layers[STAR_LAYERS]; // index 0 is layer 1 (64 stars, slowest) ... 3 is layer 4
    Font* scroller_font;             // 64 x 64 cells: the sprite sheet at 2x
    Img* strip;                      // frame_width x 64
    Scroll* scroller;
    Disty* disty;
    Raster* raster;

    // Scene 5: the swarm
    int32_t swarm_phase[4];       // p0..p3, 0..1023
    int32_t swarm_frame_step[4];  // f0..f3
    int32_t swarm_copy_step[4];   // s0..s3
    int32_t swarm_count;          // n, 3..66
};

extern DemoState demo;             // the program-wide state
extern uint8_t demo_debug;         // 0: "VORT7131 Error." is never printed
extern const ModuleId demo_module_id;

struct Scene;

// The two programs differ only in the video flags: DISPLAY_WINDOWED or DISPLAY_FULLSCREEN.
[[noreturn]] void demo_main(uint32_t video_flags);  // start-up, then the scene table for ever
void demo_startup();               // builds every shared object, in the fixed order; failures exit 1
void run_scene(const Scene& scene);  // fade, per-start draws, frames until the budget or Space
void fade_to_black();              // 32 fades by 8, each presented and held a frame period; no tick, no keys
uint8_t demo_handle_key(uint8_t key);  // quit keys shut down; Space and toggles set flags; returns key
[[noreturn]] void demo_shutdown(); // fade, destroy in order, close audio last, exit 0
