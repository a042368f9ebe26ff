#pragma once
// STARS3D: points moving through a box at one 16.16 velocity, projected in perspective
// and drawn as one of eight depth cells of a sprite sheet (0 far .. 7 near). A point that
// leaves the box re-enters near its far end. Failures print "STARS3D error" when
// stars3d_debug is set. Draws with rng_rand().
#include <cstdint>

#include "common/module_id.h"
#include "image/font.h"
#include "image/img.h"

struct Star3D {
    int32_t x;  // 16.16
    int32_t y;  // 16.16
    int32_t z;  // 16.16, 0 nearest
};
static_assert(sizeof(Star3D) == 12, "x, y, z");

struct Stars3D {
    int32_t cx;      // horizontal shift of the projected picture, pixels
    int32_t cy;      // vertical shift, pixels
    int32_t width;   // box width; copied from the target by draw/plot
    int32_t height;  // box height; likewise
    int32_t depth;   // box depth and focal distance, 256 at creation
    int32_t vx;      // 16.16 per frame, 0 at creation
    int32_t vy;      // 16.16 per frame, 0 at creation
    int32_t vz;      // 16.16 per frame, -3.0 (towards the viewer) at creation
    Font* font;      // borrowed sheet of eight depth cells; null at creation
    int32_t count;   // number of points, 16 at creation
    Star3D* stars;   // owned array of count points
};

extern uint8_t stars3d_debug;  // 0: silent (nothing in the program sets it)
extern const ModuleId stars3d_module_id;

Stars3D* stars3d_create();                           // 16 scattered points; null on failure
void stars3d_destroy(Stars3D** stars3d);             // frees array and record, sets *stars3d = null
void stars3d_set_count(Stars3D* stars3d, int32_t n); // n >= 1: new array, scattered
void stars3d_scatter(Stars3D* stars3d);              // last to first, three rng_rand() per point
void stars3d_respawn(Stars3D* stars3d, int32_t i);   // random x, y; z within 15 of the far end
void stars3d_move(Stars3D* stars3d);                 // one frame of movement, respawning leavers
void stars3d_draw(Stars3D* stars3d, Img* target);    // depth cell per point, last point first
void stars3d_plot(Stars3D* stars3d, Img* target);    // one grey pixel per point
void stars3d_report();                               // "STARS3D error" when stars3d_debug is set
