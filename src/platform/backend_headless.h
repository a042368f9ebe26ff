#pragma once
// The headless backend: the whole platform without a window, a sound card or a wall clock,
// for recording the show and for tests. The screen is a 32-bit surface in memory (rows of
// width x 4 bytes, never double-buffered); events come from a queue that the caller fills;
// time is a virtual millisecond clock that moves only when the program sleeps
// (backend_delay_ms); the audio device is pumped on the sleeping thread as the clock moves,
// one device buffer each time the clock has covered that many output values.
#include <cstdint>

// What the recording side sees. Any hook may be null; ctx is handed back unchanged.
struct HeadlessHooks {
    void (*on_present)(void* ctx, const uint32_t* pixels, int32_t width, int32_t height);  // each flip/update
    void (*on_poll)(void* ctx);                                  // at the start of each keyboard poll
    void (*on_audio)(void* ctx, const uint8_t* bytes, int32_t len);  // each device buffer, silent or not
    void* ctx;
};

constexpr int32_t HEADLESS_QUEUE_EVENTS = 256;  // events waiting at most; later pushes are dropped

void headless_set_hooks(const HeadlessHooks* hooks);  // copied; null removes all hooks
// Called each time the virtual clock moves, with its reading in ms since start (never
// wrapping); null removes it. ctx is handed back unchanged.
void headless_set_clock_hook(void (*on_clock)(void* ctx, uint64_t now_ms), void* ctx);
void headless_push_key(uint32_t sym);                  // a key-down event with that key symbol
uint32_t headless_now_ms();                            // the virtual clock, ms since start
int32_t headless_pending_events();                     // events waiting in the queue
