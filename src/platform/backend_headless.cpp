// The backend without SDL: an in-memory screen, a queue of events, a virtual clock and an
// audio device pumped by that clock.
#include "platform/backend_headless.h"

#include <bit>
#include <cstdlib>
#include <cstring>

#include "common/limits.h"
#include "platform/backend.h"
#include "platform/backend_audio.h"

struct BackendSurface {
    int32_t width;
    int32_t height;
    int32_t pitch;           // always width x 4
    int32_t bits_per_pixel;  // always 32
    uint32_t red_mask;
    uint32_t green_mask;
    uint32_t blue_mask;
    uint32_t flags;
    void* pixels;     // what the surface shows: its own buffer, or lent / borrowed memory
    void* own;        // owned buffer, freed with the surface; null for a borrowing surface
};

namespace {

constexpr uint32_t SCREEN_RED = 0x00FF0000u;
constexpr uint32_t SCREEN_GREEN = 0x0000FF00u;
constexpr uint32_t SCREEN_BLUE = 0x000000FFu;

// The screen: one record for the whole run, as the machine's video surface is; freeing it
// does nothing, a new mode replaces its buffer.
BackendSurface headless_screen;
const char* headless_error = "";

HeadlessHooks headless_hooks;

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

void present(BackendSurface* surface) {
    if (surface != &headless_screen || surface->pixels == nullptr) return;
    if (headless_hooks.on_present != nullptr) {
        headless_hooks.on_present(headless_hooks.ctx, static_cast<const uint32_t*>(surface->pixels), surface->width,
                                  surface->height);
    }
}

// Channel value of a pixel under an eight-bit mask.
uint32_t channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    return ((pixel & mask) >> std::countr_zero(mask)) & 0xFFu;
}

}  // namespace

// Video

void backend_set_scale(int32_t factor) {
    (void)factor;  // no screen to fit: the picture is the mode
}

BackendSurface* backend_set_video_mode(int32_t width, int32_t height, int32_t bits_per_pixel, uint32_t flags) {
    (void)bits_per_pixel;  // the screen is 32-bit whatever is asked
    backend_catch_interrupts();
    BackendSurface& screen = headless_screen;
    std::free(screen.own);
    screen = BackendSurface{};
    if (width <= 0 || height <= 0 || !size_ok(width, height)) {
        headless_error = "Invalid video mode size";
        return nullptr;
    }
    screen.own = std::calloc(static_cast<size_t>(width) * static_cast<size_t>(height), 4);
    if (screen.own == nullptr) {
        headless_error = "Out of memory";
        return nullptr;
    }
    screen.width = width;
    screen.height = height;
    screen.pitch = width * 4;
    screen.bits_per_pixel = 32;
    screen.red_mask = SCREEN_RED;
    screen.green_mask = SCREEN_GREEN;
    screen.blue_mask = SCREEN_BLUE;
    screen.flags = flags & ~BACKEND_DOUBLEBUF;
    screen.pixels = screen.own;
    return &screen;
}

void backend_set_caption(const char* title, const char* icon_title) {
    (void)title;
    (void)icon_title;
}

BackendSurface* backend_create_rgb_surface_from(void* pixels, int32_t width, int32_t height, int32_t bits_per_pixel,
                                                int32_t pitch, uint32_t red_mask, uint32_t green_mask,
                                                uint32_t blue_mask, uint32_t alpha_mask) {
    (void)alpha_mask;  // the screen has no alpha: conversion drops it
    if (pixels == nullptr || width <= 0 || height <= 0 || bits_per_pixel != 32 || !size_ok(width, height) ||
        pitch != width * 4) {
        headless_error = "Unsupported surface";
        return nullptr;
    }
    auto* surface = static_cast<BackendSurface*>(std::calloc(1, sizeof(BackendSurface)));
    if (surface == nullptr) {
        headless_error = "Out of memory";
        return nullptr;
    }
    *surface = BackendSurface{width, height, pitch, 32, red_mask, green_mask, blue_mask, 0, pixels, nullptr};
    return surface;
}

BackendSurface* backend_display_format(BackendSurface* surface) {
    if (surface == nullptr || surface->pixels == nullptr) return nullptr;
    auto* converted = static_cast<BackendSurface*>(std::calloc(1, sizeof(BackendSurface)));
    const size_t count = static_cast<size_t>(surface->width) * static_cast<size_t>(surface->height);
    void* buffer = std::calloc(count, 4);
    if (converted == nullptr || buffer == nullptr) {
        std::free(converted);
        std::free(buffer);
        headless_error = "Out of memory";
        return nullptr;
    }
    const auto* from = static_cast<const uint32_t*>(surface->pixels);
    auto* to = static_cast<uint32_t*>(buffer);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t p = from[i];
        to[i] = (channel(p, surface->red_mask) << 16) | (channel(p, surface->green_mask) << 8) |
                channel(p, surface->blue_mask);
    }
    *converted = BackendSurface{surface->width, surface->height, surface->width * 4, 32, SCREEN_RED, SCREEN_GREEN,
                                SCREEN_BLUE, 0, buffer, buffer};
    return converted;
}

int backend_blit(BackendSurface* source, BackendSurface* destination) {
    if (source == nullptr || destination == nullptr || source->pixels == nullptr || destination->pixels == nullptr) {
        return -1;
    }
    const int32_t width = source->width < destination->width ? source->width : destination->width;
    const int32_t height = source->height < destination->height ? source->height : destination->height;
    for (int32_t y = 0; y < height; ++y) {
        std::memcpy(static_cast<uint8_t*>(destination->pixels) + static_cast<size_t>(y) * destination->pitch,
                    static_cast<const uint8_t*>(source->pixels) + static_cast<size_t>(y) * source->pitch,
                    static_cast<size_t>(width) * 4);
    }
    return 0;
}

void backend_free_surface(BackendSurface* surface) {
    // The screen belongs to the backend, as the machine's video surface does.
    if (surface == nullptr || surface == &headless_screen) return;
    std::free(surface->own);
    std::free(surface);
}

BackendSurfaceInfo backend_surface_info(const BackendSurface* surface) {
    if (surface == nullptr) return BackendSurfaceInfo{};
    return BackendSurfaceInfo{surface->width, surface->height, surface->pitch, surface->bits_per_pixel, surface->flags,
                              surface->pixels};
}

void* backend_surface_swap_pixels(BackendSurface* surface, void* pixels) {
    if (surface == nullptr) return nullptr;
    void* previous = surface->pixels;
    surface->pixels = pixels;
    return previous;
}

int backend_lock_surface(BackendSurface* surface) {
    return surface != nullptr ? 0 : -1;
}

void backend_unlock_surface(BackendSurface* surface) {
    (void)surface;
}

int backend_flip(BackendSurface* surface) {
    if (surface == nullptr) return -1;
    present(surface);
    return 0;
}

void backend_update_rect(BackendSurface* surface, int32_t x, int32_t y, int32_t width, int32_t height) {
    (void)x;
    (void)y;
    (void)width;
    (void)height;
    present(surface);
}

const char* backend_error() {
    return headless_error;
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

void headless_push_key(uint32_t sym) {
    push_event(BACKEND_KEYDOWN, sym);
}

uint32_t headless_now_ms() {
    return static_cast<uint32_t>(headless_elapsed_ms);
}

int32_t headless_pending_events() {
    return headless_queue_count;
}
