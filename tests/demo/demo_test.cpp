// The demo's pure rules: keys, scroller speeds, the emblem decay and the swarm's draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "common/rng.h"
#include "demo/demo.h"
#include "demo/scene.h"

TEST(DemoKeys, TogglesFlipTheirOwnBitOnlySpaceEndsTheScene) {
    const struct { uint8_t key; int byte; uint8_t bit; } cases[] = {
        {'1', 3, 0x01}, {'2', 2, 0x01}, {'4', 1, 0x01}, {'5', 1, 0x02}, {'8', 0, 0x01}, {'9', 0, 0x02},
        {'a', 0, 0},    {'s', 0, 0},    {'x', 0, 0},    {0, 0, 0},      {0x90, 0, 0}};  // the last five: no flag
    for (const auto& c : cases) {
        uint8_t want[4];
        for (int i = 0; i < 4; ++i) want[i] = demo.option_flags[i];
        want[c.byte] ^= c.bit;
        EXPECT_EQ(demo_handle_key(c.key), c.key);
        EXPECT_EQ(std::vector<uint8_t>(demo.option_flags, demo.option_flags + 4), std::vector<uint8_t>(want, want + 4))
            << "key " << int{c.key};
        demo_handle_key(c.key);  // toggles back
    }
    EXPECT_EQ(demo.option_flags[0], 0x02);  // counter hidden and full speed on, as at start
    const uint8_t o_before = display_o_flag;
    demo_handle_key('o');
    EXPECT_EQ(display_o_flag, o_before ^ 1);
    EXPECT_EQ(demo.control_flags, 0u);
    demo_handle_key(KEY_SPACE);
    EXPECT_EQ(demo.control_flags, CONTROL_NEXT_SCENE);
    demo.control_flags = 0;
}

TEST(DemoKeysDeathTest, QuitKeysExitWithStatusZero) {
    for (uint8_t key : {uint8_t{'q'}, uint8_t{'Q'}, KEY_ESC})
        EXPECT_EXIT(demo_handle_key(key), testing::ExitedWithCode(0), "") << "key " << int{key};
}

TEST(SceneKeys, ScrollerSpeedsStepAndWrapToZeroAtTheirEnds) {
    // The big scroller: a up, s down, -31..31; the wave scroller the other way, -14..14.
    const struct { int32_t (*after)(int32_t, uint8_t); int32_t speed; uint8_t key; int32_t want; } cases[] = {
        {bigscroll_speed_after_key, 30, 'a', 31},  {bigscroll_speed_after_key, 31, 'a', 0},
        {bigscroll_speed_after_key, 0, 's', -1},   {bigscroll_speed_after_key, -31, 's', 0},
        {bigscroll_speed_after_key, 7, 'x', 7},    {starscroll_speed_after_key, 13, 's', 14},
        {starscroll_speed_after_key, 14, 's', 0},  {starscroll_speed_after_key, 0, 'a', -1},
        {starscroll_speed_after_key, -14, 'a', 0}, {starscroll_speed_after_key, INT32_MIN, 'a', INT32_MAX % 15}};
    for (const auto& c : cases) EXPECT_EQ(c.after(c.speed, c.key), c.want) << c.speed << " " << c.key;
}

TEST(EmblemHalves, AmplitudesFallByOneEveryOtherFrameToZero) {
    // From an even frame counter the first decay comes on the second frame; from an odd one,
    // carried over, on the first. The halves stay half a period apart.
    for (const int32_t counter : {0, 1}) {
        DemoState state{};
        state.halves_frame_counter = counter;
        state.top_amplitude = state.bottom_amplitude = 512;
        state.bottom_phase = 512;
        for (int frame = 1; frame <= 1030; ++frame) {
            halves_decay(&state);
            ASSERT_EQ(state.top_amplitude, std::max(0, 512 - (frame + counter) / 2)) << counter << " " << frame;
            ASSERT_EQ(state.bottom_amplitude, state.top_amplitude);
        }
        EXPECT_EQ((state.bottom_phase - state.top_phase) & 1023, 512);
    }
}

TEST(Swarm, EveryStartDrawsThirteenNumbersIntoTheSwarmsRanges) {
    // What scene 5 relies on over many starts: phases anywhere on the sine, x and y sines
    // stepping 7..70 per frame and per copy, their partners 3..34, swarms of 3 to 66, every
    // value of each range reached; and exactly 13 draws, so the sequence after it is fixed.
    int32_t least[3] = {1000, 1000, 1000}, most[3] = {0, 0, 0};  // x and y steps, partners, copies
    const auto seen = [&](int kind, int32_t v) {
        least[kind] = std::min(least[kind], v);
        most[kind] = std::max(most[kind], v);
    };
    for (unsigned seed = 1; seed <= 3000; ++seed) {
        rng_srand(seed);
        for (int i = 0; i < 13; ++i) rng_rand();
        const int after = rng_rand();
        rng_srand(seed);
        DemoState state{};
        swarm_draw_parameters(&state);
        ASSERT_EQ(rng_rand(), after) << "seed " << seed;
        for (int i = 0; i < 4; ++i) {
            ASSERT_TRUE(state.swarm_phase[i] >= 0 && state.swarm_phase[i] <= 1023) << state.swarm_phase[i];
            seen(i / 2, state.swarm_frame_step[i]);
            seen(i / 2, state.swarm_copy_step[i]);
        }
        seen(2, state.swarm_count);
    }
    EXPECT_EQ(std::vector<int32_t>(least, least + 3), (std::vector<int32_t>{7, 3, 3}));
    EXPECT_EQ(std::vector<int32_t>(most, most + 3), (std::vector<int32_t>{70, 34, 66}));
}
