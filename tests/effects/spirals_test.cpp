#include <gtest/gtest.h>

#include <cstdlib>

#include "effects/effects_fixtures.h"
#include "effects/spirals.h"

TEST(Spirals, AnglesWrapAndRadiusRespawnsPastTheMaximum) {
    Spirals* s = spirals_create();
    spirals_set_count(s, 1);
    s->particles[0] = {2, 258, 96};
    s->step_a = s->step_b = -4;
    s->grow = 4;
    s->max_radius = 100;
    spirals_update(s);
    EXPECT_EQ(s->particles[0].a, 1022);
    EXPECT_EQ(s->particles[0].b, 254);
    EXPECT_EQ(s->particles[0].r, 100);  // at the maximum: stays
    s->grow = 1;
    srand(55);
    spirals_update(s);  // 101: respawned
    srand(55);
    EXPECT_EQ(s->particles[0].a, rand() % 1023);
    EXPECT_EQ(s->particles[0].r, rand() % 384);

    s->particles[0] = {5, 261, 0};
    s->grow = 0;
    s->step_a = INT32_MAX;  // -1 modulo 1024, without overflow
    spirals_update(s);
    EXPECT_EQ(s->particles[0].a, 4);
    spirals_destroy(&s);
}

TEST(Spirals, DrawPlotsOnTheCircle) {
    TestImg t(64, 48);
    Spirals* s = spirals_create();
    spirals_set_count(s, 3);
    s->target = t.img;
    s->cx = 32;
    s->cy = 24;
    s->particles[0] = {0, 256, 40};    // (32, 24 + 19)
    s->particles[1] = {256, 512, 40};  // (32 + 19, 24)
    s->particles[2] = {768, 0, 4000};  // far outside: dropped
    spirals_draw(s);
    EXPECT_EQ(t.at(32, 43), 0xFFFFFFu);
    EXPECT_EQ(t.at(51, 24), 0xFFFFFFu);
    EXPECT_EQ(t.lit(), 2);
    spirals_destroy(&s);
}

TEST(ColourDrift, FirstStepsFromTheStartingState) {
    srandom(777);
    const int32_t m1 = static_cast<int32_t>(random() % 0xFFFFF + 4096);
    const int32_t m2 = static_cast<int32_t>(random() % 0xFFFFF + 4096);
    const long third = random();
    colour_drift = COLOUR_DRIFT_START;
    srandom(777);
    colour_drift_step();
    EXPECT_EQ(colour_drift.vr, -m1);  // R sat at 0: reversed with a fresh speed, clamped
    EXPECT_EQ(colour_drift.r, 0);
    EXPECT_EQ(colour_drift.g, 0x800000 - 49153);
    EXPECT_EQ(colour_drift.b, 0x404000);
    EXPECT_EQ(colour_drift.colour, 0x007F40u);
    colour_drift_step();
    EXPECT_EQ(colour_drift.vr, m2);  // positive now: R rises
    EXPECT_EQ(colour_drift.r, m2);
    EXPECT_EQ(random(), third);  // one draw per bounce, no more
}
