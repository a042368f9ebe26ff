#pragma once
// SCROLL: a horizontal text scroller. Each update moves the text left by speed pixels
// (negative: right); each draw puts the glyphs that cover width pixels of the target,
// starting with text[cursor->position] at pen x = x - offset. The text repeats because
// the cursor wraps. Failures change nothing and print "SCROLL error" when scroll_debug
// is set.
#include <cstdint>

#include "common/module_id.h"
#include "effects/cursor.h"
#include "image/font.h"
#include "image/img.h"

struct Scroll {
    int32_t x;         // pen x of the first glyph before the offset is applied, target pixels
    int32_t y;         // pen y of the glyphs
    int32_t width;     // pixels to cover; scroll_setup copies the target's width
    int32_t speed;     // pixels per update, negative scrolls backwards; 1 at creation
    int32_t offset;    // pixels scrolled into the first glyph, 0 <= offset < cell width between frames
    const char* text;  // borrowed NUL-terminated text, each byte a glyph number
    Cursor* cursor;    // owned: index of the first visible glyph
    Font* font;        // glyph font; borrowed after scroll_setup
    Img* target;       // borrowed image drawn into
    Font* own_font;    // the placeholder font scroll_create made, until scroll_setup frees it
};

extern uint8_t scroll_debug;  // 0: silent (nothing in the program sets it)
extern const ModuleId scroll_module_id;

Scroll* scroll_create();                                                     // speed 1, cursor of 25, own 6 x 6 font; null on failure
void scroll_setup(Scroll* scroll, const char* text, Font* font, Img* target);  // new cursor over text, x = y = 0, width = target's
void scroll_update(Scroll* scroll);                                          // offset += speed, whole glyphs move the cursor
void scroll_draw(Scroll* scroll);                                            // width / cell width + 2 glyphs; cursor left unchanged
void scroll_destroy(Scroll** scroll);                                        // frees the record and cursor, not the font or target
void scroll_report();                                                        // "SCROLL error" when scroll_debug is set
