// The backend on a web page (built with Emscripten and Asyncify). The screen is a 32-bit
// surface in memory that every flip or update hands to the page's canvas; key events come
// from the page's listeners; time is the page's clock; a sleep hands the page its event loop
// back. The audio device is fed on the same thread as the program: just before each sleep,
// the callback fills as many device buffers as Web Audio needs to stay ahead, so the
// callback never overlaps the program and the device lock has nothing to do.
// The page half of every call is in backend_web.js.
#include <emscripten.h>

#include <bit>
#include <cstdlib>
#include <cstring>

#include "common/limits.h"
#include "platform/backend.h"
#include "platform/backend_audio.h"

// backend_web.js
extern "C" {
int web_open_screen(int32_t width, int32_t height);  // sizes the canvas and starts the key listeners; 0 = done
void web_close_screen();                            // stops the key listeners
void web_set_title(const char* title);
void web_present(const uint8_t* rgba, int32_t width, int32_t height);  // rows of width x 4 bytes R, G, B, A
int32_t web_poll_event();  // type | sym << 8 of the oldest waiting event, 0 when none
uint32_t web_ticks_ms();   // ms since the page first asked, wrapping at 2^32
int web_audio_open(int32_t frequency, int32_t channels, int32_t samples);  // 0 = the page can play
int32_t web_audio_due();   // device buffers to render now to stay ahead of the player
void web_audio_play(const uint8_t* bytes, int32_t len);  // queues one rendered device buffer
void web_audio_stop();     // silences what is queued
}

struct BackendSurface {
    int32_t width;
    int32_t height;
    int32_t pitch;  // always width x 4
    uint32_t red_mask;
    uint32_t green_mask;
    uint32_t blue_mask;
    void* pixels;  // what the surface shows: its own buffer, or lent / borrowed memory
    void* own;     // owned buffer, freed with the surface; null for a borrowing surface
};

namespace {

constexpr uint32_t SCREEN_RED = 0x00FF0000u;
constexpr uint32_t SCREEN_GREEN = 0x0000FF00u;
constexpr uint32_t SCREEN_BLUE = 0x000000FFu;

// A program that never sleeps (a machine too slow for the frame rate) would never let the
// page show a frame or take a key; after this long without a sleep a present sleeps 0 ms.
constexpr uint32_t LONGEST_BUSY_MS = 100;

BackendSurface web_screen;  // the one screen, as the machine's video surface is
uint32_t* web_rgba;         // owned: the screen in the canvas's byte order (R, G, B, A in memory)
const char* web_error = "";
uint32_t web_last_sleep_ms;

struct WebAudio {
    BackendAudioCallback callback;
    void* userdata;
    uint8_t* buffer;  // owned: one device buffer
    int32_t buffer_bytes;
    uint8_t open;
    uint8_t paused;
};
WebAudio web_audio;

// Renders the device buffers that the player is about to need. Like a machine's device, a
// paused one asks for nothing; an empty queue leaves the buffer silent.
void pump_audio() {
    WebAudio& audio = web_audio;
    if (audio.open == 0 || audio.paused != 0) return;
    for (int32_t due = web_audio_due(); due > 0; --due) {
        std::memset(audio.buffer, 0, static_cast<size_t>(audio.buffer_bytes));
        audio.callback(audio.userdata, audio.buffer, audio.buffer_bytes);
        if (audio.open == 0) return;  // the callback closed the device
        web_audio_play(audio.buffer, audio.buffer_bytes);
    }
}

void sleep_ms(uint32_t ms) {
    pump_audio();
    emscripten_sleep(ms);
    web_last_sleep_ms = web_ticks_ms();
}

// Channel value of a pixel under an eight-bit mask.
uint32_t channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    return ((pixel & mask) >> std::countr_zero(mask)) & 0xFFu;
}

void present(BackendSurface* surface) {
    if (surface != &web_screen || surface->pixels == nullptr || web_rgba == nullptr) return;
    // 0x00RRGGBB words to the canvas's R, G, B, A bytes, opaque (wasm is little-endian).
    const auto* from = static_cast<const uint32_t*>(surface->pixels);
    const size_t count = static_cast<size_t>(surface->width) * static_cast<size_t>(surface->height);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t p = from[i];
        web_rgba[i] = ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16) | 0xFF000000u;
    }
    web_present(reinterpret_cast<const uint8_t*>(web_rgba), surface->width, surface->height);
    if (web_ticks_ms() - web_last_sleep_ms > LONGEST_BUSY_MS) sleep_ms(0);
}

void free_screen() {
    std::free(web_screen.own);
    std::free(web_rgba);
    web_rgba = nullptr;
    web_screen = BackendSurface{};
}

}  // namespace

// Video

BackendSurface* backend_set_video_mode(int32_t width, int32_t height, int32_t bits_per_pixel, uint32_t flags) {
    (void)bits_per_pixel;  // the screen is 32-bit whatever is asked
    (void)flags;           // never double-buffered; full screen is the page's to ask for
    free_screen();
    if (width <= 0 || height <= 0 || !size_ok(width, height)) {
        web_error = "Invalid video mode size";
        return nullptr;
    }
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    web_screen.own = std::calloc(count, 4);
    web_rgba = static_cast<uint32_t*>(std::calloc(count, 4));
    if (web_screen.own == nullptr || web_rgba == nullptr) {
        free_screen();
        web_error = "Out of memory";
        return nullptr;
    }
    if (web_open_screen(width, height) != 0) {
        free_screen();
        web_error = "The page has no canvas";
        return nullptr;
    }
    web_screen = BackendSurface{width, height, width * 4, SCREEN_RED, SCREEN_GREEN, SCREEN_BLUE, web_screen.own,
                                web_screen.own};
    return &web_screen;
}

