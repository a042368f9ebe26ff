#include "effects/disty.h"
#include "image/image_fixtures.h"

// Source column x is solid cell_colour(x), 16 rows high; each case draws it into a target of
// 64 rows and finds, per column, the row where the copied column begins.
TEST(Disty, ColumnsTakeSuccessiveTableIndicesWrapVerticallyAndClipSideways) {
    const struct { int32_t source_w, target_w, x, y, amplitude, first_rows[4], shown; } cases[] = {
        // Indices 1, 2, 3, 4 (the cursor's increment is 1): sine 201 -> 12 rows, 402 -> 25, 603
        // -> 37, 804 -> 50; 32 + shift wraps at 64.
        {8, 8, 0, 32, 4096, {44, 57, 5, 18}, 8},
        // No wave: source columns 3..5 land on target columns 0..2, from row y wrapped.
        {6, 4, -3, 60, 0, {60, 60, 60, -1}, 3},
        {6, 4, -3, -4, 0, {60, 60, 60, -1}, 3},
    };
    for (const auto& c : cases) {
        TestFont columns(1, 16, c.source_w, 1);
        TestImg target(c.target_w, 64);
        Disty* d = disty_create();
        d->source = columns.font->sheet;
        d->cursor.increment = 1;
        d->cursor.step = -3;
        d->amplitude = c.amplitude;
        d->x = c.x;
        d->y = c.y;
        disty_draw(d, target.img);
        for (int32_t x = 0; x < 4; ++x) {
            const uint32_t colour = cell_colour(x - c.x);
            int32_t first = -1;
            for (int32_t y = 0; y < 64 && first < 0; ++y)
                if (target.at(x, y) == colour && target.at(x, (y + 63) % 64) != colour) first = y;
            EXPECT_EQ(first, c.first_rows[x]) << "x " << c.x << " y " << c.y << " column " << x;
        }
        EXPECT_EQ(target.lit(), 16 * c.shown);
        EXPECT_EQ(d->cursor.index, c.source_w);  // hidden columns still advance the wave
        disty_step(d);
        EXPECT_EQ(d->cursor.base, 1021);
        disty_destroy(&d);
    }
}
