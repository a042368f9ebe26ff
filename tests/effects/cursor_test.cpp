#include <gtest/gtest.h>

#include "effects/cursor.h"

TEST(CursorAdvance, MatchesTheLoopedWrapAndHandlesHugeSteps) {
    for (int32_t length = 1; length <= 6; ++length)
        for (int32_t start = -8; start < 12; ++start)  // also positions stored out of range
            for (int32_t step = -30; step <= 30; ++step) {
                int32_t want = start + step;
                while (want >= length) want -= length;
                while (want < 0) want += length;
                Cursor cursor{length, step, start, 0};
                cursor_advance(&cursor);
                ASSERT_EQ(cursor.position, want) << length << " " << start << " " << step;
            }
    // -2^31 = -85899346 x 25 + 2; a sum beyond int32; no positions: nothing moves.
    const struct { Cursor c; int32_t want; } cases[] = {
        {{25, INT32_MIN, 0, 0}, 2}, {{INT32_MAX, INT32_MAX, INT32_MAX - 1, 0}, INT32_MAX - 1}, {{0, 5, 3, 0}, 3}};
    for (auto [cursor, want] : cases) {
        cursor_advance(&cursor);
        EXPECT_EQ(cursor.position, want) << cursor.length;
    }
}

TEST(CursorSet, TruncatesAndWrapsForReading) {
    Cursor* cursor = cursor_create();
    EXPECT_EQ(cursor->length, 16);
    cursor_init(cursor, 25, 1);
    EXPECT_EQ(cursor_set(cursor, 53), 2);
    EXPECT_EQ(cursor->position, 3);
    EXPECT_EQ(cursor_set(cursor, INT32_MIN), -85899345);
    EXPECT_EQ(cursor->position, -23);
    EXPECT_EQ(cursor_index(cursor), 2);
    cursor->length = 0;  // no positions: refused
    EXPECT_EQ(cursor_set(cursor, 7), 0);
    cursor_destroy(&cursor);
    EXPECT_EQ(cursor, nullptr);
}

TEST(CursorCarry, ExactNegativeMultipleAndTheStepBeyondInt32) {
    Cursor cursor{25, 1, 2, 0};
    EXPECT_EQ(cursor_carry(&cursor, -64, 64), 64);  // two back, a whole unit left
    EXPECT_EQ(cursor.position, 0);
    EXPECT_EQ(cursor_carry(&cursor, 64, 64), 0);
    EXPECT_EQ(cursor.position, 1);
    cursor = Cursor{25, 1, 0, 0};
    EXPECT_EQ(cursor_carry(&cursor, INT32_MIN, 1), 1);  // step -2^31 - 1
    EXPECT_EQ(cursor.position, 1);                       // (-2^31 - 1) mod 25
}