void backend_set_caption(const char* title, const char* icon_title) {
    (void)icon_title;
    if (title != nullptr) web_set_title(title);
}

BackendSurface* backend_create_rgb_surface_from(void* pixels, int32_t width, int32_t height, int32_t bits_per_pixel,
                                                int32_t pitch, uint32_t red_mask, uint32_t green_mask,
                                                uint32_t blue_mask, uint32_t alpha_mask) {
    (void)alpha_mask;  // the screen has no alpha: conversion drops it
    if (pixels == nullptr || width <= 0 || height <= 0 || bits_per_pixel != 32 || !size_ok(width, height) ||
        pitch != width * 4) {
        web_error = "Unsupported surface";
        return nullptr;
    }
    auto* surface = static_cast<BackendSurface*>(std::calloc(1, sizeof(BackendSurface)));
    if (surface == nullptr) {
        web_error = "Out of memory";
        return nullptr;
    }
    *surface = BackendSurface{width, height, pitch, red_mask, green_mask, blue_mask, pixels, nullptr};
    return surface;
}

BackendSurface* backend_display_format(BackendSurface* surface) {
    if (surface == nullptr || surface->pixels == nullptr) return nullptr;
    const size_t count = static_cast<size_t>(surface->width) * static_cast<size_t>(surface->height);
    auto* converted = static_cast<BackendSurface*>(std::calloc(1, sizeof(BackendSurface)));
    auto* to = static_cast<uint32_t*>(std::calloc(count, 4));
    if (converted == nullptr || to == nullptr) {
        std::free(converted);
        std::free(to);
        web_error = "Out of memory";
        return nullptr;
    }
    const auto* from = static_cast<const uint32_t*>(surface->pixels);
    for (size_t i = 0; i < count; ++i) {
        to[i] = channel(from[i], surface->red_mask) << 16 | channel(from[i], surface->green_mask) << 8 |
                channel(from[i], surface->blue_mask);
    }
    *converted = BackendSurface{surface->width, surface->height, surface->width * 4, SCREEN_RED, SCREEN_GREEN,
                                SCREEN_BLUE, to, to};
    return converted;
}

int backend_blit(BackendSurface* source, BackendSurface* destination) {
    if (source == nullptr || destination == nullptr || source->pixels == nullptr || destination->pixels == nullptr) {
        return -1;
    }
    const int32_t rows = source->height < destination->height ? source->height : destination->height;
    const int32_t row_bytes = (source->width < destination->width ? source->width : destination->width) * 4;
    auto* to = static_cast<uint8_t*>(destination->pixels);
    const auto* from = static_cast<const uint8_t*>(source->pixels);
    for (int32_t y = 0; y < rows; ++y, to += destination->pitch, from += source->pitch) {
        std::memcpy(to, from, static_cast<size_t>(row_bytes));
    }
    return 0;
}

void backend_free_surface(BackendSurface* surface) {
    if (surface == nullptr) return;
    if (surface == &web_screen) {
        // The window closes: no more keys reach the program.
        web_close_screen();
        free_screen();
        return;
    }
    std::free(surface->own);
    std::free(surface);
}

BackendSurfaceInfo backend_surface_info(const BackendSurface* surface) {
    if (surface == nullptr) return BackendSurfaceInfo{};
    return BackendSurfaceInfo{surface->width, surface->height, surface->pitch, 32, 0, surface->pixels};
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
    return web_error;
}

// Events

void backend_pump_events() {}  // the page's listeners queue events as they happen

int backend_poll_event(BackendEvent* event) {
    if (event == nullptr) return 0;
    const int32_t packed = web_poll_event();
    if (packed == 0) return 0;
    event->type = static_cast<uint8_t>(packed & 0xFF);
    event->sym = static_cast<uint32_t>(packed) >> 8;
    return 1;
}

// A page has no signals: the quit keys are the way out.
void backend_catch_interrupts() {}

int backend_take_interrupt() {
    return 0;
}

// Time

uint32_t backend_ticks_ms() {
    return web_ticks_ms();
}

void backend_delay_ms(uint32_t ms) {
    sleep_ms(ms);
}

// Audio device

int backend_init(uint32_t flags) {
    (void)flags;
    return 0;
}

int backend_audio_open(int frequency, uint16_t format, int channels, int samples, BackendAudioCallback callback,
                       void* userdata) {
    WebAudio& audio = web_audio;
    // Signed 16-bit little-endian is what the page converts; the program asks for nothing else.
    if (audio.open != 0 || callback == nullptr || format != 0x8010 || frequency <= 0 || samples <= 0 ||
        samples > 65536 || channels < 1 || channels > 2) {
        return -1;
    }
    if (web_audio_open(frequency, channels, samples) != 0) return -1;
    const int32_t bytes = samples * channels * 2;
    audio.buffer = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(bytes), 1));
    if (audio.buffer == nullptr) return -1;
    audio.callback = callback;
    audio.userdata = userdata;
    audio.buffer_bytes = bytes;
    audio.open = 1;
    audio.paused = 1;  // as a machine's device: silent until unpaused
    return 0;
}

void backend_audio_pause(int pause_on) {
    web_audio.paused = pause_on != 0 ? 1 : 0;
    if (web_audio.paused != 0) web_audio_stop();
}

// The callback runs only from pump_audio, on the program's own thread.
void backend_audio_lock() {}

void backend_audio_unlock() {}

void backend_audio_close() {
    if (web_audio.open != 0) web_audio_stop();
    std::free(web_audio.buffer);
    web_audio = WebAudio{};
}
