// The built-in pictures and texts: every character a text shows has its glyph and sprite, the
// grid text keeps clear of the frame's edges and the counter, the window's icon is the logo on
// a plate, and the committed and embedded pictures are exactly what the generator writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "capture/capture_fixtures.h"
#include "common/sine_table.h"
#include "demo/builtin.h"
#include "demo/icon.h"
#include "image/img.h"

namespace {

// Owns a decoded picture for the length of a test.
struct Picture {
    Img* img;
    explicit Picture(const unsigned char* block) : img(img_load_pnm(block)) {}
    ~Picture() { img_destroy(&img); }
};

// Number of non-zero pixels in the size x size cell n of a sheet (cells row after row).
int32_t lit(const Picture& sheet, int32_t n, int32_t size) {
    const int32_t across = sheet.img->width / size;
    int32_t count = 0;
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x)
            count += img_get_pixel(sheet.img, (n % across) * size + x, (n / across) * size + y) != 0;
    return count;
}

TEST(Builtin, EveryTextByteIsPrintableWithAGlyphAndALetterSprite) {
    const Picture charset(pnm_charset), sheet(pnm_sprites), cells(pnm_cells);
    ASSERT_TRUE(charset.img != nullptr && sheet.img != nullptr && cells.img != nullptr);
    for (int code = ' '; code < 127; ++code) EXPECT_EQ(lit(charset, code, 8) > 0, code != ' ') << "glyph " << code;
    const std::pair<const unsigned char*, int32_t> texts[] = {
        {text_bigscroll, text_bigscroll_size}, {text_grid, text_grid_size}, {text_scroller, text_scroller_size}};
    for (const auto& [text, size] : texts) {
        EXPECT_EQ(text[size], 0);
        for (int32_t i = 0; i < size; ++i) {
            const unsigned char c = text[i];
            EXPECT_TRUE(c == '\n' || (c >= 32 && c < 127)) << "byte " << i;
            if (c > ' ' && text == text_scroller) {
                EXPECT_GT(lit(sheet, c, 32), 0) << "letter " << c;
            }
        }
    }
    EXPECT_EQ(lit(sheet, ' ', 32), 0);
    for (int c = 16; c <= 20; ++c) EXPECT_EQ(lit(sheet, c, 32), 32 * 32) << "tile " << c << " has a 0 pixel";
    // Every brush piece fills most of its square; the two balls (cells 2 and 5) leave
    // their corners see-through, so what lies behind the big letters shows between them.
    for (int c = 0; c < 8; ++c) {
        const bool ball = c == 2 || c == 5;
        EXPECT_GE(lit(cells, c, 16), 16 * 16 / 2) << "cell " << c;
        EXPECT_EQ(lit(cells, c, 16) < 16 * 16, ball) << "cell " << c;
        EXPECT_EQ(cells.img->pixels[c * 16] == 0, ball) << "cell " << c << " top-left corner";
    }
}

// Scene 2 draws the grid text as 16 x 16 characters on a 16-pixel grid, each carried by the
// wave (a sine shifted right by 12) up to 8 pixels either way; the counter's two digits
// cover x 0..31 of the frame's last 16 rows. A character that could be cut by the left,
// right or bottom edge, or cross the counter, must be a blank.
TEST(Builtin, TheGridTextKeepsClearOfTheFramesEdgesAndTheCounter) {
    constexpr int32_t SIDE = 16, CELL = 16, FRAME = 256, COUNTER_WIDTH = 32;
    ASSERT_EQ(text_grid_size, SIDE * SIDE);
    int32_t low = 0, high = 0;  // the wave's reach
    for (int32_t i = 0; i < SINE_LENGTH; ++i) {
        low = std::min(low, sine_at(i) >> 12);
        high = std::max(high, sine_at(i) >> 12);
    }
    int32_t kept_blank = 0;
    for (int32_t row = 0; row < SIDE; ++row)
        for (int32_t column = 0; column < SIDE; ++column) {
            const int32_t left = CELL * column + low, right = CELL * column + high + CELL - 1;
            const int32_t bottom = CELL * row + high + CELL - 1;
            const bool cut = left < 0 || right >= FRAME || bottom >= FRAME;
            const bool on_counter = left < COUNTER_WIDTH && bottom >= FRAME - CELL;
            if (!cut && !on_counter) continue;
            ++kept_blank;
            EXPECT_EQ(text_grid[SIDE * row + column], ' ') << "row " << row << ", column " << column;
        }
    EXPECT_EQ(kept_blank, 2 * SIDE + (SIDE - 2) + 2) << "the first and last columns, the last row, and two more";
}

