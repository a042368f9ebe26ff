// BYTEMAP: the 8-bit twin of IMG: its own cell arithmetic, blits, rendering and PNM sinks.
#include "image/bytemap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "image/image_fixtures.h"
#include "sound/sample.h"

namespace {

using Cells = std::vector<uint8_t>;

// Owns a map for the length of a test; optionally filled row-major from a list.
struct Map {
    Bytemap* map;
    Map(int32_t w, int32_t h, Cells fill = {}) : map(bytemap_create()) {
        bytemap_resize(map, w, h);
        std::copy(fill.begin(), fill.end(), map->cells);
    }
    explicit Map(Bytemap* m) : map(m) {}
    ~Map() {
        if (map != nullptr) bytemap_destroy(&map);
    }
    Bytemap* operator->() const { return map; }
    uint8_t at(int32_t x, int32_t y) const { return bytemap_get_pixel(map, x, y); }
    Cells all() const { return Cells(map->cells, map->cells + static_cast<size_t>(map->width) * map->height); }
};

// True when f, run with the debug flag set, printed exactly one error line.
template <typename F>
bool reports(F f) {
    return printed(f, bytemap_debug) == "BYTEMAP error\n";
}

}  // namespace

TEST(BytemapLifeCycle, ClearStopsAtTheMapAndRefusedResizeKeepsIt) {
    // A new map's buffer holds 1024 bytes but the map only 256 cells: clear stops at 256.
    Map fresh(bytemap_create());
    std::memset(fresh->cells, 7, 1024);
    bytemap_clear(fresh.map);
    EXPECT_EQ(std::count(fresh->cells, fresh->cells + 256, 0), 256);
    EXPECT_EQ(std::count(fresh->cells + 256, fresh->cells + 1024, 7), 1024 - 256);
    Map m(4, 3, {0, 0, 0, 0, 0, 5});
    for (auto [w, h] : {std::pair{1 << 14, 1 << 13}, {-1, 4}, {INT32_MAX, INT32_MAX}}) {  // first: twice the limit
        bytemap_resize(m.map, w, h);
        EXPECT_EQ(m->width * 10 + m->height, 43) << w;  // a refused resize keeps the old map
    }
    EXPECT_EQ(m.at(1, 1), 5);
}

TEST(BytemapCells, RectanglesAddFadeMask) {
    Map r(8, 6);
    // Rectangles that do not fit are refused, not clipped.
    const int32_t bad[][4] = {{1, 0, 8, 1}, {-1, 0, 2, 2}, {2, 2, INT32_MAX, INT32_MAX}, {8, 0, 1, 1}};
    for (const auto& b : bad) {
        bytemap_fill_rect(r.map, b[0], b[1], b[2], b[3], 9);
        bytemap_frame_rect(r.map, b[0], b[1], b[2], b[3], 9);
    }
    EXPECT_EQ(r.all(), Cells(48, 0));
    Map m(3, 1, {250, 5, 0});
    bytemap_add(m.map, 10);
    EXPECT_EQ(m.all(), (Cells{4, 15, 10}));  // modulo 256
    bytemap_fade(m.map, 8);
    EXPECT_EQ(m.all(), (Cells{0, 7, 2}));  // floor 0
    Map mask(2, 1, {0x0F, 0xF0}), small(1, 1, {0xFF});  // a target with fewer cells: refused
    EXPECT_TRUE(reports([&] { bytemap_and_mask(mask.map, small.map); }));
    EXPECT_EQ(small.all(), Cells{0xFF});
}

