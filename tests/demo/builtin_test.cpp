#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "demo/builtin.h"
#include "image/img.h"

namespace {

struct Block {
    const char* stem;
    const unsigned char* data;
    int32_t size;
    int32_t width;
    int32_t height;
};
const Block BLOCKS[] = {
    {"charset", pnm_charset, pnm_charset_size, 128, 144},
    {"sprites", pnm_sprites, pnm_sprites_size, 512, 256},
    {"bubbles", pnm_bubbles, pnm_bubbles_size, 128, 16},
    {"cells", pnm_cells, pnm_cells_size, 128, 16},
    {"logo", pnm_logo, pnm_logo_size, 256, 128},
    {"emblem_colour", pnm_emblem_colour, pnm_emblem_colour_size, 256, 128},
    {"emblem_mask", pnm_emblem_mask, pnm_emblem_mask_size, 256, 128},
};

struct Text {
    const unsigned char* data;
    int32_t size;
    std::string str() const { return std::string(reinterpret_cast<const char*>(data), static_cast<size_t>(size)); }
};
const Text TEXTS[] = {{text_bigscroll, text_bigscroll_size}, {text_grid, text_grid_size},
                      {text_scroller, text_scroller_size}};

// Owns a decoded picture for the length of a test.
struct Picture {
    Img* img;
    explicit Picture(const unsigned char* block) : img(img_load_pnm(block)) {}
    ~Picture() { img_destroy(&img); }
    // Number of non-zero pixels in the size x size cell n of a sheet with `across` cells a row.
    int32_t lit(int32_t n, int32_t size, int32_t across) const {
        int32_t count = 0;
        for (int32_t y = (n / across) * size; y < (n / across + 1) * size; ++y)
            for (int32_t x = (n % across) * size; x < (n % across + 1) * size; ++x)
                count += img->pixels[static_cast<int64_t>(y) * img->width + x] != 0;
        return count;
    }
};

std::vector<unsigned char> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Builtin, BlocksDecodeToTheirSizes) {
    for (const Block& b : BLOCKS) {
        Img* img = img_load_pnm_sized(b.data, static_cast<size_t>(b.size));
        ASSERT_NE(img, nullptr) << b.stem;
        EXPECT_EQ(std::make_pair(img->width, img->height), std::make_pair(b.width, b.height)) << b.stem;
        img_destroy(&img);
    }
}

TEST(Builtin, EveryTextByteIsPrintableWithAGlyphAndALetterSprite) {
    Picture charset(pnm_charset);
    Picture sheet(pnm_sprites);
    ASSERT_NE(charset.img, nullptr);
    ASSERT_NE(sheet.img, nullptr);
    EXPECT_EQ(charset.lit(' ', 8, 16), 0);
    for (int code = 33; code < 127; ++code) EXPECT_GT(charset.lit(code, 8, 16), 0) << "glyph " << code;
    for (const Text& t : TEXTS) {
        EXPECT_EQ(t.data[t.size], 0);
        for (int32_t i = 0; i < t.size; ++i) {
            const unsigned char c = t.data[i];
            EXPECT_TRUE(c == '\n' || (c >= 32 && c < 127)) << "byte " << i;
            if (c > ' ' && t.data == text_scroller) {
                EXPECT_GT(sheet.lit(c, 32, 16), 0) << "letter " << c;
            }
        }
    }
    EXPECT_EQ(sheet.lit(' ', 32, 16), 0);
    for (int c = 16; c <= 20; ++c) EXPECT_EQ(sheet.lit(c, 32, 16), 32 * 32) << "tile " << c << " has a 0 pixel";
    // Every brush piece fills most of its square; the two balls (cells 2 and 5) leave
    // their corners see-through, so what lies behind the big letters shows between them.
    Picture cells(pnm_cells);
    for (int c = 0; c < 8; ++c) {
        EXPECT_GE(cells.lit(c, 16, 8), 16 * 16 / 2) << "cell " << c;
        const bool ball = c == 2 || c == 5;
        EXPECT_EQ(cells.lit(c, 16, 8) < 16 * 16, ball) << "cell " << c;
        if (ball) {
            EXPECT_EQ(cells.img->pixels[c * 16], 0u) << "cell " << c << " top-left corner";
        }
    }
}

TEST(Builtin, ScrollTextsHoldTheirLinesInOrder) {
    const char* const expected[] = {"VORT7131", "20101108", "PRESS KEYS: ", "ESC,Q: EXIT ", "SPACE: NEXT PART  ",
                                    "8: SHOW F.P.S. ON/OFF   ", "9: FULL SPEED ON/OFF   ", "AS: SCROLL SPEED    "};
    for (const Text& text : {TEXTS[0], TEXTS[2]}) {
        std::istringstream in(text.str());
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        const size_t first = text.data == text_scroller ? 1 : 0;  // the scroller opens with a blank line
        ASSERT_GE(lines.size(), 12u);
        EXPECT_TRUE(first == 0 || lines[0].empty());
        for (size_t i = 0; i < 8; ++i) EXPECT_EQ(lines[first + i], expected[i]) << "line " << i;
        EXPECT_EQ(lines.back(), "9.8.7.6.5.4.3.2.1.0 ");
    }
}

TEST(Builtin, GridIsSixteenRowsOfSixteen) {
    const std::string grid = TEXTS[1].str(), blank(16, ' ');
    ASSERT_EQ(grid.size(), 256u);
    const std::string rows[14] = {"      VORT      ", "      7131      ", blank, "    20101108    ", blank, blank,
                                  "   PRESS KEYS:  ", blank, "ESC,Q: EXIT     ", "SPACE: NEXT PART",
                                  "8: SHOW F.P.S.  ", "9: FULL SPEED   ", "AS: SCROLL SPEED", blank};
    for (int r = 0; r < 14; ++r) EXPECT_EQ(grid.substr(16 * r, 16), rows[r]) << "row " << r;
}

TEST(Builtin, CommittedAndEmbeddedPicturesAreWhatTheGeneratorWrites) {
    const std::string tool = std::string(DEMO_BINARY_DIR) + "/tool_art";
    if (access(tool.c_str(), X_OK) != 0) GTEST_SKIP() << "tool_art is not built in " << DEMO_BINARY_DIR;
    char folder[] = "/tmp/builtin_test_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    ASSERT_EQ(std::system((tool + " " + folder).c_str()), 0);
    for (const Block& b : BLOCKS) {
        SCOPED_TRACE(b.stem);
        const std::string name = std::string("/") + b.stem + ".pnm";
        const std::vector<unsigned char> generated = read_file(folder + name);
        EXPECT_EQ(generated, read_file(std::string(DEMO_SOURCE_DIR) + "/data/pictures" + name));
        ASSERT_EQ(generated.size(), static_cast<size_t>(b.size));
        EXPECT_EQ(std::memcmp(generated.data(), b.data, generated.size()), 0);
        std::remove((folder + name).c_str());
    }
    EXPECT_EQ(rmdir(folder), 0);
}

}  // namespace
