#pragma once
// FPS: measures each frame, counts frames per second for the on-screen counter and sleeps
// once per frame to hold target_fps. Call fps_tick, then fps_pace, once per frame.
// Times are microseconds on a 32-bit clock that wraps every 2^32 us (about 71.6 minutes).
#include <cstdint>

#include "common/module_id.h"

// The pacing state, one record for the module, zero at start.
struct Fps {
    int32_t target_fps;          // frames per second to hold; below 1 counts as 1
    int32_t frame_period;        // us, 1000000 / target_fps, recomputed by each tick
    int32_t previous_time;       // us, the time stamp of the previous tick (bits of a uint32)
    int32_t frame_time;          // us between the last two ticks
    int32_t second_accumulator;  // us summed in the second being counted
    int32_t frame_count;         // frames counted in the second being counted
    int32_t measured_fps;        // frames of the last completed second: what the counter shows
    int32_t sleep_budget;        // us to sleep per frame, never below 0 after a pace
};
static_assert(sizeof(Fps) == 32, "eight signed 32-bit fields");

extern Fps fps;                          // the one pacing state
extern uint8_t fps_debug;                // 0; kept for symmetry: pacing has no failure to report
extern const ModuleId fps_module_id;

// The clock and the sleep the module uses: backend_ticks_ms and backend_delay_ms unless a
// test points them elsewhere.
extern uint32_t (*fps_clock_ms)();
extern void (*fps_sleep_ms)(uint32_t ms);

int32_t fps_tick();    // measure and count one frame; returns fps.measured_fps
void fps_pace();       // sleep fps.sleep_budget / 1000 ms when the budget is above 0
uint32_t fps_now_us();  // clock milliseconds * 1000, modulo 2^32
