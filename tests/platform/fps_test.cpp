#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "platform/fps.h"

namespace {

// A clock moved by hand; sleeping moves it as a real sleep would.
uint32_t fake_ms;
std::vector<uint32_t> sleeps;

class Pacing : public ::testing::Test {
protected:
    void SetUp() override {
        fps = Fps{};
        fps.target_fps = 50;
        fake_ms = 0;
        sleeps.clear();
        fps_clock_ms = [] { return fake_ms; };
        fps_sleep_ms = [](uint32_t ms) { sleeps.push_back(ms); fake_ms += ms; };  // as a real sleep would
    }
};

TEST_F(Pacing, PaceMovesTheBudgetByTheDifferenceWithinItsLimits) {
    const struct { int32_t period, time, budget, after; std::vector<uint32_t> slept; } cases[] = {
        {20000, 19001, 0, 999, {0}},         // under a millisecond: sleeps 0, but the call is made
        {20000, 24000, 15000, 11000, {11}},  // 4 ms late gives 4 ms back
        {20000, 50000, 11000, 0, {}},        // 30 ms late: the budget is gone and nothing sleeps
        {1000000, INT32_MIN, INT32_MAX - 5, INT32_MAX, {INT32_MAX / 1000}},  // saturates, never wraps
    };
    for (const auto& c : cases) {
        fps.frame_period = c.period;
        fps.frame_time = c.time;
        fps.sleep_budget = c.budget;
        sleeps.clear();
        fps_pace();
        EXPECT_EQ(fps.sleep_budget, c.after) << "frame time " << c.time;
        EXPECT_EQ(sleeps, c.slept) << "frame time " << c.time;
    }
}

TEST_F(Pacing, CounterShowsThePreviousSecondNotAnAverageFrameTimesSurviveTheClocksWrap) {
    fps.target_fps = INT32_MIN;  // a target below one counts as one
    fake_ms = 2500;
    EXPECT_EQ(fps_tick(), 0);
    EXPECT_EQ(fps.frame_period, 1000000);
    EXPECT_EQ(fps.second_accumulator, 0) << "a long first frame closes the first second at once";
    fps.target_fps = 50;
    auto frame = [](uint32_t work_ms) { fake_ms += work_ms; fps_tick(); fps_pace(); };  // as the demo runs one
    for (int i = 0; i < 120; ++i) frame(5);
    EXPECT_EQ(fps.measured_fps, 50);
    EXPECT_EQ(sleeps.back(), 15u) << "a frame 15 ms short sleeps them away";
    for (int i = 0; i < 80; ++i) frame(40);  // half speed: after a mixed second, exactly 25
    EXPECT_EQ(fps.measured_fps, 25);

    fps.second_accumulator = 998999;  // 999999 does not close the second; 1000999 does
    fps.frame_count = 7;
    fake_ms += 1;
    fps_tick();
    EXPECT_EQ(fps.measured_fps, 25);
    fake_ms += 1;
    EXPECT_EQ(fps_tick(), 8);
    EXPECT_EQ(fps.frame_count, 1);

    fake_ms = 4294967;  // the clock wraps: the last millisecond whose microseconds fit in 32 bits
    fps_tick();
    fake_ms = 4294968;
    EXPECT_EQ(fps_now_us(), 704u);
    fps_tick();
    EXPECT_EQ(fps.frame_time, 1000);
    fake_ms = 0xFFFFFFF6u;  // the millisecond counter itself wrapping
    fps_tick();
    fake_ms = 10;
    fps_tick();
    EXPECT_EQ(fps.frame_time, 20000);
}

}  // namespace
