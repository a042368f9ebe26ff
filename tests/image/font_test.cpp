// FONT: cell addressing, keyed and additive characters, hex digits, strings, big characters.
#include <string>

#include "common/fixed.h"
#include "image/font.h"
#include "image/image_fixtures.h"

namespace {

// Every pixel of cell c holds c + 1, so a drawn pixel names the cell it came from.
Font* numbered_font(int32_t per_row, int32_t rows, int32_t cw, int32_t ch, Img* target) {
    Font* font = font_create();
    font->sheet = sized(per_row * cw, rows * ch);
    for (int32_t y = 0; y < rows * ch; ++y)
        for (int32_t x = 0; x < per_row * cw; ++x)
            img_put_pixel(font->sheet, x, y, static_cast<uint32_t>((y / ch) * per_row + x / cw + 1));
    font->cell_width = cw;
    font->cell_height = ch;
    font->target = target;
    return font;
}

// Row 0 of the target, one character per pixel: '.' where nothing was drawn.
std::string shown(const Img* target) {
    std::string row;
    for (int32_t x = 0; x < target->width; ++x) {
        const uint32_t p = img_get_pixel(target, x, 0);
        row += p == 0 ? '.' : static_cast<char>(p - 1);
    }
    return row;
}

}  // namespace

TEST(FontDrawChar, CellAddressingAndCodesOutsideTheSheet) {
    Img* target = sized(16, 16);
    Font* font = numbered_font(16, 18, 16, 16, target);  // the 256 x 288 character set
    for (int32_t code : {15, 65, 287}) {  // 65: the cell at (16, 64)
        img_clear(target);
        font->pen_x = 0;
        font->character = code;
        font_draw_char(font);
        EXPECT_EQ(count_set(target), 256) << code;
        EXPECT_EQ(img_get_pixel(target, 15, 15), static_cast<uint32_t>(code + 1)) << code;
    }
    // Past the last cell, or negative (a byte from 0x80 up): nothing drawn, pen moves on.
    img_clear(target);
    for (int32_t code : {288, -1, INT32_MIN}) {
        font->pen_x = 0;
        font->character = code;
        font_draw_char_add(font);
        EXPECT_EQ(font->pen_x, 16) << code;
    }
    // Extreme cell sizes and pen: no overflow, the pen wraps like a register.
    font->cell_width = font->cell_height = INT32_MAX;
    font->pen_x = INT32_MAX;
    font_draw_char(font);
    EXPECT_EQ(font->pen_x, wrap_add(INT32_MAX, INT32_MAX));
    EXPECT_EQ(count_set(target), 0);
    font_destroy(&font);
    img_destroy(&target);
}

TEST(FontDrawChar, ClippingBlendingAndOwnership) {
    Img* target = sized(32, 16);
    Font* font = numbered_font(2, 1, 8, 16, target);  // one 16-pixel glyph: left half 1, right 2
    font->cell_width = 16;
    font->pen_x = -8;
    font_draw_char(font);
    EXPECT_EQ(font->pen_x, 8);
    EXPECT_EQ(shown(target), std::string(8, '\1') + std::string(24, '.'));
    font->pen_x = 0;
    font_draw_char_add(font);  // glyph values add to what is there
    EXPECT_EQ(img_get_pixel(target, 0, 0), 2u + 1u);
    EXPECT_EQ(img_get_pixel(target, 8, 0), 2u);
    font_destroy(&font);  // frees the sheet (else the leak checker fails the run), not the target
    img_put_pixel(target, 1, 1, 7);  // a freed target would be caught here
    img_destroy(&target);
}

TEST(FontBigChar, SetPixelsBecomeBrushCharactersAndBlankCellsOnlyAdvance) {
    Img* target = sized(256, 256);
    Font* big = numbered_font(2, 1, 16, 16, target);
    img_clear(big->sheet);  // cell 0: three set pixels; cell 1 blank
    for (auto [x, y] : {std::pair{0, 0}, {3, 2}, {15, 15}}) img_put_pixel(big->sheet, x, y, 1);
    Font* brush = numbered_font(4, 1, 16, 16, nullptr);
    brush->character = 2;
    for (int32_t code : {1, -1, 0}) {  // a blank cell and a negative code only advance
        big->pen_x = 0;
        big->character = code;
        font_draw_big_char(big, brush);
        EXPECT_EQ(big->pen_x, 256) << code;
    }
    EXPECT_EQ(brush->target, target);
    EXPECT_EQ(count_set(target), 3 * 256);
    for (auto [x, y] : {std::pair{0, 0}, {63, 47}, {240, 240}, {255, 255}})  // cells (0,0) (3,2) (15,15)
        EXPECT_EQ(img_get_pixel(target, x, y), 3u) << x << "," << y;
    font_destroy(&big);
    font_destroy(&brush);
    img_destroy(&target);
}

TEST(FontText, HexDigitsAndStringsUpToALineFeed) {
    Img* target = sized(28, 1);
    Font* font = numbered_font(16, 8, 1, 1, target);  // 1 x 1 cells: each character one pixel
    font_draw_string(font, "AB\nC");
    font->pen_x = 3;
    font_draw_hex32(font, 0x0123ABCDu);
    font_draw_hex8(font, 0x3C);
    EXPECT_EQ(font->pen_x, 13);
    font->pen_x = 14;
    font_draw_hex16(font, 0xBEEF09AF);  // bits 15..0 only
    EXPECT_EQ(shown(target), "AB.0123ABCD3C.09AF..........");
    img_destroy(&target);
    font_destroy(&font);
}
