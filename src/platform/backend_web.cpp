// The backend on a web page (built with Emscripten and Asyncify). The screen is a 32-bit
// surface in memory that every flip or update hands to the page's canvas; key events come
// from the page's listeners; time is the page's clock; a sleep hands the page its event loop
// back. The audio device is fed on the same thread as the program: just before each sleep,
// the callback renders just as many values as keep the page's player a few hundredths of
// a second ahead of what is heard (so the sound follows the picture closely), and the
// callback never overlaps the program: the device lock has nothing to do.
// The page half of every call is in backend_web.js.
#include <emscripten.h>

#include <cstdlib>
#include <cstring>

#include "platform/backend.h"
#include "platform/backend_audio.h"
#include "platform/backend_memory_surface.h"
#include "platform/fps.h"

// backend_web.js
extern "C" {
int web_open_screen(int32_t width, int32_t height);  // sizes the canvas and starts the key listeners; 0 = done
void web_close_screen();                            // stops the key listeners
void web_set_title(const char* title);
void web_present(const uint8_t* rgba, int32_t width, int32_t height);  // rows of width x 4 bytes R, G, B, A
void web_frame_polled(int32_t counter);  // a numbered frame is on the canvas; counter: what it shows
int32_t web_poll_event();  // type | sym << 8 of the oldest waiting event, 0 when none
uint32_t web_ticks_ms();   // ms since the page first asked, wrapping at 2^32
int web_audio_open(int32_t frequency, int32_t most);  // mono; 0 = the page can play
int32_t web_audio_due();   // values to render now to stay just ahead of the player, 0..most
void web_audio_play(const int16_t* values, int32_t count);  // queues rendered values
void web_audio_stop();     // silences what is queued
void web_audio_close();    // silences and lets the player go
}

namespace {

// A program that never sleeps (a machine too slow for the frame rate) would never let the
// page show a frame or take a key; after this long without a sleep a present sleeps 0 ms.
constexpr uint32_t LONGEST_BUSY_MS = 100;

BackendSurface web_screen;  // the one screen, as the machine's video surface is
uint32_t* web_rgba;         // owned: the screen in the canvas's byte order (R, G, B, A in memory)
uint32_t web_last_sleep_ms;

struct WebAudio {
    BackendAudioCallback callback;
    void* userdata;
    int16_t* buffer;  // owned: room for one device buffer, the most rendered at once
    int32_t capacity;  // values
    uint8_t open;
    uint8_t paused;
};
WebAudio web_audio;

// Renders the values that the player is about to need. Like a machine's device, a paused
// one asks for nothing; an empty queue leaves the values silent.
void pump_audio() {
    WebAudio& audio = web_audio;
    if (audio.open == 0 || audio.paused != 0) return;
    const int32_t due = web_audio_due();
    if (due <= 0 || due > audio.capacity) return;
    std::memset(audio.buffer, 0, static_cast<size_t>(due) * 2);
    audio.callback(audio.userdata, reinterpret_cast<uint8_t*>(audio.buffer), due * 2);
    if (audio.open == 0) return;  // the callback closed the device
    web_audio_play(audio.buffer, due);
}

void sleep_ms(uint32_t ms) {
    pump_audio();
    emscripten_sleep(ms);
    web_last_sleep_ms = web_ticks_ms();
}

void free_screen() {
    std::free(web_screen.own);
    std::free(web_rgba);
    web_rgba = nullptr;
    web_screen = BackendSurface{};
}

}  // namespace

// Video

void backend_set_scale(int32_t factor) {
    (void)factor;  // the page scales the canvas to the window itself, by whole numbers
}

BackendSurface* backend_set_video_mode(int32_t width, int32_t height, int32_t bits_per_pixel, uint32_t flags) {
    (void)bits_per_pixel;  // the screen is 32-bit whatever is asked
    free_screen();
    if (!memory_screen_open(&web_screen, width, height, flags)) return nullptr;
    web_rgba = static_cast<uint32_t*>(std::calloc(static_cast<size_t>(width) * static_cast<size_t>(height), 4));
    if (web_rgba == nullptr) {
        free_screen();
        memory_surface_error = "Out of memory";
        return nullptr;
    }
    if (web_open_screen(width, height) != 0) {
        free_screen();
        memory_surface_error = "The page has no canvas";
        return nullptr;
    }
    return &web_screen;
}

void backend_set_caption(const char* title, const char* icon_title) {
    (void)icon_title;
    if (title != nullptr) web_set_title(title);
}

void backend_free_surface(BackendSurface* surface) {
    if (surface == nullptr) return;
    if (surface == &web_screen) {
        // The window closes: no more keys reach the program.
        web_close_screen();
        free_screen();
        return;
    }
    memory_surface_free(surface);
}

void memory_surface_present(BackendSurface* surface) {
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

// Events

// The page's listeners queue events as they happen. The keyboard is read once per numbered
// frame, right after its present (fades are not read): the page counts frames here, as the
// recorder does, and keeps the counter's value that the frame shows.
void backend_pump_events() {
    web_frame_polled(fps.measured_fps & 0xFF);
}

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
    // Signed 16-bit little-endian mono is what the page plays; the program asks for nothing else.
    if (audio.open != 0 || callback == nullptr || format != 0x8010 || frequency <= 0 || samples <= 0 ||
        samples > 65536 || channels != 1) {
        return -1;
    }
    if (web_audio_open(frequency, samples) != 0) return -1;
    audio.buffer = static_cast<int16_t*>(std::calloc(static_cast<size_t>(samples), 2));
    if (audio.buffer == nullptr) return -1;
    audio.callback = callback;
    audio.userdata = userdata;
    audio.capacity = samples;
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
    if (web_audio.open != 0) web_audio_close();
    std::free(web_audio.buffer);
    web_audio = WebAudio{};
}
