#include <gtest/gtest.h>

#include <vector>

#include "effects/cursorx.h"

TEST(CursorX, StepNextSetAndCopyReduceIntoThePeriodOrFreezeWithoutOne) {
    // {length, index, base, step, offset, increment}: forward past the end, backward below 0,
    // many periods at once, a base at the limit; with a length of 0 or below index and base
    // stay as they are.
    const struct { CursorX c; int32_t base, index; } steps[] = {{{1024, 0, 1023, 3, 0, 1}, 2, 2},
        {{1024, 0, 0, -3, 10, 1}, 1021, 7}, {{1000, 0, 0, INT32_MIN, 0, 0}, 352, 352},
        {{1024, 0, INT32_MAX, 1, 0, 0}, 0, 0}, {{0, 77, 33, 4, 9, 2}, 33, 77}, {{-5, 77, 33, 4, 9, 2}, 33, 77}};
    for (auto [c, base, index] : steps) {
        cursorx_step(&c);
        EXPECT_EQ(c.base, base) << c.length << " " << c.step;
        EXPECT_EQ(c.index, index) << c.length << " " << c.step;
        if (c.length <= 0) {
            EXPECT_EQ(cursorx_next(&c) * 1000 + cursorx_set_offset(&c, 500), 77077);
        }
    }
    CursorX* c = cursorx_create();
    c->offset = 3;
    EXPECT_EQ(cursorx_set_base(c, -1), 2);  // base 1023, index (1023 + 3) reduced
    EXPECT_EQ(cursorx_reset(c, 5), 5);      // offset 0 first
    cursorx_set_length(c, 4);               // re-applies the base: 5 rem 4
    cursorx_set_length(c, -1);              // ignored
    CursorX* twin = cursorx_clone(c);
    CursorX other{0, 9, 0, 0, 0, 0};
    cursorx_copy(c, &other);  // the index is neither cloned nor copied
    EXPECT_EQ(std::vector<int32_t>({c->length, c->base, c->offset, twin->index, twin->base, other.base, other.index}),
              std::vector<int32_t>({4, 1, 0, 0, 1, 1, 9}));
    cursorx_set(c, 1024, 0, 1, 0, -1);
    EXPECT_EQ(cursorx_next(c), 1023);
    EXPECT_EQ(cursorx_set_offset(c, 2048 + 5), 5);
    cursorx_destroy(&twin);
    cursorx_destroy(&c);
}
