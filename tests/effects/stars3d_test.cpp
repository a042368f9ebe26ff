#include <gtest/gtest.h>

#include <cstdlib>

#include "common/rng.h"
#include "effects/effects_fixtures.h"
#include "effects/stars3d.h"

namespace {

Star3D at(int32_t x, int32_t y, int32_t z) { return {x * 65536, y * 65536, z * 65536}; }

// A field of n points drawn with a sheet of eight 4 x 4 depth cells.
struct Field {
    TestFont cells{4, 4, 8, 1};
    Stars3D* s = stars3d_create();
    explicit Field(int32_t n) {
        stars3d_set_count(s, n);
        s->font = cells.font;
    }
    ~Field() { stars3d_destroy(&s); }
};

}  // namespace

TEST(Stars3D, LeaversReenterFar) {
    Field f(2);
    f.s->stars[0] = {5 << 16, 6 << 16, 0x20000};  // 2.0 - 3.0: behind the viewer
    f.s->stars[1] = at(7, 8, 100);
    rng_srand(404);
    stars3d_move(f.s);
    rng_srand(404);
    EXPECT_EQ(f.s->stars[0].x, (rng_rand() % 256) << 16);
    EXPECT_EQ(f.s->stars[0].y, (rng_rand() % 256) << 16);
    EXPECT_EQ(f.s->stars[0].z, (256 - rng_rand() % 16) << 16);
    EXPECT_EQ(f.s->stars[1].z, 97 << 16);
}

TEST(Stars3D, ProjectionAndDepthCells) {
    Field f(1);
    TestImg target(256, 256);
    // The pen is the cell's top-left; d = 256 + pz, x' = 128 + (x - 128) * 256 / d, cell
    // 7 - (d AND 0xE0) / 32. On the axis a point is at the centre for any depth.
    const struct { int32_t x, pz, sx, cell; } cases[] = {
        {200, 0, 200, 7}, {200, 256, 164, 7}, {128, 31, 128, 7}, {128, 32, 128, 6}, {128, 100, 128, 4},
        {128, 224, 128, 0}, {128, 255, 128, 0}};
    for (const auto& c : cases) {
        img_clear(target.img);
        f.s->stars[0] = at(c.x, 128, c.pz);
        stars3d_draw(f.s, target.img);
        EXPECT_EQ(target.at(c.sx, 128), cell_colour(c.cell)) << c.x << " " << c.pz;
        EXPECT_EQ(target.at(c.sx - 1, 128), 0u) << c.x << " " << c.pz;
    }
}

TEST(Stars3D, MirrorPlaneSkippedFirstPointOnTopAndGreyPlots) {
    Field f(3);
    TestImg target(64, 64);
    f.s->depth = 16;
    f.s->stars[0] = at(32, 32, 10);   // on the axis, d = 26: cell 7
    f.s->stars[1] = at(32, 32, 100);  // same pen, d = 116 AND 0xE0 = 96: cell 4, drawn first
    f.s->stars[2] = at(10, 10, -16);  // depth + pz = 0: skipped
    stars3d_draw(f.s, target.img);
    EXPECT_EQ(target.at(33, 33), cell_colour(7));
    EXPECT_EQ(target.lit(), 16);  // nothing of the skipped point
    f.s->depth = 256;
    stars3d_set_count(f.s, 2);
    f.s->stars[0] = at(200, 128, 0);    // d = 256: grey FF at its own place
    f.s->stars[1] = at(200, 128, 100);  // d = 356: 72 * 256 / 356 + 128 = 179, grey (NOT 356) & FF
    TestImg t(256, 256);
    stars3d_plot(f.s, t.img);
    EXPECT_EQ(t.at(200, 128), 0xFFFFFFu);
    EXPECT_EQ(t.at(179, 128), 0x9B9B9Bu);
    EXPECT_EQ(t.lit(), 2);
}
