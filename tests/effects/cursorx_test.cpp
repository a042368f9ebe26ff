#include <gtest/gtest.h>

#include "effects/cursorx.h"

namespace {

CursorX make(int32_t length, int32_t base, int32_t step, int32_t offset, int32_t increment) {
    CursorX c{};
    cursorx_set(&c, length, base, step, offset, increment);
    return c;
}

}  // namespace

TEST(CursorX, StepAndNextReduceIntoThePeriod) {
    // Forward past the end, backward below 0, many periods at once, a base at the limit.
    const struct { CursorX c; int32_t base, index; } steps[] = {{make(1024, 1023, 3, 0, 1), 2, 2},
        {make(1024, 0, -3, 10, 1), 1021, 7}, {make(1000, 0, INT32_MIN, 0, 0), 352, 352},
        {{1024, 0, INT32_MAX, 1, 0, 0}, 0, 0}};
    for (auto [c, base, index] : steps) {
        cursorx_step(&c);
        EXPECT_EQ(c.base, base) << c.step;
        EXPECT_EQ(c.index, index) << c.step;
    }
    CursorX c = make(1024, 0, 1, 0, -1);
    EXPECT_EQ(cursorx_next(&c), 1023);
    EXPECT_EQ(cursorx_set_offset(&c, 2048 + 5), 5);
    c = make(1024, 0, 1, INT32_MAX, 1);
    EXPECT_EQ(cursorx_next(&c), 0);  // the offset wraps to INT32_MIN
}

TEST(CursorX, LengthZeroOrBelowFreezesIndexAndBase) {
    for (int32_t length : {0, -5}) {
        CursorX c{length, 77, 33, 4, 9, 2};
        cursorx_step(&c);
        EXPECT_EQ(cursorx_next(&c), 77);
        EXPECT_EQ(cursorx_set_offset(&c, 500), 77);
        EXPECT_EQ(cursorx_set_base(&c, 12), 77);
        EXPECT_EQ(c.base, 33);
        EXPECT_EQ(c.offset, 500);
    }
}

TEST(CursorX, SetBaseLengthResetAndClone) {
    CursorX c = make(1024, 0, 1, 10, 1);
    EXPECT_EQ(cursorx_set_base(&c, -1), 9);
    EXPECT_EQ(cursorx_set_base(&c, -2048), 10);
    EXPECT_EQ(c.base, 1024);  // length is added to a negative value's remainder, even to 0
    EXPECT_EQ(cursorx_reset(&c, 300), 300);
    cursorx_set_length(&c, -1);
    EXPECT_EQ(c.length, 1024);
    cursorx_set_length(&c, 128);
    EXPECT_EQ(c.base, 44);
    CursorX* twin = cursorx_clone(&c);
    EXPECT_EQ(twin->index, 0);  // everything but the index
    EXPECT_EQ(twin->base, 44);
    cursorx_destroy(&twin);
    EXPECT_EQ(twin, nullptr);
}
