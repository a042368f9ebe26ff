// The surface calls of backend.h over surfaces in memory, shared by the backends without a
// video library (see backend_memory_surface.h).
#include "platform/backend_memory_surface.h"

#include <bit>
#include <cstdlib>
#include <cstring>

#include "common/limits.h"

const char* memory_surface_error = "";

bool memory_screen_open(BackendSurface* screen, int32_t width, int32_t height, uint32_t flags) {
    *screen = BackendSurface{};
    if (width <= 0 || height <= 0 || !size_ok(width, height)) {
        memory_surface_error = "Invalid video mode size";
        return false;
    }
    void* pixels = std::calloc(static_cast<size_t>(width) * static_cast<size_t>(height), 4);
    if (pixels == nullptr) {
        memory_surface_error = "Out of memory";
        return false;
    }
    *screen = BackendSurface{width, height, width * 4, 32, MEMORY_SCREEN_RED, MEMORY_SCREEN_GREEN, MEMORY_SCREEN_BLUE,
                             flags & ~BACKEND_DOUBLEBUF, pixels, pixels};
    return true;
}

uint32_t memory_surface_channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    return ((pixel & mask) >> std::countr_zero(mask)) & 0xFFu;
}

void memory_surface_free(BackendSurface* surface) {
    std::free(surface->own);
    std::free(surface);
}


BackendSurface* backend_create_rgb_surface_from(void* pixels, int32_t width, int32_t height, int32_t bits_per_pixel,
                                                int32_t pitch, uint32_t red_mask, uint32_t green_mask,
                                                uint32_t blue_mask, uint32_t alpha_mask) {
    (void)alpha_mask;  // the screen has no alpha: conversion drops it
    if (pixels == nullptr || width <= 0 || height <= 0 || bits_per_pixel != 32 || !size_ok(width, height) ||
        pitch != width * 4) {
        memory_surface_error = "Unsupported surface";
        return nullptr;
    }
    auto* surface = static_cast<BackendSurface*>(std::calloc(1, sizeof(BackendSurface)));
    if (surface == nullptr) {
        memory_surface_error = "Out of memory";
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
        memory_surface_error = "Out of memory";
        return nullptr;
    }
    const auto* from = static_cast<const uint32_t*>(surface->pixels);
    auto* to = static_cast<uint32_t*>(buffer);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t p = from[i];
        to[i] = (memory_surface_channel(p, surface->red_mask) << 16) |
                (memory_surface_channel(p, surface->green_mask) << 8) | memory_surface_channel(p, surface->blue_mask);
    }
    *converted = BackendSurface{surface->width, surface->height, surface->width * 4, 32, MEMORY_SCREEN_RED, MEMORY_SCREEN_GREEN,
                                MEMORY_SCREEN_BLUE, 0, buffer, buffer};
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
    memory_surface_present(surface);
    return 0;
}

void backend_update_rect(BackendSurface* surface, int32_t x, int32_t y, int32_t width, int32_t height) {
    (void)x;
    (void)y;
    (void)width;
    (void)height;
    if (surface != nullptr) memory_surface_present(surface);
}

const char* backend_error() {
    return memory_surface_error;
}

// No window manager to tell who the window is.
void backend_set_window_class(const char* name) { (void)name; }
void backend_set_icon(const uint32_t* argb, int32_t side) {
    (void)argb;
    (void)side;
}
