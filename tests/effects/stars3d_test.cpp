#include "common/rng.h"
#include "effects/stars3d.h"
#include "image/image_fixtures.h"

namespace {

Star3D at(int32_t x, int32_t y, int32_t z) { return {x * 65536, y * 65536, z * 65536}; }

}  // namespace

TEST(Stars3D, LeaversReenterFarPointsProjectOntoDepthCellsNearestOnTopPlotGreys) {
    TestFont cells(4, 4, 8, 1);  // eight 4 x 4 depth cells
    TestImg target(256, 256);
    Stars3D* s = stars3d_create();  // a 256 x 256 x 256 box
    stars3d_set_count(s, 2);
    s->font = cells.font;
    s->stars[0] = {5 << 16, 6 << 16, 0x20000};  // 2.0 - 3.0: behind the viewer
    s->stars[1] = at(7, 8, 100);
    rng_srand(404);
    stars3d_move(s);
    rng_srand(404);
    EXPECT_EQ(s->stars[0].x, (rng_rand() % 256) << 16);
    EXPECT_EQ(s->stars[0].y, (rng_rand() % 256) << 16);
    EXPECT_EQ(s->stars[0].z, (256 - rng_rand() % 16) << 16);
    EXPECT_EQ(s->stars[1].z, 97 << 16);

    stars3d_set_count(s, 1);
    // The pen is the cell's top-left; d = 256 + pz, x' = 128 + (x - 128) * 256 / d, cell
    // 7 - (d AND 0xE0) / 32. On the axis a point is at the centre for any depth.
    const struct { int32_t x, pz, sx, cell; } cases[] = {
        {200, 0, 200, 7}, {200, 256, 164, 7}, {128, 31, 128, 7}, {128, 32, 128, 6}, {128, 100, 128, 4},
        {128, 224, 128, 0}, {128, 255, 128, 0}};
    for (const auto& c : cases) {
        img_clear(target.img);
        s->stars[0] = at(c.x, 128, c.pz);
        stars3d_draw(s, target.img);
        EXPECT_EQ(target.at(c.sx, 128), cell_colour(c.cell)) << c.x << " " << c.pz;
        EXPECT_EQ(target.at(c.sx - 1, 128), 0u) << c.x << " " << c.pz;
    }
    img_clear(target.img);
    s->depth = 16;
    stars3d_set_count(s, 3);
    s->stars[0] = at(128, 128, 10);   // d = 26: cell 7
    s->stars[1] = at(128, 128, 100);  // the same pen, d = 116 AND 0xE0 = 96: cell 4, drawn first
    s->stars[2] = at(10, 10, -16);    // depth + pz = 0: skipped
    stars3d_draw(s, target.img);
    EXPECT_EQ(target.at(129, 129), cell_colour(7));
    EXPECT_EQ(target.lit(), 16);  // nothing of the skipped point
    img_clear(target.img);
    s->depth = 256;
    stars3d_set_count(s, 1);
    s->stars[0] = at(200, 128, 100);  // d = 356: 72 * 256 / 356 + 128 = 179, grey (NOT 356) & FF
    stars3d_plot(s, target.img);
    EXPECT_EQ(target.at(179, 128), 0x9B9B9Bu);
    EXPECT_EQ(target.lit(), 1);
    stars3d_destroy(&s);
}