TEST(BytemapBlits, KeyedClipping) {
    Map src(16, 16), dst(32, 32);
    for (int i = 0; i < 256; ++i) src->cells[i] = static_cast<uint8_t>(i % 16 + 1);  // column x holds x + 1
    src->cells[0] = 0;
    dst->cells[0] = 77;
    // {sx, dx, w, x, cell there, x, cell there}: key 0 leaves the destination's 77; the
    // right half lands at x = 0; source columns 0-11 at x = 14-25; one column past the edge.
    const int32_t cases[][7] = {{0, 0, 16, 0, 77, 1, 2}, {0, -8, 16, 7, 16, 8, 0}, {-4, 10, 16, 15, 2, 25, 12},
                                {0, 24, 9, 31, 8, 23, 0}};
    for (const auto& c : cases) {
        bytemap_blit_key(src.map, dst.map, c[0], 0, c[1], 0, c[2], 1);
        EXPECT_EQ(dst.at(c[3], 0) * 1000 + dst.at(c[5], 0), c[4] * 1000 + c[6]) << c[1];
        EXPECT_EQ(dst.at(0, 1), 0);  // nothing spilled into the next row
        bytemap_clear(dst.map);
    }
    // Extreme arguments clip to nothing without overflow.
    for (int32_t a : {INT32_MIN, INT32_MAX})
        for (int32_t b : {INT32_MIN, INT32_MAX}) {
            bytemap_blit_key(src.map, dst.map, a, b, b, a, a, b);
            bytemap_blit_stepped(src.map, dst.map, a, b, b, a, a, b, INT32_MAX, 1);
            bytemap_blit_half(src.map, dst.map, a, b);
        }
    EXPECT_EQ(dst.all(), Cells(32 * 32, 0));
}

TEST(BytemapBlits, BadColumnsAndEmptySizes) {
    Map col_src(1, 4, {1, 2, 0, 4}), col_dst(2, 8), empty(0, 5);
    EXPECT_TRUE(reports([&] { bytemap_copy_column_wrap(col_src.map, col_dst.map, 1, 0, 0); }));
    bytemap_scale(col_src.map, empty.map);  // nothing to draw
    bytemap_scale(empty.map, col_dst.map);  // nothing to show
    EXPECT_EQ(col_dst.all(), Cells(16, 0));
    EXPECT_EQ(bytemap_rotate(nullptr, 0), nullptr);
}

TEST(BytemapTables, RenderAndLinePoints) {
    Sample palette{256, 256, static_cast<int32_t*>(std::calloc(256, sizeof(int32_t)))};
    for (int i = 0; i < 256; ++i) palette.buffer[i] = i * 0x010203;
    Map m(2, 2, {0, 1, 255, 128});
    uint32_t pixels[6] = {9, 9, 9, 9, 9, 9};
    Img image{0, 0, 2, 3, pixels}, short_image{0, 0, 2, 1, pixels}, other_width{0, 0, 3, 2, pixels};
    bytemap_render(m.map, &image, &palette);
    EXPECT_EQ(std::vector<uint32_t>(pixels, pixels + 6),
              (std::vector<uint32_t>{0, 0x010203, 255 * 0x010203, 128 * 0x010203, 9, 9}));
    Sample short_palette{255, 256, palette.buffer};
    EXPECT_TRUE(reports([&] { bytemap_render(m.map, &short_image, &palette); }));
    EXPECT_TRUE(reports([&] { bytemap_render(m.map, &other_width, &palette); }));
    EXPECT_TRUE(reports([&] { bytemap_render(m.map, &image, &short_palette); }));
    std::free(palette.buffer);

    int32_t* steep = bytemap_line_points(0, 0, 1, 4);  // the tie at y = 2 stays on the starting column
    EXPECT_EQ((std::vector<int32_t>(steep, steep + 11)), (std::vector<int32_t>{10, 0, 0, 0, 1, 0, 2, 1, 3, 1, 4}));
    std::free(steep);
    int32_t* back = bytemap_line_points(5, 2, -1, 2);  // reversed: walks from the first point
    EXPECT_EQ((std::vector<int32_t>{back[0], back[1], back[13]}), (std::vector<int32_t>{14, 5, -1}));
    std::free(back);
    EXPECT_TRUE(reports([] { EXPECT_EQ(bytemap_line_points(INT32_MIN, 0, INT32_MAX, 0), nullptr); }));
}

