// FONT: cell addressing, keyed and additive characters, hex digits, strings, big characters.
#include <string>
#include <utility>

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

TEST(FontDrawChar, CellAddressingCodesOutsideTheSheetClippingBlendingAndOwnership) {
    Img* target = sized(32, 16);
    Font* font = numbered_font(16, 18, 16, 16, target);  // the 256 x 288 character set
    // 65: the cell at (16, 64); past the last cell, or negative (a byte from 0x80 up):
    // nothing drawn, the pen moves on.
    for (const auto& [code, set] : {std::pair{15, 256}, {65, 256}, {287, 256}, {288, 0}, {-1, 0}, {INT32_MIN, 0}}) {
        img_clear(target);
        font->pen_x = -8;  // half the cell clipped on the left
        font->character = code;
        (code == 65 ? font_draw_char_add : font_draw_char)(font);
        EXPECT_EQ(font->pen_x, 8) << code;
        EXPECT_EQ(count_set(target), set / 2) << code;
        EXPECT_EQ(img_get_pixel(target, 7, 15), set == 0 ? 0u : static_cast<uint32_t>(code + 1)) << code;
    }
    font->character = 0;
    font->pen_x = 0;
    font_draw_char(font);  // sixteen 1s
    font->character = 1;
    font->pen_x = -8;
    font_draw_char_add(font);  // the glyph's 2s add to the first eight
    EXPECT_EQ(shown(target), std::string(8, '\2') + std::string(8, '\0') + std::string(16, '.'));
    // Extreme cell sizes and pen: no overflow, the pen wraps like a register.
    font->cell_width = font->cell_height = INT32_MAX;
    font->pen_x = INT32_MAX;
    font_draw_char(font);
    EXPECT_EQ(font->pen_x, wrap_add(INT32_MAX, INT32_MAX));
    font_destroy(&font);  // frees the sheet (else the leak checker fails the run), not the target
    img_put_pixel(target, 1, 1, 7);  // a freed target would be caught here
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
