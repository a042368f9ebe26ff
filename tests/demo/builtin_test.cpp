#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    bool bitmap;  // P4 rather than P6
    int32_t width;
    int32_t height;
};

const Block BLOCKS[] = {
    {"charset", pnm_charset, pnm_charset_size, true, 128, 144},
    {"sprites", pnm_sprites, pnm_sprites_size, false, 512, 256},
    {"bubbles", pnm_bubbles, pnm_bubbles_size, false, 128, 16},
    {"cells", pnm_cells, pnm_cells_size, false, 128, 16},
    {"logo", pnm_logo, pnm_logo_size, false, 256, 128},
    {"emblem_colour", pnm_emblem_colour, pnm_emblem_colour_size, false, 256, 128},
    {"emblem_mask", pnm_emblem_mask, pnm_emblem_mask_size, true, 256, 128},
};

// Owns a decoded picture for the length of a test.
struct Picture {
    Img* img;
    explicit Picture(const unsigned char* block) : img(img_load_pnm(block)) {}
    ~Picture() { img_destroy(&img); }
    uint32_t at(int32_t x, int32_t y) const { return img->pixels[static_cast<int64_t>(y) * img->width + x]; }
    // Number of non-zero pixels in the w x h rectangle at (x0, y0).
    int32_t lit(int32_t x0, int32_t y0, int32_t w, int32_t h) const {
        int32_t n = 0;
        for (int32_t y = y0; y < y0 + h; ++y)
            for (int32_t x = x0; x < x0 + w; ++x) n += at(x, y) != 0;
        return n;
    }
};

std::string text_of(const unsigned char* text, int32_t size) {
    return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(size));
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', start)) {
        lines.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

const char* const KEY_LINES[] = {"PRESS KEYS: ",          "ESC,Q: EXIT ",           "SPACE: NEXT PART  ",
                                 "8: SHOW F.P.S. ON/OFF   ", "9: FULL SPEED ON/OFF   ", "AS: SCROLL SPEED    "};

bool read_file(const std::string& path, std::vector<unsigned char>& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    int c;
    while ((c = std::fgetc(f)) != EOF) out.push_back(static_cast<unsigned char>(c));
    std::fclose(f);
    return true;
}

}  // namespace

TEST(BuiltinBlocks, HeaderHasMagicFourCommentsSizeAndExactDataLength) {
    for (const Block& b : BLOCKS) {
        SCOPED_TRACE(b.stem);
        const std::string text = text_of(b.data, b.size);
        std::vector<std::string> lines = lines_of(text.substr(0, 400));
        ASSERT_GE(lines.size(), 7u);
        EXPECT_EQ(lines[0], b.bitmap ? "P4" : "P6");
        for (int i = 1; i <= 4; ++i) EXPECT_EQ(lines[i][0], '#') << i;
        EXPECT_EQ(lines[5], std::to_string(b.width) + " " + std::to_string(b.height));
        size_t header = 0;
        for (int i = 0; i <= 5; ++i) header += lines[i].size() + 1;
        if (!b.bitmap) {
            EXPECT_EQ(lines[6].substr(0, 3), "255");
            EXPECT_EQ(text[header + 3], '\n');
            header += 4;
        }
        const size_t data = b.bitmap ? static_cast<size_t>(b.width / 8) * b.height
                                     : static_cast<size_t>(b.width) * b.height * 3;
        EXPECT_EQ(static_cast<size_t>(b.size), header + data);
        EXPECT_EQ(b.data[b.size], 0) << "embedded blocks end with a NUL";
    }
}

TEST(BuiltinBlocks, DecodeToTheirSizesWithBothDecoders) {
    for (const Block& b : BLOCKS) {
        SCOPED_TRACE(b.stem);
        Picture p(b.data);
        ASSERT_NE(p.img, nullptr);
        EXPECT_EQ(p.img->width, b.width);
        EXPECT_EQ(p.img->height, b.height);
        Img* sized = img_load_pnm_sized(b.data, static_cast<size_t>(b.size));
        ASSERT_NE(sized, nullptr);
        EXPECT_TRUE(img_equal(p.img, sized));
        img_destroy(&sized);
        // One byte short of the data must not decode.
        EXPECT_EQ(img_load_pnm_sized(b.data, static_cast<size_t>(b.size) - 1), nullptr);
    }
}

TEST(BuiltinTexts, OnlyPrintableCharactersAndLineFeeds) {
    const std::pair<const unsigned char*, int32_t> texts[] = {
        {text_bigscroll, text_bigscroll_size}, {text_grid, text_grid_size}, {text_scroller, text_scroller_size}};
    for (const auto& [data, size] : texts) {
        ASSERT_GT(size, 0);
        EXPECT_EQ(data[size], 0);
        for (int32_t i = 0; i < size; ++i) EXPECT_TRUE(data[i] == '\n' || (data[i] >= 32 && data[i] < 127)) << i;
    }
    EXPECT_EQ(text_bigscroll[text_bigscroll_size - 1], '\n');
    EXPECT_EQ(text_scroller[text_scroller_size - 1], '\n');
}

