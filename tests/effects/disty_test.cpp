#include <gtest/gtest.h>

#include "common/sine_table.h"
#include "effects/disty.h"
#include "effects/effects_fixtures.h"

namespace {

// A strip whose column i is colour i + 1 from top to bottom.
void fill_columns(Img* img) {
    for (int32_t y = 0; y < img->height; ++y)
        for (int32_t x = 0; x < img->width; ++x) img_put_pixel(img, x, y, static_cast<uint32_t>(x + 1));
}

// Row of target column x where the copied source column begins (the row above differs).
int32_t first_row(const TestImg& t, int32_t x) {
    const int32_t h = t.img->height;
    for (int32_t y = 0; y < h; ++y)
        if (t.at(x, y) == static_cast<uint32_t>(x + 1) && t.at(x, (y + h - 1) % h) == 0) return y;
    return -1;
}

}  // namespace

TEST(Disty, ColumnsTakeSuccessiveTableIndicesAndStepMovesThePhase) {
    TestImg source(8, 4);
    fill_columns(source.img);
    TestImg target(8, 64);
    Disty* d = disty_create();
    EXPECT_EQ(d->cursor.increment, 16);
    d->source = source.img;
    d->amplitude = 4096;
    d->y = 32;
    d->cursor.step = -3;
    d->cursor.increment = 1;
    disty_draw(d, target.img);
    EXPECT_EQ(first_row(target, 0), 44);  // index 1: sine 201 -> 12
    for (int32_t i = 0; i < 8; ++i)
        EXPECT_EQ(first_row(target, i), (((sine_table.entries[i + 1] * 4096) >> 16) + 32) & 63) << i;

    disty_step(d);
    EXPECT_EQ(d->cursor.base, 1021);
    img_clear(target.img);
    disty_draw(d, target.img);
    EXPECT_EQ(first_row(target, 0), 19);  // index 1022: sine -201 -> -13
    disty_destroy(&d);
    EXPECT_EQ(d, nullptr);
}

TEST(Disty, ColumnsWrapVerticallyAndClipSideways) {
    TestImg source(6, 16);
    fill_columns(source.img);
    for (int32_t y : {28, -4}) {
        TestImg target(4, 32);
        Disty* d = disty_create();
        d->source = source.img;
        d->amplitude = 0;
        d->y = y;
        d->x = -3;  // source columns 3..5 land on target columns 0..2
        d->cursor.increment = 1;
        disty_draw(d, target.img);
        for (int32_t row = 0; row < 32; ++row)
            EXPECT_EQ(target.at(0, row), row >= 28 || row < 12 ? 4u : 0u) << y << " " << row;
        EXPECT_EQ(target.at(2, 0), 6u);
        EXPECT_EQ(target.at(3, 0), 0u);
        EXPECT_EQ(d->cursor.index, 6);  // hidden columns still advance the wave
        disty_destroy(&d);
    }
}
