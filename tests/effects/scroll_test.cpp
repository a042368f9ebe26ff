#include <gtest/gtest.h>

#include <string>

#include "effects/scroll.h"

namespace {

// A scroller over text with g x 1 glyphs (every pixel of glyph c is c + 1) into a
// target of the given width.
struct Rig {
    Font* font = font_create();
    Img* target = img_create();
    Scroll* scroll = scroll_create();
    Rig(const char* text, int32_t g, int32_t width) {
        font->sheet = img_create();
        img_resize(font->sheet, 16 * g, 8);
        for (int32_t y = 0; y < 8; ++y)
            for (int32_t x = 0; x < 16 * g; ++x) img_put_pixel(font->sheet, x, y, y * 16 + x / g + 1);
        font->cell_width = g;
        font->cell_height = 1;
        img_resize(target, width, 1);
        scroll_setup(scroll, text, font, target);
    }
    ~Rig() {
        scroll_destroy(&scroll);  // the font and target stay ours: freed below, once
        font_destroy(&font);
        img_destroy(&target);
    }
    std::string shown() const {
        std::string row;
        for (int32_t x = 0; x < target->width; ++x) {
            const uint32_t p = img_get_pixel(target, x, 0);
            row += p == 0 ? '.' : static_cast<char>(p - 1);
        }
        return row;
    }
};

}  // namespace

TEST(ScrollUpdate, OffsetCarriesWholeGlyphsIntoTheCursor) {
    Rig rig("ABCDEFGHIJKLMNOPQRSTUVWXY", 64, 256);
    Scroll* s = rig.scroll;
    s->speed = 6;
    for (int i = 0; i < 10; ++i) scroll_update(s);
    EXPECT_EQ(s->cursor->position, 0);
    scroll_update(s);  // offset 66
    EXPECT_EQ(s->cursor->position, 1);
    EXPECT_EQ(s->offset, 2);

    s->cursor->position = 0;
    s->offset = 0;
    s->speed = -1;
    scroll_update(s);
    EXPECT_EQ(s->cursor->position, 24);
    EXPECT_EQ(s->offset, 63);

    s->offset = s->speed = INT32_MAX;  // wraps to -2: one glyph back, no overflow
    scroll_update(s);
    EXPECT_EQ(s->cursor->position, 23);
    EXPECT_EQ(s->offset, 62);
}

TEST(ScrollUpdate, ExactlyMinusOneGlyphDrawsAsOneGlyphBack) {
    Rig rig("ABCDE", 4, 12);
    Scroll* s = rig.scroll;
    s->cursor->position = 2;
    s->speed = -4;
    scroll_update(s);
    EXPECT_EQ(s->cursor->position, 0);
    EXPECT_EQ(s->offset, 4);
    scroll_draw(s);
    EXPECT_EQ(rig.shown(), "BBBBCCCCDDDD");
    s->speed = 0;
    scroll_update(s);
    EXPECT_EQ(s->cursor->position, 1);
    EXPECT_EQ(s->offset, 0);
}

TEST(ScrollDraw, ShortTextRepeatsAndTheCursorIsRestored) {
    Rig rig("abc", 2, 16);
    Scroll* s = rig.scroll;
    s->width = 8;  // 8 / 2 + 2 = 6 glyphs
    s->cursor->position = 1;
    s->offset = 1;
    scroll_draw(s);
    EXPECT_EQ(rig.shown(), "bccaabbccaa.....");
    EXPECT_EQ(s->cursor->position, 1);
    EXPECT_EQ(rig.font->pen_x, 11);

    s->cursor->position = -1;  // stored out of range: read wrapped, never before the text
    s->offset = 0;
    scroll_draw(s);
    EXPECT_EQ(rig.shown().substr(0, 4), "ccaa");
    s->text = "ab";  // shorter than the cursor: refused rather than read past its end
    scroll_debug = 1;
    testing::internal::CaptureStdout();
    scroll_draw(s);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "SCROLL error\n");
    scroll_debug = 0;
}

TEST(ScrollSetup, KeepsSpeedAndOffsetRefusesEmptyTextAndDropsThePlaceholderFont) {
    Rig rig("HELLO", 4, 40);
    Scroll* fresh = scroll_create();
    EXPECT_EQ(fresh->cursor->length, 25);
    fresh->speed = -7;
    fresh->offset = 3;
    scroll_setup(fresh, "HELLO", rig.font, rig.target);  // a kept placeholder fails the leak check
    EXPECT_EQ(fresh->font, rig.font);
    EXPECT_EQ(fresh->width, 40);
    EXPECT_EQ(fresh->speed, -7);
    EXPECT_EQ(fresh->offset, 3);
    scroll_debug = 1;
    testing::internal::CaptureStdout();
    scroll_setup(fresh, "", rig.font, rig.target);
    scroll_debug = 0;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "SCROLL error\n");
    EXPECT_EQ(fresh->cursor->length, 5);
    scroll_destroy(&fresh);
    EXPECT_EQ(fresh, nullptr);
}
