#pragma once
// Shared helpers of the image and effect tests: sized and position-coded pictures, sheets
// of solid cells, set-pixel counts, the error line a module prints while its debug flag is
// set, and scratch files.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "image/font.h"
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

struct TestImg {
    Img* img;
    TestImg(int32_t w, int32_t h) : img(sized(w, h)) {}
    ~TestImg() { img_destroy(&img); }
    uint32_t at(int32_t x, int32_t y) const { return img_get_pixel(img, x, y); }
    int32_t lit() const { return count_set(img); }
};

// A sheet of per_row x rows cells of cw x ch, cell c solid cell_colour(c): a colour found
// in a target names the cell drawn, and its low 16 bits add up under additive drawing.
inline uint32_t cell_colour(int32_t c) { return 0x00A00000u | static_cast<uint32_t>(c + 1); }

struct TestFont {
    Font* font = font_create();
    TestFont(int32_t cw, int32_t ch, int32_t per_row, int32_t rows) {
        font->cell_width = cw;
        font->cell_height = ch;
        font->sheet = sized(cw * per_row, ch * rows);
        for (int32_t y = 0; y < ch * rows; ++y)
            for (int32_t x = 0; x < cw * per_row; ++x)
                img_put_pixel(font->sheet, x, y, cell_colour((y / ch) * per_row + x / cw));
    }
    ~TestFont() { font_destroy(&font); }  // frees the sheet, never the target
};

// Row y of a picture, one character a pixel: '.' where nothing was drawn, else the code of
// the cell whose colour (or sum of colours) the pixel holds.
inline std::string shown(const Img* img, int32_t y = 0) {
    std::string row;
    for (int32_t x = 0; x < img->width; ++x) {
        const uint32_t p = img_get_pixel(img, x, y);
        row += p == 0 ? '.' : static_cast<char>((p & 0xFFFF) - 1);
    }
    return row;
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
    std::ofstream out(path, std::ios::binary);
    ASSERT_TRUE(out.write(content.data(), static_cast<std::streamsize>(content.size())));
}
