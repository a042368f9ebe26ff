#pragma once
// Surfaces in memory, for the backends without a video library (headless, web).
// backend_memory_surface.cpp is the one implementation of the surface calls of backend.h
// that do not depend on where the screen goes (and of the window's class and icon, which
// neither has a window manager to give to); each such backend links it and defines the
// rest: the screen (backend_set_video_mode, backend_free_surface) and memory_surface_present,
// which shows it. Pixels are 32-bit words under three eight-bit colour masks; rows are
// width x 4 bytes.
#include <cstdint>

#include "platform/backend.h"

struct BackendSurface {
    int32_t width;
    int32_t height;
    int32_t pitch;           // always width x 4
    int32_t bits_per_pixel;  // always 32
    uint32_t red_mask;
    uint32_t green_mask;
    uint32_t blue_mask;
    uint32_t flags;
    void* pixels;  // what the surface shows: its own buffer, or lent / borrowed memory
    void* own;     // owned buffer, freed with the surface; null for a borrowing surface
};

constexpr uint32_t MEMORY_SCREEN_RED = 0x00FF0000u;  // the screen's format: 0x00RRGGBB
constexpr uint32_t MEMORY_SCREEN_GREEN = 0x0000FF00u;
constexpr uint32_t MEMORY_SCREEN_BLUE = 0x000000FFu;

extern const char* memory_surface_error;  // what backend_error reports; never null

// A new 32-bit screen record of width x height with its own zeroed pixels; false (and the
// reason in memory_surface_error) when the size is refused or memory runs out.
bool memory_screen_open(BackendSurface* screen, int32_t width, int32_t height, uint32_t flags);
void memory_surface_free(BackendSurface* surface);     // a surface made here, with its own pixels
uint32_t memory_surface_channel(uint32_t pixel, uint32_t mask);  // channel value under an eight-bit mask
void memory_surface_present(BackendSurface* surface);  // defined by the backend: show it if it is the screen
