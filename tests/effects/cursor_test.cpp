#include <gtest/gtest.h>

#include "effects/cursor.h"

TEST(CursorAdvance, WrapsAnyStepIncludingHugeNegativeOnes) {
    // Past the end, many periods back, a position stored out of range, -2^31 = -85899346
    // x 25 + 2, a sum beyond int32; with no positions nothing moves.
    const struct { Cursor c; int32_t want; } cases[] = {{{5, 3, 4, 0}, 2}, {{5, -13, 1, 0}, 3},
        {{4, 0, -7, 0}, 1}, {{25, INT32_MIN, 0, 0}, 2}, {{INT32_MAX, INT32_MAX, INT32_MAX - 1, 0}, INT32_MAX - 1},
        {{0, 5, 3, 0}, 3}};
    for (auto [cursor, want] : cases) {
        cursor_advance(&cursor);
        EXPECT_EQ(cursor.position, want) << cursor.length << " " << cursor.step;
    }
}
