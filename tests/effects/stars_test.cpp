#include "common/rng.h"
#include "effects/stars.h"
#include "image/image_fixtures.h"

TEST(Stars, LeaversReenterAtTheEdgeTheirVelocityComesFromChosenByWeight) {
    Stars* s = stars_create();
    stars_set_count(s, 1);
    s->width = 64;
    s->height = 48;
    // Rising leaves through row -1, falling through row 48 = height, rightward through
    // column 64 (column 63 stays); each re-enters at the opposite edge. -1: any value.
    const struct { int32_t vx, vy, x, y, want_x, want_y; } moves[] = {{0, -0x40000, 5, 3, -1, 47},
        {0, 0x10000, 9, 47, -1, 0}, {0x10000, 0, 62, 7, 63, 7}, {0x10000, 0, 63, 7, 0, -1}, {0, 0, 1, 2, 1, 2}};
    for (const auto& c : moves) {
        s->vx = c.vx;
        s->vy = c.vy;
        s->stars[0] = {c.x << 16, c.y << 16};
        stars_move(s);
        EXPECT_EQ(c.want_x < 0 ? -1 : s->stars[0].x, c.want_x < 0 ? -1 : c.want_x << 16) << c.x;
        EXPECT_EQ(c.want_y < 0 ? -1 : s->stars[0].y, c.want_y < 0 ? -1 : c.want_y << 16) << c.y;
    }
    // A respawn draws a column, a row, then the entry edge: 2.0 and 1.0 weigh 3 and 2; -1.5
    // and -3.0 weigh 1 and 2; -0.5 and -0.25 both weigh 0 and are counted as 1 each. A
    // straight field has one entry edge and no third draw.
    const struct { int32_t vx, vy, total, wx; } fields[] = {{0x20000, 0x10000, 5, 3}, {-0x18000, -0x30000, 3, 1},
        {-0x8000, -0x4000, 2, 1}, {0, -0x10000, 0, 0}, {0x10000, 0, 0, 1}};
    for (const auto& f : fields) {
        s->vx = f.vx;
        s->vy = f.vy;
        for (unsigned seed = 1; seed <= 200; ++seed) {
            rng_srand(seed);
            stars_respawn(s, 0);
            rng_srand(seed);
            const int col = rng_rand() % 64;
            const int row = rng_rand() % 48;
            const bool through_side = f.total == 0 ? f.wx == 1 : rng_rand() % f.total < f.wx;
            ASSERT_EQ(s->stars[0].x, (through_side ? (f.vx < 0 ? 63 : 0) : col) << 16) << f.vx << " " << seed;
            ASSERT_EQ(s->stars[0].y, (through_side ? row : (f.vy < 0 ? 47 : 0)) << 16) << f.vx << " " << seed;
        }
    }
    stars_destroy(&s);
}

TEST(Stars, DrawTakesTheSpinFrameFromHalfTheRowPlotOnePixel) {
    TestFont sheet(32, 32, 1, 64);
    TestImg target(200, 160), dots(4, 6);
    Stars* s = stars_create();
    stars_set_count(s, 4);
    s->font = sheet.font;
    s->colour = 0x123456;
    s->stars[0] = {40 << 16, 2 << 16};                 // frame 1
    s->stars[1] = {100 << 16, 128 << 16};              // frame 0 again
    s->stars[2] = {160 << 16, 127 << 16};              // frame 63
    s->stars[3] = {3 * 65536 + 0x8000, 5 * 65536};     // plotted: the fraction is dropped
    stars_draw(s, target.img);
    EXPECT_EQ(target.at(24, 0), cell_colour(1));  // centred: 32 x 32 from (x - 16, y - 16)
    EXPECT_EQ(target.at(56, 2), 0u);
    EXPECT_EQ(target.at(84, 112), cell_colour(0));
    EXPECT_EQ(target.at(160, 127), cell_colour(63));
    stars_plot(s, dots.img);  // the other three fall outside
    EXPECT_EQ(dots.at(3, 5), 0x123456u);
    EXPECT_EQ(dots.lit(), 1);
    EXPECT_EQ(s->width * 100 + s->height, 406);  // the field takes the target's size
    stars_destroy(&s);
}
