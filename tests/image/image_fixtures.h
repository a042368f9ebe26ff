#pragma once
// Shared helpers of the image tests: sized and position-coded pictures, set-pixel counts,
// the error line a module prints while its debug flag is set, and scratch files.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "image/img.h"

inline Img* sized(int32_t w, int32_t h) {
    Img* img = img_create();
    img_resize(img, w, h);
    return img;
}

// Pixel (x, y) holds 1 + x + 4096 y: every pixel differs and none is the colour key.
inline Img* coded(int32_t w, int32_t h) {
    Img* img = sized(w, h);
    for (int32_t i = 0; i < w * h; ++i) img->pixels[i] = static_cast<uint32_t>(1 + i % w + 4096 * (i / w));
    return img;
}

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

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::string& path, const std::string& content) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(content.data(), 1, content.size(), f), content.size());
    std::fclose(f);
}
