#include <gtest/gtest.h>

#include <utility>

#include "common/fixed.h"
#include "common/sine_table.h"

TEST(SineTable, MarkedEntriesSymmetriesAndAnyIndex) {
    EXPECT_EQ(sine_table.length * 10000 + sine_table.mask, 1024 * 10000 + 1023);
    for (const auto& [k, v] : {std::pair{0, 0}, {129, 23312}, {183, 29535}, {255, 32766}, {512, 0}, {768, -32766}})
        EXPECT_EQ(sine_table.entries[k], v) << k;
    for (int k = 0; k < 256; ++k) EXPECT_EQ(sine_table.entries[256 + k], sine_table.entries[255 - k]) << k;
    for (int k = 0; k < 512; ++k) EXPECT_EQ(sine_table.entries[512 + k], -sine_table.entries[k]) << k;
    // The first quarter rises strictly: a transposed or mistyped entry breaks this.
    for (int k = 1; k < 256; ++k) EXPECT_GT(sine_table.entries[k], sine_table.entries[k - 1]) << k;
    EXPECT_EQ(sine_at(1024 + 129), 23312);
    EXPECT_EQ(sine_at(-768), sine_table.entries[256]);
    EXPECT_EQ(sine_at(INT32_MIN), 0);
}

TEST(Fixed, WrapArithmeticAndHelpers) {
    EXPECT_EQ(wrap_add(INT32_MAX, 1), INT32_MIN);
    EXPECT_EQ(wrap_sub(INT32_MIN, 1), INT32_MAX);
    EXPECT_EQ(wrap_mul(0x10000, 0x10000), 0);
    EXPECT_EQ(fix_to_int(-0x8000), -1);
    EXPECT_EQ(fix_from_int(-3), -0x30000);
    EXPECT_EQ(mul_shr(32767, 64, 15), 63);
    EXPECT_EQ(mul_shr(-32767, 64, 15), -64);
    EXPECT_EQ(mod_wrap(-1, 1024), 1023);
    EXPECT_EQ(mod_wrap(2048 + 5, 1024), 5);
    EXPECT_EQ(safe_div(INT32_MIN, -1), INT32_MIN);
    EXPECT_EQ(safe_rem(INT32_MIN, -1), 0);
    EXPECT_EQ(safe_div(-7, 2), -3);
    EXPECT_EQ(safe_rem(-7, 2), -1);
}
