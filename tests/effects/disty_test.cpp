#include <gtest/gtest.h>

#include "effects/disty.h"
#include "effects/effects_fixtures.h"

namespace {

// A strip whose column i is colour i + 1 from top to bottom, and a distorter over it.
struct Rig {
    TestImg source;
    Disty* d = disty_create();
    Rig(int32_t w, int32_t h) : source(w, h) {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) img_put_pixel(source.img, x, y, static_cast<uint32_t>(x + 1));
        d->source = source.img;
        d->cursor.increment = 1;
    }
    ~Rig() { disty_destroy(&d); }
};

// Row of target column x where the copied source column begins (the row above differs).
int32_t first_row(const TestImg& t, int32_t x) {
    const int32_t h = t.img->height;
    for (int32_t y = 0; y < h; ++y)
        if (t.at(x, y) == static_cast<uint32_t>(x + 1) && t.at(x, (y + h - 1) % h) == 0) return y;
    return -1;
}

}  // namespace

TEST(Disty, ColumnsTakeSuccessiveTableIndicesAndStepMovesTheBase) {
    Rig rig(8, 4);
    TestImg target(8, 64);
    rig.d->amplitude = 4096;
    rig.d->y = 32;
    rig.d->cursor.step = -3;
    disty_draw(rig.d, target.img);
    // Indices 1, 2, 3 and 8: sine 201 -> 12 rows, 402 -> 25, ...; 32 + shift wraps at 64.
    for (auto [x, row] : {std::pair{0, 44}, {1, 57}, {2, 5}, {7, 4}}) EXPECT_EQ(first_row(target, x), row) << x;
    disty_step(rig.d);
    EXPECT_EQ(rig.d->cursor.base, 1021);
}

TEST(Disty, ColumnsWrapVerticallyAndClipSideways) {
    for (int32_t y : {28, -4}) {
        Rig rig(6, 16);
        TestImg target(4, 32);
        rig.d->amplitude = 0;
        rig.d->y = y;
        rig.d->x = -3;  // source columns 3..5 land on target columns 0..2
        disty_draw(rig.d, target.img);
        for (int32_t row = 0; row < 32; ++row)
            EXPECT_EQ(target.at(0, row), row >= 28 || row < 12 ? 4u : 0u) << y << " " << row;
        EXPECT_EQ(target.at(2, 0), 6u);
        EXPECT_EQ(target.at(3, 0), 0u);
        EXPECT_EQ(rig.d->cursor.index, 6);  // hidden columns still advance the wave
    }
}