TEST(BuiltinTexts, BigScrollLinesInOrder) {
    const std::vector<std::string> lines = lines_of(text_of(text_bigscroll, text_bigscroll_size));
    EXPECT_NEAR(text_bigscroll_size, 1282, 100);
    ASSERT_GE(lines.size(), 12u);
    EXPECT_EQ(lines[0], "VORT7131");
    EXPECT_EQ(lines[1], "20101108");
    for (int i = 0; i < 6; ++i) EXPECT_EQ(lines[2 + i], KEY_LINES[i]) << i;
    EXPECT_EQ(lines.back(), "9.8.7.6.5.4.3.2.1.0 ");
}

TEST(BuiltinTexts, ScrollerStartsBlankThenNameDateAndKeys) {
    const std::vector<std::string> lines = lines_of(text_of(text_scroller, text_scroller_size));
    EXPECT_NEAR(text_scroller_size, 1611, 100);
    ASSERT_GE(lines.size(), 12u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "VORT7131");
    EXPECT_EQ(lines[2], "20101108");
    for (int i = 0; i < 6; ++i) EXPECT_EQ(lines[3 + i], KEY_LINES[i]) << i;
    EXPECT_EQ(lines.back(), "9.8.7.6.5.4.3.2.1.0 ");
}

TEST(BuiltinTexts, GridIsSixteenRowsOfSixteen) {
    ASSERT_EQ(text_grid_size, 256);
    const std::string grid = text_of(text_grid, text_grid_size);
    EXPECT_EQ(grid.find('\n'), std::string::npos);
    const std::string blank(16, ' ');
    const char* const rows[14] = {"      VORT      ", "      7131      ", blank.c_str(), "    20101108    ",
                                  blank.c_str(),      blank.c_str(),      "   PRESS KEYS:  ", blank.c_str(),
                                  "ESC,Q: EXIT     ", "SPACE: NEXT PART", "8: SHOW F.P.S.  ", "9: FULL SPEED   ",
                                  "AS: SCROLL SPEED", blank.c_str()};
    for (int r = 0; r < 14; ++r) EXPECT_EQ(grid.substr(16 * r, 16), rows[r]) << "row " << r;
    EXPECT_NE(grid.substr(16 * 14, 16), blank) << "contact row";
    EXPECT_NE(grid.substr(16 * 15, 16), blank) << "credit row";
}

TEST(BuiltinCharset, EveryTextCharacterHasAGlyphAndSpaceIsBlank) {
    Picture charset(pnm_charset);
    ASSERT_NE(charset.img, nullptr);
    auto glyph = [&](int code) { return charset.lit((code % 16) * 8, (code / 16) * 8, 8, 8); };
    EXPECT_EQ(glyph(' '), 0);
    for (int code = 33; code < 127; ++code) EXPECT_GT(glyph(code), 0) << "code " << code;
    const std::pair<const unsigned char*, int32_t> texts[] = {
        {text_bigscroll, text_bigscroll_size}, {text_grid, text_grid_size}, {text_scroller, text_scroller_size}};
    for (const auto& [data, size] : texts)
        for (int32_t i = 0; i < size; ++i)
            if (data[i] > ' ') {
                EXPECT_GT(glyph(data[i]), 0) << "character " << data[i];
            }
    // Decoded bitmap pixels are white or the colour key, nothing else.
    for (int32_t y = 0; y < 144; ++y)
        for (int32_t x = 0; x < 128; ++x) {
            const uint32_t p = charset.at(x, y);
            ASSERT_TRUE(p == 0 || p == 0xFFFFFF) << x << "," << y;
        }
}

TEST(BuiltinSprites, LettersTilesStarsAndSwarm) {
    Picture sheet(pnm_sprites);
    ASSERT_NE(sheet.img, nullptr);
    auto cell_lit = [&](int c) { return sheet.lit((c % 16) * 32, (c / 16) * 32, 32, 32); };
    for (int32_t i = 0; i < text_scroller_size; ++i)
        if (text_scroller[i] > ' ') {
            EXPECT_GT(cell_lit(text_scroller[i]), 0) << "letter " << text_scroller[i];
        }
    EXPECT_EQ(cell_lit(' '), 0);
    EXPECT_EQ(cell_lit('\n'), 0) << "a line feed scrolls past as a gap";
    for (int c = 16; c <= 20; ++c) EXPECT_EQ(cell_lit(c), 32 * 32) << "tile " << c << " has a 0 pixel";
    for (int c : {1, 3, 5, 7}) {
        EXPECT_GT(cell_lit(c), 20) << "star " << c;
        EXPECT_LT(cell_lit(c), 32 * 32) << "star " << c << " has no transparent surround";
    }
    // The swarm sprite: transparent corners and dim channels, so additive trails build up slowly.
    EXPECT_GT(cell_lit(23), 200);
    const int32_t x0 = 7 * 32, y0 = 32;
    EXPECT_EQ(sheet.at(x0, y0), 0u);
    EXPECT_EQ(sheet.at(x0 + 31, y0 + 31), 0u);
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 32; ++x) {
            const uint32_t p = sheet.at(x0 + x, y0 + y);
            ASSERT_LT(p >> 16, 0x30u);
            ASSERT_LT((p >> 8) & 0xFF, 0x30u);
            ASSERT_LT(p & 0xFF, 0x30u);
        }
}

