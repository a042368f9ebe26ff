#include "platform/fps.h"

#include <cstdint>

#include "common/fixed.h"
#include "platform/backend.h"

int32_t target_fps;
int32_t frame_period;
int32_t fps_previous_time;
int32_t frame_time;
int32_t fps_second_accumulator;
int32_t fps_frame_count;
int32_t measured_fps;
int32_t sleep_budget;
uint8_t fps_debug;
const ModuleId fps_module_id = make_module_id("20101022", "FPS");

uint32_t (*fps_clock_ms)() = backend_ticks_ms;
void (*fps_sleep_ms)(uint32_t ms) = backend_delay_ms;

namespace {
constexpr int32_t US_PER_SECOND = 1000000;
constexpr int32_t SECOND_LIMIT = 999999;  // an accumulator above this closes the second
}  // namespace

uint32_t fps_now_us() {
    return fps_clock_ms() * 1000u;
}

int32_t fps_tick() {
    if (target_fps < 1) target_fps = 1;
    frame_period = US_PER_SECOND / target_fps;

    // The clock wraps: the unsigned difference is the true elapsed time.
    const uint32_t now = fps_now_us();
    frame_time = static_cast<int32_t>(now - static_cast<uint32_t>(fps_previous_time));
    fps_previous_time = static_cast<int32_t>(now);

    if (static_cast<int64_t>(fps_second_accumulator) + frame_time > SECOND_LIMIT) {
        measured_fps = fps_frame_count;
        fps_frame_count = 0;
        fps_second_accumulator = 0;
    } else {
        fps_second_accumulator = wrap_add(fps_second_accumulator, frame_time);
    }
    fps_frame_count = wrap_add(fps_frame_count, 1);
    return measured_fps;
}

void fps_pace() {
    if (frame_time <= frame_period) {
        // Saturates rather than wraps: a clock that stands still must not turn the budget negative.
        const int64_t raised = static_cast<int64_t>(sleep_budget) + (static_cast<int64_t>(frame_period) - frame_time);
        sleep_budget = raised < INT32_MAX ? static_cast<int32_t>(raised) : INT32_MAX;
    } else {
        // A late frame gives back its excess; a stall longer than the budget is not caught up.
        const int64_t lowered = static_cast<int64_t>(sleep_budget) - (static_cast<int64_t>(frame_time) - frame_period);
        sleep_budget = lowered > 0 ? static_cast<int32_t>(lowered) : 0;
    }
    if (sleep_budget > 0) fps_sleep_ms(static_cast<uint32_t>(sleep_budget / 1000));
}
