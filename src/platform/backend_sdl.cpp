// The video, event and time calls on SDL 1.2.
#include <SDL.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/backend.h"
#include "platform/backend_sdl_framebuffer.h"
#include "platform/backend_sdl_quiet.h"

namespace {

SDL_Surface* as_sdl(BackendSurface* surface) { return reinterpret_cast<SDL_Surface*>(surface); }
const SDL_Surface* as_sdl(const BackendSurface* surface) { return reinterpret_cast<const SDL_Surface*>(surface); }
BackendSurface* as_backend(SDL_Surface* surface) { return reinterpret_cast<BackendSurface*>(surface); }

int32_t wanted_scale;  // backend_set_scale's factor; 0: the default
char window_class[64];  // backend_set_window_class's name; "": SDL's default (the program's file name)
// backend_set_icon's copy, which the icon surface borrows; side 0: no icon.
uint32_t icon_pixels[BACKEND_ICON_MAX * BACKEND_ICON_MAX];
int32_t icon_side;
SDL_Surface* icon_surface;  // made at the first video mode after backend_set_icon; kept for later modes
// Whether the user set SDL12COMPAT_SCALE_METHOD: -1 until the first video mode looks, before
// the backend's own default is put there.
int8_t user_scale_method = -1;

// Full screen at a whole-number scale. SDL's screen is the desktop's own size, so the SDL layer
// shows it pixel for pixel; the display module draws into `frame`, a surface of the mode it
// asked for in the screen's format, and each flip or update copies that frame into the middle
// of the screen, every pixel as factor x factor. The border is painted black once.
struct ScaledScreen {
    SDL_Surface* screen;  // SDL's video surface (SDL frees it with the next mode)
    SDL_Surface* frame;   // owned; what the display module holds as its screen
    int32_t factor;       // 1..BACKEND_SCALE_MAX
    int32_t left;         // the frame's top-left corner on the screen, in pixels
    int32_t top;
};
ScaledScreen scaled;

bool is_scaled_frame(const SDL_Surface* surface) { return surface != nullptr && surface == scaled.frame; }

// One frame row widened factor times into a screen row: a plain copy loop the compiler can
// vectorise for each pixel size.
template <typename Pixel>
void widen_row(const uint8_t* source, uint8_t* destination, int32_t width, int32_t factor) {
    const auto* from = reinterpret_cast<const Pixel*>(source);
    auto* to = reinterpret_cast<Pixel*>(destination);
    for (int32_t x = 0; x < width; ++x)
        for (int32_t k = 0; k < factor; ++k) to[x * factor + k] = from[x];
}

void show_scaled() {
    SDL_Surface* screen = scaled.screen;
    const SDL_Surface* frame = scaled.frame;
    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) != 0) return;
    const int32_t factor = scaled.factor;
    const size_t row_bytes = static_cast<size_t>(frame->w) * static_cast<size_t>(factor) * frame->format->BytesPerPixel;
    auto* rows = static_cast<uint8_t*>(screen->pixels) + static_cast<size_t>(scaled.top) * screen->pitch +
                 static_cast<size_t>(scaled.left) * screen->format->BytesPerPixel;
    const auto* source = static_cast<const uint8_t*>(frame->pixels);
    for (int32_t y = 0; y < frame->h; ++y, source += frame->pitch) {
        uint8_t* first = rows + static_cast<size_t>(y) * static_cast<size_t>(factor) * screen->pitch;
        if (frame->format->BytesPerPixel == 4) {
            widen_row<uint32_t>(source, first, frame->w, factor);
        } else {
            widen_row<uint16_t>(source, first, frame->w, factor);
        }
        for (int32_t k = 1; k < factor; ++k) std::memcpy(first + static_cast<size_t>(k) * screen->pitch, first, row_bytes);
    }
    if (SDL_MUSTLOCK(screen)) SDL_UnlockSurface(screen);
    SDL_UpdateRect(screen, scaled.left, scaled.top, static_cast<Uint32>(frame->w * factor),
                   static_cast<Uint32>(frame->h * factor));
}

// ---- The picture straight into the window's framebuffer (backend_sdl_framebuffer.h)

// Where the display's screen lands in the framebuffer: each pixel factor x factor, the
// top-left corner at (left, top).
struct Placement {
    int32_t factor;
    int32_t left;
    int32_t top;
};

