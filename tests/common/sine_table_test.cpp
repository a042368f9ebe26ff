#include <gtest/gtest.h>

#include <iterator>
#include <utility>
#include <vector>

#include "common/fixed.h"
#include "common/sine_table.h"

TEST(SineTable, MarkedEntriesSymmetriesAndAnyIndex) {
    for (const auto& [k, v] : {std::pair{0, 0}, {129, 23312}, {183, 29535}, {255, 32766}, {512, 0}, {768, -32766}})
        EXPECT_EQ(sine_table.entries[k], v) << k;
    for (int k = 0; k < 256; ++k) EXPECT_EQ(sine_table.entries[256 + k], sine_table.entries[255 - k]) << k;
    for (int k = 0; k < 512; ++k) EXPECT_EQ(sine_table.entries[512 + k], -sine_table.entries[k]) << k;
    // The first quarter rises strictly: a transposed or mistyped entry breaks this.
    for (int k = 1; k < 256; ++k) EXPECT_GT(sine_table.entries[k], sine_table.entries[k - 1]) << k;
    EXPECT_EQ(std::vector({sine_at(1024 + 129), sine_at(-768), sine_at(INT32_MIN)}), std::vector({23312, 32766, 0}));
}

TEST(Fixed, WrapArithmeticAndHelpers) {
    const std::pair<int32_t, int32_t> got_want[] = {
        {wrap_add(INT32_MAX, 1), INT32_MIN}, {wrap_sub(INT32_MIN, 1), INT32_MAX}, {wrap_mul(0x10000, 0x10000), 0},
        {fix_to_int(-0x8000), -1}, {fix_from_int(-3), -0x30000}, {mul_shr(32767, 64, 15), 63},
        {mul_shr(-32767, 64, 15), -64}, {mod_wrap(-1, 1024), 1023}, {mod_wrap(2048 + 5, 1024), 5},
        {safe_div(INT32_MIN, -1), INT32_MIN}, {safe_rem(INT32_MIN, -1), 0}, {safe_div(-7, 2), -3},
        {safe_rem(-7, 2), -1}, {safe_div(5, 0), 0}, {safe_rem(5, 0), 0}};
    for (size_t i = 0; i < std::size(got_want); ++i) EXPECT_EQ(got_want[i].first, got_want[i].second) << "case " << i;
}
