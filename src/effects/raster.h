#pragma once
// RASTER: one colour per image row, taken from a table at (offset + row) wrapped around
// the table: raster bars. Unlike the other effects, every failed call prints
// "RASTER error" on standard output.
#include <cstdint>

#include "common/module_id.h"
#include "image/img.h"

struct Raster {
    int32_t count;     // table entries, 256 at creation
    int32_t offset;    // table index used for row 0
    uint32_t* colours; // owned table of count 0x00RRGGBB entries, black at creation
};

extern const ModuleId raster_module_id;

Raster* raster_create();                                       // 256 black entries; null on failure
void raster_destroy(Raster** raster);                          // frees table and record, sets *raster = null
void raster_resize(Raster* raster, int32_t count);             // count >= 1 black entries, offset 0
void raster_draw(const Raster* raster, Img* target);           // every pixel of row y = entry (offset + y)
void raster_draw_blend(const Raster* raster, Img* target, int32_t alpha);  // alpha 0..256 (clamped): 256 = all raster
void raster_advance(Raster* raster);                           // offset + 1, back to 0 at count
void raster_smooth(Raster* raster, int32_t radius);            // per-channel box blur, radius >= 1
Raster* raster_clone(const Raster* raster);                    // copy of the table, offset 0
