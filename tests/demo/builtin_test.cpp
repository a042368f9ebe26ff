// The built-in pictures and texts: every character a text shows has its glyph and sprite, the
// grid text keeps clear of the frame's edges and the counter, the window's icon is the logo on
// a plate, and the committed and embedded data are exactly what the generators write.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "capture/capture_fixtures.h"
#include "demo/builtin.h"
#include "demo/icon.h"
#include "demo/song.h"
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
// wave up to 8 pixels left or up and 7 right or down; the counter's two digits cover x 0..31
// of the frame's last 16 rows. So the first and last columns and the last row could be cut
// by the frame's edges, and row 14's columns 1 and 2 could cross the counter: all blanks.
TEST(Builtin, TheGridTextKeepsClearOfTheFramesEdgesAndTheCounter) {
    ASSERT_EQ(text_grid_size, 16 * 16);
    for (int32_t i = 0; i < 16 * 16; ++i) {
        const int32_t row = i / 16, column = i % 16;
        const bool edge = column == 0 || column == 15 || row == 15 || (row == 14 && column < 3);
        EXPECT_TRUE(!edge || text_grid[i] == ' ') << "row " << row << ", column " << column;
    }
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

// The committed pictures and song blocks, and the embedded pictures, are exactly what the
// generators write: rerun them into fresh folders and compare bytes.
TEST(Builtin, CommittedAndEmbeddedDataAreWhatTheGeneratorsWrite) {
    const std::string pictures = fresh_folder("capture_builtin"), song = fresh_folder("capture_song");
    ASSERT_EQ(run_command(DEMO_BINARY_DIR "/tool_art " + pictures).status, 0);
    ASSERT_EQ(run_command(DEMO_BINARY_DIR "/tool_synth " + song + " > /dev/null").status, 0);
    const struct { const char* stem; const unsigned char* data; int32_t size; } blocks[] = {
        {"charset", pnm_charset, pnm_charset_size}, {"sprites", pnm_sprites, pnm_sprites_size},
        {"bubbles", pnm_bubbles, pnm_bubbles_size}, {"cells", pnm_cells, pnm_cells_size}, {"logo", pnm_logo, pnm_logo_size},
        {"emblem_colour", pnm_emblem_colour, pnm_emblem_colour_size},
        {"emblem_mask", pnm_emblem_mask, pnm_emblem_mask_size}};
    for (const auto& [stem, data, size] : blocks) {
        const std::string generated = read_file(pictures + "/" + stem + ".pnm");
        EXPECT_TRUE(generated == read_file(std::string(DEMO_SOURCE_DIR "/data/pictures/") + stem + ".pnm")) << stem;
        EXPECT_TRUE(generated == std::string(reinterpret_cast<const char*>(data), static_cast<size_t>(size))) << stem;
    }
    for (int32_t b = 0; b < SONG_BLOCKS; ++b) {
        const std::string name = (b < 10 ? "/block0" : "/block") + std::to_string(b) + ".wav";
        const std::string made = read_file(song + name);
        EXPECT_EQ(made.size(), 44u + 2u * SONG_BLOCK_LENGTH) << name;
        EXPECT_TRUE(made == read_file(DEMO_SOURCE_DIR "/data/song" + name)) << name << " differs from data/song";
    }
}

}  // namespace
