#pragma once
// The video, event and time calls that the platform layer makes on the machine.
// backend_sdl.cpp maps them onto SDL 1.2; backend_headless.cpp keeps the screen in memory,
// takes its events from a queue and runs a virtual clock. Display, keyboard and pacing are
// the same code over either. The audio device calls are in backend_audio.h.
#include <cstddef>
#include <cstdint>

struct BackendSurface;  // opaque: owned by the backend, released with backend_free_surface

constexpr uint32_t BACKEND_DOUBLEBUF = 0x40000000u;  // surface flag: the screen is double-buffered

// What a surface is; pixels is the surface's own memory (read it between lock and unlock).
struct BackendSurfaceInfo {
    int32_t width;           // pixels
    int32_t height;          // rows
    int32_t pitch;           // bytes from one row to the next
    int32_t bits_per_pixel;  // 8, 16, 24 or 32
    uint32_t flags;          // BACKEND_DOUBLEBUF among others
    void* pixels;            // borrowed
};
static_assert(offsetof(BackendSurfaceInfo, flags) == 16 && offsetof(BackendSurfaceInfo, pixels) >= 20,
              "four sizes, the flags, then the pixels");

// How the backend fits the mode to the machine's screen, set once before the first video
// mode; a backend without a screen to fit ignores it.
//  - In a window: the window is factor times the mode in each direction, by nearest
//    neighbour unless the user's own SDL12COMPAT_SCALE_METHOD asks otherwise; a factor
//    too big for the desktop takes the largest that fits (at least 1); factor 0 leaves
//    the window as the user's SDL12COMPAT_WINDOW_SCALING (if any) makes it.
//  - Full screen: the screen is opened at the desktop's own size and every frame is drawn
//    into its middle, each pixel factor x factor, on black. Factor 0, or one too big for
//    the screen, takes the largest that fits. A user's own SDL12COMPAT_SCALE_METHOD hands
//    the scaling back to the SDL layer: the picture then fills the screen's height.
constexpr int32_t BACKEND_SCALE_MAX = 16;  // 16 x 256 = 4096 pixels
void backend_set_scale(int32_t factor);    // 0..BACKEND_SCALE_MAX; anything else reads as 0

// Who the window is, for the desktop, set before the first video mode (a backend without a
// window manager ignores both): the class that desktops group and match windows by (a
// user's own SDL_VIDEO_X11_WMCLASS or SDL_VIDEO_WAYLAND_WMCLASS wins), and the icon shown
// for it, side x side pixels 0xAARRGGBB with straight alpha, copied; null or a side out of
// 1..BACKEND_ICON_MAX: no icon.
constexpr int32_t BACKEND_ICON_MAX = 128;
void backend_set_window_class(const char* name);                   // copied; null: the machine's default
void backend_set_icon(const uint32_t* argb, int32_t side);

// Video. Every call accepts a null surface and then does nothing (or returns null / -1).
// A full-screen mode hides the mouse pointer over the picture.
BackendSurface* backend_set_video_mode(int32_t width, int32_t height, int32_t bits_per_pixel,
                                       uint32_t flags);               // the screen; null on failure
void backend_set_caption(const char* title, const char* icon_title);  // window and icon titles
BackendSurface* backend_create_rgb_surface_from(void* pixels, int32_t width, int32_t height,
                                                int32_t bits_per_pixel, int32_t pitch, uint32_t red_mask,
                                                uint32_t green_mask, uint32_t blue_mask,
                                                uint32_t alpha_mask);  // borrows pixels; null on failure
BackendSurface* backend_display_format(BackendSurface* surface);      // new copy in the screen's format
int backend_blit(BackendSurface* source, BackendSurface* destination);  // whole surfaces, clipped; 0 = done
void backend_free_surface(BackendSurface* surface);                   // the screen too; null: nothing
BackendSurfaceInfo backend_surface_info(const BackendSurface* surface);  // all zero for null
void* backend_surface_swap_pixels(BackendSurface* surface, void* pixels);  // lends pixels; returns the old
int backend_lock_surface(BackendSurface* surface);                    // 0 = locked
void backend_unlock_surface(BackendSurface* surface);
int backend_flip(BackendSurface* surface);                            // show the screen; 0 = done
void backend_update_rect(BackendSurface* surface, int32_t x, int32_t y, int32_t width,
                         int32_t height);                             // all 0: the whole screen
const char* backend_error();  // why the last failing call failed; never null

// Events. Codes are those of the key table: key-down 2, key-up 3, window close 12.
constexpr uint8_t BACKEND_KEYDOWN = 2;
constexpr uint8_t BACKEND_KEYUP = 3;
constexpr uint8_t BACKEND_QUIT = 12;
struct BackendEvent {
    uint8_t type;  // BACKEND_KEYDOWN, BACKEND_KEYUP, BACKEND_QUIT or another code
    uint32_t sym;  // key symbol of a key event, 0 otherwise
};
void backend_pump_events();                   // gather what the machine has for the queue
int backend_poll_event(BackendEvent* event);  // 1 and the next event, or 0 when the queue is empty
void backend_catch_interrupts();              // Ctrl-C / SIGTERM set a flag instead of killing (idempotent)
int backend_take_interrupt();                 // 1 once after each Ctrl-C / SIGTERM, else 0

// Time
uint32_t backend_ticks_ms();         // milliseconds since the backend started, wrapping at 2^32
void backend_delay_ms(uint32_t ms);  // sleep; 0 still yields
