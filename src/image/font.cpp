#include "image/font.h"

#include <cstdio>
#include <cstdlib>

#include "common/fixed.h"

uint8_t font_debug = 0;
constexpr ModuleId font_module_id = make_module_id("20101104", "FONT");

void font_report() {
    if (font_debug) std::puts("FONT Error.");
}

namespace {

// A font can draw when it has a sheet with columns and cells of positive width.
bool font_ready(const Font* font) {
    return font != nullptr && font->sheet != nullptr && font->sheet->width > 0 && font->cell_width > 0;
}

// Top-left corner of the current character's cell in the sheet. Returns false when the
// corner lies so far outside 32-bit coordinates that no part of the cell can be inside
// the sheet (the blit would clip it to nothing anyway). The product character x cell
// width is taken in 64 bits, so no code and no cell size can overflow it.
bool font_cell(const Font* font, int32_t* sx, int32_t* sy) {
    const int64_t i = static_cast<int64_t>(font->character) * font->cell_width;
    const int64_t sheet_width = font->sheet->width;
    const int64_t q = i / sheet_width;
    *sx = static_cast<int32_t>(i % sheet_width);
    // |q| <= 2^31 keeps q x cell height within 64 bits; beyond it the row is out of range.
    if (q > INT32_MAX || q < INT32_MIN) return false;
    const int64_t y = q * font->cell_height;
    if (y > INT32_MAX || y < INT32_MIN) return false;
    *sy = static_cast<int32_t>(y);
    return true;
}

using Blit = void (*)(const Img*, Img*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t);

void font_draw_with(Font* font, Blit blit) {
    if (!font_ready(font)) {
        font_report();
        return;
    }
    int32_t sx = 0;
    int32_t sy = 0;
    if (font_cell(font, &sx, &sy)) {
        blit(font->sheet, font->target, sx, sy, font->pen_x, font->pen_y, font->cell_width, font->cell_height);
    }
    font->pen_x = wrap_add(font->pen_x, font->cell_width);
}

// The low `digits` hex digits of value, most significant first.
void font_draw_hex(Font* font, uint32_t value, int digits) {
    if (!font_ready(font)) {
        font_report();
        return;
    }
    for (int d = digits - 1; d >= 0; --d) {
        const int32_t n = static_cast<int32_t>((value >> (4 * d)) & 0xFu);
        font->character = n <= 9 ? 0x30 + n : 0x41 + n - 10;
        font_draw_char(font);
    }
}

}  // namespace

Font* font_create() {
    Font* font = static_cast<Font*>(std::calloc(1, sizeof(Font)));
    if (font == nullptr) {
        font_report();
        return nullptr;
    }
    font->cell_width = 6;
    font->cell_height = 6;
    return font;
}

void font_destroy(Font** font) {
    if (font == nullptr || *font == nullptr) {
        font_report();
        return;
    }
    if ((*font)->sheet != nullptr) img_destroy(&(*font)->sheet);
    std::free(*font);
    *font = nullptr;
}

void font_draw_char(Font* font) { font_draw_with(font, img_blit_key); }

void font_draw_char_add(Font* font) { font_draw_with(font, img_blit_add); }

void font_draw_hex8(Font* font, uint8_t value) { font_draw_hex(font, value, 2); }

void font_draw_hex16(Font* font, uint32_t value) { font_draw_hex(font, value & 0xFFFFu, 4); }

void font_draw_hex32(Font* font, uint32_t value) { font_draw_hex(font, value, 8); }

void font_draw_string(Font* font, const char* text) {
    if (text == nullptr || !font_ready(font)) {
        font_report();
        return;
    }
    for (const char* p = text; *p != '\0' && *p != '\n'; ++p) {
        font->character = static_cast<int8_t>(*p);
        font_draw_char(font);
    }
}

void font_draw_big_char(Font* big, Font* brush) {
    if (!font_ready(big) || big->target == nullptr || !font_ready(brush) || big->sheet->pixels == nullptr) {
        font_report();
        return;
    }
    brush->target = big->target;
    const Img* sheet = big->sheet;
    int32_t sx = 0;
    int32_t sy = 0;
    if (font_cell(big, &sx, &sy)) {
        // Only the part of the cell that lies inside the sheet can hold set pixels:
        // clip the cell once, in 64 bits, then walk the sheet's rows directly.
        const int64_t k0 = sx < 0 ? -static_cast<int64_t>(sx) : 0;
        const int64_t r0 = sy < 0 ? -static_cast<int64_t>(sy) : 0;
        int64_t k1 = big->cell_width;
        int64_t r1 = big->cell_height;
        if (sx + k1 > sheet->width) k1 = sheet->width - static_cast<int64_t>(sx);
        if (sy + r1 > sheet->height) r1 = sheet->height - static_cast<int64_t>(sy);
        const int32_t base_x = big->pen_x;
        const int32_t base_y = big->pen_y;
        for (int64_t r = r0; r < r1; ++r) {
            const int64_t row = (sy + r) * sheet->width + sx;
            const int32_t pen_y = wrap_add(base_y, wrap_mul(static_cast<int32_t>(r), brush->cell_height));
            for (int64_t k = k0; k < k1; ++k) {
                if (sheet->pixels[row + k] == 0) continue;
                brush->pen_x = wrap_add(base_x, wrap_mul(static_cast<int32_t>(k), brush->cell_width));
                brush->pen_y = pen_y;
                font_draw_char(brush);
            }
        }
    }
    big->pen_x = wrap_add(big->pen_x, wrap_mul(big->cell_width, brush->cell_width));
}
