#pragma once
// How the SDL backend fits the 256 x 256 frame to the machine's screen. Set once, before the
// first video mode; the headless backend has no screen to fit and does not offer it.
//  - In a window: the window is factor times the mode in each direction. The SDL 1.2 layer
//    (sdl12-compat) scales, by nearest neighbour unless the user's own
//    SDL12COMPAT_SCALE_METHOD asks otherwise; factor 0 leaves the window as the user's
//    SDL12COMPAT_WINDOW_SCALING (if any) makes it.
//  - Full screen: the screen is opened at the desktop's own size and every frame is drawn
//    into its middle, each pixel factor x factor, on black. Factor 0, or one too big for the
//    screen, takes the largest that fits. A user's own SDL12COMPAT_SCALE_METHOD hands the
//    scaling back to the SDL layer: the picture then fills the screen's height, filtered so.
#include <cstdint>

constexpr int32_t BACKEND_SCALE_MAX = 16;  // 16 x 256 = 4096 pixels

void backend_set_scale(int32_t factor);  // 0..BACKEND_SCALE_MAX; anything else reads as 0
