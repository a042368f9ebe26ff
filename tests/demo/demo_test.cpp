// The demo's pure rules: keys, scroller speeds, the emblem decay and the swarm's draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <tuple>

#include "common/rng.h"
#include "demo/demo.h"
#include "demo/scene.h"

// Of the option keys only 8 (the counter) changes what is seen; the others flip bits
// nothing reads. Space asks for the next scene; the quit keys end the program.
TEST(DemoKeysDeathTest, SpaceEndsTheSceneEightShowsTheCounterQuitKeysExit) {
    EXPECT_EQ(demo_handle_key(KEY_SPACE), KEY_SPACE);
    EXPECT_EQ(demo.control_flags, CONTROL_NEXT_SCENE);
    demo.control_flags = 0;
    demo_handle_key('8');
    EXPECT_EQ(demo.option_flags[0] & OPTION_SHOW_FPS, OPTION_SHOW_FPS);
    demo_handle_key('8');
    EXPECT_EQ(demo.option_flags[0] & OPTION_SHOW_FPS, 0);
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
        state.top_amplitude = state.bottom_amplitude = state.bottom_phase = 512;
        for (int frame = 1; frame <= 1030; ++frame) {
            halves_decay(&state);
            ASSERT_EQ(state.top_amplitude, std::max(0, 512 - (frame + counter) / 2)) << counter << " " << frame;
            ASSERT_EQ(state.bottom_amplitude, state.top_amplitude);
        }
        EXPECT_EQ((state.bottom_phase - state.top_phase) & 1023, 512);
    }
}

TEST(Swarm, EveryStartDrawsThirteenNumbersIntoTheSwarmsRanges) {
    // Over many starts: phases anywhere on the sine, x and y sines stepping 7..70 per frame
    // and per copy, their partners 3..34, swarms of 3 to 66, every value of each range
    // reached; and exactly 13 draws, so the sequence after it is fixed.
    std::set<int32_t> seen[3];  // x and y steps, partners, copies
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
            seen[i / 2].insert({state.swarm_frame_step[i], state.swarm_copy_step[i]});
        }
        seen[2].insert(state.swarm_count);
    }
    for (const auto& [kind, least, most] : {std::tuple{0, 7, 70}, {1, 3, 34}, {2, 3, 66}}) {
        EXPECT_EQ(*seen[kind].begin() * 1000 + *seen[kind].rbegin(), least * 1000 + most) << kind;
        EXPECT_EQ(seen[kind].size(), static_cast<size_t>(most - least + 1)) << kind;
    }
}
