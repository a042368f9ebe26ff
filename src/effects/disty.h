#pragma once
// DISTY: the column wave distorter. Every column of the source image is copied into the
// target, shifted vertically by a sine of its own phase and wrapped top to bottom; the
// phase moves once per frame. The distorter borrows its source and prints nothing.
#include <cstdint>

#include "common/module_id.h"
#include "effects/cursorx.h"
#include "image/img.h"

struct Disty {
    int32_t x;          // target column that receives source column 0
    int32_t y;          // base row in the target
    CursorX cursor;     // wave phase: length 1024, step 1, increment 16 at creation
    int32_t amplitude;  // displacement is about +-amplitude/2 rows; 16 at creation
    Img* source;        // borrowed image whose columns are copied; null at creation
};

extern const ModuleId disty_module_id;

Disty* disty_create();                          // null on failure
void disty_destroy(Disty** disty);              // frees the record (not the source), sets *disty = null
void disty_draw(Disty* disty, Img* target);     // every source column, waved, into the target
void disty_step(Disty* disty);                  // moves the phase by the cursor's step
