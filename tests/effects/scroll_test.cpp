#include "effects/scroll.h"
#include "image/image_fixtures.h"

namespace {

// A scroller over text with g x 1 glyphs (glyph c is solid cell_colour(c)) into a target
// of the given width, one row high.
struct Rig {
    TestFont glyphs;
    TestImg target;
    Scroll* scroll = scroll_create();
    Rig(const char* text, int32_t g, int32_t width) : glyphs(g, 1, 16, 8), target(width, 1) {
        scroll_setup(scroll, text, glyphs.font, target.img);
    }
    ~Rig() { scroll_destroy(&scroll); }  // the font and target stay ours
};

}  // namespace

TEST(ScrollUpdate, OffsetCarriesWholeGlyphsIntoTheCursor) {
    // 25 glyphs of 4 pixels: (position, offset) += speed, whole glyphs into the cursor.
    const struct { int32_t position, offset, speed, want_position, want_offset; } cases[] = {
        {0, 0, 3, 0, 3},    {0, 3, 6, 2, 1},   {0, 4, 0, 1, 0},  {0, 0, -1, 24, 3},
        {2, 0, -4, 0, 4},  // exactly one glyph back: two back with a whole glyph of offset
        {24, INT32_MAX, INT32_MAX, 23, 2}};  // the sum wraps to -2: no overflow
    Rig rig("ABCDEFGHIJKLMNOPQRSTUVWXY", 4, 12);
    Scroll* s = rig.scroll;
    for (const auto& c : cases) {
        s->cursor->position = c.position;
        s->offset = c.offset;
        s->speed = c.speed;
        scroll_update(s);
        EXPECT_EQ(s->cursor->position, c.want_position) << c.speed;
        EXPECT_EQ(s->offset, c.want_offset) << c.speed;
    }
}

TEST(ScrollDraw, ShortTextRepeatsCursorRestoredAndBadTextsRefused) {
    Rig rig("abc", 2, 16);
    Scroll* s = rig.scroll;
    s->width = 10;  // 10 / 2 + 2 = 7 glyphs, not a whole number of texts
    s->cursor->position = 1;
    s->offset = 1;
    scroll_draw(s);
    EXPECT_EQ(shown(rig.target.img), "bccaabbccaabb...");
    EXPECT_EQ(s->cursor->position, 1);

    s->cursor->position = -1;  // stored out of range: read wrapped, never before the text
    s->offset = 0;
    scroll_draw(s);
    EXPECT_EQ(shown(rig.target.img).substr(0, 4), "ccaa");
    EXPECT_EQ(printed([&] { scroll_setup(s, "", rig.glyphs.font, rig.target.img); }, scroll_debug),
              "SCROLL error\n");
    EXPECT_EQ(s->cursor->length, 3);
    s->text = "ab";  // shorter than the cursor: refused rather than read past its end
    EXPECT_EQ(printed([&] { scroll_draw(s); }, scroll_debug), "SCROLL error\n");
}
