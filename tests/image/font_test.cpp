// FONT: cell addressing, keyed and additive characters, hex digits, strings, big characters.
#include <string>
#include <utility>

#include "common/fixed.h"
#include "image/image_fixtures.h"

TEST(FontDrawChar, CellAddressingCodesOutsideTheSheetClippingBlendingAndOwnership) {
    TestImg target(32, 16);  // declared first: a font that freed its target fails at its end
    TestFont sheet(16, 16, 16, 18);  // the 256 x 288 character set
    Font* font = sheet.font;
    font->target = target.img;
    // 65: the cell at (16, 64); past the last cell, or negative (a byte from 0x80 up):
    // nothing drawn, the pen moves on.
    for (const auto& [code, set] : {std::pair{15, 256}, {65, 256}, {287, 256}, {288, 0}, {-1, 0}, {INT32_MIN, 0}}) {
        img_clear(target.img);
        font->pen_x = -8;  // half the cell clipped on the left
        font->character = code;
        (code == 65 ? font_draw_char_add : font_draw_char)(font);
        EXPECT_EQ(font->pen_x, 8) << code;
        EXPECT_EQ(target.lit(), set / 2) << code;
        EXPECT_EQ(target.at(7, 15), set == 0 ? 0u : cell_colour(code)) << code;
    }
    font->character = 0;
    font->pen_x = 0;
    font_draw_char(font);  // sixteen cells 0
    font->character = 1;
    font->pen_x = -8;
    font_draw_char_add(font);  // the glyph of cell 1 adds to the first eight
    EXPECT_EQ(shown(target.img), std::string(8, '\2') + std::string(8, '\0') + std::string(16, '.'));
    // Extreme cell sizes and pen: no overflow, the pen wraps like a register.
    font->cell_width = font->cell_height = INT32_MAX;
    font->pen_x = INT32_MAX;
    font_draw_char(font);
    EXPECT_EQ(font->pen_x, wrap_add(INT32_MAX, INT32_MAX));
}

TEST(FontText, HexDigitsAndStringsUpToALineFeed) {
    TestImg target(28, 1);
    TestFont sheet(1, 1, 16, 8);  // 1 x 1 cells: each character one pixel
    Font* font = sheet.font;
    font->target = target.img;
    font_draw_string(font, "AB\nC");
    font->pen_x = 3;
    font_draw_hex32(font, 0x0123ABCDu);
    font_draw_hex8(font, 0x3C);
    EXPECT_EQ(font->pen_x, 13);
    font->pen_x = 14;
    font_draw_hex16(font, 0xBEEF09AF);  // bits 15..0 only
    EXPECT_EQ(shown(target.img), "AB.0123ABCD3C.09AF..........");
}
