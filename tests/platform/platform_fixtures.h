#pragma once
// Shared by the platform tests: frames made without the image module and a reader of the
// screen's pixels.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "image/img.h"
#include "platform/backend.h"
#include "platform/display.h"

struct TestFrame {
    std::vector<uint32_t> pixels;
    Img img;
    // With a seed: every pixel differs from its neighbours and from the screen's zeros.
    explicit TestFrame(int32_t width, int32_t height, uint32_t seed = 0)
        : pixels(static_cast<size_t>(width) * static_cast<size_t>(height)), img{0, 0, width, height, pixels.data()} {
        for (size_t i = 0; seed != 0 && i < pixels.size(); ++i) {
            pixels[i] = std::max((seed + static_cast<uint32_t>(i) * 2654435761u) & 0x00FFFFFFu, 1u);
        }
    }
    TestFrame(const TestFrame&) = delete;
    TestFrame& operator=(const TestFrame&) = delete;
};

// The screen's pixels, row after row (empty if it cannot be locked).
template <typename Pixel = uint32_t>
std::vector<Pixel> screen_pixels() {
    const BackendSurfaceInfo info = backend_surface_info(display_screen);
    std::vector<Pixel> out;
    if (backend_lock_surface(display_screen) != 0) return out;
    for (int32_t y = 0; y < info.height; ++y) {
        auto* row = reinterpret_cast<Pixel*>(static_cast<uint8_t*>(info.pixels) + y * info.pitch);
        out.insert(out.end(), row, row + info.width);
    }
    backend_unlock_surface(display_screen);
    return out;
}
