#pragma once
// Small pictures and sprite sheets for the effect tests. Cell c of a test sheet is
// solid cell_colour(c), so a colour found in the target names the cell drawn.
#include "image/font.h"
#include "image/image_fixtures.h"  // printed: what a call says while a debug flag is set

inline uint32_t cell_colour(int32_t c) { return 0x00A00000u | static_cast<uint32_t>(c + 1); }

struct TestImg {
    Img* img;
    TestImg(int32_t w, int32_t h) : img(img_create()) { img_resize(img, w, h); }
    ~TestImg() { img_destroy(&img); }
    uint32_t at(int32_t x, int32_t y) const { return img_get_pixel(img, x, y); }
    int32_t lit() const { return count_set(img); }
};

// per_row x rows cells of cw x ch, each solid in its own colour.
struct TestFont {
    Font* font;
    TestFont(int32_t cw, int32_t ch, int32_t per_row, int32_t rows) : font(font_create()) {
        font->cell_width = cw;
        font->cell_height = ch;
        font->sheet = img_create();
        img_resize(font->sheet, cw * per_row, ch * rows);
        for (int32_t y = 0; y < ch * rows; ++y)
            for (int32_t x = 0; x < cw * per_row; ++x)
                img_put_pixel(font->sheet, x, y, cell_colour((y / ch) * per_row + x / cw));
    }
    ~TestFont() { font_destroy(&font); }
};
