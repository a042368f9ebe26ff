#pragma once
// SPIRALS: particles at an angle and a radius around a centre, turned and pushed out a
// little every update and respawned past the maximum radius; each is drawn as one pixel.
// Also the colour drift: three channels that wander between 0 and 255 independently.
// Failures print "SPIRALS error" when spirals_debug is set. Draws with rng_rand(); the
// colour drift draws with rng_random().
#include <cstdint>

#include "common/module_id.h"
#include "image/img.h"

struct Particle {
    int32_t a;  // sine table index of the x phase, 0..1023
    int32_t b;  // sine table index of the y phase, a quarter period ahead of a
    int32_t r;  // radius; the particle lies at about r/2 pixels from the centre
};
static_assert(sizeof(Particle) == 12, "a, b, r");

struct Spirals {
    int32_t cx;           // centre in the target, 128 at creation
    int32_t cy;
    int32_t width;        // copied from the target by spirals_draw; sets the respawn radius range
    int32_t height;
    Img* target;          // borrowed image drawn into; null at creation
    int32_t step_a;       // added to a per update, 1 at creation
    int32_t step_b;       // added to b per update, 1 at creation
    int32_t grow;         // added to r per update, 1 at creation
    int32_t max_radius;   // r above it respawns, 256 at creation
    uint32_t colour;      // 0x00RRGGBB, white at creation
    int32_t count;        // particles, 16 at creation
    Particle* particles;  // owned array of count particles
};

// The colour drift, one for the program. Channels and speeds are in 1/65536 of a colour
// level (a channel runs from 0 to 0xFF0000).
struct ColourDrift {
    int32_t r;
    int32_t g;
    int32_t b;
    int32_t vr;
    int32_t vg;
    int32_t vb;
    uint32_t colour;  // 0x00RRGGBB composed by the last colour_drift_step
};
constexpr ColourDrift COLOUR_DRIFT_START = {0, 0x800000, 0x400000, 0x8000, -49153, 0x4000, 0};

extern uint8_t spirals_debug;        // 0: silent (nothing in the program sets it)
extern ColourDrift colour_drift;     // starts as COLOUR_DRIFT_START
extern const ModuleId spirals_module_id;

Spirals* spirals_create();                          // 16 particles at random; null on failure
void spirals_destroy(Spirals** spirals);            // frees particles and record, sets *spirals = null
void spirals_set_count(Spirals* spirals, int32_t n);  // n >= 1: new array, every particle respawned
void spirals_respawn(Spirals* spirals, int32_t i);  // random angle, radius below 1.5 x width
void spirals_respawn_all(Spirals* spirals);         // respawns every particle in index order
void spirals_update(Spirals* spirals);              // turn, grow, respawn past max_radius
void spirals_draw(Spirals* spirals);                // one pixel per particle into the target
void spirals_report();                              // "SPIRALS error" when spirals_debug is set
void colour_drift_step();                           // moves the three channels, sets colour_drift.colour