// The framebuffer drawn on last. A new one is painted black all over once; the border around
// the picture then stays black for ever, and each frame shows only the picture's rectangle.
Framebuffer painted;

// One row of width pixels, each written FACTOR times. A factor known when compiling lets GCC
// store each pixel's run as vectors.
template <int32_t FACTOR>
void widen_pixels(const uint32_t* __restrict from, uint32_t* __restrict to, int32_t width) {
    for (int32_t x = 0; x < width; ++x)
        for (int32_t k = 0; k < FACTOR; ++k) to[x * FACTOR + k] = from[x];
}
using WidenPixels = void (*)(const uint32_t*, uint32_t*, int32_t);
template <size_t... FACTOR>
constexpr std::array<WidenPixels, sizeof...(FACTOR)> widenings(std::index_sequence<FACTOR...>) {
    return {&widen_pixels<static_cast<int32_t>(FACTOR)>...};
}
// WIDEN[f] widens by f, for f = 1..BACKEND_SCALE_MAX.
constexpr auto WIDEN = widenings(std::make_index_sequence<BACKEND_SCALE_MAX + 1>{});

// n pixels into the framebuffer, which the X server reads after each frame. Streaming stores
// write whole cache lines without fetching them to this core first (the server's core holds
// them from the last frame); where the machine has none, a plain copy.
void copy_out(const uint32_t* from, uint32_t* to, size_t n) {
#if defined(__SSE2__)
    size_t i = 0;
    for (; i < n && reinterpret_cast<uintptr_t>(to + i) % 16 != 0; ++i) to[i] = from[i];
    for (; i + 4 <= n; i += 4)
        _mm_stream_si128(reinterpret_cast<__m128i*>(to + i),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i)));
    for (; i < n; ++i) to[i] = from[i];
#else
    std::memcpy(to, from, n * sizeof(uint32_t));
#endif
}

bool is_0rgb32(const SDL_PixelFormat* format) {
    return format != nullptr && format->BitsPerPixel == 32 && format->Rmask == 0x00FF0000u &&
           format->Gmask == 0x0000FF00u && format->Bmask == 0x000000FFu;
}

// Where the display's screen surface lands in the framebuffer; false when it does not fit
// there exactly as the SDL 1.2 layer would show it.
bool place(const SDL_Surface* surface, const Framebuffer& framebuffer, Placement& at) {
    if (is_scaled_frame(surface)) {
        if (framebuffer.width != scaled.screen->w || framebuffer.height != scaled.screen->h) return false;
        at = {scaled.factor, scaled.left, scaled.top};
        return true;
    }
    // The window: the SDL 1.2 layer scales the mode to fill it, so only a whole multiple fits.
    if (surface != SDL_GetVideoSurface() || surface->w <= 0 || surface->h <= 0) return false;
    const int32_t factor = framebuffer.width / surface->w;
    at = {factor, 0, 0};
    return factor >= 1 && factor <= BACKEND_SCALE_MAX && framebuffer.width == factor * surface->w &&
           framebuffer.height == factor * surface->h;
}

