#pragma once
// PALETTE: a 256-entry Sample of colours 0x00RRGGBB, with rotation. Entry v is the colour
// of a byte-map cell of value v. No error line: a null palette is ignored silently.
#include <cstdint>

#include "common/module_id.h"
#include "sound/sample.h"

constexpr int32_t PALETTE_SIZE = 256;  // entries in a palette

extern const int32_t palette_element_size;  // SAMPLE_ELEMENT_SIZE (4): the module's own copy of the width
extern uint8_t palette_debug;               // 0: kept for uniformity (this module has no error line)
extern const ModuleId palette_module_id;

Sample* palette_create();                          // 256 black entries, capacity 256; null on failure
void palette_destroy(Sample** palette);            // as sample_destroy: frees, sets *palette = null
void palette_rotate_right(Sample* palette, int32_t k);  // entry i moves to (i + k) mod count
void palette_rotate_left(Sample* palette, int32_t k);   // entry i moves to (i - k) mod count
