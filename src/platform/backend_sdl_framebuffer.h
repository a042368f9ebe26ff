#pragma once
// The window's own framebuffer beneath the SDL 1.2 layer. On this system SDL 1.2 is
// sdl12-compat over SDL 2, and its own way to the screen is costly: each update converts the
// updated pixels into an ARGB texture, and each present clears the whole window and converts
// the whole texture into it again, so a full screen costs a tenth of a core at 50 frames a
// second. When SDL 2 draws the window in software onto the X server's shared memory, in the
// frame's own 0x00RRGGBB format, the backend puts the picture there itself and shows just the
// rectangle it drew. Private to backend_sdl.cpp.
#include <cstdint>

struct Framebuffer {
    uint32_t* pixels;  // 0x00RRGGBB words, borrowed from SDL 2 until the next video mode
    int32_t width;     // pixels
    int32_t height;    // rows
    int32_t stride;    // pixels from one row to the next, >= width
};

// The framebuffer of the SDL 1.2 layer's window; false when there is none to draw on
// directly (classic SDL 1.2, a renderer other than SDL 2's software one, framebuffer
// acceleration on, another pixel format, no window yet).
bool framebuffer_get(Framebuffer& framebuffer);
// Shows the rectangle of the framebuffer on the screen; false when SDL 2 refuses.
bool framebuffer_show(int32_t x, int32_t y, int32_t width, int32_t height);