// Shows the display's screen surface by widening it into the window's framebuffer and showing
// that rectangle; false (nothing shown) when that way is closed, and the SDL 1.2 layer shows it.
bool show_direct(SDL_Surface* surface) {
    Framebuffer framebuffer{};
    Placement at{};
    // A user's own scaling filter is the SDL 1.2 layer's to apply.
    if (user_scale_method != 0 || surface == nullptr || !is_0rgb32(surface->format) ||
        !framebuffer_get(framebuffer) || !place(surface, framebuffer, at))
        return false;
    const size_t stride = static_cast<size_t>(framebuffer.stride);
    if (framebuffer.pixels != painted.pixels || framebuffer.width != painted.width ||
        framebuffer.height != painted.height || framebuffer.stride != painted.stride) {
        std::memset(framebuffer.pixels, 0, stride * static_cast<size_t>(framebuffer.height) * sizeof(uint32_t));
        if (!framebuffer_show(0, 0, framebuffer.width, framebuffer.height)) return false;
        painted = framebuffer;
    }
    const int32_t width = surface->w * at.factor;
    // The widened row, written factor times; allocated once for the largest row shown.
    static std::vector<uint32_t> wide;
    if (wide.size() < static_cast<size_t>(width)) wide.resize(static_cast<size_t>(width));
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
    uint32_t* to = framebuffer.pixels + static_cast<size_t>(at.top) * stride + static_cast<size_t>(at.left);
    const auto* rows = static_cast<const uint8_t*>(surface->pixels);
    for (int32_t y = 0; y < surface->h; ++y) {
        const auto* from = reinterpret_cast<const uint32_t*>(rows + static_cast<size_t>(y) * surface->pitch);
        if (at.factor > 1) {
            WIDEN[static_cast<size_t>(at.factor)](from, wide.data(), surface->w);
            from = wide.data();
        }
        for (int32_t k = 0; k < at.factor; ++k, to += stride) copy_out(from, to, static_cast<size_t>(width));
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
#if defined(__SSE2__)
    _mm_sfence();  // the streamed lines reach memory before the X server is told to read them
#endif
    return framebuffer_show(at.left, at.top, width, surface->h * at.factor);
}

// The whole-number scale for a width x height frame on the desktop, or 0 when the SDL layer
// should scale (the user chose its filter, the desktop is not bigger than the frame or its
// size is unknown, or its pixels are neither 16 nor 32 bits).
int32_t full_screen_factor(int32_t width, int32_t height, int32_t depth, const SDL_VideoInfo* desktop) {
    if (user_scale_method != 0 || desktop == nullptr || desktop->vfmt == nullptr) return 0;
    const int bytes = depth != 0 ? depth / 8 : desktop->vfmt->BytesPerPixel;
    if ((bytes != 2 && bytes != 4) || width <= 0 || height <= 0) return 0;
    const int32_t across = desktop->current_w / width;
    const int32_t down = desktop->current_h / height;
    int32_t fit = across < down ? across : down;
    if (fit > BACKEND_SCALE_MAX) fit = BACKEND_SCALE_MAX;
    if (fit < 1 || (fit == 1 && desktop->current_w == width && desktop->current_h == height)) return 0;
    return wanted_scale >= 1 && wanted_scale <= fit ? wanted_scale : fit;
}

// The desktop-sized screen and the frame surface in front of it; null when either fails.
SDL_Surface* open_scaled(int32_t width, int32_t height, int32_t factor, int32_t depth, uint32_t flags) {
    const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
    SDL_Surface* screen = SDL_SetVideoMode(desktop->current_w, desktop->current_h, depth, flags);
    if (screen == nullptr) return nullptr;
    if (screen->w < width * factor || screen->h < height * factor ||
        screen->format->BytesPerPixel != (depth != 0 ? depth / 8 : desktop->vfmt->BytesPerPixel)) {
        SDL_SetError("the full screen came back %dx%d, too small for %d x %dx%d", screen->w, screen->h, factor,
                     width, height);
        return nullptr;
    }
    const SDL_PixelFormat* format = screen->format;
    SDL_Surface* frame = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, format->BitsPerPixel, format->Rmask,
                                              format->Gmask, format->Bmask, format->Amask);
    if (frame == nullptr) return nullptr;
    scaled = {screen, frame, factor, (screen->w - width * factor) / 2, (screen->h - height * factor) / 2};
    SDL_FillRect(screen, nullptr, 0);
    SDL_UpdateRect(screen, 0, 0, 0, 0);
    return frame;
}

// Crisp pixels by default; the user's own SDL12COMPAT_* settings stay.
// The picture goes to the screen the cheapest way SDL 2 offers that shows the same pixels:
// its software renderer onto the window's own framebuffer (X11 shared memory), not OpenGL
// on the machine's (often software) rasteriser. Paced at 50 frames per second that is a
// quarter to a fifth of the processor time. A user's own SDL_RENDER_DRIVER or
// SDL_FRAMEBUFFER_ACCELERATION still wins.
void set_scaling_defaults() {
    if (user_scale_method < 0) user_scale_method = std::getenv("SDL12COMPAT_SCALE_METHOD") != nullptr ? 1 : 0;
    setenv("SDL12COMPAT_SCALE_METHOD", "nearest", 0);
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
}

