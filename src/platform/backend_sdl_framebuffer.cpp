// The SDL 2 window beneath the SDL 1.2 layer, reached without building against SDL 2: the
// layer names its window (SDL12COMPAT_GetWindow), and the SDL 2 library it has loaded gives
// the window's framebuffer and shows rectangles of it. The few SDL 2 fields read here are
// those of its stable interface.
#include "platform/backend_sdl_framebuffer.h"

#include <dlfcn.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

// The leading fields of SDL 2's SDL_Surface and its SDL_Rect.
struct Sdl2Surface {
    uint32_t flags;
    const uint32_t* format;  // points at an SDL_PixelFormat, whose first field is the format code
    int w;
    int h;
    int pitch;  // bytes
    void* pixels;
};
static_assert(offsetof(Sdl2Surface, pixels) == 8 + 3 * sizeof(void*), "SDL 2's surface layout on this machine");
struct Sdl2Rect {
    int x, y, w, h;
};

constexpr uint32_t SDL2_XRGB8888 = 0x16161804u;  // SDL_PIXELFORMAT_RGB888: 0x00RRGGBB in 32 bits

struct Sdl2 {
    void* (*window)();                               // the SDL 1.2 layer's SDL_Window, or null
    Sdl2Surface* (*window_surface)(void*);           // SDL_GetWindowSurface
    int (*show_rects)(void*, const Sdl2Rect*, int);  // SDL_UpdateWindowSurfaceRects
};

template <typename Function>
void look_up(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
}

bool is(const char* variable, const char* value) {
    const char* set = std::getenv(variable);
    return set != nullptr && std::strcmp(set, value) == 0;
}

// The entry points, looked up at the first present (the video mode has set the defaults of
// the environment by then); null when any is missing or the window is not ours to draw on.
const Sdl2* sdl2() {
    static const Sdl2 found = [] {
        Sdl2 s{};
        // SDL 2's software renderer draws onto the same framebuffer; with any other renderer,
        // or with SDL 2 making the framebuffer a texture of its own, it is not ours.
        if (!is("SDL_RENDER_DRIVER", "software") || !is("SDL_FRAMEBUFFER_ACCELERATION", "0")) return s;
        look_up(RTLD_DEFAULT, "SDL12COMPAT_GetWindow", s.window);
        // The library the layer has loaded already; never a second one.
        void* library = s.window != nullptr ? dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_NOLOAD) : nullptr;
        if (library != nullptr) {
            look_up(library, "SDL_GetWindowSurface", s.window_surface);
            look_up(library, "SDL_UpdateWindowSurfaceRects", s.show_rects);
        }
        return s;
    }();
    const bool complete = found.window != nullptr && found.window_surface != nullptr && found.show_rects != nullptr;
    return complete ? &found : nullptr;
}

}  // namespace

bool framebuffer_get(Framebuffer& framebuffer) {
    const Sdl2* s = sdl2();
    void* window = s != nullptr ? s->window() : nullptr;
    const Sdl2Surface* surface = window != nullptr ? s->window_surface(window) : nullptr;
    if (surface == nullptr || surface->pixels == nullptr || surface->format == nullptr ||
        *surface->format != SDL2_XRGB8888 || surface->w <= 0 || surface->h <= 0 || surface->pitch % 4 != 0 ||
        surface->pitch / 4 < surface->w)
        return false;
    framebuffer = {static_cast<uint32_t*>(surface->pixels), surface->w, surface->h, surface->pitch / 4};
    return true;
}

bool framebuffer_show(int32_t x, int32_t y, int32_t width, int32_t height) {
    const Sdl2* s = sdl2();
    void* window = s != nullptr ? s->window() : nullptr;
    if (window == nullptr) return false;
    const Sdl2Rect rect{x, y, width, height};
    return s->show_rects(window, &rect, 1) == 0;
}
