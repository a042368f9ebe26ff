#include "effects/scroll.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/fixed.h"

uint8_t scroll_debug = 0;
constexpr ModuleId scroll_module_id = make_module_id("20101104", "SCROLL");

namespace {

constexpr char SCROLL_DEFAULT_TEXT[] = "A scroll's default text. ";
constexpr int32_t SCROLL_DEFAULT_LENGTH = static_cast<int32_t>(sizeof(SCROLL_DEFAULT_TEXT) - 1);
static_assert(SCROLL_DEFAULT_LENGTH == 25);

// Length of a text the cursor can index, or 0 for one it cannot (empty or beyond int32).
int32_t scroll_text_length(const char* text) {
    const size_t length = std::strlen(text);
    return length > static_cast<size_t>(INT32_MAX) ? 0 : static_cast<int32_t>(length);
}

}  // namespace

void scroll_report() {
    if (scroll_debug) std::puts("SCROLL error");
}

Scroll* scroll_create() {
    Scroll* scroll = static_cast<Scroll*>(std::calloc(1, sizeof(Scroll)));
    if (scroll == nullptr) return nullptr;
    scroll->cursor = cursor_create();
    scroll->own_font = font_create();
    if (scroll->cursor == nullptr || scroll->own_font == nullptr) {
        cursor_destroy(&scroll->cursor);
        if (scroll->own_font != nullptr) font_destroy(&scroll->own_font);
        std::free(scroll);
        return nullptr;
    }
    cursor_init(scroll->cursor, SCROLL_DEFAULT_LENGTH, 1);
    scroll->font = scroll->own_font;
    scroll->speed = 1;
    return scroll;
}

void scroll_setup(Scroll* scroll, const char* text, Font* font, Img* target) {
    if (scroll == nullptr || text == nullptr || font == nullptr || target == nullptr) {
        scroll_report();
        return;
    }
    const int32_t length = scroll_text_length(text);
    if (length == 0) {
        scroll_report();
        return;
    }
    // The new cursor comes first, so a failed allocation leaves the scroller as it was.
    Cursor* cursor = cursor_create();
    if (cursor == nullptr) {
        scroll_report();
        return;
    }
    cursor_init(cursor, length, 1);
    cursor_destroy(&scroll->cursor);
    scroll->cursor = cursor;
    scroll->text = text;
    scroll->x = 0;
    scroll->y = 0;
    scroll->width = target->width;
    // The caller's font replaces the placeholder, which nothing else can reach (unless
    // the caller handed the placeholder itself back: then it stays ours to free).
    if (scroll->own_font != nullptr && scroll->own_font != font) font_destroy(&scroll->own_font);
    scroll->font = font;
    scroll->target = target;
}

void scroll_update(Scroll* scroll) {
    if (scroll == nullptr || scroll->text == nullptr || scroll->cursor == nullptr || scroll->font == nullptr ||
        scroll->font->cell_width < 1 || scroll->cursor->length < 1) {
        scroll_report();
        return;
    }
    const int32_t offset = wrap_add(scroll->offset, scroll->speed);
    scroll->offset = cursor_carry(scroll->cursor, offset, scroll->font->cell_width);
}

void scroll_draw(Scroll* scroll) {
    if (scroll == nullptr || scroll->text == nullptr || scroll->cursor == nullptr || scroll->target == nullptr ||
        scroll->font == nullptr || scroll->font->cell_width < 1 ||
        !cursor_fits(scroll->cursor, scroll->text)) {
        scroll_report();
        return;
    }
    Font* font = scroll->font;
    Cursor* cursor = scroll->cursor;
    font->pen_x = wrap_sub(scroll->x, scroll->offset);
    font->pen_y = scroll->y;
    font->target = scroll->target;
    const int64_t count = scroll->width / font->cell_width + int64_t{2};
    cursor_walk(cursor, count, [&](int32_t i) {
        font->character = static_cast<int8_t>(scroll->text[i]);
        font_draw_char(font);
    });
}

void scroll_destroy(Scroll** scroll) {
    if (scroll == nullptr || *scroll == nullptr) {
        scroll_report();
        return;
    }
    cursor_destroy(&(*scroll)->cursor);
    // Only a scroller that was never set up still holds the placeholder font.
    if ((*scroll)->own_font != nullptr) font_destroy(&(*scroll)->own_font);
    std::free(*scroll);
    *scroll = nullptr;
}