TEST(BytemapFormats, ReadersTurnSamplesIntoCells) {
    const std::string path = testing::TempDir() + "bytemap_test.pgm";
    // P2 keeps the low 8 bits, P3 and P6 average, P5 is the byte, P1 gives 255 or 0.
    const std::pair<std::string, Cells> files[] = {
        {"P2\n3 1\n255\n300 7 255\n", {44, 7, 255}},
        {"P3\n2 1\n255\n10 20 33 255 255 255\n", {21, 255}},
        {"P1\n3 1\n0 1 12\n", {0, 255, 255}},
        {std::string("P5\n3 1\n255\n\x00\xFF\x20", 14), {0, 255, 0x20}},
    };
    for (const auto& [text, expected] : files) {
        write_file(path, text);
        Map read(bytemap_load_file(path.c_str()));
        ASSERT_NE(read.map, nullptr) << text;
        EXPECT_EQ(read.all(), expected) << text;
    }
    std::remove(path.c_str());
    const unsigned char p6[] = "P6\n1 1\n255\n\x0A\x20\x30";
    Map trusted(bytemap_load_pnm(p6));
    ASSERT_NE(trusted.map, nullptr);
    EXPECT_EQ(trusted.all(), Cells{(0x0A + 0x20 + 0x30) / 3});
    const unsigned char p7[] = "P7\n1 1\n255\n\x01\x01\x01";
    EXPECT_EQ(bytemap_load_pnm(p7), nullptr);
    EXPECT_EQ(bytemap_load_pnm_sized(p6, sizeof(p6) - 2), nullptr);  // one byte short
}

TEST(BytemapFormats, P5AndTextRoundTripsCopyEqualClone) {
    Map m(3, 2, {0, 10, 255, 7, 0x0A, 99});
    const std::string path = testing::TempDir() + "bytemap_round_trip.pgm";
    ASSERT_EQ(bytemap_write_p5(m.map, path.c_str()), 1);
    Map back(bytemap_load_file(path.c_str()));
    ASSERT_NE(back.map, nullptr);
    EXPECT_EQ(bytemap_equal(m.map, back.map), 1);  // a data byte 0x0A is data, not whitespace
    char* text = bytemap_to_text(m.map);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text).rfind("BYTEMAP{\nP3\n3 2\n255\n  0   0   0   0   0  10 ", 0), 0u);
    Map from_text(bytemap_from_text(text));
    std::free(text);
    EXPECT_EQ(from_text.at(2, 0), 255 / 3);  // written as 0 0 v, read back as (r + g + b) / 3
    Map twin(bytemap_clone(m.map));
    EXPECT_EQ(bytemap_equal(m.map, twin.map), 1);
    bytemap_put_pixel(twin.map, 1, 1, 1);
    EXPECT_EQ(bytemap_equal(m.map, twin.map), 0);
    bytemap_copy(m.map, twin.map);
    EXPECT_EQ(twin.at(1, 1), 0x0A);
}

TEST(BytemapBlits, RowWrapsAndCircle) {
    Map source(3, 1, {1, 2, 0});
    Map target(4, 1, {8, 8, 8, 8});
    bytemap_or_row_wrap(source.map, target.map, 0, 0, -1);  // starts at column 3, wraps to 0
    EXPECT_EQ(Cells(target->cells, target->cells + 4), (Cells{10, 8, 8, 9}));
    bytemap_copy_row_wrap(source.map, target.map, 0, 0, 2);  // zero cells are skipped
    EXPECT_EQ(Cells(target->cells, target->cells + 4), (Cells{10, 8, 1, 2}));
    Map disc(9, 9);
    bytemap_circle(disc.map, 4, 4, 3, 5);
    // dx = 32766 * 3 >> 15 = 2 on the x axis; the right-hand points are one to the left.
    EXPECT_EQ(disc.at(4 + 2 - 1, 4), 5);
    EXPECT_EQ(disc.at(4 - 2, 4), 5);
    EXPECT_EQ(disc.at(4, 4), 0);
}