// The window's icon: the logo's two halves on an opaque plate whose rounded corners are see
// through; at the master size each letter pixel is the logo's own.
TEST(Builtin, TheIconStacksTheLogoOnAPlateWithRoundCorners) {
    const Picture logo(pnm_logo);
    ASSERT_NE(logo.img, nullptr);
    std::vector<uint32_t> icon(ICON_MASTER * ICON_MASTER);
    ASSERT_TRUE(icon_from_logo(logo.img, ICON_MASTER, icon));
    auto at = [&](int32_t x, int32_t y) { return icon[static_cast<size_t>(y) * ICON_MASTER + x]; };
    for (int32_t corner : {0, ICON_MASTER - 1}) {
        EXPECT_EQ(at(corner, corner), 0u);
        EXPECT_EQ(at(ICON_MASTER / 2, corner) >> 24, 0xFFu);
        EXPECT_EQ(at(corner, ICON_MASTER / 2) >> 24, 0xFFu);
    }
    // "VORT" fills the top half, "7131" the bottom, both from the logo's row 14 down, centred.
    const int32_t left = (ICON_MASTER - 128) / 2;
    for (int32_t y = 0; y < ICON_MASTER; y += 7)
        for (int32_t x = 0; x < 128; x += 5)
            ASSERT_EQ(at(left + x, y), 0xFF000000u | img_get_pixel(logo.img, x + (y / 96) * 128, 14 + y % 96)) << x << ", " << y;
    std::vector<uint32_t> small(ICON_WINDOW * ICON_WINDOW, 1);
    ASSERT_TRUE(icon_from_logo(logo.img, ICON_WINDOW, small));
    EXPECT_EQ(small[0], 0u);
    EXPECT_EQ(small[ICON_WINDOW * ICON_WINDOW / 2 + ICON_WINDOW / 2] >> 24, 0xFFu);
    // Refused, the pixels untouched: no logo, a side out of range, too little room.
    EXPECT_FALSE(icon_from_logo(nullptr, 16, small) || icon_from_logo(logo.img, 0, small) ||
                 icon_from_logo(logo.img, ICON_MASTER + 1, icon) ||
                 icon_from_logo(logo.img, ICON_WINDOW + 1, small));
    EXPECT_EQ(small[0], 0u);
}

TEST(Builtin, CommittedAndEmbeddedPicturesAreWhatTheGeneratorWrites) {
    const std::string folder = fresh_folder("capture_builtin");
    ASSERT_EQ(run_command(DEMO_BINARY_DIR "/tool_art " + folder).status, 0);
    const struct { const char* stem; const unsigned char* data; int32_t size; } blocks[] = {
        {"charset", pnm_charset, pnm_charset_size}, {"sprites", pnm_sprites, pnm_sprites_size},
        {"bubbles", pnm_bubbles, pnm_bubbles_size}, {"cells", pnm_cells, pnm_cells_size}, {"logo", pnm_logo, pnm_logo_size},
        {"emblem_colour", pnm_emblem_colour, pnm_emblem_colour_size},
        {"emblem_mask", pnm_emblem_mask, pnm_emblem_mask_size}};
    for (const auto& [stem, data, size] : blocks) {
        const std::string generated = read_file(folder + "/" + stem + ".pnm");
        EXPECT_TRUE(generated == read_file(std::string(DEMO_SOURCE_DIR "/data/pictures/") + stem + ".pnm")) << stem;
        EXPECT_TRUE(generated == std::string(reinterpret_cast<const char*>(data), static_cast<size_t>(size))) << stem;
    }
}

}  // namespace
