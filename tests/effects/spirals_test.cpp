#include <cstdlib>

#include "common/rng.h"
#include "effects/spirals.h"
#include "image/image_fixtures.h"

TEST(Spirals, AnglesWrapRadiusRespawnsPastTheMaximumDrawPlotsOnTheCircle) {
    TestImg t(64, 48);
    Spirals* s = spirals_create();
    spirals_set_count(s, 1);
    s->particles[0] = {2, 258, 96};
    s->step_a = s->step_b = -4;
    s->grow = 4;
    s->max_radius = 100;
    spirals_update(s);
    EXPECT_EQ(s->particles[0].a * 1000 + s->particles[0].b, 1022254);
    EXPECT_EQ(s->particles[0].r, 100);  // at the maximum: stays
    s->grow = 1;
    rng_srand(55);
    spirals_update(s);  // 101: respawned
    rng_srand(55);
    EXPECT_EQ(s->particles[0].a, rng_rand() % 1023);
    EXPECT_EQ(s->particles[0].r, rng_rand() % 384);
    s->particles[0] = {5, 261, 0};
    s->grow = 0;
    s->step_a = INT32_MAX;  // -1 modulo 1024, without overflow
    spirals_update(s);
    EXPECT_EQ(s->particles[0].a, 4);

    spirals_set_count(s, 3);
    s->target = t.img;
    s->cx = 32;
    s->cy = 24;
    s->particles[0] = {0, 256, 40};    // (32, 24 + 19)
    s->particles[1] = {256, 512, 40};  // (32 + 19, 24)
    s->particles[2] = {768, 0, 4000};  // far outside: dropped
    spirals_draw(s);
    EXPECT_EQ(t.at(32, 43) & t.at(51, 24), 0xFFFFFFu);
    EXPECT_EQ(t.lit(), 2);
    spirals_destroy(&s);
}

TEST(ColourDrift, ChannelsWanderBetweenTheirEndsAtBoundedSpeeds) {
    // What the emblem's background relies on: every channel stays a colour, moves by at
    // most one speed a step, turns round only at an end (a channel that came to its end
    // moving away from it turns once more, next step) with a new speed of 4096..0x100FFE
    // (1/65536 of a colour step), and so visits dark and bright alike, whatever the seed.
    for (unsigned seed : {1u, 777u, 0xFACE5718u}) {
        rng_srand(seed);
        colour_drift = COLOUR_DRIFT_START;
        int32_t seen[3] = {0, 0, 0}, bounces[3] = {0, 0, 0};  // bit 0: shown 0, bit 1: shown 0xFF
        for (int step = 0; step < 20000; ++step) {
            const ColourDrift b = colour_drift;
            colour_drift_step();
            const ColourDrift& c = colour_drift;
            const int64_t was[3] = {b.r, b.g, b.b}, now[3] = {c.r, c.g, c.b};
            const int64_t old_speed[3] = {b.vr, b.vg, b.vb}, speed[3] = {c.vr, c.vg, c.vb};
            for (int k = 0; k < 3; ++k) {
                ASSERT_TRUE(now[k] >= 0 && now[k] <= 0xFF0000) << now[k];
                ASSERT_LE(std::abs(now[k] - was[k]), std::abs(speed[k])) << step;
                if (speed[k] != old_speed[k]) {
                    ASSERT_TRUE(was[k] == 0 || was[k] == 0xFF0000) << "channel " << k << " step " << step;
                    ASSERT_EQ(speed[k] > 0, old_speed[k] < 0);
                    ASSERT_TRUE(std::abs(speed[k]) >= 4096 && std::abs(speed[k]) <= 0xFFFFF + 4095) << speed[k];
                    ++bounces[k];
                }
                const int32_t shown = static_cast<int32_t>(c.colour >> (16 - 8 * k)) & 0xFF;
                ASSERT_EQ(shown, now[k] >> 16) << "the colour shows the channels' whole parts";
                seen[k] |= (shown == 0) | (shown == 0xFF) << 1;
            }
        }
        for (int k = 0; k < 3; ++k) EXPECT_EQ(seen[k] * 1000 + (bounces[k] > 10), 3001) << seed << " channel " << k;
    }
}