// The window's class, for SDL 2's X11 and Wayland drivers, which read it when video starts;
// a user's own setting stays.
void set_window_class() {
    if (window_class[0] == '\0') return;
    setenv("SDL_VIDEO_X11_WMCLASS", window_class, 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", window_class, 0);
}

// The icon goes to SDL before the window is made, so the window has it from its first frame.
void set_icon() {
    if (icon_surface == nullptr && icon_side > 0)
        icon_surface = SDL_CreateRGBSurfaceFrom(icon_pixels, icon_side, icon_side, 32, icon_side * 4, 0x00FF0000u,
                                                0x0000FF00u, 0x000000FFu, 0xFF000000u);
    if (icon_surface != nullptr) SDL_WM_SetIcon(icon_surface, nullptr);
}

// A window at the asked-for scale, or at the largest that fits the desktop when that is
// smaller (at least 1), without a word: the user asked for a big picture, not an error.
void fit_window_scale(int32_t width, int32_t height, const SDL_VideoInfo* desktop) {
    if (wanted_scale < 1 || width <= 0 || height <= 0) return;
    int32_t factor = wanted_scale;
    if (desktop != nullptr && desktop->current_w > 0 && desktop->current_h > 0) {
        const int32_t across = desktop->current_w / width;
        const int32_t down = desktop->current_h / height;
        const int32_t fit = across < down ? across : down;
        if (fit < factor) factor = fit < 1 ? 1 : fit;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d", factor);
    setenv("SDL12COMPAT_WINDOW_SCALING", text, 1);
}

}  // namespace

void backend_set_scale(int32_t factor) {
    wanted_scale = factor >= 1 && factor <= BACKEND_SCALE_MAX ? factor : 0;
}

void backend_set_window_class(const char* name) {
    window_class[0] = '\0';
    if (name != nullptr && std::strlen(name) < sizeof window_class) std::strcpy(window_class, name);
}

void backend_set_icon(const uint32_t* argb, int32_t side) {
    if (icon_surface != nullptr) {
        SDL_FreeSurface(icon_surface);
        icon_surface = nullptr;
    }
    icon_side = argb != nullptr && side >= 1 && side <= BACKEND_ICON_MAX ? side : 0;
    if (icon_side > 0) std::memcpy(icon_pixels, argb, static_cast<size_t>(side) * static_cast<size_t>(side) * 4);
}

BackendSurface* backend_set_video_mode(int32_t width, int32_t height, int32_t bits_per_pixel, uint32_t flags) {
    // Before SDL brings up its event subsystem, which would take the signals for itself.
    backend_catch_interrupts();
    QuietStderr quiet;
    set_scaling_defaults();
    set_window_class();
    SDL_Surface* screen = nullptr;
    int32_t factor = 0;
    const bool video = SDL_WasInit(SDL_INIT_VIDEO) != 0 || SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    // The SDL layer has no name for some screens' pixels (30 bits, 10 a channel; 8 bits with a
    // palette) and would settle for 16 bits: ask for 32, which it converts for the screen.
    const SDL_VideoInfo* desktop = video ? SDL_GetVideoInfo() : nullptr;
    const bool unknown = desktop != nullptr && desktop->vfmt != nullptr && desktop->vfmt->BitsPerPixel == 0;
    const int32_t depth = bits_per_pixel == 0 && unknown ? 32 : bits_per_pixel;
    if (video) {
        set_icon();
        // An asked-for window scale is the command line's and wins over the environment.
        if ((flags & SDL_FULLSCREEN) == 0) fit_window_scale(width, height, desktop);
        if ((flags & SDL_FULLSCREEN) != 0 && bits_per_pixel == 0)
            factor = full_screen_factor(width, height, depth, desktop);
    }
    if (factor > 0) screen = open_scaled(width, height, factor, depth, flags);
    if (screen == nullptr) screen = SDL_SetVideoMode(width, height, depth, flags);
    if (screen == nullptr && unknown)
        SDL_SetError("the screen's colour depth is not supported: the show needs 16, 24, 30 or 32 bits per pixel");
    // Full screen, nothing but the picture: no mouse pointer over it.
    if (screen != nullptr && (flags & SDL_FULLSCREEN) != 0) SDL_ShowCursor(SDL_DISABLE);
    // With no X server or other screen, SDL settles for its offscreen driver: a window
    // nobody can see. Unless that driver was asked for by name, it is no display at all.
    char driver[32] = {};
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (screen != nullptr && SDL_VideoDriverName(driver, sizeof driver) != nullptr &&
        std::strcmp(driver, "offscreen") == 0 && (asked == nullptr || asked[0] == '\0')) {
        if (is_scaled_frame(screen)) {
            SDL_FreeSurface(screen);
            scaled = ScaledScreen{};
        }
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_SetError("no screen to open a window on (no X server?)");
        return nullptr;
    }
    return as_backend(screen);
}

void backend_set_caption(const char* title, const char* icon_title) {
    SDL_WM_SetCaption(title, icon_title);
}

BackendSurface* backend_create_rgb_surface_from(void* pixels, int32_t width, int32_t height, int32_t bits_per_pixel,
                                                int32_t pitch, uint32_t red_mask, uint32_t green_mask,
                                                uint32_t blue_mask, uint32_t alpha_mask) {
    if (pixels == nullptr || width <= 0 || height <= 0 || pitch <= 0) return nullptr;
    return as_backend(SDL_CreateRGBSurfaceFrom(pixels, width, height, bits_per_pixel, pitch, red_mask, green_mask,
                                               blue_mask, alpha_mask));
}

BackendSurface* backend_display_format(BackendSurface* surface) {
    if (surface == nullptr) return nullptr;
    return as_backend(SDL_DisplayFormat(as_sdl(surface)));
}

int backend_blit(BackendSurface* source, BackendSurface* destination) {
    if (source == nullptr || destination == nullptr) return -1;
    return SDL_UpperBlit(as_sdl(source), nullptr, as_sdl(destination), nullptr);
}

void backend_free_surface(BackendSurface* surface) {
    if (surface == nullptr) return;
    if (is_scaled_frame(as_sdl(surface))) scaled = ScaledScreen{};
    SDL_FreeSurface(as_sdl(surface));
}

BackendSurfaceInfo backend_surface_info(const BackendSurface* surface) {
    BackendSurfaceInfo info{};
    const SDL_Surface* s = as_sdl(surface);
    if (s == nullptr) return info;
    info.width = s->w;
    info.height = s->h;
    info.pitch = s->pitch;
    info.bits_per_pixel = s->format != nullptr ? s->format->BitsPerPixel : 0;
    info.flags = s->flags;
    info.pixels = s->pixels;
    return info;
}

void* backend_surface_swap_pixels(BackendSurface* surface, void* pixels) {
    if (surface == nullptr) return nullptr;
    void* previous = as_sdl(surface)->pixels;
    as_sdl(surface)->pixels = pixels;
    return previous;
}

int backend_lock_surface(BackendSurface* surface) {
    if (surface == nullptr) return -1;
    return SDL_LockSurface(as_sdl(surface));
}

void backend_unlock_surface(BackendSurface* surface) {
    if (surface != nullptr) SDL_UnlockSurface(as_sdl(surface));
}

int backend_flip(BackendSurface* surface) {
    if (surface == nullptr) return -1;
    if (show_direct(as_sdl(surface))) return 0;
    if (is_scaled_frame(as_sdl(surface))) {
        show_scaled();
        return 0;
    }
    return SDL_Flip(as_sdl(surface));
}

void backend_update_rect(BackendSurface* surface, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (surface == nullptr || width < 0 || height < 0) return;
    // The display module only ever updates the whole screen, so the whole picture is shown.
    if (show_direct(as_sdl(surface))) return;
    if (is_scaled_frame(as_sdl(surface))) {
        show_scaled();  // the whole frame: the display module only ever updates all of it
        return;
    }
    SDL_UpdateRect(as_sdl(surface), x, y, static_cast<Uint32>(width), static_cast<Uint32>(height));
}

const char* backend_error() {
    const char* text = SDL_GetError();
    return text != nullptr ? text : "";
}

void backend_pump_events() {
    SDL_PumpEvents();
}

int backend_poll_event(BackendEvent* event) {
    if (event == nullptr) return 0;
    SDL_Event sdl_event{};
    if (SDL_PollEvent(&sdl_event) == 0) return 0;
    event->type = sdl_event.type;
    event->sym = (sdl_event.type == SDL_KEYDOWN || sdl_event.type == SDL_KEYUP)
                     ? static_cast<uint32_t>(sdl_event.key.keysym.sym)
                     : 0;
    return 1;
}

uint32_t backend_ticks_ms() {
    return SDL_GetTicks();
}

void backend_delay_ms(uint32_t ms) {
    SDL_Delay(ms);
}
