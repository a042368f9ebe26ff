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
    constexpr int32_t ColourDrift::*level[] = {&ColourDrift::r, &ColourDrift::g, &ColourDrift::b};
    constexpr int32_t ColourDrift::*speed[] = {&ColourDrift::vr, &ColourDrift::vg, &ColourDrift::vb};
    for (unsigned seed : {1u, 777u, 0xFACE5718u}) {
        rng_srand(seed);
        colour_drift = COLOUR_DRIFT_START;
        int32_t seen[3] = {0, 0, 0}, bounces[3] = {0, 0, 0};  // bit 0: shown 0, bit 1: shown 0xFF
        for (int step = 0; step < 20000; ++step) {
            const ColourDrift b = colour_drift;
            colour_drift_step();
            for (int k = 0; k < 3; ++k) {
                const int64_t was = b.*level[k], now = colour_drift.*level[k];
                const int64_t old_v = b.*speed[k], v = colour_drift.*speed[k];
                ASSERT_TRUE(now >= 0 && now <= 0xFF0000) << now;
                ASSERT_LE(std::abs(now - was), std::abs(v)) << step;
                if (v != old_v) {
                    ASSERT_TRUE(was == 0 || was == 0xFF0000) << "channel " << k << " step " << step;
                    ASSERT_EQ(v > 0, old_v < 0);
                    ASSERT_TRUE(std::abs(v) >= 4096 && std::abs(v) <= 0xFFFFF + 4095) << v;
                    ++bounces[k];
                }
                const int32_t shown = static_cast<int32_t>(colour_drift.colour >> (16 - 8 * k)) & 0xFF;
                ASSERT_EQ(shown, now >> 16) << "the colour shows the channels' whole parts";
                seen[k] |= (shown == 0) | (shown == 0xFF) << 1;
            }
        }
        for (int k = 0; k < 3; ++k) EXPECT_EQ(seen[k] * 1000 + (bounces[k] > 10), 3001) << seed << " channel " << k;
    }
}
