// BYTEMAP: the 8-bit twin of IMG, its blits, tables and PNM formats.
#include "image/bytemap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
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

TEST(BytemapLifeCycle, CreateResizeClearDestroy) {
    Bytemap* m = bytemap_create();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->width * 100 + m->height, 1616);
    // The new buffer holds 1024 bytes but the map only 256 cells: clear stops at 256.
    std::memset(m->cells, 7, 1024);
    bytemap_clear(m);
    EXPECT_EQ(std::count(m->cells, m->cells + 256, 0), 256);
    EXPECT_EQ(std::count(m->cells + 256, m->cells + 1024, 7), 1024 - 256);
    bytemap_resize(m, 256, 128);
    EXPECT_EQ(m->width * 1000 + m->height, 256128);
    EXPECT_EQ(std::count(m->cells, m->cells + 256 * 128, 0), 256 * 128);
    bytemap_resize(m, 4, 3);
    m->cells[5] = 5;
    uint8_t* before = m->cells;
    for (auto [w, h] : {std::pair{1 << 14, 1 << 13}, {-1, 4}, {INT32_MAX, INT32_MAX}})  // first: twice the limit
        EXPECT_TRUE(reports([&] { bytemap_resize(m, w, h); })) << w;
    EXPECT_EQ(m->cells, before);  // a refused resize keeps the old map
    EXPECT_EQ(m->width * 10 + m->height, 43);
    EXPECT_EQ(bytemap_get_pixel(m, 1, 1), 5);
    bytemap_destroy(&m);
    EXPECT_EQ(m, nullptr);
    EXPECT_TRUE(reports([&] { bytemap_destroy(&m); }));
    EXPECT_TRUE(reports([] { bytemap_destroy(nullptr); }));
}

