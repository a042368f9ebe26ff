#include <gtest/gtest.h>

#include <cstdlib>

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

TEST(Stars3D, ScatterRunsLastToFirstAndLeaversReenterFar) {
    Field f(16);
    srand(31337);
    stars3d_scatter(f.s);
    srand(31337);
    for (int i = 15; i >= 0; --i) {
        EXPECT_EQ(f.s->stars[i].x, (rand() % 256) << 16);
        EXPECT_EQ(f.s->stars[i].y, (rand() % 256) << 16);
        EXPECT_EQ(f.s->stars[i].z, (rand() % 256) << 16);
    }
    stars3d_set_count(f.s, 2);
    f.s->stars[0] = {5 << 16, 6 << 16, 0x20000};  // 2.0 - 3.0: behind the viewer
    f.s->stars[1] = at(7, 8, 100);
    srand(404);
    stars3d_move(f.s);
    srand(404);
    EXPECT_EQ(f.s->stars[0].x, (rand() % 256) << 16);
    EXPECT_EQ(f.s->stars[0].y, (rand() % 256) << 16);
    EXPECT_EQ(f.s->stars[0].z, (256 - rand() % 16) << 16);
    EXPECT_EQ(f.s->stars[1].z, 97 << 16);
}

TEST(Stars3D, ProjectionAndDepthCells) {
    Field f(1);
    TestImg target(256, 256);
    f.s->stars[0] = at(200, 128, 0);
    stars3d_draw(f.s, target.img);
    EXPECT_EQ(target.at(200, 128), cell_colour(7));  // the pen is the cell's top-left
    EXPECT_EQ(target.at(199, 128), 0u);
    img_clear(target.img);
    f.s->stars[0] = at(200, 128, 256);  // d = 512: 128 + 72 * 256 / 512
    stars3d_draw(f.s, target.img);
    EXPECT_EQ(target.at(164, 128), cell_colour(7));
    EXPECT_EQ(target.at(163, 128), 0u);

    const struct { int32_t pz, cell; } cases[] = {{0, 7}, {31, 7}, {32, 6}, {100, 4}, {224, 0}, {255, 0}};
    for (const auto& c : cases) {
        f.s->stars[0] = at(128, 128, c.pz);  // on the axis: at the centre for any depth
        stars3d_draw(f.s, target.img);
        EXPECT_EQ(target.at(128, 128), cell_colour(c.cell)) << c.pz;
    }
}

TEST(Stars3D, MirrorPlaneSkippedAndFirstPointOnTop) {
    Field f(3);
    TestImg target(64, 64);
    f.s->depth = 16;
    f.s->stars[0] = at(32, 32, 10);   // on the axis, d = 26: cell 7
    f.s->stars[1] = at(32, 32, 100);  // same pen, d = 116 AND 0xE0 = 96: cell 4, drawn first
    f.s->stars[2] = at(10, 10, -16);  // depth + pz = 0: skipped
    stars3d_draw(f.s, target.img);
    EXPECT_EQ(target.at(33, 33), cell_colour(7));
    stars3d_plot(f.s, target.img);
    EXPECT_EQ(target.at(32, 32), 0xE5E5E5u);  // grey of d = 26: NOT 26 AND 0xFF, plotted last
    EXPECT_EQ(target.lit(), 16);              // nothing of the skipped point  // plot of d = 26: NOT 26 AND 0xFF
}

TEST(Stars3D, ExtremeValuesStayDefinedAndFailuresReportWithTheFlag) {
    Field f(1);
    TestImg target(32, 32);
    f.s->depth = INT32_MAX;
    f.s->cx = INT32_MAX;
    f.s->stars[0] = {INT32_MIN, INT32_MAX, INT32_MAX};
    stars3d_draw(f.s, target.img);
    f.s->vx = f.s->vy = f.s->vz = INT32_MAX;
    stars3d_move(f.s);  // wraps and respawns
    EXPECT_LT(f.s->stars[0].x >> 16, 32);

    EXPECT_EQ(printed_by([&] { stars3d_set_count(f.s, 0); }), "");
    stars3d_debug = 1;
    EXPECT_EQ(printed_by([&] { stars3d_set_count(f.s, 0); }), "STARS3D error\n");
    EXPECT_EQ(printed_by([&] { stars3d_respawn(f.s, 1); }), "STARS3D error\n");
    stars3d_debug = 0;
    EXPECT_EQ(f.s->count, 1);
}
