#pragma once
// Shared by the platform tests: frames made without the image module (pixels from calloc, as
// the image module's are) and a reader of the screen's pixels.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/img.h"
#include "platform/backend.h"
#include "platform/display.h"

struct TestFrame {
    Img img;
    explicit TestFrame(int32_t width, int32_t height, uint32_t seed = 0) : img{0, 0, width, height, nullptr} {
        img.pixels = static_cast<uint32_t*>(std::calloc(static_cast<size_t>(width) * static_cast<size_t>(height), 4));
        // With a seed: every pixel differs from its neighbours and from the screen's zeros.
        for (int32_t i = 0; seed != 0 && i < width * height; ++i) {
            img.pixels[i] = (seed + static_cast<uint32_t>(i) * 2654435761u) & 0x00FFFFFFu;
            if (img.pixels[i] == 0) img.pixels[i] = 1;
        }
    }
    ~TestFrame() { std::free(img.pixels); }
    TestFrame(const TestFrame&) = delete;
    TestFrame& operator=(const TestFrame&) = delete;
    uint32_t at(int32_t x, int32_t y) const { return img.pixels[y * img.width + x]; }
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
