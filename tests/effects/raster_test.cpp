#include <gtest/gtest.h>

#include <cstring>

#include "effects/effects_fixtures.h"
#include "effects/raster.h"

const char* const kError = "RASTER error\n";

TEST(Raster, RowsTakeTheEntryAtOffsetPlusRowAndBlend) {
    Raster* r = raster_create();
    ASSERT_EQ(r->count, 256);
    raster_resize(r, 4);
    for (uint32_t i = 0; i < 4; ++i) r->colours[i] = 0x100000u * (i + 1);
    r->offset = -1;  // a negative offset still lands inside the table
    TestImg t(3, 10);
    raster_draw(r, t.img);
    for (int32_t y = 0; y < 10; ++y) EXPECT_EQ(t.at(2, y), 0x100000u * static_cast<uint32_t>((y + 3) % 4 + 1)) << y;

    raster_resize(r, 3);  // resets offset and colours
    EXPECT_EQ(r->offset, 0);
    EXPECT_EQ(r->colours[0], 0u);
    for (int i = 0; i < 3; ++i) raster_advance(r);
    EXPECT_EQ(r->offset, 0);

    raster_resize(r, 1);  // blending mixes channels with a clamped alpha
    r->colours[0] = 0x804020;
    img_put_pixel(t.img, 0, 0, 0xFF0010);
    raster_draw_blend(r, t.img, 128);
    EXPECT_EQ(t.at(0, 0), 0xBF2018u);  // (255 * 128 + 128 * 128) >> 8 = 191, ...
    raster_draw_blend(r, t.img, 100000);
    EXPECT_EQ(t.at(0, 0), 0x804020u);
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

TEST(Raster, SmoothAveragesEachChannelWrappingAndMirroringAtTheStart) {
    Raster* r = raster_create();
    raster_resize(r, 7);
    const uint32_t table[7] = {0xFF0000, 0x00FF00, 0x0000FF, 0x804020, 0xFFFFFF, 0, 0x102030};
    // Radius 1: entry 0 counts entry 1 twice (|0 - 1| = 1); 23 wraps the table three times.
    const struct { int32_t radius; uint32_t want[7]; } cases[] = {
        {1, {0x7F7F00, 0x3F7F3F, 0x204F87, 0x7F5F8F, 0x9F8F87, 0x43474B, 0x471018}},
        {3, {0x5F4F47, 0x4F8763, 0x4F6763, 0x61534D, 0x716B69, 0x514B49, 0x534F4F}},
        {23, {0x5C5654, 0x595D4F, 0x5F575A, 0x5C5955, 0x5F5D5A, 0x5F5755, 0x5A5850}}};
    for (const auto& c : cases) {
        std::memcpy(r->colours, table, sizeof(table));
        raster_smooth(r, c.radius);
        for (int32_t i = 0; i < 7; ++i) EXPECT_EQ(r->colours[i], c.want[i]) << c.radius << " " << i;
    }
    for (int i = 0; i < 7; ++i) r->colours[i] = 0x336699;
    raster_smooth(r, INT32_MAX);  // no long loop; a flat table stays flat
    EXPECT_EQ(r->colours[6], 0x336699u);

    Raster* copy = raster_clone(r);
    EXPECT_NE(copy->colours, r->colours);
    EXPECT_EQ(copy->colours[3], 0x336699u);
    raster_destroy(&copy);
    raster_destroy(&r);
}
