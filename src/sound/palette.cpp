#include "sound/palette.h"

// The width of a stored value comes from the record both palettes and sounds live in, so the
// two can never disagree on it.
const int32_t palette_element_size = SAMPLE_ELEMENT_SIZE;

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
