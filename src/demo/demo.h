#pragma once
// PROGRAM: the demo's spine. One process-wide DemoState owns every object; start-up builds
// them once, demo_main plays the five scenes for ever, a quit key fades, destroys and exits.
// Every scene runs the same frame tail: pace, counter, present, music, audio feed, keys.
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

// Frame budgets: a scene shows budget + 1 frames unless Space or a quit key ends it.
constexpr int32_t SCENE_BIGSCROLL_BUDGET = 1000;
constexpr int32_t SCENE_BUBBLES_BUDGET = 1000;
constexpr int32_t SCENE_HALVES_BUDGET = 1250;
constexpr int32_t SCENE_STARSCROLL_BUDGET = 1000;
constexpr int32_t SCENE_SPRITES_BUDGET = 800;

// Keys (the low byte of the platform key code).
constexpr uint8_t KEY_ESC = 27;
constexpr uint8_t KEY_SPACE = 0x20;

// option_flags bytes and bits; only show_fps (byte 0 bit 0) is read.
constexpr uint8_t OPTION_SHOW_FPS = 0x01;    // byte 0, key '8'
constexpr uint8_t OPTION_FULL_SPEED = 0x02;  // byte 0, key '9'
// control_flags bits.
constexpr uint32_t CONTROL_QUIT = 0x1;
constexpr uint32_t CONTROL_NEXT_SCENE = 0x2;

constexpr int32_t SPIN_FRAMES = 64;
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

// The spin widths of the turning star sprites: 64 signed entries.
extern const int8_t spin_table[SPIN_FRAMES];

[[noreturn]] void demo_main();     // start-up, then scenes 1..5 for ever
void demo_startup();               // builds every shared object, in the fixed order
void fade_to_black();              // 32 fades by 8, each presented; no pacing, no keys
uint8_t demo_handle_key(uint8_t key);  // quit keys shut down; Space and toggles set flags; returns key
[[noreturn]] void demo_shutdown(); // fade, destroy in order, close audio last, exit 0

// Steps 2 to 12 of every frame: tick and pace, counter, present, music, audio feed, keys
// (scene_keys, when given, sees 'a' and 's'), then the end tests. True when the scene ends;
// otherwise the budget has been counted down by one.
bool demo_frame_tail(int32_t* budget, void (*scene_keys)(uint8_t key));

void scene_bigscroll();
void scene_bubbles();
void scene_halves();
void scene_starscroll();
void scene_sprites();
void sprites_frame();               // one frame of the swarm, added onto demo.frame

// Set-ups run by demo_startup, in this order.
void setup_bigscroll();
void setup_bubbles();
void setup_halves();
void setup_starscroll();

// Small pure rules, shared by the scenes and their tests.
int32_t bigscroll_speed_after_key(int32_t speed, uint8_t key);    // 'a' +1, 's' -1, rem 32
int32_t starscroll_speed_after_key(int32_t speed, uint8_t key);   // 'a' -1, 's' +1, rem 15
uint32_t font_hex_gradient(int32_t x, int32_t y);                  // colouring mask of the 16 x 16 font
void halves_decay(DemoState* state);                               // one frame of the amplitude decay
void swarm_draw_parameters(DemoState* state);                      // the scene 5 start-up draws

// Called when start-up cannot go on (no display, a built-in picture that does not decode):
// one line on standard error, exit status 1.
[[noreturn]] void demo_fail(const char* what, const char* why);
// Start-up's makers: each ends start-up through demo_fail instead of returning null.
Img* demo_picture(const unsigned char* block, int32_t size, const char* name);  // a built-in PNM block decoded
Img* demo_image(int32_t width, int32_t height);                                 // a new all-0 image
Font* demo_font(Img* sheet, int32_t cell_width, int32_t cell_height);           // a font owning sheet
