#pragma once
// SCROLLXL: the big scroller. Each letter is a cell of the big font whose set pixels are
// drawn as whole characters of the brush font, so one letter is u = big cell width x brush
// cell width pixels wide; the text moves by speed pixels per update in units of u.
// Failures change nothing and print "SCROLLXL error" when scrollxl_debug is set.
#include <cstdint>

#include "common/module_id.h"
#include "effects/cursor.h"
#include "image/font.h"
#include "image/img.h"

struct ScrollXL {
    int32_t x;         // pen x of the first big letter before the offset is applied
    int32_t y;         // pen y of the big letters
    int32_t width;     // pixels to cover; scrollxl_setup copies the target's width
    int32_t height;    // the big cell height after scrollxl_setup; for the holder, not read here
    int32_t speed;     // pixels per update, negative scrolls backwards; 1 at creation, 8 after setup
    int32_t offset;    // pixels scrolled into the first letter, 0 <= offset < u between frames
    const char* text;  // borrowed NUL-terminated text, each byte a big-font character
    Cursor* cursor;    // owned: index of the first visible letter
    Font* big_font;    // borrowed: its cells give the letter shapes
    Font* brush_font;  // borrowed: its current character is drawn for each set big-cell pixel
    Img* target;       // borrowed image drawn into
};

extern uint8_t scrollxl_debug;  // 0: silent (nothing in the program sets it)
extern const ModuleId scrollxl_module_id;

ScrollXL* scrollxl_create();                                   // speed 1, cursor of 25, no fonts; null on failure
void scrollxl_setup(ScrollXL* scrollxl, const char* text, Font* big_font, Font* brush_font,
                    Img* target);                              // new cursor, offset 0, speed 8, width = target's
void scrollxl_update(ScrollXL* scrollxl);                      // offset += speed, whole letters move the cursor
void scrollxl_draw(ScrollXL* scrollxl);                        // width / u + 2 letters; cursor left unchanged
void scrollxl_destroy(ScrollXL** scrollxl);                    // frees the record and cursor only
void scrollxl_report();                                        // "SCROLLXL error" when scrollxl_debug is set
