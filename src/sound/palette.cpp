#include "sound/palette.h"

// The one place the width of a stored value is written down; the sample allocator reads it
// so that palettes and sounds can never disagree on it.
const int32_t palette_element_size = 4;
static_assert(sizeof(int32_t) == 4, "a Sample value is one 32-bit word");

uint8_t palette_debug = 0;
const ModuleId palette_module_id = make_module_id("20101102", "PALETTE");

Sample* palette_create() {
    Sample* palette = sample_create();
    sample_set_length(palette, PALETTE_SIZE);
    if (palette != nullptr && palette->count != PALETTE_SIZE) palette_destroy(&palette);  // no room: no palette
    return palette;
}

void palette_destroy(Sample** palette) { sample_destroy(palette); }

void palette_rotate_right(Sample* palette, int32_t k) { sample_rotate_right(palette, k); }

void palette_rotate_left(Sample* palette, int32_t k) { sample_rotate_left(palette, k); }
