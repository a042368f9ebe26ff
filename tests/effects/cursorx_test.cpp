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
}

TEST(CursorX, LengthZeroOrBelowFreezesIndexAndBase) {
    for (int32_t length : {0, -5}) {
        CursorX c{length, 77, 33, 4, 9, 2};
        cursorx_step(&c);
        EXPECT_EQ(cursorx_next(&c), 77);
        EXPECT_EQ(cursorx_set_offset(&c, 500), 77);
        EXPECT_EQ(c.base, 33);
    }
}

TEST(CursorX, BaseLengthResetCopyAndClone) {
    CursorX* c = cursorx_create();
    EXPECT_EQ(c->length, 1024);
    EXPECT_EQ(c->increment, 2);
    c->offset = 3;
    EXPECT_EQ(cursorx_set_base(c, -1), 2);  // base 1023, index (1023 + 3) reduced
    EXPECT_EQ(c->base, 1023);
    EXPECT_EQ(cursorx_reset(c, 5), 5);
    EXPECT_EQ(c->offset, 0);
    cursorx_set_length(c, 4);  // re-applies the base: 5 rem 4
    EXPECT_EQ(c->base, 1);
    cursorx_set_length(c, -1);  // ignored
    EXPECT_EQ(c->length, 4);
    CursorX* twin = cursorx_clone(c);
    EXPECT_EQ(twin->index, 0);
    EXPECT_EQ(twin->base, 1);
    CursorX other{};
    cursorx_copy(c, &other);
    EXPECT_EQ(other.length, 4);
    EXPECT_EQ(other.index, 0);  // the index is not copied
    cursorx_destroy(&twin);
    cursorx_destroy(&c);
    EXPECT_EQ(c, nullptr);
}
