#include "platform/display.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/limits.h"
#include "platform/backend.h"

static_assert(DISPLAY_SCALE_MAX == BACKEND_SCALE_MAX, "the display offers what the backend can fit");
static_assert(DISPLAY_ICON_MAX == BACKEND_ICON_MAX, "the display's icon fits the backend's");

uint32_t display_video_flags = DISPLAY_WINDOWED;
int32_t display_scale = 0;
DisplayIcon display_icon;
BackendSurface* display_screen;
Display* display_the_display;
uint32_t display_flags;
uint8_t display_flip_mode;
uint8_t display_o_flag;
uint8_t display_debug;
const ModuleId display_module_id = make_module_id("20101015", "SDLDPY", "LINUXSDL");

namespace {

constexpr uint32_t RED_MASK = 0x00FF0000u;
constexpr uint32_t GREEN_MASK = 0x0000FF00u;
constexpr uint32_t BLUE_MASK = 0x000000FFu;
constexpr uint32_t ALPHA_MASK = 0xFF000000u;

// Asks the machine for a mode and, when it comes, names the window and records the mode.
// On failure the screen is null and the record is left as it was.
void open_mode(Display* display, int32_t width, int32_t height) {
    if (display_screen != nullptr) {
        backend_free_surface(display_screen);
        display_screen = nullptr;
    }
    display_screen = backend_set_video_mode(width, height, 0, display_flags);
    if (display_screen == nullptr) {
        display_report();
        return;
    }
    backend_set_caption(DISPLAY_CAPTION, DISPLAY_CAPTION);
    const BackendSurfaceInfo info = backend_surface_info(display_screen);
    display->width = width;
    display->height = height;
    display->bits_per_pixel = info.bits_per_pixel;
    display_flip_mode = (info.flags & BACKEND_DOUBLEBUF) != 0 ? 1 : 0;
}

bool image_ok(const Img* image) {
    return image != nullptr && image->pixels != nullptr && image->width > 0 && image->height > 0 &&
           size_ok(image->width, image->height);
}

void show_screen() {
    if (display_flip_mode != 0) {
        backend_flip(display_screen);
    } else {
        backend_update_rect(display_screen, 0, 0, 0, 0);
    }
}

// The screen can take the block copy: 32-bit, rows exactly width x 4 bytes, at least as
// large as the mode the record names.
bool screen_is_flat(const BackendSurfaceInfo& info, const Display* display) {
    return info.bits_per_pixel == 32 && info.pitch == display->width * 4 && info.width >= display->width &&
           info.height >= display->height;
}

// Same validity test for the copy and the lend: the one display, a screen, a same-sized image.
bool present_ok(const Display* display, const Img* image) {
    return display_is_valid(display) != nullptr && display_screen != nullptr && image_ok(image) &&
           image->width == display->width && image->height == display->height;
}

}  // namespace

void display_report() {
    if (display_debug != 0) std::puts("SDLDPY error");
}

const char* display_last_error() {
    return backend_error();
}

Display* display_is_valid(const Display* display) {
    if (display == nullptr || display != display_the_display) return nullptr;
    return display_the_display;
}

Display* display_create() {
    if (display_the_display != nullptr) {
        display_report();
        return display_the_display;
    }
    display_flags = display_video_flags;
    backend_set_scale(display_scale);
    backend_set_window_class(DISPLAY_WINDOW_CLASS);
    backend_set_icon(display_icon.argb, display_icon.side);
    display_the_display = static_cast<Display*>(std::calloc(1, sizeof(Display)));
    if (display_the_display == nullptr) {
        display_report();
        return nullptr;
    }
    open_mode(display_the_display, DISPLAY_WIDTH, DISPLAY_HEIGHT);
    display_o_flag = 0;
    return display_the_display;
}

void display_set_mode(Display* display, int32_t width, int32_t height) {
    // Only the one display: a foreign record would no longer describe the screen.
    if (display_is_valid(display) == nullptr || width < 0 || height < 0 || !size_ok(width, height)) {
        display_report();
        return;
    }
    open_mode(display, width, height);
}

void display_present(Display* display, const Img* image) {
    if (!present_ok(display, image)) {
        display_report();
        return;
    }
    const BackendSurfaceInfo shape = backend_surface_info(display_screen);
    if (shape.bits_per_pixel != 32 || shape.width < display->width || shape.height < display->height ||
        shape.pitch < display->width * 4) {
        // Another depth or a smaller screen: only the converting path is safe.
        display_present_blit(display, image);
        return;
    }
    if (backend_lock_surface(display_screen) != 0) {
        display_report();
        return;
    }
    const BackendSurfaceInfo info = backend_surface_info(display_screen);
    if (info.pixels != nullptr) {
        const size_t row_bytes = static_cast<size_t>(display->width) * 4;
        if (screen_is_flat(info, display)) {
            std::memcpy(info.pixels, image->pixels, row_bytes * static_cast<size_t>(display->height));
        } else {
            // Rows wider than the frame: copy row by row, never past a row's end.
            auto* rows = static_cast<uint8_t*>(info.pixels);
            for (int32_t y = 0; y < display->height; ++y) {
                std::memcpy(rows + static_cast<size_t>(y) * static_cast<size_t>(info.pitch),
                            image->pixels + static_cast<size_t>(y) * static_cast<size_t>(display->width), row_bytes);
            }
        }
    }
    backend_unlock_surface(display_screen);
    show_screen();
}

void display_present_blit(Display* display, const Img* image) {
    if (display_is_valid(display) == nullptr || display_screen == nullptr || !image_ok(image)) {
        display_report();
        return;
    }
    const int32_t width = image->width < display->width ? image->width : display->width;
    const int32_t height = image->height < display->height ? image->height : display->height;
    if (width <= 0 || height <= 0) {
        display_report();
        return;
    }
    // The surface reads the image's own pixels with rows of `width` words: a wider image
    // comes out sheared, never read past its end (width x height <= the image's pixels).
    BackendSurface* borrowed = backend_create_rgb_surface_from(image->pixels, width, height, 32, width * 4, RED_MASK,
                                                               GREEN_MASK, BLUE_MASK, ALPHA_MASK);
    if (borrowed == nullptr) {
        display_report();
        return;
    }
    BackendSurface* converted = backend_display_format(borrowed);
    if (converted != nullptr) {
        backend_blit(converted, display_screen);
        backend_free_surface(converted);
    } else {
        display_report();
    }
    backend_free_surface(borrowed);
    show_screen();
}

void display_present_swap(Display* display, const Img* image) {
    if (!present_ok(display, image)) {
        display_report();
        return;
    }
    const BackendSurfaceInfo shape = backend_surface_info(display_screen);
    if (!screen_is_flat(shape, display)) {
        // The screen would read the image with its own row length and depth: copy instead.
        display_present(display, image);
        return;
    }
    if (backend_lock_surface(display_screen) != 0) {
        display_report();
        return;
    }
    void* saved = backend_surface_swap_pixels(display_screen, image->pixels);
    show_screen();
    backend_surface_swap_pixels(display_screen, saved);
    backend_unlock_surface(display_screen);
}

void display_destroy(Display** display) {
    if (display == nullptr || display_is_valid(*display) == nullptr) {
        display_report();
        return;
    }
    backend_free_surface(display_screen);
    display_screen = nullptr;
    std::free(display_the_display);
    display_the_display = nullptr;
    *display = nullptr;
}
