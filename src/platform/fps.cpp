#include "platform/fps.h"

#include <cstdint>

#include "common/fixed.h"
#include "platform/backend.h"

Fps fps;
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
    if (fps.target_fps < 1) fps.target_fps = 1;
    fps.frame_period = US_PER_SECOND / fps.target_fps;

    // The clock wraps: the unsigned difference is the true elapsed time.
    const uint32_t now = fps_now_us();
    fps.frame_time = static_cast<int32_t>(now - static_cast<uint32_t>(fps.previous_time));
    fps.previous_time = static_cast<int32_t>(now);

    if (static_cast<int64_t>(fps.second_accumulator) + fps.frame_time > SECOND_LIMIT) {
        fps.measured_fps = fps.frame_count;
        fps.frame_count = 0;
        fps.second_accumulator = 0;
    } else {
        fps.second_accumulator = wrap_add(fps.second_accumulator, fps.frame_time);
    }
    fps.frame_count = wrap_add(fps.frame_count, 1);
    return fps.measured_fps;
}

void fps_pace() {
    // In 64 bits: the budget saturates rather than wraps, so a clock that stands still
    // cannot turn it negative; a late frame gives back its excess, but a stall longer than
    // the budget is not caught up.
    const int64_t moved = static_cast<int64_t>(fps.sleep_budget) + fps.frame_period - fps.frame_time;
    if (fps.frame_time <= fps.frame_period) {
        fps.sleep_budget = moved < INT32_MAX ? static_cast<int32_t>(moved) : INT32_MAX;
    } else {
        fps.sleep_budget = moved > 0 ? static_cast<int32_t>(moved) : 0;
    }
    if (fps.sleep_budget > 0) fps_sleep_ms(static_cast<uint32_t>(fps.sleep_budget / 1000));
}
