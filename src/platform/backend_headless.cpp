// The backend without SDL: an in-memory screen, a queue of events, a virtual clock and an
// audio device pumped by that clock.
#include "platform/backend_headless.h"

#include <cstdlib>
#include <cstring>

#include "platform/backend.h"
#include "platform/backend_audio.h"
#include "platform/backend_memory_surface.h"

namespace {

// The screen: one record for the whole run, as the machine's video surface is; freeing it
// does nothing, a new mode replaces its buffer.
BackendSurface headless_screen;

HeadlessHooks headless_hooks;
void (*headless_on_clock)(void* ctx, uint64_t now_ms);
void* headless_clock_ctx;

BackendEvent headless_queue[HEADLESS_QUEUE_EVENTS];
int32_t headless_queue_head;   // index of the oldest waiting event
int32_t headless_queue_count;  // events waiting

uint64_t headless_elapsed_ms;  // the virtual clock, never wrapping

struct HeadlessAudio {
    BackendAudioCallback callback;
    void* userdata;
    uint8_t* buffer;       // owned: one device buffer
    int32_t buffer_bytes;  // samples x channels x bytes per value
    int32_t samples;       // output values per device buffer
    int32_t frequency;     // values per second
    int64_t played;        // values handed out since the clock started
    uint8_t open;
    uint8_t paused;
};
HeadlessAudio headless_audio;

void push_event(uint8_t type, uint32_t sym) {
    if (headless_queue_count >= HEADLESS_QUEUE_EVENTS) return;
    const int32_t slot = (headless_queue_head + headless_queue_count) % HEADLESS_QUEUE_EVENTS;
    headless_queue[slot] = BackendEvent{type, sym};
    ++headless_queue_count;
}

// Hands out every device buffer that the clock has covered.
void pump_audio() {
    HeadlessAudio& audio = headless_audio;
    if (audio.open == 0 || audio.buffer == nullptr) return;
    const int64_t due = static_cast<int64_t>(headless_elapsed_ms * static_cast<uint64_t>(audio.frequency) / 1000u);
    while (audio.played + audio.samples <= due) {
        std::memset(audio.buffer, 0, static_cast<size_t>(audio.buffer_bytes));
        if (audio.paused == 0) {
            audio.callback(audio.userdata, audio.buffer, audio.buffer_bytes);
            if (audio.open == 0 || audio.buffer == nullptr) return;  // the callback closed the device
        }
        if (headless_hooks.on_audio != nullptr) {
            headless_hooks.on_audio(headless_hooks.ctx, audio.buffer, audio.buffer_bytes);
        }
        audio.played += audio.samples;
    }
}

}  // namespace

// Video

void backend_set_scale(int32_t factor) {
    (void)factor;  // no screen to fit: the picture is the mode
}

BackendSurface* backend_set_video_mode(int32_t width, int32_t height, int32_t bits_per_pixel, uint32_t flags) {
    (void)bits_per_pixel;  // the screen is 32-bit whatever is asked
    backend_catch_interrupts();
    std::free(headless_screen.own);
    if (!memory_screen_open(&headless_screen, width, height, flags)) return nullptr;
    return &headless_screen;
}

void backend_set_caption(const char* title, const char* icon_title) {
    (void)title;
    (void)icon_title;
}

void backend_free_surface(BackendSurface* surface) {
    // The screen belongs to the backend, as the machine's video surface does.
    if (surface == nullptr || surface == &headless_screen) return;
    memory_surface_free(surface);
}

void memory_surface_present(BackendSurface* surface) {
    if (surface != &headless_screen || surface->pixels == nullptr) return;
    if (headless_hooks.on_present != nullptr) {
        headless_hooks.on_present(headless_hooks.ctx, static_cast<const uint32_t*>(surface->pixels), surface->width,
                                  surface->height);
    }
}

// Events

void backend_pump_events() {
    if (headless_hooks.on_poll != nullptr) headless_hooks.on_poll(headless_hooks.ctx);
}

int backend_poll_event(BackendEvent* event) {
    if (event == nullptr || headless_queue_count == 0) return 0;
    *event = headless_queue[headless_queue_head];
    headless_queue_head = (headless_queue_head + 1) % HEADLESS_QUEUE_EVENTS;
    --headless_queue_count;
    return 1;
}

// Time

uint32_t backend_ticks_ms() {
    return static_cast<uint32_t>(headless_elapsed_ms);
}

void backend_delay_ms(uint32_t ms) {
    if (ms == 0) return;
    headless_elapsed_ms += ms;
    pump_audio();
    if (headless_on_clock != nullptr) headless_on_clock(headless_clock_ctx, headless_elapsed_ms);
}

// Audio device

int backend_init(uint32_t flags) {
    (void)flags;
    return 0;
}

int backend_audio_open(int frequency, uint16_t format, int channels, int samples, BackendAudioCallback callback,
                       void* userdata) {
    HeadlessAudio& audio = headless_audio;
    const int bytes_per_value = (format & 0xFF) / 8;
    if (audio.open != 0 || callback == nullptr || frequency <= 0 || samples <= 0 || samples > 65536 || channels < 1 ||
        channels > 2 || bytes_per_value < 1 || bytes_per_value > 4) {
        return -1;
    }
    const int32_t bytes = samples * channels * bytes_per_value;
    audio.buffer = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(bytes), 1));
    if (audio.buffer == nullptr) return -1;
    audio.callback = callback;
    audio.userdata = userdata;
    audio.buffer_bytes = bytes;
    audio.samples = samples;
    audio.frequency = frequency;
    // Sound starts where the clock stands: no burst for the time before the device existed.
    audio.played = static_cast<int64_t>(headless_elapsed_ms * static_cast<uint64_t>(frequency) / 1000u);
    audio.open = 1;
    audio.paused = 1;  // as a machine's device: silent until unpaused
    return 0;
}

void backend_audio_pause(int pause_on) {
    headless_audio.paused = pause_on != 0 ? 1 : 0;
}

void backend_audio_lock() {}

void backend_audio_unlock() {}

void backend_audio_close() {
    std::free(headless_audio.buffer);
    headless_audio = HeadlessAudio{};
}

// Hooks for the recording side

void headless_set_hooks(const HeadlessHooks* hooks) {
    headless_hooks = hooks != nullptr ? *hooks : HeadlessHooks{};
}

void headless_set_clock_hook(void (*on_clock)(void* ctx, uint64_t now_ms), void* ctx) {
    headless_on_clock = on_clock;
    headless_clock_ctx = ctx;
}

void headless_push_key(uint32_t sym) {
    push_event(BACKEND_KEYDOWN, sym);
}

uint32_t headless_now_ms() {
    return static_cast<uint32_t>(headless_elapsed_ms);
}

int32_t headless_pending_events() {
    return headless_queue_count;
}
