#include <gtest/gtest.h>

#include <cstring>

#include "effects/effects_fixtures.h"
#include "effects/raster.h"

namespace {

const char* const kError = "RASTER error\n";

// The smoothing rule term by term, to compare the prefix-sum version against.
uint32_t smooth_entry(const uint32_t* in, int32_t n, int32_t i, int32_t radius) {
    uint32_t out = 0;
    for (int shift : {16, 8, 0}) {
        int64_t sum = 2 * ((in[i] >> shift) & 0xFF);
        for (int32_t k = 1; k <= radius; ++k)
            sum += ((in[(i + k) % n] >> shift) & 0xFF) + ((in[(i > k ? i - k : k - i) % n] >> shift) & 0xFF);
        out |= static_cast<uint32_t>(sum / (2 * (radius + 1))) << shift;
    }
    return out;
}

}  // namespace

TEST(Raster, RowsTakeTheEntryAtOffsetPlusRow) {
    Raster* r = raster_create();
    ASSERT_EQ(r->count, 256);
    raster_resize(r, 4);
    for (uint32_t i = 0; i < 4; ++i) r->colours[i] = 0x100000u * (i + 1);
    TestImg t(3, 10);
    raster_draw(r, t.img);
    for (int32_t y = 0; y < 10; ++y) EXPECT_EQ(t.at(2, y), 0x100000u * static_cast<uint32_t>(y % 4 + 1)) << y;

    raster_resize(r, 256);
    r->colours[0] = 0x00FF00;
    r->colours[255] = 0x0000FF;
    r->offset = 3;
    TestImg frame(8, 256);
    raster_draw(r, frame.img);
    EXPECT_EQ(frame.at(5, 253), 0x00FF00u);
    EXPECT_EQ(frame.at(5, 252), 0x0000FFu);
    r->offset = -1;  // a negative offset still lands inside the table
    raster_draw(r, frame.img);
    EXPECT_EQ(frame.at(0, 0), 0x0000FFu);

    raster_resize(r, 3);  // resets offset and colours
    EXPECT_EQ(r->offset, 0);
    EXPECT_EQ(r->colours[0], 0u);
    raster_advance(r);
    raster_advance(r);
    raster_advance(r);
    EXPECT_EQ(r->offset, 0);
    raster_destroy(&r);
    EXPECT_EQ(r, nullptr);
}

TEST(Raster, EveryFailedCallPrintsAndChangesNothing) {
    Raster* r = raster_create();
    uint32_t* table = r->colours;
    EXPECT_EQ(printed_by([&] { raster_resize(r, 0); }), kError);
    EXPECT_EQ(r->count, 256);
    EXPECT_EQ(r->colours, table);
    EXPECT_EQ(printed_by([&] { raster_draw(r, nullptr); }), kError);
    EXPECT_EQ(printed_by([&] { raster_smooth(r, 0); }), kError);
    EXPECT_EQ(printed_by([] { raster_advance(nullptr); }), kError);
    EXPECT_EQ(printed_by([] { raster_destroy(nullptr); }), kError);
    std::free(r->colours);  // a missing table makes drawing fail
    r->colours = nullptr;
    TestImg t(2, 2);
    EXPECT_EQ(printed_by([&] { raster_draw(r, t.img); }), kError);
    EXPECT_EQ(printed_by([&] { raster_destroy(&r); }), "");
}

TEST(Raster, SmoothFollowsTheRuleForAnyRadius) {
    Raster* r = raster_create();
    raster_resize(r, 7);
    const uint32_t table[7] = {0xFF0000, 0x00FF00, 0x0000FF, 0x804020, 0xFFFFFF, 0, 0x102030};
    for (int32_t radius : {1, 3, 23}) {  // 23 wraps the table three times
        std::memcpy(r->colours, table, sizeof(table));
        raster_smooth(r, radius);
        for (int32_t i = 0; i < 7; ++i) ASSERT_EQ(r->colours[i], smooth_entry(table, 7, i, radius)) << radius;
    }
    std::memcpy(r->colours, table, sizeof(table));
    raster_smooth(r, 1);
    EXPECT_EQ(r->colours[0], 0x7F7F00u);  // entry 1 counts twice: |0 - 1| = 1
    for (int i = 0; i < 7; ++i) r->colours[i] = 0x336699;
    raster_smooth(r, INT32_MAX);  // no long loop; a flat table stays flat
    EXPECT_EQ(r->colours[6], 0x336699u);

    Raster* copy = raster_clone(r);
    EXPECT_NE(copy->colours, r->colours);
    EXPECT_EQ(copy->colours[3], 0x336699u);
    raster_destroy(&copy);
    raster_destroy(&r);
}

TEST(Raster, BlendMixesChannelsWithAClampedAlpha) {
    Raster* r = raster_create();
    raster_resize(r, 1);
    r->colours[0] = 0x804020;
    TestImg t(1, 1);
    img_put_pixel(t.img, 0, 0, 0xFF0010);
    raster_draw_blend(r, t.img, 128);
    EXPECT_EQ(t.at(0, 0), 0xBF2018u);  // (255 * 128 + 128 * 128) >> 8 = 191, ...
    raster_draw_blend(r, t.img, 100000);
    EXPECT_EQ(t.at(0, 0), 0x804020u);
    raster_destroy(&r);
}