TEST(BytemapCells, PutGetAndRectangles) {
    Map m(8, 6);
    bytemap_put_pixel(m.map, 7, 5, 200);
    bytemap_put_pixel(m.map, 8, 0, 1);  // outside: dropped
    bytemap_put_pixel(m.map, INT32_MIN, INT32_MAX, 1);
    EXPECT_EQ(m.at(7, 5), 200);
    EXPECT_EQ(m.at(INT32_MAX, -1), 0);
    EXPECT_EQ(std::count(m->cells, m->cells + 48, 0), 47);
    bytemap_fill_rect(m.map, 0, 0, 8, 6, 3);
    EXPECT_EQ(m.all(), Cells(48, 3));
    // Rectangles that do not fit are refused, not clipped.
    const int32_t bad[][4] = {{0, 0, 0, 1}, {1, 0, 8, 1}, {-1, 0, 2, 2}, {2, 2, INT32_MAX, INT32_MAX}, {8, 0, 1, 1}};
    for (auto& r : bad) {
        EXPECT_TRUE(reports([&] { bytemap_fill_rect(m.map, r[0], r[1], r[2], r[3], 9); })) << r[0] << " " << r[2];
        EXPECT_TRUE(reports([&] { bytemap_frame_rect(m.map, r[0], r[1], r[2], r[3], 9); }));
    }
    EXPECT_EQ(m.all(), Cells(48, 3));
    bytemap_clear(m.map);
    bytemap_frame_rect(m.map, 1, 1, 4, 3, 1);  // rows 1 and 3, columns 1 and 4
    EXPECT_EQ(m.all(), (Cells{0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0,
                              0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(BytemapCells, AddFadeMaskCircleCopy) {
    Map m(3, 1, {250, 5, 0});
    bytemap_add(m.map, 10);
    EXPECT_EQ(m.all(), (Cells{4, 15, 10}));  // modulo 256
    bytemap_fade(m.map, 8);
    EXPECT_EQ(m.all(), (Cells{0, 7, 2}));  // floor 0
    Map mask(2, 1, {0x0F, 0xF0}), target(3, 1, {0xAA, 0xAA, 0xAA}), small(1, 1, {0xFF});
    bytemap_and_mask(mask.map, target.map);  // the count comes from the mask
    EXPECT_EQ(target.all(), (Cells{0x0A, 0xA0, 0xAA}));
    EXPECT_TRUE(reports([&] { bytemap_and_mask(mask.map, small.map); }));
    EXPECT_EQ(small.all(), Cells{0xFF});

    Map c(64, 64), twin(64, 64), other(64, 32);
    bytemap_circle(c.map, 0, 32, 10, 9);  // centre on the left edge: only x >= 0 drawn
    for (int y = 0; y < 64; ++y)
        for (int x = 9; x < 64; ++x) ASSERT_EQ(c.at(x, y), 0) << x << "," << y;
    EXPECT_EQ(c.at(8, 32), 9);  // right-hand point: cx + (32766 * 10 >> 15) - 1
    EXPECT_EQ(c.at(0, 41), 9);
    EXPECT_TRUE(reports([&] { bytemap_circle(c.map, 5, 5, 0, 1); }));
    bytemap_circle(c.map, 1, 1, INT32_MAX, 1);  // every point far outside, none wraps back in
    EXPECT_EQ(c.at(0, 0), 0);
    EXPECT_EQ(bytemap_equal(c.map, twin.map), 0);
    bytemap_copy(c.map, twin.map);
    EXPECT_EQ(bytemap_equal(c.map, twin.map), 1);
    EXPECT_TRUE(reports([&] { bytemap_copy(c.map, other.map); }));
}

TEST(BytemapBlits, KeyedSteppedAndHalf) {
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
    const int32_t extremes[] = {INT32_MIN, -1, INT32_MAX};
    for (int32_t a : extremes)
        for (int32_t b : extremes) {
            bytemap_blit_key(src.map, dst.map, a, b, b, a, a, b);
            bytemap_blit_stepped(src.map, dst.map, a, b, b, a, a, b, INT32_MAX, 1);
            bytemap_blit_half(src.map, dst.map, a, b);
        }

    Map s(3, 2, {10, 11, 12, 13, 0, 15}), d(8, 8);
    bytemap_blit_stepped(s.map, d.map, 0, 0, -2, 1, 3, 2, 2, 3);
    // Column 0 would land at x = -2: dropped; columns 1 and 2 at x = 0 and 2; rows at y = 1
    // and 4; source 0 skipped.
    Cells want(64, 0);
    want[1 * 8 + 0] = 11, want[1 * 8 + 2] = 12, want[4 * 8 + 2] = 15;
    EXPECT_EQ(d.all(), want);
    EXPECT_TRUE(reports([&] { bytemap_blit_stepped(s.map, d.map, 0, 0, 0, 0, 3, 2, 0, 1); }));
    Map half_src(2, 1, {101, 0}), half_dst(3, 1, {51, 51, 51});
    bytemap_blit_half(half_src.map, half_dst.map, 1, 0);
    EXPECT_EQ(half_dst.all(), (Cells{51, 50 + 25, 51}));
}

TEST(BytemapBlits, ColumnAndRowWrap) {
    Map src(2, 16), dst(4, 256);
    for (int k = 0; k < 16; ++k) src->cells[k * 2 + 1] = static_cast<uint8_t>(k + 1);
    for (int32_t o : {250, -6}) {
        bytemap_clear(dst.map);
        bytemap_copy_column_wrap(src.map, dst.map, 1, 3, o);  // rows 250-255, then 0-9
        for (int y = 0; y < 256; ++y) EXPECT_EQ(dst.at(3, y), y >= 250 ? y - 249 : y < 10 ? y + 7 : 0) << o;
    }
    EXPECT_TRUE(reports([&] { bytemap_copy_column_wrap(src.map, dst.map, 2, 0, 0); }));

    Map row_src(3, 1, {0x01, 0, 0x04}), row_dst(5, 2, Cells(10, 0x10));
    bytemap_or_row_wrap(row_src.map, row_dst.map, 0, 1, -1);  // offset -1 is column 4
    bytemap_copy_row_wrap(row_src.map, row_dst.map, 0, 0, 3);
    EXPECT_EQ(row_dst.all(), (Cells{0x04, 0x10, 0x10, 0x01, 0x10, 0x10, 0x14, 0x10, 0x10, 0x11}));
    EXPECT_TRUE(reports([&] { bytemap_or_row_wrap(row_src.map, row_dst.map, 1, 0, 0); }));
}

TEST(BytemapBlits, ScaleAndRotate) {
    Map src(4, 3, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), dst(8, 6);
    bytemap_scale(src.map, dst.map);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(dst.at(x, y), src.at(x / 2, y / 2));
    // Narrower: the last column of each run; wider but shorter: the first row of each run.
    Map wide(32, 1), narrow(2, 1), tall(2, 6, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5}), flat(4, 2);
    for (int i = 0; i < 32; ++i) wide->cells[i] = static_cast<uint8_t>(i);
    bytemap_scale(wide.map, narrow.map);
    EXPECT_EQ(narrow.all(), (Cells{15, 31}));
    bytemap_scale(tall.map, flat.map);
    EXPECT_EQ(flat.all(), (Cells{0, 0, 0, 0, 3, 3, 3, 3}));
    Map empty(0, 5);
    const Cells before = dst.all();
    bytemap_scale(src.map, empty.map);  // nothing to draw
    bytemap_scale(empty.map, dst.map);  // nothing to show
    EXPECT_EQ(dst.all(), before);

    Map spot(8, 8);
    spot->cells[4 * 8 + 6] = 5;  // two right of the centre (4, 4)
    // The table's peak is 32766, so an offset of 1 shrinks to 0 and a cell can show twice.
    Map same(bytemap_rotate(spot.map, 0)), quarter(bytemap_rotate(spot.map, 256 + 1024 * 7));
    ASSERT_NE(same.map, nullptr);
    ASSERT_NE(quarter.map, nullptr);
    EXPECT_EQ(same->width * 100 + same->height, 1111);  // 8 * 92667 >> 16
    Cells expected(121, 0);
    expected[5 * 11 + 8] = expected[6 * 11 + 8] = 5;
    EXPECT_EQ(same.all(), expected);
    expected.assign(121, 0);
    expected[3 * 11 + 5] = expected[3 * 11 + 6] = 5;  // a quarter turn puts it above the centre
    EXPECT_EQ(quarter.all(), expected);
}

TEST(BytemapTables, RenderRunTableAndLinePoints) {
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

    int32_t* table = bytemap_run_table(10, 4);  // the image scaler's table
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(std::vector<int32_t>(table, table + 4), (std::vector<int32_t>{3, 2, 3, 2}));
    std::free(table);

    // Horizontal, vertical upward, steep, reversed, mixed signs, a single point.
    const int32_t lines[][4] = {{0, 0, 5, 0}, {3, 7, 3, 2}, {0, 0, 2, 5}, {5, 2, 0, 0}, {-3, 4, 9, -1}, {6, 6, 6, 6}};
    for (const auto& c : lines) {
        int32_t* t = bytemap_line_points(c[0], c[1], c[2], c[3]);
        ASSERT_NE(t, nullptr);
        const int64_t n = std::max(std::abs(c[2] - c[0]), std::abs(c[3] - c[1]));
        ASSERT_EQ(t[0], 2 * (n + 1));
        EXPECT_EQ((std::vector<int32_t>{t[1], t[2], t[2 * n + 1], t[2 * n + 2]}), std::vector<int32_t>(c, c + 4));
        for (int64_t i = 0; i <= n; ++i) {
            const int64_t x = t[1 + 2 * i], y = t[2 + 2 * i];
            // One step along the longer axis each time, at most one across, and within half
            // a cell of the ideal line.
            EXPECT_TRUE(i == 0 || std::max(std::abs(x - t[2 * i - 1]), std::abs(y - t[2 * i])) == 1) << i;
            EXPECT_LE(2 * std::abs((x - c[0]) * (c[3] - c[1]) - (y - c[1]) * (c[2] - c[0])), n * n) << i;
        }
        std::free(t);
    }
    int32_t* steep = bytemap_line_points(0, 0, 1, 4);  // the tie at y = 2 stays on the starting column
    EXPECT_EQ((std::vector<int32_t>(steep, steep + 11)), (std::vector<int32_t>{10, 0, 0, 0, 1, 0, 2, 1, 3, 1, 4}));
    std::free(steep);
    EXPECT_TRUE(reports([] { EXPECT_EQ(bytemap_line_points(INT32_MIN, 0, INT32_MAX, 0), nullptr); }));
}

TEST(BytemapFormats, WriterAndReaders) {
    Map m(5, 3);
    for (int i = 0; i < 15; ++i) m->cells[i] = static_cast<uint8_t>(i * 17);
    m->cells[0] = '\n';  // data that looks like whitespace
    const std::string path = testing::TempDir() + "bytemap_test.pgm";
    ASSERT_EQ(bytemap_write_p5(m.map, path.c_str()), 1);
    Map back(bytemap_load_file(path.c_str()));
    ASSERT_NE(back.map, nullptr);
    EXPECT_EQ(bytemap_equal(m.map, back.map), 1);
    // P2 keeps the low 8 bits, P3 and P6 average, P5 is the byte, P1 and P4 give 255 or 0.
    const std::pair<std::string, Cells> files[] = {
        {"P2\n3 1\n255\n300 7 255\n", {44, 7, 255}},
        {"P3\n2 1\n255\n10 20 33 255 255 255\n", {21, 255}},
        {"P1\n3 1\n0 1 12\n", {0, 255, 255}},
        {"P4\n3 2\n\xA0\x40", {255, 0, 255, 0, 255, 0}},
        {"P6\n# made here\n1 1\n255\n\x0A\x20\x30", {(0x0A + 0x20 + 0x30) / 3}},
        {std::string("P5\n3\n# between\n1\n255\n\x00\xFF\x20", 24), {0, 255, 0x20}},
    };
    for (const auto& [text, expected] : files) {
        write_file(path, text);
        Map read(bytemap_load_file(path.c_str()));
        ASSERT_NE(read.map, nullptr) << text;
        EXPECT_EQ(read.all(), expected) << text;
        Map block(bytemap_load_pnm_sized(reinterpret_cast<const unsigned char*>(text.data()), text.size()));
        if (text[1] != '4' && text[1] != '1') {  // the block rules for bitmaps differ
            ASSERT_NE(block.map, nullptr) << text;
            EXPECT_EQ(block.all(), expected) << text;
        }
    }
    std::remove(path.c_str());
    const unsigned char p6[] = "P6\n1 1\n255\n\x0A\x20\x30";
    Map trusted(bytemap_load_pnm(p6));
    ASSERT_NE(trusted.map, nullptr);
    EXPECT_EQ(trusted.all(), Cells{(0x0A + 0x20 + 0x30) / 3});
    const unsigned char p7[] = "P7\n1 1\n255\n\x01\x01\x01";
    Map empty(0, 4);
    EXPECT_TRUE(reports([&] { EXPECT_EQ(bytemap_load_pnm(p7), nullptr); }));
    EXPECT_TRUE(reports([&] { EXPECT_EQ(bytemap_load_pnm_sized(p6, sizeof(p6) - 2), nullptr); }));
    EXPECT_TRUE(reports([&] { EXPECT_EQ(bytemap_write_p5(empty.map, path.c_str()), 0); }));
    EXPECT_TRUE(reports([&] { EXPECT_EQ(bytemap_load_file("/nonexistent/dir/x.pgm"), nullptr); }));
}

TEST(BytemapFormats, TextForm) {
    Map m(7, 1, {255, 128, 0, 9, 10, 99, 3});
    char* text = bytemap_to_text(m.map);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text,
                 "BYTEMAP{\nP3\n7 1\n255\n"
                 "  0   0 255   0   0 128   0   0   0   0   0   9   0   0  10   0   0  99\n"
                 "  0   0   3\n}\n");
    // Reading back averages the three fields, so every cell comes back divided by 3.
    Map back(bytemap_from_text(text));
    ASSERT_NE(back.map, nullptr);
    EXPECT_EQ(back.all(), (Cells{85, 42, 0, 3, 3, 33, 1}));
    std::free(text);
    Map empty(0, 0);
    text = bytemap_to_text(empty.map);
    EXPECT_STREQ(text, "BYTEMAP{}");
    std::free(text);
    EXPECT_TRUE(reports([] { EXPECT_EQ(bytemap_from_text("IMG{\nP3\n1 1\n255\n1 2 3\n}\n"), nullptr); }));
}
