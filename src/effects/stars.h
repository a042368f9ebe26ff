#pragma once
// STARS: sprites moving across a field at one common 16.16 velocity; a star that
// leaves re-enters at the edge its velocity comes from. The sprite frame follows the
// star's row, so a sheet of rotation frames makes it spin. Draws with rng_rand(); prints
// nothing: an invalid call does nothing.
#include <cstdint>

#include "common/module_id.h"
#include "image/font.h"
#include "image/img.h"

struct Star {
    int32_t x;  // 16.16 column
    int32_t y;  // 16.16 row
};
static_assert(sizeof(Star) == 8, "x then y");

struct Stars {
    int32_t width;    // field width in pixels; draw/plot copy the target's width here
    int32_t height;   // field height in pixels; likewise
    int32_t vx;       // 16.16 pixels per frame; 0 at creation
    int32_t vy;       // 16.16 pixels per frame; 1.0 (downwards) at creation
    uint32_t colour;  // 0x00RRGGBB used by stars_plot
    Font* font;       // borrowed sprite sheet (frames 0..63); null at creation
    int32_t count;    // number of stars, 16 at creation
    Star* stars;      // owned array of count stars
};

extern const ModuleId stars_module_id;

Stars* stars_create();                           // 256 x 256, 16 scattered stars; null on failure
void stars_destroy(Stars** stars);               // frees the array and the record, sets *stars = null
void stars_set_count(Stars* stars, int32_t n);   // n >= 1: new array, scattered
void stars_scatter(Stars* stars);                // random positions, two rng_rand() per star
void stars_respawn(Stars* stars, int32_t i);     // star i re-enters at the edge its velocity comes from
void stars_move(Stars* stars);                   // one frame of movement, respawning leavers
void stars_draw(Stars* stars, Img* target);      // one sprite per star, frame (y >> 17) rem 64
void stars_plot(Stars* stars, Img* target);      // one pixel of the colour per star
