#include "effects/scroll.h"
#include "image/image_fixtures.h"

TEST(ScrollUpdate, OffsetCarriesWholeGlyphsIntoTheCursor) {
    // 25 glyphs of 4 pixels: (position, offset) += speed, whole glyphs into the cursor.
    const struct { int32_t position, offset, speed, want_position, want_offset; } cases[] = {
        {0, 0, 3, 0, 3},    {0, 3, 6, 2, 1},   {0, 4, 0, 1, 0},  {0, 0, -1, 24, 3},
        {2, 0, -4, 0, 4},  // exactly one glyph back: two back with a whole glyph of offset
        {24, INT32_MAX, INT32_MAX, 23, 2}};  // the sum wraps to -2: no overflow
    TestFont glyphs(4, 1, 16, 8);  // glyph c is solid cell_colour(c)
    TestImg target(12, 1);
    Scroll* s = scroll_create();
    scroll_setup(s, "ABCDEFGHIJKLMNOPQRSTUVWXY", glyphs.font, target.img);
    for (const auto& c : cases) {
        s->cursor->position = c.position;
        s->offset = c.offset;
        s->speed = c.speed;
        scroll_update(s);
        EXPECT_EQ(s->cursor->position, c.want_position) << c.speed;
        EXPECT_EQ(s->offset, c.want_offset) << c.speed;
    }
    scroll_destroy(&s);  // the font and target stay ours
}

TEST(ScrollDraw, ShortTextRepeatsCursorRestoredAndBadTextsRefused) {
    TestFont glyphs(2, 1, 16, 8);
    TestImg target(16, 1);
    Scroll* s = scroll_create();
    scroll_setup(s, "abc", glyphs.font, target.img);
    s->width = 10;  // 10 / 2 + 2 = 7 glyphs, not a whole number of texts
    s->cursor->position = 1;
    s->offset = 1;
    scroll_draw(s);
    EXPECT_EQ(shown(target.img), "bccaabbccaabb...");
    EXPECT_EQ(s->cursor->position, 1);

    s->cursor->position = -1;  // stored out of range: read wrapped, never before the text
    s->offset = 0;
    scroll_draw(s);
    EXPECT_EQ(shown(target.img).substr(0, 4), "ccaa");
    EXPECT_EQ(printed([&] { scroll_setup(s, "", glyphs.font, target.img); }, scroll_debug),
              "SCROLL error\n");
    EXPECT_EQ(s->cursor->length, 3);
    s->text = "ab";  // shorter than the cursor: refused rather than read past its end
    EXPECT_EQ(printed([&] { scroll_draw(s); }, scroll_debug), "SCROLL error\n");
    scroll_destroy(&s);
}
