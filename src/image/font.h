#pragma once
// FONT: draws cells of a glyph sheet into a target image. Character code c is cell c,
// cells numbered left to right, then top to bottom. Glyph pixels equal to 0 are
// transparent. Failures print "FONT Error." when font_debug is set.
#include <cstdint>

#include "common/module_id.h"
#include "image/img.h"

struct Font {
    int32_t pen_x;        // left edge in the target of the next character
    int32_t pen_y;        // top edge
    int32_t cell_width;   // 6 at creation
    int32_t cell_height;  // 6 at creation
    int32_t reserved;     // 0; no font operation reads it
    int32_t character;    // code drawn by the next draw call
    Img* sheet;           // owned glyph sheet, null at creation
    Img* target;          // borrowed picture drawn into, null at creation
};

extern uint8_t font_debug;
extern const ModuleId font_module_id;

Font* font_create();                                   // cells 6 x 6, no sheet; null on failure
void font_destroy(Font** font);                        // destroys the sheet, not the target
void font_draw_char(Font* font);                       // keyed blit of the character, pen x += cell width
void font_draw_char_add(Font* font);                   // additive blit, pen x += cell width
void font_draw_hex8(Font* font, uint8_t value);        // two upper-case hex digits
void font_draw_hex16(Font* font, uint32_t value);      // four digits of bits 15..0
void font_draw_hex32(Font* font, uint32_t value);      // eight digits
void font_draw_string(Font* font, const char* text);   // up to the first NUL or line feed
void font_draw_big_char(Font* big, Font* brush);       // each set big-cell pixel drawn as a brush character
void font_report();                                    // "FONT Error." when font_debug is set
