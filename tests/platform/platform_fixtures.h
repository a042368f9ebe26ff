#pragma once
// Frames for the platform tests, made without the image module so these tests only
// depend on the platform layer. Pixels come from calloc, as the image module's do.
#include <cstdint>
#include <cstdlib>

#include "image/img.h"

struct TestFrame {
    Img img;
    explicit TestFrame(int32_t width, int32_t height) : img{0, 0, width, height, nullptr} {
        img.pixels = static_cast<uint32_t*>(std::calloc(static_cast<size_t>(width) * static_cast<size_t>(height), 4));
    }
    ~TestFrame() { std::free(img.pixels); }
    TestFrame(const TestFrame&) = delete;
    TestFrame& operator=(const TestFrame&) = delete;

    // A pattern in which every pixel differs from its neighbours and from the screen's zeros.
    void fill_pattern(uint32_t seed) {
        for (int32_t i = 0; i < img.width * img.height; ++i) {
            img.pixels[i] = (seed + static_cast<uint32_t>(i) * 2654435761u) & 0x00FFFFFFu;
            if (img.pixels[i] == 0) img.pixels[i] = 1;
        }
    }
    uint32_t at(int32_t x, int32_t y) const { return img.pixels[y * img.width + x]; }
};
