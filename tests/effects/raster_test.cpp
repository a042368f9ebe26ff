#include <vector>

#include "effects/raster.h"
#include "image/image_fixtures.h"

TEST(Raster, RowsTakeTheEntryAtOffsetPlusRowTheTableAdvancesClonesSmoothsAndBlends) {
    Raster* r = raster_create();
    raster_resize(r, 4);
    for (uint32_t i = 0; i < 4; ++i) r->colours[i] = 0x100000u * (i + 1);
    r->offset = -1;  // a negative offset still lands inside the table
    TestImg t(19, 10);  // rows of a whole cache line and a tail
    raster_draw(r, t.img);
    for (auto [y, entry] : {std::pair{0, 3u}, {1, 0u}, {9, 0u}, {7, 2u}})
        for (int32_t x : {0, 15, 16, 18}) EXPECT_EQ(t.at(x, y), 0x100000u * (entry + 1)) << x << " " << y;

    raster_resize(r, 4);  // black again, offset 0
    r->colours[1] = 8;    // blue
    for (int i = 0; i < 5; ++i) raster_advance(r);
    EXPECT_EQ(r->offset, 1);  // wraps at the count
    Raster* copy = raster_clone(r);
    EXPECT_EQ(copy->offset, 0);
    raster_smooth(copy, 1);  // (2 e[i] + e[i+1] + e[|i-1|]) / 4 per channel
    EXPECT_EQ(std::vector<uint32_t>(copy->colours, copy->colours + 4), (std::vector<uint32_t>{4, 4, 2, 0}));
    copy->colours[0] = 0x0000FF;
    TestImg dot(1, 1);
    img_put_pixel(dot.img, 0, 0, 0x00FF00);
    raster_draw_blend(copy, dot.img, 128);  // half of each
    EXPECT_EQ(dot.at(0, 0), 0x007F7Fu);

    testing::internal::CaptureStdout();
    raster_resize(copy, 0);  // refused: the table stays
    raster_smooth(copy, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "RASTER error\nRASTER error\n");
    EXPECT_EQ(copy->count, 4);
    raster_destroy(&copy);
    raster_destroy(&r);
}