TEST(BuiltinStrips, BubblesGrowFromFarToNearAndCellsAreSolid) {
    Picture bubbles(pnm_bubbles);
    Picture cells(pnm_cells);
    ASSERT_NE(bubbles.img, nullptr);
    ASSERT_NE(cells.img, nullptr);
    int32_t previous_area = 0;
    uint32_t previous_peak = 0;
    for (int32_t c = 0; c < 8; ++c) {
        const int32_t area = bubbles.lit(c * 16, 0, 16, 16);
        EXPECT_GT(area, previous_area) << "bubble " << c;
        EXPECT_EQ(bubbles.at(c * 16, 0), 0u) << "bubble " << c << " corner";
        EXPECT_EQ(bubbles.at(c * 16 + 15, 15), 0u) << "bubble " << c << " corner";
        uint32_t peak = 0;
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = c * 16; x < c * 16 + 16; ++x) {
                const uint32_t p = bubbles.at(x, y);
                const uint32_t sum = (p >> 16) + ((p >> 8) & 0xFF) + (p & 0xFF);
                if (sum > peak) peak = sum;
            }
        EXPECT_GE(peak, previous_peak) << "bubble " << c << " is brighter than a nearer one";
        previous_area = area;
        previous_peak = peak;
        EXPECT_EQ(cells.lit(c * 16, 0, 16, 16), 256) << "cell " << c;
    }
}

TEST(BuiltinPictures, LogoAndEmblemHalves) {
    Picture logo(pnm_logo);
    Picture colour(pnm_emblem_colour);
    Picture mask(pnm_emblem_mask);
    ASSERT_NE(logo.img, nullptr);
    ASSERT_NE(colour.img, nullptr);
    ASSERT_NE(mask.img, nullptr);
    const int32_t logo_lit = logo.lit(0, 0, 256, 128);
    EXPECT_GT(logo_lit, 256 * 128 / 5);
    EXPECT_LT(logo_lit, 256 * 128 * 4 / 5) << "the logo needs transparent parts";
    int32_t inside = 0, rim = 0, outside_colour = 0;
    for (int32_t y = 0; y < 128; ++y)
        for (int32_t x = 0; x < 256; ++x) {
            const uint32_t m = mask.at(x, y);
            ASSERT_TRUE(m == 0 || m == 0xFFFFFF);
            if (m != 0) ++inside;
            if (m != 0 && colour.at(x, y) != 0) ++rim;
            if (m == 0 && colour.at(x, y) != 0) ++outside_colour;
        }
    EXPECT_EQ(outside_colour, 0) << "the outline lies inside the mask";
    EXPECT_GT(inside, 256 * 128 / 6);
    EXPECT_GT(rim, 0);
    EXPECT_LT(rim, inside / 2) << "most of the inside is left open for the dots";
}

TEST(BuiltinBlocks, CommittedAndEmbeddedPicturesAreWhatTheGeneratorWrites) {
    const std::string tool = std::string(DEMO_BINARY_DIR) + "/tool_art";
    FILE* probe = std::fopen(tool.c_str(), "rb");
    if (probe == nullptr) GTEST_SKIP() << "tool_art is not built in " << DEMO_BINARY_DIR;
    std::fclose(probe);
    char folder[] = "/tmp/builtin_test_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string command = tool + " " + folder;
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const Block& b : BLOCKS) {
        SCOPED_TRACE(b.stem);
        const std::string name = std::string("/") + b.stem + ".pnm";
        std::vector<unsigned char> generated, committed;
        ASSERT_TRUE(read_file(folder + name, generated));
        ASSERT_TRUE(read_file(std::string(DEMO_SOURCE_DIR) + "/data/pictures" + name, committed));
        EXPECT_TRUE(generated == committed);
        ASSERT_EQ(generated.size(), static_cast<size_t>(b.size));
        EXPECT_EQ(std::memcmp(generated.data(), b.data, generated.size()), 0);
        std::remove((folder + name).c_str());
    }
    EXPECT_EQ(rmdir(folder), 0);
}
