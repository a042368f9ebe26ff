#pragma once
// Shared helpers of the image tests: sized and position-coded pictures, set-pixel counts,
// the error line a module prints while its debug flag is set, and scratch files.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "image/img.h"

inline Img* sized(int32_t w, int32_t h) {
    Img* img = img_create();
    img_resize(img, w, h);
    return img;
}

// Pixel (x, y) holds 1 + x + 4096 y; with holes, a few are 0 (the colour key).
inline Img* coded(int32_t w, int32_t h, bool with_holes = false) {
    Img* img = sized(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            img->pixels[y * w + x] = (with_holes && (x + 2 * y) % 5 == 0) ? 0 : static_cast<uint32_t>(1 + x + 4096 * y);
    return img;
}
inline int32_t coded_x(uint32_t p) { return static_cast<int32_t>((p - 1) % 4096); }
inline int32_t coded_y(uint32_t p) { return static_cast<int32_t>((p - 1) / 4096); }

inline int count_set(const Img* img) {
    int n = 0;
    for (int32_t i = 0; i < img->width * img->height; ++i) n += img->pixels[i] != 0;
    return n;
}

// Runs f with the debug flag set and returns what it printed.
template <typename F>
std::string printed(F f, uint8_t& flag = img_debug) {
    flag = 1;
    testing::internal::CaptureStdout();
    f();
    flag = 0;
    return testing::internal::GetCapturedStdout();
}

inline void write_file(const std::string& path, const std::string& content) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(content.data(), 1, content.size(), f), content.size());
    std::fclose(f);
}
