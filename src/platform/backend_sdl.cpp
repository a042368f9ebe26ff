// The video, event and time calls on SDL 1.2.
#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/backend.h"
#include "platform/backend_sdl_quiet.h"

namespace {

SDL_Surface* as_sdl(BackendSurface* surface) { return reinterpret_cast<SDL_Surface*>(surface); }
const SDL_Surface* as_sdl(const BackendSurface* surface) { return reinterpret_cast<const SDL_Surface*>(surface); }
BackendSurface* as_backend(SDL_Surface* surface) { return reinterpret_cast<BackendSurface*>(surface); }

}  // namespace

BackendSurface* backend_set_video_mode(int32_t width, int32_t height, int32_t bits_per_pixel, uint32_t flags) {
    // Before SDL brings up its event subsystem, which would take the signals for itself.
    backend_catch_interrupts();
    QuietStderr quiet;
    SDL_Surface* screen = SDL_SetVideoMode(width, height, bits_per_pixel, flags);
    // With no X server or other screen, SDL settles for its offscreen driver: a window
    // nobody can see. Unless that driver was asked for by name, it is no display at all.
    char driver[32] = {};
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (screen != nullptr && SDL_VideoDriverName(driver, sizeof driver) != nullptr &&
        std::strcmp(driver, "offscreen") == 0 && (asked == nullptr || asked[0] == '\0')) {
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
    if (surface != nullptr) SDL_FreeSurface(as_sdl(surface));
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
    return SDL_Flip(as_sdl(surface));
}

void backend_update_rect(BackendSurface* surface, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (surface == nullptr || width < 0 || height < 0) return;
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
