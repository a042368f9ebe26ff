#include "effects/scrollxl.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/fixed.h"

uint8_t scrollxl_debug = 0;
constexpr ModuleId scrollxl_module_id = make_module_id("20101104", "SCROLLXL");

namespace {

constexpr int32_t SCROLLXL_DEFAULT_LENGTH = 25;  // length of "A scroll's default text. "
constexpr int32_t SCROLLXL_SETUP_SPEED = 8;

// Width of one big letter in pixels, or 0 when the two cell widths give no usable width
// (not positive, or beyond int32).
int32_t scrollxl_letter_width(const Font* big, const Font* brush) {
    const int64_t u = static_cast<int64_t>(big->cell_width) * brush->cell_width;
    return u < 1 || u > INT32_MAX || big->cell_width < 1 ? 0 : static_cast<int32_t>(u);
}

}  // namespace

void scrollxl_report() {
    if (scrollxl_debug) std::puts("SCROLLXL error");
}

ScrollXL* scrollxl_create() {
    ScrollXL* scrollxl = static_cast<ScrollXL*>(std::calloc(1, sizeof(ScrollXL)));
    if (scrollxl == nullptr) return nullptr;
    scrollxl->cursor = cursor_create();
    if (scrollxl->cursor == nullptr) {
        std::free(scrollxl);
        return nullptr;
    }
    cursor_init(scrollxl->cursor, SCROLLXL_DEFAULT_LENGTH, 1);
    scrollxl->speed = 1;
    return scrollxl;
}

void scrollxl_setup(ScrollXL* scrollxl, const char* text, Font* big_font, Font* brush_font, Img* target) {
    if (scrollxl == nullptr || text == nullptr || big_font == nullptr || brush_font == nullptr ||
        target == nullptr) {
        scrollxl_report();
        return;
    }
    const size_t length = std::strlen(text);
    if (length == 0 || length > static_cast<size_t>(INT32_MAX)) {
        scrollxl_report();
        return;
    }
    // The new cursor comes first, so a failed allocation leaves the scroller as it was.
    Cursor* cursor = cursor_create();
    if (cursor == nullptr) {
        scrollxl_report();
        return;
    }
    cursor_init(cursor, static_cast<int32_t>(length), 1);
    cursor_destroy(&scrollxl->cursor);
    scrollxl->cursor = cursor;
    scrollxl->text = text;
    scrollxl->x = 0;
    scrollxl->y = 0;
    scrollxl->width = target->width;
    scrollxl->height = big_font->cell_height;
    scrollxl->big_font = big_font;
    scrollxl->brush_font = brush_font;
    scrollxl->target = target;
    scrollxl->offset = 0;
    scrollxl->speed = SCROLLXL_SETUP_SPEED;
}

void scrollxl_update(ScrollXL* scrollxl) {
    if (scrollxl == nullptr || scrollxl->text == nullptr || scrollxl->cursor == nullptr ||
        scrollxl->big_font == nullptr || scrollxl->brush_font == nullptr || scrollxl->cursor->length < 1) {
        scrollxl_report();
        return;
    }
    const int32_t u = scrollxl_letter_width(scrollxl->big_font, scrollxl->brush_font);
    if (u == 0) {
        scrollxl_report();
        return;
    }
    const int32_t offset = wrap_add(scrollxl->offset, scrollxl->speed);
    scrollxl->offset = cursor_carry(scrollxl->cursor, offset, u);
}

void scrollxl_draw(ScrollXL* scrollxl) {
    if (scrollxl == nullptr || scrollxl->text == nullptr || scrollxl->cursor == nullptr ||
        scrollxl->target == nullptr || scrollxl->big_font == nullptr || scrollxl->brush_font == nullptr ||
        !cursor_fits(scrollxl->cursor, scrollxl->text)) {
        scrollxl_report();
        return;
    }
    Font* big = scrollxl->big_font;
    Font* brush = scrollxl->brush_font;
    Cursor* cursor = scrollxl->cursor;
    const int32_t u = scrollxl_letter_width(big, brush);
    if (u == 0) {
        scrollxl_report();
        return;
    }
    big->target = scrollxl->target;
    brush->target = scrollxl->target;
    big->pen_x = wrap_sub(scrollxl->x, scrollxl->offset);
    big->pen_y = scrollxl->y;
    const int64_t count = scrollxl->width / u + int64_t{2};
    cursor_walk(cursor, count, [&](int32_t i) {
        big->character = static_cast<int8_t>(scrollxl->text[i]);
        font_draw_big_char(big, brush);
    });
}

void scrollxl_destroy(ScrollXL** scrollxl) {
    if (scrollxl == nullptr || *scrollxl == nullptr) {
        scrollxl_report();
        return;
    }
    cursor_destroy(&(*scrollxl)->cursor);
    std::free(*scrollxl);
    *scrollxl = nullptr;
}
